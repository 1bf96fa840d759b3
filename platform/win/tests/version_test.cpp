// File versions and version-checked installation over real files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "vpr/testing/temp_machine.h"
#include "vpr/win/resource_format.h"
#include "windows.h"

namespace fs = std::filesystem;
using namespace vpr::win;

namespace {

// The build's bin folder: this program's folder, where the test modules lie.
std::string BinFolder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

// "major.minor.build.revision" of a file, "" when it has no version.
std::string VersionOf(const std::string& path) {
    DWORD handle = 1;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0) return "";
    std::vector<uint8_t> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return "error";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length)) return "error";
    EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, static_cast<DWORD>(VS_FFI_SIGNATURE));
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

class VersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vprver-" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "src");
        fs::create_directories(dir_ / "dst");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& relative) const { return (dir_ / relative).string(); }

    // A resource-only file carrying a version and one string (the version
    // text, so that a test can tell copies apart).
    std::string MakeFile(const std::string& relative, const std::string& version) {
        VersionResource v;
        EXPECT_TRUE(ParseVersionText(version, &v.fileVersion));
        v.productVersion = v.fileVersion;
        v.SetString("040904E4", "CompanyName", "Test Makers");
        std::array<std::string, 16> strings;
        strings[1] = version;
        std::vector<ResourceEntry> entries = {
            {ResourceId::Number(kResVersion), ResourceId::Number(1), EncodeVersion(v)},
            {ResourceId::Number(kResString), ResourceId::Number(1), EncodeStringBlock(strings)}};
        EXPECT_EQ(WriteModuleContainer(Path(relative), EncodeContainer(entries)), ERROR_SUCCESS);
        return Path(relative);
    }

    DWORD Install(DWORD flags, std::string* temp = nullptr) {
        char tempName[MAX_PATH] = "";
        UINT tempLength = MAX_PATH;
        DWORD result = VerInstallFileA(flags, "LIB.DLL", "LIB.DLL", Path("src").c_str(), Path("dst").c_str(),
                                       Path("dst").c_str(), tempName, &tempLength);
        if (temp) *temp = tempName;
        return result;
    }

    fs::path dir_;
};

