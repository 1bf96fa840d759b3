#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "vpr/testing/temp_machine.h"
#include "vpr/win/path.h"
#include "windows.h"

namespace fs = std::filesystem;
using vpr::testing::TempMachine;

namespace {

// A machine with a second drive, a UNC share and a few files.
class PathTest : public ::testing::Test {
protected:
    explicit PathTest(unsigned codePage = 65001) : machine_(Options(codePage)) {
        root_ = machine_.root();
        fs::create_directories(root_ + "/d/Data");
        std::ofstream(root_ + "/d/Data/Report.TXT") << "r";
        fs::create_directories(root_ + "/apps/Tools");
        vpr::machine::Machine m = *machine_.machine();
        std::string error;
        EXPECT_TRUE(vpr::machine::SetMachineFact(&m, "unc.\\\\server\\apps", "apps", &error)) << error;
        EXPECT_TRUE(m.Save(&error)) << error;
        EXPECT_TRUE(vpr::machine::ReloadMachine(&error)) << error;
    }
    static vpr::machine::CreateOptions Options(unsigned codePage) {
        vpr::machine::CreateOptions options;
        options.codePage = codePage;
        options.drives = {{'D', "d"}};
        return options;
    }

    TempMachine machine_;
    std::string root_;
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Backslashes(std::string text) {
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

TEST_F(PathTest, WindowsNamesMapThroughTheDriveTable) {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WINDOWS"));
    struct Case {
        std::string name;
        std::string host;  // relative to the root, or absolute when it starts with "/"
        DWORD error;       // when the name cannot be resolved
    };
    const std::string longName(300, 'x');
    const Case cases[] = {
        {"C:\\WINDOWS\\WIN.INI", "c/WINDOWS/win.ini", 0},
        {"c:/windows/system", "c/WINDOWS/SYSTEM", 0},
        {"C:\\WINDOWS\\..\\windows\\.\\fonts\\", "c/WINDOWS/Fonts", 0},
        {"C:\\..\\..\\Windows", "c/WINDOWS", 0},
        {"C:\\WINDOWS\\win.ini. ", "c/WINDOWS/win.ini", 0},
        {"C:\\Windows\\NewFile.Txt", "c/WINDOWS/NewFile.Txt", 0},
        {"C:\\NoSuch\\Deeper\\x.txt", "c/NoSuch/Deeper/x.txt", 0},
        {"C:\\program files\\COMMON FILES\\A Long File Name With Spaces.document",
         "c/Program Files/Common Files/A Long File Name With Spaces.document", 0},
        {"C:\\", "c", 0},
        {"d:\\data\\report.txt", "d/Data/Report.TXT", 0},
        {"\\\\SERVER\\APPS\\tools", "apps/Tools", 0},
        {"//server/apps/TOOLS/new.txt", "apps/Tools/new.txt", 0},
        {"Z:" + Upper(Backslashes(root_)) + "\\C\\windows", "c/WINDOWS", 0},
        {"Z:\\", "/", 0},
        // Relative to the current directory C:\WINDOWS.
        {"system\\..\\WIN.INI", "c/WINDOWS/win.ini", 0},
        {"\\program files", "c/Program Files", 0},
        {"c:Fonts", "c/WINDOWS/Fonts", 0},
        {"D:data", "d/Data", 0},
        // A host path stays as it stands.
        {"/etc/hostname", "/etc/hostname", 0},
        {"\\\\other\\share\\x", "", ERROR_BAD_NETPATH},
        {"\\\\server", "", ERROR_INVALID_NAME},
        {"Q:\\x", "", ERROR_PATH_NOT_FOUND},
        {"C:\\a<b", "", ERROR_INVALID_NAME},
        {"C:\\WINDOWS\\what?.txt", "", ERROR_INVALID_NAME},
        {"C:\\" + longName, "", ERROR_FILENAME_EXCED_RANGE},
        {"", "", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        std::string host;
        SetLastError(0);
        bool ok = vpr::win::ResolveHostPath(c.name.c_str(), &host);
        if (c.error != 0) {
            EXPECT_FALSE(ok) << c.name << " gave " << host;
            EXPECT_EQ(GetLastError(), c.error) << c.name;
            continue;
        }
        ASSERT_TRUE(ok) << c.name << " error " << GetLastError();
        std::string expected = c.host[0] == '/' ? c.host : root_ + "/" + c.host;
        EXPECT_EQ(host, expected) << c.name;
    }
}

// The drive table answers which drives exist and what kind each is; Z:, the
// host's file system, counts as a network drive.
TEST_F(PathTest, DrivesAndTheirKindsComeFromTheDriveTable) {
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 25));
    struct Case {
        const char* root;
        UINT kind;
    };
    const Case cases[] = {
        {"C:\\", DRIVE_FIXED},         {"d:", DRIVE_FIXED},
        {"Z:\\", DRIVE_REMOTE},        {"\\\\server\\apps\\", DRIVE_REMOTE},
        {"\\\\SERVER\\APPS", DRIVE_REMOTE}, {"\\\\server\\none\\", DRIVE_NO_ROOT_DIR},
        {"E:\\", DRIVE_NO_ROOT_DIR},   {"C:\\WINDOWS", DRIVE_NO_ROOT_DIR},
        {"", DRIVE_NO_ROOT_DIR},       {nullptr, DRIVE_FIXED},  // the current drive: C:
    };
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WINDOWS"));
    for (const Case& c : cases) EXPECT_EQ(GetDriveTypeA(c.root), c.kind) << (c.root ? c.root : "(null)");

    // A drive whose folder went missing has no root.
    std::filesystem::remove_all(root_ + "/d");
    EXPECT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}

TEST_F(PathTest, HostPathsMapBackToWindowsNames) {
    struct Case {
        std::string host;
        std::string windows;
    };
    const Case cases[] = {
        {root_ + "/c/WINDOWS/win.ini", "C:\\WINDOWS\\win.ini"},
        {root_ + "/c", "C:\\"},
        {root_ + "/c/", "C:\\"},
        {root_ + "/d/Data/../Data", "D:\\Data"},
        {root_ + "/apps/Tools", "\\\\SERVER\\APPS\\Tools"},
        {"/usr/lib", "Z:\\usr\\lib"},
        {"/", "Z:\\"},
        {root_ + "/machine.ini", "Z:" + Backslashes(root_) + "\\machine.ini"},
    };
    for (const auto& c : cases) EXPECT_EQ(vpr::win::WindowsPathFromHost(c.host), c.windows) << c.host;
}

TEST_F(PathTest, FullPathNameAndCurrentDirectoryFollowWindowsBufferRules) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    EXPECT_EQ(std::string(buffer, n), vpr::win::WindowsPathFromHost(cwd));

