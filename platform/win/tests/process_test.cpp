// Command lines, program starts and shutdown requests on a machine.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "windows.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/path.h"
#include "vpr/win/registry.h"
#include "vpr/testing/build_folder.h"

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

// Runs a command line to its end; returns the exit code, or the last error
// with `started` false.
DWORD RunToEnd(std::string commandLine, bool* started, char* environment = nullptr,
               const char* directory = nullptr) {
    PROCESS_INFORMATION info{};
    *started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, environment, directory,
                              nullptr, &info);
    if (!*started) return GetLastError();
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(info.hThread, 0), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    return code;
}

// A script under a Windows path that ends with the given exit code.
void WriteScript(const vpr::testing::TempMachine& machine, const std::string& windowsPath, int exitCode) {
    std::string host = machine.HostPath(windowsPath);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::ofstream(host) << "#!/bin/sh\nexit " << exitCode << "\n";
    ::chmod(host.c_str(), 0755);
}

class ProcessTest : public ::testing::Test {
protected:
    std::string Helper() {
        return vpr::testing::BuildBinFolder() + "/kernel_helper";
    }
    std::string Host(const std::string& windowsPath) { return machine_.HostPath(windowsPath); }
    void WriteFile(const std::string& windowsPath, const std::string& text, mode_t mode) {
        std::filesystem::create_directories(std::filesystem::path(Host(windowsPath)).parent_path());
        std::ofstream(Host(windowsPath)) << text;
        ::chmod(Host(windowsPath).c_str(), mode);
    }
    Journal ReadJournal() { return machine_.machine()->ReadJournal(); }
    DWORD Run(std::string commandLine, bool* started, char* environment = nullptr,
              const char* directory = nullptr) {
        return RunToEnd(std::move(commandLine), started, environment, directory);
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

TEST_F(ProcessTest, DocumentsOpenWithTheProgramRegisteredForTheirType) {
    // The helper stands for the registered programs: it writes its command line.
    std::string report = Host("C:\\REPORT.TXT");
    std::string helper = "\"" + vpr::win::WindowsPathFromHost(Helper()) + "\" report " + report;
    auto set = [](const char* key, const std::string& text) {
        ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key, REG_SZ, text.c_str(), 0), ERROR_SUCCESS) << key;
    };
    set(".vpd", "VprDoc");
    set("VprDoc\\shell\\open\\command", helper + " %1");
    set("VprDoc\\shell\\print\\command", helper + " /p \"%1\" %* 100%%");
    set(".VPP", "VprPrintFirst");
    set("VprPrintFirst\\shell", "print");
    set("VprPrintFirst\\shell\\print\\command", helper + " printed %2%L");
    set(".vpn", "VprNoPlace");
    set("VprNoPlace\\shell\\open\\command", helper);
    set(".vpx", "VprMissing");
    set("VprMissing\\shell\\open\\command", "C:\\NOPROGRAM.EXE %1");
    set(".vpe", "VprNoCommand");
    for (const char* document : {"C:\\My Docs\\a.vpd", "C:\\My Docs\\b.vpp", "C:\\My Docs\\c.vpn", "C:\\x.vpx",
                                 "C:\\y.vpe", "C:\\z.unk"})
        WriteFile(document, "text\n", 0644);