TEST_F(VersionTest, VersionBlockGivesFixedInfoStringsAndTranslation) {
    std::string a = BinFolder() + "/PEERA32.DLL";
    EXPECT_EQ(VersionOf(a), "2.1.0.0");
    DWORD size = GetFileVersionInfoSizeA(a.c_str(), nullptr);
    std::vector<uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(a.c_str(), 0, size, block.data()));
    // A value answers its text; a block on the way to values is found with
    // length 0; a failed query keeps the caller's pointer and answers length 0.
    enum Answer { kValue, kBlock, kFails };
    struct Case {
        const char* query;
        Answer answer;
        const char* value;
    } cases[] = {
        {"\\StringFileInfo\\040904E4\\CompanyName", kValue, "Test Makers"},
        {"\\StringFileInfo\\040904e4\\companyname", kValue, "Test Makers"},
        {"StringFileInfo\\040904E4\\FileVersion", kValue, "2.1.0.0"},
        {"\\StringFileInfo\\040904E4\\FileDescription", kValue, "Peer A test module"},
        {"\\StringFileInfo", kBlock, nullptr},
        {"StringFileInfo", kBlock, nullptr},
        {"\\StringFileInfo\\040904E4", kBlock, nullptr},
        {"\\VarFileInfo", kBlock, nullptr},
        {"\\StringFileInfo\\040904E4\\LegalCopyright", kFails, nullptr},
        {"\\StringFileInfo\\040904E4\\Company", kFails, nullptr},
        {"\\StringFileInfo\\04070000\\CompanyName", kFails, nullptr},
        {"\\StringFileInfo\\04070000", kFails, nullptr},
        {"\\StringFileInfo\\040904E4\\CompanyName\\More", kFails, nullptr},
        {"\\VarFileInfo\\Translations", kFails, nullptr},
        {"\\NoSuchBlock", kFails, nullptr},
    };
    for (const Case& c : cases) {
        char sentinel = 0;
        LPVOID value = &sentinel;
        UINT length = 99;
        BOOL found = VerQueryValueA(block.data(), c.query, &value, &length);
        EXPECT_EQ(found != FALSE, c.answer != kFails) << c.query;
        switch (c.answer) {
        case kValue:
            EXPECT_STREQ(static_cast<const char*>(value), c.value) << c.query;
            EXPECT_EQ(length, std::strlen(c.value) + 1) << c.query;
            break;
        case kBlock:
            EXPECT_EQ(length, 0u) << c.query;
            EXPECT_GE(static_cast<uint8_t*>(value), block.data()) << c.query;
            EXPECT_LT(static_cast<uint8_t*>(value), block.data() + block.size()) << c.query;
            break;
        case kFails:
            EXPECT_EQ(length, 0u) << c.query;
            EXPECT_EQ(value, &sentinel) << c.query;
            break;
        }
    }
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04E4);

    SetLastError(0);
    EXPECT_FALSE(GetFileVersionInfoA(a.c_str(), 0, size - 1, block.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(VersionTest, FilesWithoutAVersionGiveZero) {
    std::ofstream(Path("plain.txt")) << "no container here";
    std::string noVersion = Path("strings.dll");
    std::array<std::string, 16> strings;
    strings[0] = "x";
    WriteModuleContainer(noVersion, EncodeContainer({{ResourceId::Number(kResString), ResourceId::Number(1),
                                                      EncodeStringBlock(strings)}}));
    std::string damaged = MakeFile("damaged.dll", "1.0.0.0");
    fs::resize_file(damaged, fs::file_size(damaged) - 3);
    struct Case {
        std::string path;
        DWORD error;
    } cases[] = {
        {Path("missing.dll"), ERROR_FILE_NOT_FOUND},
        {Path("plain.txt"), ERROR_RESOURCE_DATA_NOT_FOUND},
        {noVersion, ERROR_RESOURCE_DATA_NOT_FOUND},
        {damaged, ERROR_INVALID_DATA},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(GetFileVersionInfoSizeA(c.path.c_str(), nullptr), 0u) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
        EXPECT_EQ(VersionOf(c.path), "");
    }
}

TEST_F(VersionTest, StampRewritesTheVersionOfAModuleAndKeepsItsCode) {
    std::string bin = BinFolder();
    std::string copy = Path("PEERB32.DLL");
    fs::copy_file(bin + "/PEERB32.DLL", copy);
    std::ifstream original(bin + "/PEERB32.DLL", std::ios::binary);
    std::string before(std::istreambuf_iterator<char>(original), {});

    ASSERT_EQ(StampModuleVersion(copy, {97, 9, 30, 1}), ERROR_SUCCESS);
    EXPECT_EQ(VersionOf(copy), "97.9.30.1");
    ASSERT_EQ(StampModuleVersion(copy, {3, 0, 0, 0}), ERROR_SUCCESS);
    EXPECT_EQ(VersionOf(copy), "3.0.0.0");
    std::ifstream stamped(copy, std::ios::binary);
    std::string after(std::istreambuf_iterator<char>(stamped), {});
    // The ELF part ends where the old container began: it is untouched.
    size_t elfSize = before.size() - 24;
    elfSize = static_cast<size_t>(static_cast<uint8_t>(before[elfSize])) |
              static_cast<size_t>(static_cast<uint8_t>(before[elfSize + 1])) << 8 |
              static_cast<size_t>(static_cast<uint8_t>(before[elfSize + 2])) << 16;
    EXPECT_EQ(after.substr(0, elfSize), before.substr(0, elfSize));
    HMODULE m = LoadLibraryA(copy.c_str());
    ASSERT_NE(m, nullptr);
    char text[64];
    EXPECT_GT(LoadStringA(m, 1, text, sizeof text), 0);
    FreeLibrary(m);
}

TEST_F(VersionTest, InstallComparesVersions) {
    struct Case {
        const char* source;  // nullptr: no source file
        const char* dest;    // nullptr: no file in place
        DWORD flags;
        DWORD result;
        const char* after;  // version in place afterwards
    } cases[] = {
        {"2.0.0.0", "1.0.0.0", 0, 0, "2.0.0.0"},
        {"2.0.0.0", nullptr, 0, 0, "2.0.0.0"},
        {"2.0.0.0", "2.0.0.0", 0, 0, "2.0.0.0"},
        {"1.9.0.0", "2.0.0.0", 0, VIF_TEMPFILE | VIF_MISMATCH | VIF_SRCOLD, "2.0.0.0"},
        {"2.0.0.0", "2.0.0.1", 0, VIF_TEMPFILE | VIF_MISMATCH | VIF_SRCOLD, "2.0.0.1"},
        {"1.0.0.0", "2.0.0.0", VIFF_FORCEINSTALL, 0, "1.0.0.0"},
        {nullptr, "1.0.0.0", 0, VIF_CANNOTREADSRC, "1.0.0.0"},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir_ / "dst");
        fs::create_directories(dir_ / "dst");
        fs::remove(Path("src/LIB.DLL"));
        if (c.source) MakeFile("src/LIB.DLL", c.source);
        if (c.dest) MakeFile("dst/LIB.DLL", c.dest);
        std::string temp;
        EXPECT_EQ(Install(c.flags, &temp), c.result) << c.source << " over " << (c.dest ? c.dest : "none");
        EXPECT_EQ(VersionOf(Path("dst/LIB.DLL")), c.after);
        if (c.result & VIF_TEMPFILE) {
            // The copy stays beside the destination, named to the caller.
            EXPECT_EQ(VersionOf(Path("dst/" + temp)), c.source);
        } else {
            EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "dst"), {}), c.dest || c.result == 0 ? 1 : 0);
        }
    }
}

