// Named events shared by the processes of one machine. The second process is
// kernel_helper, started with CreateProcessA.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "windows.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/build_folder.h"

namespace {

std::string Helper() {
    return vpr::testing::BuildBinFolder() + "/kernel_helper";
}

// Starts kernel_helper with the given arguments.
PROCESS_INFORMATION StartHelper(const std::string& arguments) {
    std::string commandLine = "\"" + Helper() + "\" " + arguments;
    PROCESS_INFORMATION info{};
    EXPECT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, nullptr, &info))
        << GetLastError();
    return info;
}

DWORD WaitForExit(PROCESS_INFORMATION& info) {
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

class NamedEventTest : public ::testing::Test {
protected:
    std::string Name(const std::string& what) {
        return "Kernel test " + what + " " + std::to_string(::getpid());
    }
    // Starts a helper that holds `name` until `release` is set (or for
    // ever: "-"), and returns once it holds it.
    PROCESS_INFORMATION StartHolder(const std::string& name, const std::string& release) {
        std::string readyName = Name("ready");
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
        PROCESS_INFORMATION holder =
            StartHelper("hold \"" + name + "\" \"" + readyName + "\" \"" + release + "\"");
        HANDLE readyOrGone[2] = {ready, holder.hProcess};
        EXPECT_EQ(WaitForMultipleObjects(2, readyOrGone, FALSE, INFINITE), WAIT_OBJECT_0);
        CloseHandle(ready);
        return holder;
    }

    vpr::testing::TempMachine machine_;
};

TEST_F(NamedEventTest, OneProcessSharesOneEventPerName) {
    std::string name = Name("shared");
    HANDLE first = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateEventA(nullptr, FALSE, TRUE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE opened = OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    // The second creation kept the first one's kind and state.
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    SetEvent(opened);
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);  // manual reset
    CloseHandle(first);
    CloseHandle(second);
    EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
    CloseHandle(opened);
    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(NamedEventTest, ExistsWhileAnotherProcessHoldsItGoneWhenItCloses) {
    std::string name = Name("held");
    std::string releaseName = Name("release");
    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
    PROCESS_INFORMATION holder = StartHolder(name, releaseName);

    HANDLE opened = OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    CloseHandle(opened);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(holder.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    SetEvent(release);
    EXPECT_EQ(WaitForExit(holder), 0u);
    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    CloseHandle(release);
}

TEST_F(NamedEventTest, HolderThatCrashesHoldsNothing) {
    std::string name = Name("crash");
    PROCESS_INFORMATION holder = StartHolder(name, "-");
    HANDLE opened = OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    CloseHandle(opened);
    ::kill(static_cast<pid_t>(holder.dwProcessId), SIGKILL);
    EXPECT_EQ(WaitForExit(holder), 128u + SIGKILL);
    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // Creating it again makes a fresh event, not signalled.
    HANDLE fresh = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_TIMEOUT);
    CloseHandle(fresh);
}

TEST_F(NamedEventTest, AnotherProcessSetsTheEventThisOneWaitsFor) {
    std::string name = Name("signal");
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    PROCESS_INFORMATION setter = StartHelper("signal \"" + name + "\"");
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForExit(setter), 0u);  // it found the event existing
    CloseHandle(event);
}

}  // namespace
