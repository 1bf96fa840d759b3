#include "qmtdump/dump_tool.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "entry_builder.h"
#include "every_kind_template.h"
#include "vpr/win/file_fault.h"
#include "vpr/testing/build_folder.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

const char kUsage[] =
    "\n"
    "QMTDUMP -- Application Object Template Dump Utility v1.0\n"
    "\n"
    "Usage:\n"
    "\tQMTDUMP [import filename (.QMT)] [export filename (.QXT)]\n"
    "\n"
    "\timport filename - name of file to import (must be .QMT type).\n"
    "\texport filename - name of file to export (will be .QXT type).\n"
    "\n";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A template of two inventory records (16 bytes each): 40 bytes in all, so
// the progress reads 60% and then 100%.
std::string TwoRecordTemplate() {
    return "QMT FILE" + Le32({13, 1, 16, 64}) + Le32({15, 1, 16, 3});
}

struct RunResult {
    int exitCode;
    std::string console;
};

// Runs the built qmtdump in `dir`. Without `typed` its standard input is not
// a terminal; with it, standard input and error are a terminal on which
// `typed` is typed.
RunResult RunQmtDump(const fs::path& dir, const std::vector<std::string>& args,
                     const char* typed = nullptr) {
    std::string program = vpr::testing::BuildBinFolder() + "/qmtdump";
    std::vector<char*> argv{const_cast<char*>("qmtdump")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int terminal = -1;
    if (typed != nullptr) {
        terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(terminal, 0);
        EXPECT_EQ(::grantpt(terminal), 0);
        EXPECT_EQ(::unlockpt(terminal), 0);
        const char* side = ::ptsname(terminal);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, side, O_RDWR | O_NOCTTY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, side, O_RDWR | O_NOCTTY, 0);
        EXPECT_EQ(::write(terminal, typed, std::strlen(typed)), static_cast<ssize_t>(std::strlen(typed)));
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    EXPECT_EQ(spawned, 0) << program;

    RunResult result{-1, ""};
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof(buffer))) > 0) result.console.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    if (terminal >= 0) ::close(terminal);
    return result;
}

class QmtDumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qmtdump-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
};

