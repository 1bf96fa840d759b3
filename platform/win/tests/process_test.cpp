// Command lines, program starts and shutdown requests on a machine.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "windows.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/path.h"

namespace {

using Journal = std::vector<vpr::machine::Machine::JournalEntry>;

TEST(CommandLine, SplitsAsTheRunTimeDoes) {
    struct Case {
        std::string line;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"prog", {"prog"}},
        {"  prog  a   b ", {"prog", "a", "b"}},
        {"\"C:\\Program Files\\x.exe\" /u", {"C:\\Program Files\\x.exe", "/u"}},
        {"C:\\dir\\x.exe \"a b\" c", {"C:\\dir\\x.exe", "a b", "c"}},
        {"p a\\\\b \\\"q\\\"", {"p", "a\\\\b", "\"q\""}},
        {"p \"a\\\\\" b", {"p", "a\\", "b"}},
        {"p \"say \"\"hi\"\"\"", {"p", "say \"hi\""}},
        {"p \"\" x", {"p", "", "x"}},
        {"p a\"b c\"d", {"p", "ab cd"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vpr::win::SplitCommandLine(c.line), c.args) << c.line;
    }
}

TEST(CommandLine, QuotingRoundTripsThroughSplitting) {
    const std::vector<std::string> args = {"plain", "two words", "", "tab\there", "quote\"in",
                                           "end\\",  "dir with\\", "\\\\server\\share", "a\\\"b"};
    std::string line = "prog";
    for (const auto& arg : args) line += " " + vpr::win::QuoteArgument(arg);
    std::vector<std::string> expected = {"prog"};
    expected.insert(expected.end(), args.begin(), args.end());
    EXPECT_EQ(vpr::win::SplitCommandLine(line), expected) << line;
    EXPECT_EQ(vpr::win::QuoteArgument("plain"), "plain");
    EXPECT_EQ(vpr::win::QuoteArgument("two words"), "\"two words\"");
}

class ProcessTest : public ::testing::Test {
protected:
    std::string Helper() {
        const char* bin = std::getenv("VPR_BUILD_BIN");
        return std::string(bin ? bin : ".") + "/kernel_helper";
    }
    std::string Host(const std::string& windowsPath) { return machine_.HostPath(windowsPath); }
    void WriteFile(const std::string& windowsPath, const std::string& text, mode_t mode) {
        std::ofstream(Host(windowsPath)) << text;
        ::chmod(Host(windowsPath).c_str(), mode);
    }
    Journal ReadJournal() { return machine_.machine()->ReadJournal(); }
    // Runs a command line to its end; returns the exit code, or the last
    // error with `started` false.
    DWORD Run(std::string commandLine, bool* started, char* environment = nullptr,
              const char* directory = nullptr) {
        PROCESS_INFORMATION info{};
        *started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                  environment, directory, nullptr, &info);
        if (!*started) return GetLastError();
        EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(info.hThread, 0), WAIT_OBJECT_0);
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        EXPECT_TRUE(CloseHandle(info.hThread));
        EXPECT_TRUE(CloseHandle(info.hProcess));
        return code;
    }

    vpr::testing::TempMachine machine_;
};

TEST_F(ProcessTest, ProgramGetsItsWindowsCommandLineFolderAndEnvironment) {
    std::string report = Host("C:\\REPORT.TXT");
    std::string commandLine = "\"" + Helper() + "\" report " + report + " \"a b\" c\\\"d \"\"";
    std::string block = "VPR_TEST_VALUE=xyz";
    block += '\0';
    block += "VPR_MACHINE=" + machine_.root();
    block += '\0';
    block += '\0';
    bool started = false;
    EXPECT_EQ(Run(commandLine, &started, block.data(), "C:\\WINDOWS"), 0u);
    ASSERT_TRUE(started);

    std::ifstream in(report);
    std::string line, folder, value;
    std::getline(in, line);
    std::getline(in, folder);
    std::getline(in, value);
    EXPECT_EQ(line, vpr::win::WindowsPathFromHost(Helper()) + " report " + report +
                        " \"a b\" \"c\\\"d\" \"\"");
    EXPECT_EQ(folder, Host("C:\\WINDOWS"));
    EXPECT_EQ(value, "xyz");
    EXPECT_EQ(ReadJournal().back(), (Journal::value_type{"start", commandLine}));
}