TEST_F(VersionTest, InstallReportsABusyOrWriteProtectedTarget) {
    MakeFile("src/LIB.DLL", "2.0.0.0");
    std::string dest = MakeFile("dst/LIB.DLL", "1.0.0.0");
    HMODULE loaded = LoadLibraryA(dest.c_str());
    ASSERT_NE(loaded, nullptr);
    std::string temp;
    EXPECT_EQ(Install(0, &temp), static_cast<DWORD>(VIF_TEMPFILE | VIF_FILEINUSE));
    EXPECT_EQ(VersionOf(dest), "1.0.0.0");
    EXPECT_EQ(VersionOf(Path("dst/" + temp)), "2.0.0.0");
    FreeLibrary(loaded);

    fs::remove(Path("dst/" + temp));
    ::chmod(dest.c_str(), 0444);
    EXPECT_EQ(Install(0, &temp), static_cast<DWORD>(VIF_TEMPFILE | VIF_WRITEPROT));
    EXPECT_EQ(VersionOf(dest), "1.0.0.0");
    ::chmod(dest.c_str(), 0644);
    fs::remove(Path("dst/" + temp));
    EXPECT_EQ(Install(0), 0u);
    EXPECT_EQ(VersionOf(dest), "2.0.0.0");
}

// Where a file already is and where it belongs, on a machine: its Windows
// folder C:\WINDOWS, system folder C:\WINDOWS\SYSTEM, the program's folder
// C:\APP and the process's current folder C:\WORK.
TEST(VersionFindFileTest, FindsTheFileInEachFolderAndNamesTheDestination) {
    vpr::testing::TempMachine machine;
    for (const char* folder : {"C:\\APP", "C:\\WORK"}) ASSERT_TRUE(CreateDirectoryA(folder, nullptr));
    char previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(sizeof previous, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WORK"));
    struct Case {
        DWORD flags;
        const char* where;    // folder holding LIB.DLL; nullptr: nowhere
        const char* winDir;   // as passed
        const char* appDir;   // as passed
        const char* current;  // answered
        const char* dest;     // answered
        DWORD result;
    } cases[] = {
        {0, "C:\\WINDOWS", nullptr, "C:\\APP", "C:\\WINDOWS", "C:\\APP", VFF_CURNEDEST},
        {0, "C:\\WINDOWS", "", "C:\\APP", "C:\\WINDOWS", "C:\\APP", VFF_CURNEDEST},
        {0, "C:\\WINDOWS", "C:\\WINDOWS", "C:\\APP", "C:\\WINDOWS", "C:\\APP", VFF_CURNEDEST},
        {0, "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS", "C:\\APP", "C:\\WINDOWS\\SYSTEM", "C:\\APP", VFF_CURNEDEST},
        {0, "C:\\APP", "C:\\WINDOWS", "C:\\APP", "C:\\APP", "C:\\APP", 0},
        {0, "C:\\APP", "C:\\WINDOWS", "c:\\app\\", "c:\\app\\", "c:\\app\\", 0},
        {0, "C:\\WORK", nullptr, "C:\\APP", "C:\\WORK", "C:\\APP", VFF_CURNEDEST},
        {0, nullptr, nullptr, "C:\\APP", "", "C:\\APP", VFF_CURNEDEST},
        {0, nullptr, nullptr, nullptr, "", "", 0},
        {VFFF_ISSHAREDFILE, "C:\\WINDOWS\\SYSTEM", nullptr, "C:\\APP", "C:\\WINDOWS\\SYSTEM",
         "C:\\WINDOWS\\SYSTEM", 0},
        {VFFF_ISSHAREDFILE, "C:\\APP", nullptr, "C:\\APP", "C:\\APP", "C:\\WINDOWS\\SYSTEM", VFF_CURNEDEST},
        {VFFF_ISSHAREDFILE, nullptr, nullptr, "C:\\APP", "", "C:\\WINDOWS\\SYSTEM", VFF_CURNEDEST},
    };
    for (const Case& c : cases) {
        std::string file = c.where ? std::string(c.where) + "\\LIB.DLL" : "";
        if (c.where) std::ofstream(machine.HostPath(file)) << "library";
        char current[MAX_PATH] = "x", dest[MAX_PATH] = "x";
        UINT currentLength = MAX_PATH, destLength = MAX_PATH;
        std::string label = std::string(c.where ? c.where : "nowhere") + (c.flags ? " shared" : "") + " win " +
                            (c.winDir ? c.winDir : "NULL") + " app " + (c.appDir ? c.appDir : "NULL");
        EXPECT_EQ(VerFindFileA(c.flags, "lib.dll", c.winDir, c.appDir, current, &currentLength, dest, &destLength),
                  c.result)
            << label;
        EXPECT_STREQ(current, c.current) << label;
        EXPECT_EQ(currentLength, std::strlen(c.current) + 1) << label;
        EXPECT_STREQ(dest, c.dest) << label;
        if (c.where) fs::remove(machine.HostPath(file));
    }

    // A buffer too small takes what fits and asks for the size.
    std::ofstream(machine.HostPath("C:\\APP\\LIB.DLL")) << "library";
    char current[MAX_PATH], tiny[2];
    UINT currentLength = MAX_PATH, tinyLength = sizeof tiny;
    EXPECT_EQ(VerFindFileA(0, "LIB.DLL", nullptr, "C:\\APP", current, &currentLength, tiny, &tinyLength),
              static_cast<DWORD>(VFF_BUFFTOOSMALL));
    EXPECT_EQ(tinyLength, 7u);
    EXPECT_STREQ(tiny, "C");
    EXPECT_TRUE(SetCurrentDirectoryA(previous));
}

}  // namespace