    struct Case {
        const char* verb;
        const char* file;
        const char* parameters;
        INT_PTR result;
        std::string arguments;  // what the program gets after the registered part
    };
    const Case cases[] = {
        {nullptr, "C:\\My Docs\\a.vpd", nullptr, 42, " \"C:\\My Docs\\a.vpd\""},
        {"print", "C:\\My Docs\\a.vpd", "-n 2", 42, " /p \"C:\\My Docs\\a.vpd\" -n 2 100%"},
        {nullptr, "c:\\my docs\\B.VPP", nullptr, 42, " printed \"C:\\my docs\\B.VPP\""},
        {"open", "C:\\My Docs\\c.vpn", nullptr, 42, " \"C:\\My Docs\\c.vpn\""},
        {"edit", "C:\\My Docs\\a.vpd", nullptr, SE_ERR_NOASSOC, ""},
        {nullptr, "C:\\y.vpe", nullptr, SE_ERR_NOASSOC, ""},
        {nullptr, "C:\\z.unk", nullptr, SE_ERR_NOASSOC, ""},
        {nullptr, "C:\\x.vpx", nullptr, SE_ERR_FNF, ""},
    };
    HANDLE written = CreateEventA(nullptr, TRUE, FALSE, "VPR report written");
    ASSERT_NE(written, nullptr);
    for (const auto& c : cases) {
        std::filesystem::remove(report);
        size_t journalBefore = ReadJournal().size();
        INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, c.verb, c.file, c.parameters, nullptr, SW_SHOW));
        EXPECT_EQ(result, c.result) << c.file;
        if (c.result <= 32) {
            EXPECT_EQ(ReadJournal().size(), journalBefore) << c.file;  // nothing started
            continue;
        }
        EXPECT_EQ(ReadJournal().back(), (Journal::value_type{"start", helper + c.arguments})) << c.file;
        // The program really ran, with the document as one argument.
        ASSERT_EQ(WaitForSingleObject(written, 60000), WAIT_OBJECT_0) << c.file;
        ResetEvent(written);
        std::ifstream in(report);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, vpr::win::WindowsPathFromHost(Helper()) + " report " + report + c.arguments) << c.file;
    }
    CloseHandle(written);
}

TEST_F(ProcessTest, ProgramsWithoutAFolderAreFoundWhereWindowsLooks) {
    WriteScript(machine_, "C:\\WINDOWS\\WINTOOL.EXE", 3);
    WriteScript(machine_, "C:\\WINDOWS\\SYSTEM\\SYSTOOL.EXE", 4);
    WriteScript(machine_, "C:\\WORK\\SAME.EXE", 5);
    WriteScript(machine_, "C:\\WINDOWS\\SAME.EXE", 6);
    WriteScript(machine_, "C:\\TOOLS\\PATHTOOL.EXE", 7);
    WriteScript(machine_, "C:\\WORK\\VPRCWD.SH", 8);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WORK"));
    // A Windows-style PATH of the process, put back whatever happens.
    struct PathGuard {
        std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
        PathGuard() { ::setenv("PATH", "C:\\MORE;C:\\TOOLS", 1); }
        ~PathGuard() { ::setenv("PATH", saved.c_str(), 1); }
    } path;

    struct Case {
        const char* commandLine;
        bool started;
        DWORD result;  // exit code, or the error when it does not start
    };
    const Case cases[] = {
        {"wintool", true, 3},
        {"WINTOOL.EXE /x", true, 3},
        {"systool", true, 4},
        {"same", true, 5},  // the current folder comes before the Windows folder
        {"pathtool", true, 7},
        {"vprcwd.sh", true, 8},  // an extension: nothing added
        {"kernel_helper exit 9", true, 9},  // the calling program's folder; a host program has no extension
        {"nosuch", false, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        bool started = !c.started;
        EXPECT_EQ(Run(c.commandLine, &started), c.result) << c.commandLine;
        EXPECT_EQ(started, c.started) << c.commandLine;
    }
    EXPECT_EQ(WinExec("nosuch", SW_SHOWNORMAL), 2u);
    EXPECT_GT(WinExec("wintool", SW_SHOWNORMAL), 31u);
    EXPECT_EQ(ReadJournal().back(), (Journal::value_type{"start", "wintool"}));

    // An application name is taken as it stands, never searched for.
    std::string commandLine = "wintool.exe";
    PROCESS_INFORMATION info{};
    EXPECT_FALSE(CreateProcessA("wintool.exe", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                nullptr, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(ProgramSearch, NtLooksInSystem32ThenSystemThenWindows) {
    vpr::testing::TempMachine nt(vpr::machine::Platform::NT4);
    WriteScript(nt, "C:\\WINDOWS\\SYSTEM32\\BOTH.EXE", 12);
    WriteScript(nt, "C:\\WINDOWS\\SYSTEM\\BOTH.EXE", 13);
    WriteScript(nt, "C:\\WINDOWS\\SYSTEM\\OLD16.EXE", 11);
    WriteScript(nt, "C:\\WINDOWS\\OLD16.EXE", 14);
    bool started = false;
    EXPECT_EQ(RunToEnd("both", &started), 12u);
    EXPECT_EQ(RunToEnd("old16", &started), 11u);
    EXPECT_TRUE(started);
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
