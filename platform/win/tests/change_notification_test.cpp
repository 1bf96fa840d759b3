// Directory change notifications on a machine's folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "windows.h"
#include "vpr/testing/temp_machine.h"

namespace {

class ChangeNotificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir(Host("C:\\WATCH").c_str(), 0777);
        ::mkdir(Host("C:\\WATCH\\SUB").c_str(), 0777);
    }
    std::string Host(const std::string& windowsPath) { return machine_.HostPath(windowsPath); }
    void Touch(const std::string& windowsPath) { std::ofstream(Host(windowsPath)) << "x"; }

    vpr::testing::TempMachine machine_;
};

TEST_F(ChangeNotificationTest, FileCreationSignalsUntilFindNext) {
    HANDLE change = FindFirstChangeNotificationA("C:\\WATCH", FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(change, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WaitForSingleObject(change, 0), WAIT_TIMEOUT);
    // A new folder is no file name change.
    ::mkdir(Host("C:\\WATCH\\OTHER").c_str(), 0777);
    Touch("C:\\WATCH\\NEW.TXT");
    HANDLE set[2] = {CreateEventA(nullptr, FALSE, FALSE, nullptr), change};
    EXPECT_EQ(WaitForMultipleObjects(2, set, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForSingleObject(change, 0), WAIT_OBJECT_0);  // stays signalled
    EXPECT_TRUE(FindNextChangeNotification(change));
    EXPECT_EQ(WaitForSingleObject(change, 0), WAIT_TIMEOUT);
    ::unlink(Host("C:\\WATCH\\NEW.TXT").c_str());
    EXPECT_EQ(WaitForSingleObject(change, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(FindCloseChangeNotification(change));
    EXPECT_FALSE(FindNextChangeNotification(change));
    CloseHandle(set[0]);
}

TEST_F(ChangeNotificationTest, SubtreeWatchSeesFilesInOldAndNewSubfolders) {
    HANDLE change = FindFirstChangeNotificationA("C:\\WATCH", TRUE, FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(change, INVALID_HANDLE_VALUE);
    Touch("C:\\WATCH\\SUB\\A.TXT");
    EXPECT_EQ(WaitForSingleObject(change, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(FindNextChangeNotification(change));

    HANDLE folders = FindFirstChangeNotificationA("C:\\WATCH", TRUE, FILE_NOTIFY_CHANGE_DIR_NAME);
    ::mkdir(Host("C:\\WATCH\\SUB\\NEW").c_str(), 0777);
    EXPECT_EQ(WaitForSingleObject(folders, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(FindCloseChangeNotification(folders));
    // Once the folder is seen, files made in it are watched too. The folder's
    // own creation signalled nothing for file names.
    EXPECT_EQ(WaitForSingleObject(change, 0), WAIT_TIMEOUT);
    Touch("C:\\WATCH\\SUB\\NEW\\B.TXT");
    EXPECT_EQ(WaitForSingleObject(change, INFINITE), WAIT_OBJECT_0);
    FindCloseChangeNotification(change);
}

TEST_F(ChangeNotificationTest, LastWriteFilterSeesWritesToExistingFiles) {
    Touch("C:\\WATCH\\LOG.TXT");
    HANDLE change = FindFirstChangeNotificationA("C:\\WATCH", FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
    ASSERT_NE(change, INVALID_HANDLE_VALUE);
    std::ofstream(Host("C:\\WATCH\\LOG.TXT"), std::ios::app) << "more";
    EXPECT_EQ(WaitForSingleObject(change, INFINITE), WAIT_OBJECT_0);
    FindCloseChangeNotification(change);
}

TEST_F(ChangeNotificationTest, BadRequestsFail) {
    Touch("C:\\WATCH\\FILE.TXT");
    struct Case {
        const char* path;
        DWORD filter;
        DWORD error;
    };
    const Case cases[] = {
        {"C:\\WATCH", 0, ERROR_INVALID_PARAMETER},
        {"C:\\WATCH", 0x80000000u, ERROR_INVALID_PARAMETER},
        {"C:\\MISSING", FILE_NOTIFY_CHANGE_FILE_NAME, ERROR_FILE_NOT_FOUND},
        {"C:\\WATCH\\FILE.TXT", FILE_NOTIFY_CHANGE_FILE_NAME, ERROR_DIRECTORY},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindFirstChangeNotificationA(c.path, FALSE, c.filter), INVALID_HANDLE_VALUE) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
}

}  // namespace