    ASSERT_TRUE(SetCurrentDirectoryA("c:\\windows\\system\\"));
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 17u);
    EXPECT_STREQ(buffer, "C:\\windows\\system");
    char small[5] = "keep";
    EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), 18u);
    EXPECT_STREQ(small, "keep");

    LPSTR filePart = nullptr;
    EXPECT_EQ(GetFullPathNameA("..\\win.ini", sizeof buffer, buffer, &filePart), 18u);
    EXPECT_STREQ(buffer, "C:\\windows\\win.ini");
    EXPECT_STREQ(filePart, "win.ini");
    EXPECT_EQ(GetFullPathNameA("..\\win.ini", 18, buffer, &filePart), 19u);
    EXPECT_EQ(GetFullPathNameA("D:\\Data\\", sizeof buffer, buffer, &filePart), 8u);
    EXPECT_STREQ(buffer, "D:\\Data\\");
    EXPECT_EQ(filePart, nullptr);
    // The name need not exist: the full form is worked out without the disk.
    EXPECT_EQ(GetFullPathNameA("new\\.\\File.TXT", sizeof buffer, buffer, nullptr), 30u);
    EXPECT_STREQ(buffer, "C:\\windows\\system\\new\\File.TXT");

    EXPECT_FALSE(SetCurrentDirectoryA("C:\\WINDOWS\\win.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\Nowhere\\Deeper"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(SetCurrentDirectoryA("Q:\\"));
    GetCurrentDirectoryA(sizeof buffer, buffer);
    EXPECT_STREQ(buffer, "C:\\windows\\system");
}

TEST_F(PathTest, ANewMachineStartsAgainFromTheHostDirectory) {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WINDOWS"));
    char buffer[MAX_PATH];
    {
        TempMachine other;
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        GetCurrentDirectoryA(sizeof buffer, buffer);
        EXPECT_EQ(std::string(buffer), vpr::win::WindowsPathFromHost(cwd));
    }
}

class JapanesePathTest : public PathTest {
protected:
    JapanesePathTest() : PathTest(932) {}
};

TEST_F(JapanesePathTest, DoubleByteCharactersEndingInBackslashStayWhole) {
    // 0x95 0x5C is one character whose trail byte is '\'.
    std::string folder = "C:\\\x95\x5C";
    std::string host;
    ASSERT_TRUE(vpr::win::ResolveHostPath((folder + "\\a.txt").c_str(), &host));
    EXPECT_EQ(host, root_ + "/c/\x95\x5C/a.txt");
    char buffer[MAX_PATH];
    LPSTR filePart = nullptr;
    ASSERT_GT(GetFullPathNameA("C:\\\x95\x5C", sizeof buffer, buffer, &filePart), 0u);
    EXPECT_STREQ(filePart, "\x95\x5C");
    // Double-byte characters match only themselves; single bytes fold.
    EXPECT_TRUE(vpr::win::SameFileName("\x95\x5C" "abc", "\x95\x5C" "ABC"));
    EXPECT_FALSE(vpr::win::SameFileName("\x95\x5C", "\x95\x7C"));
}

TEST_F(JapanesePathTest, WildcardsStepWholeCharacters) {
    fs::create_directories(root_ + "/c/J");
    // 0x95 0x5C: one character whose trail byte is '\'.
    for (const char* name : {"\x95\x5C.txt", "\x95\x5C\x95\x5C.txt", "a.txt", "ab.txt"})
        std::ofstream(root_ + "/c/J/" + name) << "j";
    auto listing = [](const std::string& pattern) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do names.push_back(data.cFileName);
        while (FindNextFileA(find, &data));
        FindClose(find);
        return names;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(listing("C:\\J\\?.txt"), (Names{"a.txt", "\x95\x5C.txt"}));
    EXPECT_EQ(listing("C:\\J\\??.TXT"), (Names{"a.txt", "ab.txt", "\x95\x5C.txt", "\x95\x5C\x95\x5C.txt"}));
    EXPECT_EQ(listing("C:\\J\\*\x95\x5C.TXT"), (Names{"\x95\x5C.txt", "\x95\x5C\x95\x5C.txt"}));
    EXPECT_EQ(listing("C:\\J\\\x95\x5C*"), (Names{"\x95\x5C.txt", "\x95\x5C\x95\x5C.txt"}));
    EXPECT_EQ(listing("C:\\J\\\x95\x5C.TXT"), (Names{"\x95\x5C.txt"}));
    EXPECT_EQ(listing("C:\\J\\\x95\x7C.txt"), Names{});
}

TEST(PathWithoutMachineTest, HostNamesPassAndOnlyZExists) {
    ASSERT_EQ(vpr::machine::CurrentMachine(), nullptr);
    std::string host;
    ASSERT_TRUE(vpr::win::ResolveHostPath("relative/Name.txt", &host));
    EXPECT_EQ(host, "relative/Name.txt");
    ASSERT_TRUE(vpr::win::ResolveHostPath("back\\slash", &host));
    EXPECT_EQ(host, "back\\slash");
    ASSERT_TRUE(vpr::win::ResolveHostPath("Z:\\ETC", &host));
    EXPECT_EQ(host, fs::exists("/ETC") ? "/ETC" : "/etc");
    EXPECT_FALSE(vpr::win::ResolveHostPath("C:\\WINDOWS", &host));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
