// The CreateFile family, listings, attributes and file operations by name,
// on a temporary machine.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "vpr/testing/temp_machine.h"
#include "vpr/win/file_fault.h"
#include "vpr/win/handle_table.h"
#include "windows.h"

namespace fs = std::filesystem;
using vpr::testing::TempMachine;

namespace {

// File handles close like _l* handles (one table).
void Close(HANDLE h) { EXPECT_EQ(_lclose(static_cast<HFILE>(vpr::win::ValueFromHandle(h))), 0); }

class FileApiTest : public ::testing::Test {
protected:
    void SetUp() override { handlesBefore_ = vpr::win::HandleTable::Instance().Count(); }
    void TearDown() override {
        vpr::win::ClearFileFaults();
        EXPECT_EQ(vpr::win::HandleTable::Instance().Count(), handlesBefore_) << "a handle leaked";
    }

    std::string Host(const std::string& windowsPath) { return machine_.HostPath(windowsPath); }
    void Write(const std::string& windowsPath, const std::string& text) {
        std::ofstream(Host(windowsPath), std::ios::binary) << text;
    }
    std::string Read(const std::string& windowsPath) {
        std::ifstream in(Host(windowsPath), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempMachine machine_;
    size_t handlesBefore_ = 0;
};

TEST_F(FileApiTest, DispositionsCreateOpenAndTruncateAsWindowsDoes) {
    struct Case {
        bool exists;
        DWORD disposition;
        bool opens;
        DWORD lastError;
        const char* contentsAfter;  // null: no file
    };
    const Case cases[] = {
        {false, CREATE_NEW, true, ERROR_SUCCESS, ""},
        {true, CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
        {false, CREATE_ALWAYS, true, ERROR_SUCCESS, ""},
        {true, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
        {false, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {true, OPEN_EXISTING, true, ERROR_SUCCESS, "old"},
        {false, OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
        {true, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old"},
        {false, TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {true, TRUNCATE_EXISTING, true, ERROR_SUCCESS, ""},
    };
    for (const auto& c : cases) {
        const char* name = "C:\\Case File.Dat";
        std::error_code ec;
        fs::remove(Host(name), ec);
        if (c.exists) Write(name, "old");
        SetLastError(12345);
        HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        SCOPED_TRACE(testing::Message() << "exists " << c.exists << " disposition " << c.disposition);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
        EXPECT_EQ(GetLastError(), c.lastError);
        if (h != INVALID_HANDLE_VALUE) Close(h);
        if (c.contentsAfter) {
            EXPECT_EQ(Read(name), c.contentsAfter);
        } else {
            EXPECT_FALSE(fs::exists(Host(name)));
        }
    }
    // A missing folder on the way is a missing path.
    EXPECT_EQ(CreateFileA("C:\\No Folder\\x.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // A folder does not open as a file.
    EXPECT_EQ(CreateFileA("C:\\WINDOWS", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileApiTest, ReadWriteSeekAndSizeOnOneHandle) {
    HANDLE h = CreateFileA("C:\\data.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &done, nullptr));
    EXPECT_EQ(done, 10u);
    // A zero-byte WriteFile writes nothing and cuts nothing.
    ASSERT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    ASSERT_TRUE(WriteFile(h, "", 0, &done, nullptr));
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(h, &high), 10u);
    EXPECT_EQ(high, 0u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "456789");
    // At the end a read succeeds with nothing.
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 7u);
    LONG highMove = -1;  // with the high half, the distance is 64 bits wide
    EXPECT_EQ(SetFilePointer(h, -1, &highMove, FILE_CURRENT), 6u);
    EXPECT_EQ(highMove, 0);
    EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    // The same handle serves the 16-bit calls.
    HFILE asHfile = static_cast<HFILE>(vpr::win::ValueFromHandle(h));
    EXPECT_EQ(_llseek(asHfile, 0, FILE_BEGIN), 0);
    EXPECT_EQ(_lread(asHfile, buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "012");
    Close(h);
    EXPECT_FALSE(ReadFile(h, buffer, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    h = CreateFileA("C:\\data.bin", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadFile(h, buffer, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    Close(h);
}

TEST_F(FileApiTest, SharingModesBetweenHandlesOfOneProcess) {
    Write("C:\\shared.txt", "x");
    struct Case {
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    };
    const DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
    const Case cases[] = {
        {R, SR, R, SR, true},           {R, SR, W, SR | SW, false},  {R, 0, R, SR | SW, false},
        {W, SR, R, SR | SW, true},      {W, SR, R, SR, false},       {R | W, SR | SW, R | W, SR | SW, true},
        {R, SR | SW, W, SR, true},      {W, SR | SW, R, SR, false},  {0, 0, R | W, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.firstAccess << "/" << c.firstShare << " then "
                                        << c.secondAccess << "/" << c.secondShare);
        HANDLE first = CreateFileA("C:\\shared.txt", c.firstAccess, c.firstShare, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        HANDLE second =
            CreateFileA("c:\\SHARED.TXT", c.secondAccess, c.secondShare, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
        if (second != INVALID_HANDLE_VALUE) {
            Close(second);
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        Close(first);
    }
    // An open file cannot be deleted or moved; closed, it can.
    HFILE f = _lopen("C:\\shared.txt", OF_READ | OF_SHARE_DENY_WRITE);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lopen("C:\\shared.txt", OF_WRITE), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileA("C:\\shared.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(MoveFileA("C:\\shared.txt", "C:\\moved.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_TRUE(DeleteFileA("C:\\shared.txt"));
}

TEST_F(FileApiTest, AttributesLiveBesideTheFileAndSurviveOtherProcesses) {
    Write("C:\\WINDOWS\\secret.dat", "s");
    fs::create_directories(Host("C:\\WINDOWS\\Hidden Folder"));
    EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\SECRET.DAT"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\hidden folder"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\none"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // Another process sets them...
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        bool ok = SetFileAttributesA("C:\\WINDOWS\\secret.dat",
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY) &&
                  SetFileAttributesA("C:\\WINDOWS\\Hidden Folder", FILE_ATTRIBUTE_HIDDEN);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // ...and this one reads them back; read-only is the host mode.
    EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\secret.dat"),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\Hidden Folder"),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(fs::status(Host("C:\\WINDOWS\\secret.dat")).permissions() & fs::perms::owner_write, fs::perms::none);

    // Read-only refuses writers and deletion, whoever runs the test.
    EXPECT_EQ(CreateFileA("C:\\WINDOWS\\secret.dat", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\secret.dat"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // Attributes move and copy with the file.
    ASSERT_TRUE(MoveFileA("C:\\WINDOWS\\secret.dat", "C:\\moved.dat"));
    EXPECT_EQ(GetFileAttributesA("C:\\moved.dat"),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CopyFileA("C:\\moved.dat", "C:\\copy.dat", TRUE));
    EXPECT_EQ(GetFileAttributesA("C:\\copy.dat"),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    // Normal clears everything; a deleted file's attributes go with it.
    ASSERT_TRUE(SetFileAttributesA("C:\\copy.dat", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA("C:\\copy.dat"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(SetFileAttributesA("C:\\moved.dat", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(DeleteFileA("C:\\moved.dat"));
    Write("C:\\moved.dat", "new");
    EXPECT_EQ(GetFileAttributesA("C:\\moved.dat"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    // A new file can be made hidden at once.
    HFILE f = _lcreat("C:\\made hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(GetFileAttributesA("C:\\made hidden.txt"),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
}

std::set<std::string> Listing(const char* pattern, DWORD* error = nullptr) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) {
        if (error) *error = GetLastError();
        return names;
    }
    do names.insert(data.cFileName);
    while (FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(find));
    return names;
}

TEST_F(FileApiTest, WildcardsMatchAsWindowsReadsThem) {
    const std::string folder = "C:\\List";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const char* files[] = {"readme", "a.txt", "b.TXT", "ab.lnk", "c.tx", "long file name.document"};
    for (const char* f : files) Write(folder + "\\" + f, "12345");
    ASSERT_TRUE(CreateDirectoryA((folder + "\\Apps.{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}").c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA((folder + "\\a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));  // makes a store file

    using Names = std::set<std::string>;
    const Names all = {".", "..", "readme", "a.txt", "b.TXT", "ab.lnk", "c.tx", "long file name.document",
                       "Apps.{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}"};
    struct Case {
        const char* mask;
        Names names;
    };
    const Case cases[] = {
        {"*.*", all},
        {"*", all},
        {"*.TXT", {"a.txt", "b.TXT"}},
        {"?.txt", {"a.txt", "b.TXT"}},
        {"a?.*", {"a.txt", "ab.lnk"}},
        {"*.", {".", "..", "readme"}},
        {"*.tx", {"c.tx"}},
        {"readme.*", {"readme"}},
        {"LONG*", {"long file name.document"}},
        {"*.{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}", {"Apps.{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Listing((folder + "\\" + c.mask).c_str()), c.names) << c.mask;

    DWORD error = 0;
    EXPECT_TRUE(Listing((folder + "\\nothing*").c_str(), &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(Listing("C:\\No Such Folder\\*.*", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // A drive's root has no "." and "..".
    Names root = Listing("C:\\*.*");
    EXPECT_EQ(root.count("."), 0u);
    EXPECT_EQ(root.count("WINDOWS"), 1u);
    // Relative to the current directory.
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    EXPECT_EQ(Listing("*.lnk"), Names{"ab.lnk"});
}

TEST_F(FileApiTest, ListingGivesAttributesSizesAndDosLocalTimes) {
    Write("C:\\WINDOWS\\stamp.txt", std::string(1234, 'x'));
    ASSERT_TRUE(SetFileAttributesA("C:\\WINDOWS\\stamp.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    // 2001-02-03 04:05:06 UTC.
    struct timespec times[2] = {{981173106, 0}, {981173106, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Host("C:\\WINDOWS\\stamp.txt").c_str(), times, 0), 0);

    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("C:\\windows\\STAMP.TXT", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(find));
    EXPECT_STREQ(data.cFileName, "stamp.txt");
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(data.nFileSizeLow, 1234u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    // 100-ns steps since 1601.
    uint64_t steps = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                     data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(steps, 116444736000000000ULL + 981173106ULL * 10000000ULL);

    // Five hours west of UTC: the local time is the evening before.
    std::string oldTz = std::getenv("TZ") ? std::getenv("TZ") : "";
    bool hadTz = std::getenv("TZ") != nullptr;
    ::setenv("TZ", "UTC+5", 1);
    ::tzset();
    FILETIME local;
    WORD date = 0, time = 0;
    ASSERT_TRUE(FileTimeToLocalFileTime(&data.ftLastWriteTime, &local));
    ASSERT_TRUE(FileTimeToDosDateTime(&local, &date, &time));
    hadTz ? ::setenv("TZ", oldTz.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(date, (21 << 9) | (2 << 5) | 2);       // 2001-02-02
    EXPECT_EQ(time, (23 << 11) | (5 << 5) | (6 / 2));  // 23:05:06
    // DOS dates cover 1980 to 2107 only.
    FILETIME early = {0, 0};
    EXPECT_FALSE(FileTimeToDosDateTime(&early, &date, &time));

    // A folder lists with its attribute and no size.
    ASSERT_TRUE(SetFileAttributesA("C:\\WINDOWS\\SYSTEM", FILE_ATTRIBUTE_HIDDEN));
    find = FindFirstFileA("C:\\WINDOWS\\SYS*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(find));
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(data.nFileSizeLow, 0u);
}

// Entries of a listing in the order it gives them, with their sizes.
std::vector<std::pair<std::string, DWORD>> OrderedListing(const std::string& pattern, DWORD* error) {
    std::vector<std::pair<std::string, DWORD>> entries;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    *error = find == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (find == INVALID_HANDLE_VALUE) return entries;
    do entries.emplace_back(data.cFileName, data.nFileSizeLow);
    while (FindNextFileA(find, &data));
    EXPECT_TRUE(FindClose(find));
    return entries;
}

TEST_F(FileApiTest, APlainNameFindsTheFileThatOpeningTheNameOpens) {
    const std::string folder = "C:\\Big";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string host = Host(folder);
    for (int i = 0; i < 500; ++i) std::ofstream(host + "/F" + std::to_string(i) + ".DAT") << "x";
    std::ofstream(host + "/readme.txt") << "0123456789";
    ASSERT_TRUE(SetFileAttributesA((folder + "\\readme.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    // Two host files whose names differ only by case.
    std::ofstream(host + "/Both.txt") << "1";
    std::ofstream(host + "/BOTH.TXT") << "22";
    ASSERT_TRUE(CreateDirectoryA((folder + "\\Sub").c_str(), nullptr));
    // One file under two names that differ only by case, as a host that
    // folds case itself shows every name.
    std::ofstream(host + "/link.txt") << "333";
    fs::create_hard_link(host + "/link.txt", host + "/LINK.TXT");
    fs::create_directory_symlink("..", host + "/Up");
    fs::create_symlink(host + "/nothing", host + "/Gone");

    using Entries = std::vector<std::pair<std::string, DWORD>>;
    struct Case {
        const char* name;
        Entries entries;  // empty: not found
    };
    const Case cases[] = {
        {"readme.txt", {{"readme.txt", 10}}},
        {"README.TXT", {{"readme.txt", 10}}},
        {"F499.dat", {{"F499.DAT", 1}}},
        {"Sub", {{"Sub", 0}}},
        // The name as it stands wins; in a third case both are there, the
        // first being the one that opening the name opens.
        {"Both.txt", {{"Both.txt", 1}}},
        {"BOTH.TXT", {{"BOTH.TXT", 2}}},
        {"both.txt", {{"BOTH.TXT", 2}, {"Both.txt", 1}}},
        {"link.txt", {{"LINK.TXT", 3}, {"link.txt", 3}}},
        // A link back up the path, a dangling link, the attribute store.
        {"Up", {}},
        {"Gone", {}},
        {".vprattr", {}},
        {".VPRATTR", {}},
        {"missing.txt", {}},
    };
    for (const Case& c : cases) {
        std::string path = folder + "\\" + c.name;
        DWORD error = 0;
        EXPECT_EQ(OrderedListing(path, &error), c.entries) << c.name;
        EXPECT_EQ(error, c.entries.empty() ? static_cast<DWORD>(ERROR_FILE_NOT_FOUND) : ERROR_SUCCESS) << c.name;
        if (c.entries.empty() || c.entries[0].first == "Sub") continue;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << c.name;
        EXPECT_EQ(GetFileSize(file, nullptr), c.entries[0].second) << c.name;
        Close(file);
    }

    WIN32_FIND_DATAA data;
    for (const char* name : {"readme.txt", "README.TXT"}) {
        HANDLE find = FindFirstFileA((folder + "\\" + name).c_str(), &data);
        ASSERT_NE(find, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(FindClose(find));
        EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)) << name;
    }
    HANDLE find = FindFirstFileA((folder + "\\sub").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(find));
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

// Counts every entry of a tree the way a scanner walks it.
int Walk(const std::string& folder, int depth = 0) {
    if (depth > 20) return 1000000;  // would never end
    int count = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        ++count;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) count += Walk(folder + "\\" + name, depth + 1);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

TEST_F(FileApiTest, SymbolicLinksNeverMakeAWalkGoRound) {
    fs::create_directories(Host("C:\\Tree\\Inner\\Deep"));
    fs::create_directories(Host("C:\\Elsewhere\\Leaf"));
    fs::create_directory_symlink("..", Host("C:\\Tree\\Inner\\Up"));
    fs::create_directory_symlink(".", Host("C:\\Tree\\Self"));
    fs::create_directory_symlink(Host("C:\\Tree"), Host("C:\\Tree\\Inner\\Deep\\Root"));
    fs::create_directory_symlink(Host("C:\\Elsewhere"), Host("C:\\Tree\\Other"));
    fs::create_symlink(Host("C:\\nothing"), Host("C:\\Tree\\Dangling"));
    // Inner, Deep, Other (a link to a folder outside), Leaf beneath it.
    EXPECT_EQ(Walk("C:\\Tree"), 4);
    EXPECT_EQ(Listing("C:\\Tree\\*"), (std::set<std::string>{".", "..", "Inner", "Other"}));
}

TEST_F(FileApiTest, FoldersAreMadeAndRemovedAsOnWindows) {
    EXPECT_TRUE(CreateDirectoryA("C:\\New Folder", nullptr));
    EXPECT_FALSE(CreateDirectoryA("c:\\new folder", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA("C:\\Missing\\Child", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    Write("C:\\New Folder\\file.txt", "f");
    ASSERT_TRUE(SetFileAttributesA("C:\\New Folder\\file.txt", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(RemoveDirectoryA("C:\\New Folder"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(RemoveDirectoryA("C:\\New Folder\\file.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(DeleteFileA("C:\\New Folder"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(DeleteFileA("C:\\New Folder\\FILE.TXT"));
    EXPECT_TRUE(RemoveDirectoryA("C:\\NEW FOLDER"));
    EXPECT_FALSE(fs::exists(Host("C:\\New Folder")));
    EXPECT_FALSE(RemoveDirectoryA("C:\\New Folder"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileApiTest, MoveAndCopyRespectExistingTargets) {
    Write("C:\\one.txt", "one");
    Write("C:\\two.txt", "two");
    EXPECT_FALSE(MoveFileA("C:\\one.txt", "C:\\TWO.TXT"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(Read("C:\\two.txt"), "two");
    EXPECT_FALSE(MoveFileA("C:\\none.txt", "C:\\three.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // A change of case only renames the file itself.
    ASSERT_TRUE(MoveFileA("C:\\one.txt", "C:\\ONE.TXT"));
    EXPECT_TRUE(fs::exists(Host("C:\\ONE.TXT")));
    EXPECT_FALSE(fs::exists(Host("C:\\one.txt")));
    // Folders move too.
    ASSERT_TRUE(MoveFileA("C:\\Program Files", "C:\\Programs"));
    EXPECT_TRUE(fs::is_directory(Host("C:\\Programs\\Common Files")));

    struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Host("C:\\ONE.TXT").c_str(), times, 0), 0);
    EXPECT_FALSE(CopyFileA("C:\\one.txt", "C:\\two.txt", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(Read("C:\\two.txt"), "two");
    ASSERT_TRUE(CopyFileA("C:\\one.txt", "C:\\two.txt", FALSE));
    EXPECT_EQ(Read("C:\\two.txt"), "one");
    EXPECT_EQ(fs::last_write_time(Host("C:\\two.txt")), fs::last_write_time(Host("C:\\ONE.TXT")));
    ASSERT_TRUE(SetFileAttributesA("C:\\two.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(CopyFileA("C:\\one.txt", "C:\\two.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(CopyFileA("C:\\missing.txt", "C:\\x.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileApiTest, TempFilesAreMadeWithFreeNumbers) {
    char path[MAX_PATH];
    DWORD n = GetTempPathA(sizeof path, path);
    EXPECT_STREQ(path, "C:\\WINDOWS\\TEMP\\");
    EXPECT_EQ(n, 16u);
    EXPECT_EQ(GetTempPathA(5, path), 17u);

    char first[MAX_PATH], second[MAX_PATH];
    UINT a = GetTempFileNameA("C:\\WINDOWS\\TEMP", "VprExp32.dll", 0, first);
    UINT b = GetTempFileNameA("C:\\WINDOWS\\TEMP\\", "Vpr", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_STRNE(first, second);
    EXPECT_EQ(std::string(first).rfind("C:\\WINDOWS\\TEMP\\Vpr", 0), 0u) << first;
    EXPECT_EQ(std::string(first).substr(std::string(first).size() - 4), ".TMP");
    EXPECT_TRUE(fs::is_regular_file(Host(first)));
    // A number given is only formed into a name: the prefix cut to three
    // characters, the number in hexadecimal without leading zeros.
    struct Case {
        const char* prefix;
        UINT unique;
        const char* name;
    } cases[] = {
        {"abc", 1, "C:\\WINDOWS\\TEMP\\abc1.TMP"},
        {"abcdef", 2, "C:\\WINDOWS\\TEMP\\abc2.TMP"},
        {"ab", 0x1A, "C:\\WINDOWS\\TEMP\\ab1A.TMP"},
        {"", 0x12AB, "C:\\WINDOWS\\TEMP\\12AB.TMP"},
        {"abc", 0x123456, "C:\\WINDOWS\\TEMP\\abc3456.TMP"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetTempFileNameA("C:\\WINDOWS\\TEMP", c.prefix, c.unique, first), c.unique & 0xFFFF) << c.name;
        EXPECT_STREQ(first, c.name);
        EXPECT_FALSE(fs::exists(Host(first)));
    }
    EXPECT_EQ(GetTempFileNameA("C:\\Nowhere", "abc", 0, first), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST_F(FileApiTest, SearchPathAndOpenFileFindBareNames) {
    Write("C:\\WINDOWS\\SYSTEM\\SrChX32.dll", "dll");
    char found[MAX_PATH];
    LPSTR part = nullptr;
    DWORD n = SearchPathA(nullptr, "srchx32.dll", nullptr, sizeof found, found, &part);
    // The folder where it was found and the name as asked for.
    EXPECT_EQ(n, 29u);
    EXPECT_STREQ(found, "C:\\WINDOWS\\SYSTEM\\srchx32.dll");
    EXPECT_STREQ(part, "srchx32.dll");
    EXPECT_EQ(SearchPathA(nullptr, "srchx32", ".dll", 3, found, nullptr), 30u);
    EXPECT_GT(SearchPathA("C:\\Elsewhere;C:\\WINDOWS\\SYSTEM", "SRCHX32.DLL", nullptr, sizeof found, found, nullptr),
              0u);
    EXPECT_EQ(SearchPathA("C:\\WINDOWS", "SRCHX32.DLL", nullptr, sizeof found, found, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    OFSTRUCT record;
    EXPECT_EQ(OpenFile("win.ini", &record, OF_EXIST), 1);
    EXPECT_STREQ(record.szPathName, "C:\\WINDOWS\\win.ini");
    EXPECT_EQ(OpenFile("C:\\WINDOWS\\nothing.ini", &record, OF_EXIST), HFILE_ERROR);
    EXPECT_EQ(record.nErrCode, ERROR_FILE_NOT_FOUND);
    HFILE made = OpenFile("C:\\made.txt", &record, OF_CREATE | OF_WRITE);
    ASSERT_NE(made, HFILE_ERROR);
    EXPECT_EQ(_lwrite(made, "abc", 3), 3u);
    EXPECT_EQ(_lclose(made), 0);
    EXPECT_STREQ(record.szPathName, "C:\\made.txt");
    HFILE opened = OpenFile("C:\\MADE.TXT", &record, OF_READ);
    ASSERT_NE(opened, HFILE_ERROR);
    EXPECT_EQ(_lclose(opened), 0);
    EXPECT_EQ(OpenFile("C:\\made.txt", &record, OF_DELETE), 1);
    EXPECT_FALSE(fs::exists(Host("C:\\made.txt")));
}

TEST_F(FileApiTest, VolumesKeepCaseWithoutTellingIt) {
    char name[32] = "x", system[32] = "";
    DWORD serial = 0, longest = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformationA("C:\\", name, sizeof name, &serial, &longest, &flags, system, sizeof system));
    EXPECT_STREQ(name, "");
    EXPECT_STREQ(system, "FAT");
    EXPECT_EQ(longest, 255u);
    EXPECT_EQ(flags & FS_CASE_IS_PRESERVED, static_cast<DWORD>(FS_CASE_IS_PRESERVED));
    EXPECT_EQ(flags & FS_CASE_SENSITIVE, 0u);
    DWORD again = 0;
    ASSERT_TRUE(GetVolumeInformationA("c:\\", nullptr, 0, &again, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(again, serial);
    EXPECT_FALSE(GetVolumeInformationA("Q:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
}

TEST_F(FileApiTest, InjectedFaultsLookLikeATroubledDisk) {
    fs::create_directories(Host("C:\\Locked"));
    Write("C:\\Locked\\inside.txt", "i");
    Write("C:\\busy.txt", "b");
    ASSERT_TRUE(vpr::win::InjectFileFault("C:\\LOCKED", vpr::win::FileFault::Unreadable));
    ASSERT_TRUE(vpr::win::InjectFileFault("C:\\busy.txt", vpr::win::FileFault::Busy));
    DWORD error = 0;
    EXPECT_TRUE(Listing("C:\\Locked\\*.*", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(_lopen("C:\\Locked\\inside.txt", OF_READ), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(_lopen("C:\\busy.txt", OF_READ), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileA("C:\\busy.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(CopyFileA("C:\\WINDOWS\\win.ini", "C:\\busy.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    // A disk with ten bytes left takes ten bytes and no more.
    fs::create_directories(Host("C:\\Full"));
    ASSERT_TRUE(vpr::win::InjectFileFault("C:\\Full", vpr::win::FileFault::DiskFull, 10));
    HANDLE h = CreateFileA("C:\\Full\\out.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_FALSE(WriteFile(h, "0123456789ABCDEFGHIJ", 20, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(done, 10u);
    // Overwriting what is there needs no room.
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(WriteFile(h, "abcde", 5, &done, nullptr));
    Close(h);
    EXPECT_EQ(Read("C:\\Full\\out.bin"), "abcde56789");
    // A copy that does not fit leaves nothing behind.
    EXPECT_FALSE(CopyFileA("C:\\WINDOWS\\win.ini", "C:\\Full\\win.ini", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_FALSE(fs::exists(Host("C:\\Full\\win.ini")));

    vpr::win::ClearFileFaults();
    EXPECT_EQ(Listing("C:\\Locked\\*.txt"), std::set<std::string>{"inside.txt"});
}

}  // namespace
