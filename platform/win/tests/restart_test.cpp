// Moving files now and at the next start, and the simulated restart, on 95
// and NT machines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "vpr/testing/temp_machine.h"
#include "vpr/win/file_fault.h"
#include "vpr/win/restart.h"
#include "windows.h"
#include "vpr/testing/build_folder.h"

namespace {

using vpr::machine::Platform;
using vpr::win::RestartStep;
using Journal = std::vector<vpr::machine::Machine::JournalEntry>;
using namespace std::string_literals;

constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPending = "PendingFileRenameOperations";

class RestartTest : public ::testing::TestWithParam<Platform> {
protected:
    RestartTest() : machine_(GetParam()) {}

    bool IsNt() const { return GetParam() == Platform::NT4; }
    std::string Host(const std::string& windowsPath) { return machine_.HostPath(windowsPath); }
    void Write(const std::string& windowsPath, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(Host(windowsPath)).parent_path());
        std::ofstream(Host(windowsPath), std::ios::binary) << text;
    }
    // The file's text, or nullopt when it does not exist.
    std::optional<std::string> Read(const std::string& windowsPath) {
        std::ifstream in(Host(windowsPath), std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The NT list as stored, or nullopt when there is no value.
    std::optional<std::string> PendingValue(DWORD* type = nullptr) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
        DWORD size = 0;
        std::optional<std::string> data;
        if (RegQueryValueExA(key, kPending, nullptr, type, nullptr, &size) == ERROR_SUCCESS) {
            data = std::string(size, '\0');
            EXPECT_EQ(RegQueryValueExA(key, kPending, nullptr, type, reinterpret_cast<LPBYTE>(data->data()), &size),
                      ERROR_SUCCESS);
        }
        RegCloseKey(key);
        return data;
    }
    static std::optional<std::string> Text(const char* text) {
        return text ? std::optional<std::string>(text) : std::nullopt;
    }
    std::vector<RestartStep> Restart() {
        std::vector<RestartStep> steps;
        std::string error;
        EXPECT_TRUE(vpr::win::RestartMachine(&steps, &error)) << error;
        return steps;
    }
    Journal ReadJournal() { return machine_.machine()->ReadJournal(); }

    vpr::testing::TempMachine machine_;
};

// One operation left for the restart, and what becomes of it. Each platform
// gets it its own way: NT programs through MoveFileExA, 95 programs by
// writing WININIT.INI, where a target is always replaced.
struct PendingCase {
    const char* what;
    std::string source;
    const char* sourceText;  // null: no such file
    std::string target;      // empty: delete
    const char* targetText;  // null: no such file
    bool replace;
    DWORD ntError;
    DWORD win95Error;
};

const PendingCase kPendingCases[] = {
    {"delete", "C:\\D\\GONE.TXT", "x", "", nullptr, false, ERROR_SUCCESS, ERROR_SUCCESS},
    {"delete a missing file", "C:\\D\\NONE.TXT", nullptr, "", nullptr, false, ERROR_FILE_NOT_FOUND,
     ERROR_FILE_NOT_FOUND},
    {"rename", "C:\\D\\NEW.TMP", "new", "C:\\D\\FRESH.DLL", nullptr, false, ERROR_SUCCESS, ERROR_SUCCESS},
    {"replace", "C:\\D\\R.TMP", "r", "C:\\D\\R.DLL", "old", true, ERROR_SUCCESS, ERROR_SUCCESS},
    {"target exists", "C:\\D\\K.TMP", "k", "C:\\D\\K.DLL", "keep", false, ERROR_ALREADY_EXISTS, ERROR_SUCCESS},
    {"missing source", "C:\\D\\NO.TMP", nullptr, "C:\\D\\NO.DLL", nullptr, false, ERROR_FILE_NOT_FOUND,
     ERROR_FILE_NOT_FOUND},
    {"missing target folder", "C:\\D\\F.TMP", "f", "C:\\NOWHERE\\F.DLL", nullptr, true, ERROR_PATH_NOT_FOUND,
     ERROR_PATH_NOT_FOUND},
};

TEST_P(RestartTest, PendingOperationsRunInOrderAndAFailureLosesNoOther) {
    std::string wininit = "[Other]\r\nkept=1\r\n[rename]\r\n";
    for (const auto& c : kPendingCases) {
        if (c.sourceText) Write(c.source, c.sourceText);
        if (c.targetText) Write(c.target, c.targetText);
        if (IsNt()) {
            DWORD flags = MOVEFILE_DELAY_UNTIL_REBOOT | (c.replace ? MOVEFILE_REPLACE_EXISTING : 0);
            EXPECT_TRUE(MoveFileExA(c.source.c_str(), c.target.empty() ? nullptr : c.target.c_str(), flags)) << c.what;
        } else {
            wininit += (c.target.empty() ? "NUL"s : c.target) + "=" + c.source + "\r\n";
        }
    }
    if (!IsNt()) Write("C:\\WINDOWS\\WININIT.INI", wininit);
    // Nothing moves before the restart.
    EXPECT_EQ(Read("C:\\D\\GONE.TXT"), "x");
    EXPECT_EQ(Read("C:\\D\\R.DLL"), "old");

    std::vector<RestartStep> steps = Restart();
    ASSERT_EQ(steps.size(), std::size(kPendingCases));
    Journal journal = ReadJournal();
    ASSERT_GE(journal.size(), steps.size() + 1);
    size_t firstEntry = journal.size() - steps.size() - 1;
    size_t failed = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        const PendingCase& c = kPendingCases[i];
        DWORD expected = IsNt() ? c.ntError : c.win95Error;
        EXPECT_EQ(steps[i].operation.source, c.source) << c.what;
        EXPECT_EQ(steps[i].operation.target, c.target) << c.what;
        EXPECT_EQ(steps[i].error, expected) << c.what;
        EXPECT_EQ(journal[firstEntry + i], (Journal::value_type{"restart-file", vpr::win::DescribeRestartStep(steps[i])}));
        bool done = expected == ERROR_SUCCESS;
        failed += !done;
        if (c.target.empty()) {
            EXPECT_EQ(Read(c.source), std::nullopt) << c.what;
        } else if (done) {
            EXPECT_EQ(Read(c.source), std::nullopt) << c.what;
            EXPECT_EQ(Read(c.target), c.sourceText) << c.what;
        } else {
            // A failed move leaves both files as they were.
            EXPECT_EQ(Read(c.source), Text(c.sourceText)) << c.what;
            EXPECT_EQ(Read(c.target), Text(c.targetText)) << c.what;
        }
    }
    EXPECT_EQ(journal.back(), (Journal::value_type{"restart", "7 pending file operations, " +
                                                                  std::to_string(failed) + " failed"}));
    EXPECT_EQ(failed, IsNt() ? 4u : 3u);
    EXPECT_EQ(vpr::win::DescribeRestartStep(steps[4]),
              IsNt() ? "move C:\\D\\K.TMP -> C:\\D\\K.DLL: failed, the target exists"
                     : "move C:\\D\\K.TMP -> C:\\D\\K.DLL (replacing)");