TEST_F(ProcessTest, ScriptUnderAWindowsPathRunsAndItsExitCodeIsRead) {
    WriteFile("C:\\RUN.SH", "#!/bin/sh\nexit 5\n", 0755);
    bool started = false;
    EXPECT_EQ(Run("c:\\run.sh", &started), 5u);
    EXPECT_TRUE(started);
    EXPECT_EQ(ReadJournal().back(), (Journal::value_type{"start", "c:\\run.sh"}));
}

TEST_F(ProcessTest, ProgramsThatCannotStartAreRefused) {
    WriteFile("C:\\NOTES.TXT", "text\n", 0644);
    WriteFile("C:\\RUN.SH", "#!/bin/sh\nexit 0\n", 0755);
    struct Case {
        std::string commandLine;
        const char* directory;
        DWORD error;
    };
    const Case cases[] = {
        {"C:\\MISSING.EXE", nullptr, ERROR_FILE_NOT_FOUND},
        {"C:\\NO\\SUCH\\DIR\\A.EXE", nullptr, ERROR_PATH_NOT_FOUND},
        {"C:\\NOTES.TXT", nullptr, ERROR_BAD_EXE_FORMAT},
        {"C:\\RUN.SH", "C:\\NOWHERE", ERROR_DIRECTORY},
        {"", nullptr, ERROR_INVALID_PARAMETER},
    };
    size_t journalBefore = ReadJournal().size();
    for (const auto& c : cases) {
        bool started = true;
        EXPECT_EQ(Run(c.commandLine, &started, nullptr, c.directory), c.error) << c.commandLine;
        EXPECT_FALSE(started);
    }
    EXPECT_EQ(ReadJournal().size(), journalBefore);  // nothing started, nothing recorded

    EXPECT_EQ(WinExec("C:\\MISSING.EXE", SW_SHOWNORMAL), 2u);
    EXPECT_EQ(WinExec("C:\\NOTES.TXT", SW_SHOWNORMAL), 11u);
    EXPECT_GT(WinExec("C:\\RUN.SH", SW_SHOWNORMAL), 31u);
}

TEST_F(ProcessTest, ShellOpensProgramsAndRefusesDocumentsWithoutAssociation) {
    WriteFile("C:\\RUN.SH", "#!/bin/sh\nexit 0\n", 0755);
    WriteFile("C:\\README.TXT", "text\n", 0644);
    auto code = [](HINSTANCE result) { return reinterpret_cast<INT_PTR>(result); };
    EXPECT_GT(code(ShellExecuteA(nullptr, "open", "C:\\RUN.SH", "/x", "C:\\", SW_SHOWNORMAL)), 32);
    EXPECT_EQ(ReadJournal().back(), (Journal::value_type{"start", "C:\\RUN.SH /x"}));
    EXPECT_EQ(code(ShellExecuteA(nullptr, nullptr, "C:\\README.TXT", nullptr, nullptr, SW_SHOW)),
              SE_ERR_NOASSOC);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", "C:\\GONE.TXT", nullptr, nullptr, SW_SHOW)),
              SE_ERR_FNF);
}

TEST_F(ProcessTest, RestartRequestIsRecordedNeverCarriedOut) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES privileges{};
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(CloseHandle(token));
    EXPECT_TRUE(CloseHandle(GetCurrentProcess()));  // a pseudo handle: nothing to close
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0));

    Journal journal = ReadJournal();
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal[journal.size() - 2], (Journal::value_type{"privilege", "SeShutdownPrivilege enabled"}));
    EXPECT_EQ(journal.back(), (Journal::value_type{"exit-windows", "reboot force"}));

    LUID luid{};
    EXPECT_FALSE(LookupPrivilegeValueA(nullptr, "SeNoSuchPrivilege", &luid));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE));
}

}  // namespace