TEST_F(QmtDumpTest, EveryKindMatchesTheGoldenTextForm) {
    ASSERT_TRUE(WriteEveryKindTemplate((dir_ / "every.qmt").string()));
    // Side files land in the current directory.
    fs::path saved = fs::current_path();
    fs::current_path(dir_);
    char* console = nullptr;
    size_t consoleSize = 0;
    FILE* consoleFile = open_memstream(&console, &consoleSize);
    DumpTool tool(consoleFile);
    uint32_t next = 0x1000;
    tool.SetRandomSource([&next] { return next++; });
    char arg0[] = "qmtdump";
    char arg1[] = "every.qmt";
    char* argv[] = {arg0, arg1, nullptr};
    int exitCode = tool.Run(2, argv);
    std::fclose(consoleFile);
    std::string printed(console, consoleSize);
    std::free(console);
    fs::current_path(saved);

    EXPECT_EQ(exitCode, kDumpDone);
    std::string golden = ReadFile(fs::path(QMTDUMP_TEST_DATA) / "every_kind.qxt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(ReadFile(dir_ / "every.QXT"), golden);

    size_t count = 0;
    const ExpectedSideFile* sideFiles = EveryKindSideFiles(&count);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(ReadFile(dir_ / sideFiles[i].name), sideFiles[i].contents) << sideFiles[i].name;
    }

    // The console: the conversion lines, progress figures that end at 100%,
    // one note per unknown section and value, and the summary.
    EXPECT_EQ(printed.rfind("Converting QMT -> QXT\n  Input file: every.qmt\n"
                            "  Output file: every.QXT\n", 0),
              0u);
    EXPECT_NE(printed.find("100%\b\b\b\b"), std::string::npos);
    const std::string summary = "==== 82 entries processed ====\n";
    ASSERT_GT(printed.size(), summary.size());
    EXPECT_EQ(printed.substr(printed.size() - summary.size()), summary);
    auto occurrences = [&printed](const std::string& what) {
        size_t n = 0;
        for (size_t at = printed.find(what); at != std::string::npos; at = printed.find(what, at + 1)) ++n;
        return n;
    };
    auto goldenOccurrences = [&golden](const std::string& what) {
        size_t n = 0;
        for (size_t at = golden.find(what); at != std::string::npos; at = golden.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(occurrences("Unknown Section found.\n"), goldenOccurrences("\nSize="));
    EXPECT_EQ(occurrences("Unknown value found.\n"), goldenOccurrences("=**Unknown** "));
    EXPECT_EQ(occurrences("Unknown registry value 13.\n"), 1u);
}

struct OutcomeCase {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string console;
};

TEST_F(QmtDumpTest, ConsoleLinesAndExitCodeOfEachOutcome) {
    const std::string converting = "Converting QMT -> QXT\n";
    const std::string twoRecords = " 60%\b\b\b\b100%\b\b\b\b==== 2 entries processed ====\n";
    const std::string tooLong(300, 'n');
    const OutcomeCase cases[] = {
        {"one template", {"a.qmt"}, 0,
         converting + "  Input file: a.qmt\n  Output file: a.QXT\n" + twoRecords},
        {"upper-case extension", {"UPPER.QMT"}, 0,
         converting + "  Input file: UPPER.QMT\n  Output file: UPPER.QXT\n" + twoRecords},
        {"given output name", {"a.qmt", "out.txt"}, 0,
         converting + "  Input file: a.qmt\n  Output file: out.txt\n" + twoRecords},
        {"signature only", {"empty.qmt"}, 0,
         converting + "  Input file: empty.qmt\n  Output file: empty.QXT\n"
                      "==== 0 entries processed ====\n"},
        {"not a template", {"a.txt"}, 2, "Invalid file types for import and export files.\n" + std::string(kUsage)},
        {"no extension", {"dir.d/a"}, 2, "Invalid file types for import and export files.\n" + std::string(kUsage)},
        {"too many files", {"a.qmt", "b", "c", "/?"}, 2,
         "Invalid command-line, too many files specified [c].\n" + std::string(kUsage)},
        {"name too long", {tooLong + ".qmt"}, 2,
         "Invalid command-line, file name longer than 259 characters [" + tooLong + ".qmt].\n" +
             std::string(kUsage)},
        {"help alone", {"/?"}, 0, kUsage},
        {"help after a file", {"a.qmt", "/h"}, 0, kUsage},
        {"missing template", {"missing.qmt"}, 1,
         converting + "  Input file: missing.qmt\n  Output file: missing.QXT\n"
                      "kmapptOpen [missing.qmt] returned 2\n"},
        {"wrong signature", {"bad.qmt"}, 1,
         converting + "  Input file: bad.qmt\n  Output file: bad.QXT\n"
                      "kmapptOpen [bad.qmt] returned -2\n"},
        {"output folder missing", {"a.qmt", "nodir/out.qxt"}, 1,
         converting + "  Input file: a.qmt\n  Output file: nodir/out.qxt\n"
                      "Unable to open file nodir/out.qxt.  Error = 2\n"},
        {"output cannot be written", {"a.qmt", "/dev/full"}, 1,
         converting + "  Input file: a.qmt\n  Output file: /dev/full\n" + twoRecords +
             "Unable to write file /dev/full.  Error = 28\n"},
        {"cut inside a record", {"cut.qmt"}, 1,
         converting + "  Input file: cut.qmt\n  Output file: cut.QXT\n"
                      " 54%\b\b\b\bError reading QMT file -3\n"},
        {"unknown kind", {"kind21.qmt"}, 1,
         converting + "  Input file: kind21.qmt\n  Output file: kind21.QXT\n"
                      " 66%\b\b\b\bError reading QMT file -5\n"},
        {"no name and no terminal: the dialog is cancelled", {}, 3, ""},
    };
    for (const OutcomeCase& c : cases) {
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "dir.d");
        WriteFile(dir_ / "a.qmt", TwoRecordTemplate());
        WriteFile(dir_ / "UPPER.QMT", TwoRecordTemplate());
        WriteFile(dir_ / "empty.qmt", "QMT FILE");
        WriteFile(dir_ / "bad.qmt", "QMT File" + Le32({13, 1, 16, 64}));
        WriteFile(dir_ / "a.txt", TwoRecordTemplate());
        WriteFile(dir_ / "dir.d" / "a", TwoRecordTemplate());
        WriteFile(dir_ / "cut.qmt", "QMT FILE" + Le32({13, 1, 16, 64}) + Le32({14, 1, 24, 1, 9}));
        WriteFile(dir_ / "kind21.qmt", "QMT FILE" + Le32({13, 1, 16, 64}) + Le32({21, 1, 12}));

        RunResult run = RunQmtDump(dir_, c.args);
        EXPECT_EQ(run.console, c.console) << c.name;
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
    }
}

TEST_F(QmtDumpTest, OutputFilesOfEachOutcome) {
    WriteFile(dir_ / "a.qmt", TwoRecordTemplate());
    WriteFile(dir_ / "empty.qmt", "QMT FILE");
    const std::string twoRecordText =
        "[Inventory RAM]\nValue=64\n\n[Inventory Processor]\nValue=Pentium\n\n";

    EXPECT_EQ(RunQmtDump(dir_, {"a.qmt"}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir_ / "a.QXT"), twoRecordText);
    EXPECT_EQ(RunQmtDump(dir_, {"a.qmt", "out.txt"}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir_ / "out.txt"), twoRecordText);
    EXPECT_EQ(RunQmtDump(dir_, {"empty.qmt"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(dir_ / "empty.QXT"));
    EXPECT_EQ(fs::file_size(dir_ / "empty.QXT"), 0u);

    // Usage, refusals and a cancelled dialog write no text form.
    fs::remove(dir_ / "a.QXT");
    RunQmtDump(dir_, {"a.qmt", "/h"});
    RunQmtDump(dir_, {});
    EXPECT_FALSE(fs::exists(dir_ / "a.QXT"));

    // A record that cannot be read ends the dump; what came before stays.
    WriteFile(dir_ / "cut.qmt", TwoRecordTemplate().substr(0, 36));
    EXPECT_EQ(RunQmtDump(dir_, {"cut.qmt"}).exitCode, 1);
    EXPECT_EQ(ReadFile(dir_ / "cut.QXT"), "[Inventory RAM]\nValue=64\n\n");
}

TEST_F(QmtDumpTest, WithoutANameAsksOnTheTerminal) {
    WriteFile(dir_ / "a.qmt", TwoRecordTemplate());
    // A missing file is refused and asked for again; then the template.
    RunResult run = RunQmtDump(dir_, {}, "missing.qmt\na.qmt\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.console, "Converting QMT -> QXT\n  Input file: a.qmt\n  Output file: a.QXT\n"
                           " 60%\b\b\b\b100%\b\b\b\b==== 2 entries processed ====\n");
    EXPECT_TRUE(fs::exists(dir_ / "a.QXT"));

    // An empty line cancels.
    fs::remove(dir_ / "a.QXT");
    run = RunQmtDump(dir_, {}, "\n");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.console, "");
    EXPECT_FALSE(fs::exists(dir_ / "a.QXT"));
}

TEST_F(QmtDumpTest, RefusesToWriteOverTheTemplateItself) {
    const std::string bytes = TwoRecordTemplate();
    WriteFile(dir_ / "a.qmt", bytes);
    fs::create_directories(dir_ / "sub");
    fs::create_symlink(dir_ / "a.qmt", dir_ / "link.qxt");
    fs::create_hard_link(dir_ / "a.qmt", dir_ / "hard.qxt");
    fs::create_symlink(dir_ / "a.qmt", dir_ / "link.qmt");

    const std::vector<std::vector<std::string>> spellings = {
        {"a.qmt", "a.qmt"},
        {"a.qmt", "./a.qmt"},
        {"a.qmt", "sub/../a.qmt"},
        {"a.qmt", (dir_ / "a.qmt").string()},
        {"a.qmt", "link.qxt"},
        {"a.qmt", "hard.qxt"},
        {"link.qmt", "a.qmt"},
    };
    for (const auto& args : spellings) {
        RunResult run = RunQmtDump(dir_, args);
        EXPECT_EQ(run.exitCode, 1) << args[1];
        EXPECT_EQ(run.console, "Converting QMT -> QXT\n  Input file: " + args[0] +
                                   "\n  Output file: " + args[1] +
                                   "\nInput and output name the same file [" + args[1] +
                                   "].  The template is left untouched.\n")
            << args[1];
        EXPECT_EQ(ReadFile(dir_ / "a.qmt"), bytes) << args[1];
    }
}

// A full disk under the dump: the older text form stays whole, and a side
// file that could not be written is an error, not a quiet success.
TEST_F(QmtDumpTest, AFullDiskLeavesTheOlderDumpWhole) {
    ASSERT_TRUE(WriteEveryKindTemplate((dir_ / "every.qmt").string()));
    size_t count = 0;
    const ExpectedSideFile* sideFiles = EveryKindSideFiles(&count);
    uint64_t sideBytes = 0;
    for (size_t i = 0; i < count; ++i) sideBytes += sideFiles[i].contents.size();
    ASSERT_GT(count, 0u);
    struct Case {
        const char* what;
        uint64_t room;
        std::string failedFile;
    } cases[] = {
        {"no room for the first side file", 0, sideFiles[0].name},
        {"room for the side files, not the text", sideBytes + 10, "every.QXT"},
    };
    for (const Case& c : cases) {
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().filename() != "every.qmt") fs::remove(entry.path());
        WriteFile(dir_ / "every.QXT", "the older dump");
        ASSERT_TRUE(vpr::win::InjectFileFault(dir_.c_str(), vpr::win::FileFault::DiskFull, c.room));
        fs::path saved = fs::current_path();
        fs::current_path(dir_);
        char* console = nullptr;
        size_t consoleSize = 0;
        FILE* consoleFile = open_memstream(&console, &consoleSize);
        DumpTool tool(consoleFile);
        uint32_t next = 0x1000;
        tool.SetRandomSource([&next] { return next++; });
        char arg0[] = "qmtdump";
        char arg1[] = "every.qmt";
        char* argv[] = {arg0, arg1, nullptr};
        int exitCode = tool.Run(2, argv);
        std::fclose(consoleFile);
        std::string printed(console, consoleSize);
        std::free(console);
        fs::current_path(saved);
        vpr::win::ClearFileFaults();

        EXPECT_EQ(exitCode, kDumpFailed) << c.what;
        std::string line = "Unable to write file " + c.failedFile + ".  Error = 28\n";
        ASSERT_GE(printed.size(), line.size()) << c.what;
        EXPECT_EQ(printed.substr(printed.size() - line.size()), line) << c.what << ": " << printed;
        EXPECT_EQ(ReadFile(dir_ / "every.QXT"), "the older dump") << c.what;
        // Nothing cut is left: no temporary file, no part of a side file.
        for (const auto& entry : fs::directory_iterator(dir_)) {
            EXPECT_NE(entry.path().filename().string()[0], '.') << c.what << ": " << entry.path();
        }
        if (c.failedFile != "every.QXT") {
            EXPECT_FALSE(fs::exists(dir_ / c.failedFile)) << c.what;
        }
    }
}

}  // namespace