    // The list is used up, failed operations included, as Windows does it.
    if (IsNt()) {
        EXPECT_EQ(PendingValue(), std::nullopt);
    } else {
        EXPECT_EQ(Read("C:\\WINDOWS\\WININIT.INI"), std::nullopt);
        EXPECT_EQ(Read("C:\\WINDOWS\\WININIT.BAK"), wininit);
    }
    EXPECT_TRUE(Restart().empty());
    EXPECT_EQ(ReadJournal().back(), (Journal::value_type{"restart", "0 pending file operations, 0 failed"}));
}

TEST_P(RestartTest, MoveFileExAIsNtOnly) {
    Write("C:\\D\\A.TXT", "a");
    BOOL moved = MoveFileExA("C:\\D\\A.TXT", "C:\\D\\B.TXT", 0);
    BOOL scheduled = MoveFileExA("C:\\D\\A.TXT", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (IsNt()) {
        EXPECT_TRUE(moved);
        EXPECT_TRUE(scheduled);
    } else {
        // 95 has the entry point, not the function: nothing moves, nothing is kept.
        EXPECT_FALSE(moved);
        EXPECT_FALSE(scheduled);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
        EXPECT_EQ(Read("C:\\D\\A.TXT"), "a");
        EXPECT_EQ(PendingValue(), std::nullopt);
        EXPECT_EQ(Read("C:\\WINDOWS\\WININIT.INI"), std::nullopt);
    }
}

TEST_P(RestartTest, AJournalThatCannotBeWrittenIsAnError) {
    Write("C:\\D\\NEW.TMP", "new");
    if (IsNt()) {
        ASSERT_TRUE(MoveFileExA("C:\\D\\NEW.TMP", "C:\\D\\NEW.DLL", MOVEFILE_DELAY_UNTIL_REBOOT));
    } else {
        Write("C:\\WINDOWS\\WININIT.INI", "[rename]\r\nC:\\D\\NEW.DLL=C:\\D\\NEW.TMP\r\n");
    }
    std::string journal = machine_.machine()->JournalFile();
    ASSERT_TRUE(vpr::win::InjectFileFault(journal.c_str(), vpr::win::FileFault::DiskFull, 0));
    size_t before = ReadJournal().size();
    std::vector<RestartStep> steps;
    std::string error;
    EXPECT_FALSE(vpr::win::RestartMachine(&steps, &error));
    vpr::win::ClearFileFaults();
    EXPECT_NE(error.find("not recorded"), std::string::npos) << error;
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    // The operation was carried out and is told; the journal holds no cut line.
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Read("C:\\D\\NEW.DLL"), "new");
    EXPECT_EQ(ReadJournal().size(), before);
}

INSTANTIATE_TEST_SUITE_P(Platforms, RestartTest, ::testing::Values(Platform::Win95, Platform::NT4),
                         [](const auto& info) { return info.param == Platform::NT4 ? "NT" : "Win95"; });

class NtRestartTest : public RestartTest {};

TEST_P(NtRestartTest, PendingPairsAreStoredAsNtStoresThem) {
    Write("C:\\D\\Old.dll", "old");
    Write("C:\\D\\NEW.TMP", "new");
    // Another program's pair is kept ahead of ours.
    std::string foreign = "\\??\\C:\\X\0\0\0"s;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kSessionManager, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(foreign.data()),
                             static_cast<DWORD>(foreign.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_TRUE(SetCurrentDirectoryA("C:\\D"));
    // The names are made full, their case kept as given.
    EXPECT_TRUE(MoveFileExA("c:\\d\\OLD.DLL", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_TRUE(MoveFileExA("new.tmp", "C:\\D\\Old.dll", MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_TRUE(MoveFileExA("C:\\D\\NEW.TMP", "Later.dll",
                            MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
    DWORD type = 0;
    EXPECT_EQ(PendingValue(&type), foreign.substr(0, foreign.size() - 1) +
                                       "\\??\\C:\\d\\OLD.DLL\0\0"s
                                       "\\??\\C:\\D\\new.tmp\0\\??\\C:\\D\\Old.dll\0"s
                                       "\\??\\C:\\D\\NEW.TMP\0!\\??\\C:\\D\\Later.dll\0\0"s);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
}

TEST_P(NtRestartTest, BadRequestsAreRefusedAndNothingIsKept) {
    Write("C:\\D\\A.TXT", "a");
    Write("C:\\D\\B.TXT", "b");
    Write("C:\\D\\RO.TXT", "ro");
    ::chmod(Host("C:\\D\\RO.TXT").c_str(), 0444);
    struct Case {
        const char* source;
        const char* target;
        DWORD flags;
        DWORD error;
    };
    const Case cases[] = {
        {"C:\\D\\A.TXT", "C:\\D\\B.TXT", 0, ERROR_ALREADY_EXISTS},
        {"C:\\D\\A.TXT", "C:\\D\\RO.TXT", MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED},
        {"C:\\D\\A.TXT", nullptr, 0, ERROR_INVALID_PARAMETER},
        {"C:\\D\\MISSING.TXT", "C:\\D\\C.TXT", 0, ERROR_FILE_NOT_FOUND},
        {"C:\\D\\A.TXT", "C:\\D\\C.TXT", MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_COPY_ALLOWED, ERROR_INVALID_PARAMETER},
        {nullptr, "C:\\D\\C.TXT", MOVEFILE_DELAY_UNTIL_REBOOT, ERROR_INVALID_PARAMETER},
        {"Q:\\UNMAPPED.TXT", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(MoveFileExA(c.source, c.target, c.flags)) << (c.source ? c.source : "(null)");
        EXPECT_EQ(GetLastError(), c.error) << (c.source ? c.source : "(null)");
    }
    EXPECT_EQ(Read("C:\\D\\A.TXT"), "a");
    EXPECT_EQ(Read("C:\\D\\RO.TXT"), "ro");
    EXPECT_EQ(PendingValue(), std::nullopt);

    // Replacing a writable file works now.
    EXPECT_TRUE(MoveFileExA("C:\\D\\A.TXT", "C:\\D\\B.TXT", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(Read("C:\\D\\B.TXT"), "a");
    EXPECT_EQ(Read("C:\\D\\A.TXT"), std::nullopt);
}

TEST_P(NtRestartTest, ProcessesSchedulingAtOnceLoseNothing) {
    constexpr int kProcesses = 3;
    constexpr int kMoves = 10;
    PROCESS_INFORMATION schedulers[kProcesses];
    for (int p = 0; p < kProcesses; ++p) {
        std::string commandLine = "\"" + vpr::testing::BuildBinFolder() + "/kernel_helper\" schedule C:\\P" +
                                  std::to_string(p) + "_ " + std::to_string(kMoves);
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   nullptr, &schedulers[p]));
    }
    for (auto& scheduler : schedulers) {
        EXPECT_EQ(WaitForSingleObject(scheduler.hProcess, INFINITE), WAIT_OBJECT_0);
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(GetExitCodeProcess(scheduler.hProcess, &code));
        EXPECT_EQ(code, 0u);
        CloseHandle(scheduler.hThread);
        CloseHandle(scheduler.hProcess);
    }
    std::vector<RestartStep> steps = Restart();
    ASSERT_EQ(steps.size(), static_cast<size_t>(kProcesses * kMoves));
    // Each process's operations keep the order it asked for them in.
    int next[kProcesses] = {};
    for (const auto& step : steps) {
        int p = step.operation.source[4] - '0';
        ASSERT_TRUE(p >= 0 && p < kProcesses) << step.operation.source;
        EXPECT_EQ(step.operation.source, "C:\\P" + std::to_string(p) + "_" + std::to_string(next[p]++));
    }
}

INSTANTIATE_TEST_SUITE_P(Nt, NtRestartTest, ::testing::Values(Platform::NT4),
                         [](const auto&) { return "NT"; });

}  // namespace
