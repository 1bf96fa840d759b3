// The module utilities the extension shares with its loader.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "module/module_utilities.h"
#include "shlobj.h"
#include "vpr/locale/locale.h"
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/path.h"
#include "vpr/win/resource_format.h"

namespace fs = std::filesystem;

namespace {

void Touch(const std::string& hostPath) {
    fs::create_directories(fs::path(hostPath).parent_path());
    std::ofstream(hostPath) << "x";
}

class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old, had_ = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvironmentScope() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(GetFileVersion, ReadsTheFixedVersionOrGivesZero) {
    vpr::testing::TempMachine machine;
    std::string stamped = machine.HostPath("C:\\VER\\STAMPED.DLL");
    fs::create_directories(fs::path(stamped).parent_path());
    fs::copy_file(vpr::testing::BuildBinFolder() + "/KMAPP32.DLL", stamped);
    ASSERT_EQ(vpr::win::StampModuleVersion(stamped, {97, 9, 30, 1}), ERROR_SUCCESS);
    EXPECT_EQ(GetFileVersion("C:\\VER\\STAMPED.DLL"), 0x00610009001E0001ull);
    // A file without a version resource, and no file at all.
    Touch(machine.HostPath("C:\\VER\\PLAIN.TXT"));
    EXPECT_EQ(GetFileVersion("C:\\VER\\PLAIN.TXT"), 0u);
    EXPECT_EQ(GetFileVersion("C:\\VER\\NONE.DLL"), 0u);
}

TEST(GetSpecialFolderPath, GivesTheFolderOrAnEmptyPath) {
    vpr::testing::TempMachine machine;
    CString path = "left over";
    ASSERT_TRUE(GetSpecialFolderPath(CSIDL_STARTMENU, path));
    EXPECT_NE(std::string(path).find("Start Menu"), std::string::npos) << static_cast<LPCSTR>(path);
    path = "left over";
    EXPECT_FALSE(GetSpecialFolderPath(0x7FFF, path));
    EXPECT_TRUE(path.IsEmpty());
}

TEST(TrimTreeName, EndsAfterTheLastCharacterThatIsNotAnUnderscore) {
    struct Case {
        UINT codePage;
        std::string padded;
        std::string trimmed;
    } cases[] = {
        {vpr::locale::kCodePageUtf8, "ACME_CORP" + std::string(23, '_'), "ACME_CORP"},
        {vpr::locale::kCodePageUtf8, std::string(32, '_'), std::string(32, '_')},
        {vpr::locale::kCodePageUtf8, std::string(32, 'T') + "___", std::string(32, 'T')},
        // 932: the katakana 0x83 0x5F has an underscore for its trail byte;
        // three characters and 29 underscores make the 32.
        {vpr::locale::kCodePageJapanese, "AB\x83\x5F" + std::string(29, '_'), "AB\x83\x5F"},
        {vpr::locale::kCodePageUtf8, "", ""},
    };
    for (const Case& c : cases) {
        vpr::machine::CreateOptions options;
        options.codePage = c.codePage;
        vpr::testing::TempMachine machine(options);
        std::string buffer = c.padded;
        buffer.resize(buffer.size() + 1);
        TrimTreeName(buffer.data());
        EXPECT_EQ(std::string(buffer.c_str()), c.trimmed) << c.padded;
    }
}

TEST(StringArrays, SearchCountAndCompareCaseSensitively) {
    CStringArray a, b, empty, other;
    a.Add("word");
    a.Add("word");
    b.Add("word");
    b.Add("Excel");
    // The elements of a are only looked up in b.
    EXPECT_TRUE(SameStringArrays(a, b));
    EXPECT_FALSE(SameStringArrays(b, a));
    EXPECT_TRUE(SameStringArrays(empty, other));
    EXPECT_FALSE(SameStringArrays(a, empty));

    EXPECT_EQ(FindStringInArray(a, "word", 0), 0);
    EXPECT_EQ(FindStringInArray(a, "word", 1), 1);
    EXPECT_EQ(FindStringInArray(a, "word", 2), -1);
    EXPECT_EQ(FindStringInArray(b, "excel", 0), -1);
    EXPECT_EQ(CountStringInArray(a, "word"), 2);
    EXPECT_EQ(CountStringInArray(b, "WORD"), 0);
    EXPECT_EQ(FindSubstringInArray(b, "cel"), 1);
    EXPECT_EQ(FindSubstringInArray(b, "x"), 1);
    EXPECT_EQ(FindSubstringInArray(b, "Word"), -1);
}

TEST(FindLanguageFile, WalksTheLanguagesOfKMLANGUAGE) {
    vpr::testing::TempMachine machine;
    Touch(machine.HostPath("C:\\APP\\NLS\\English\\RES.DLL"));
    Touch(machine.HostPath("C:\\APP\\NLS\\Deutsch\\ONLY.DLL"));
    CString path;
    {
        EnvironmentScope language("KMLANGUAGE", "Deutsch,English");
        ASSERT_TRUE(FindLanguageFile("RES.DLL", "C:\\APP", path));
        EXPECT_STREQ(path, "C:\\APP\\NLS\\English\\RES.DLL");
        ASSERT_TRUE(FindLanguageFile("ONLY.DLL", "C:\\APP", path));
        EXPECT_STREQ(path, "C:\\APP\\NLS\\Deutsch\\ONLY.DLL");
    }
    {
        EnvironmentScope language("KMLANGUAGE", nullptr);
        ASSERT_TRUE(FindLanguageFile("RES.DLL", "C:\\APP", path));
        EXPECT_STREQ(path, "C:\\APP\\NLS\\English\\RES.DLL");
        EXPECT_FALSE(FindLanguageFile("ONLY.DLL", "C:\\APP", path));
        EXPECT_TRUE(path.IsEmpty());
    }
}

// The module here is the test program: its folder is the build's.
TEST(FindModuleFile, BesideTheModuleInLanguageFoldersAndInSubfolders) {
    vpr::testing::TempMachine machine;
    std::string bin = vpr::testing::BuildBinFolder();
    std::string sub = "findmodule-" + std::to_string(getpid());
    std::string name = "FINDME" + std::to_string(getpid()) + ".HLP";
    std::string beside = "BESIDE" + std::to_string(getpid()) + ".HLP";
    Touch(bin + "/" + sub + "/" + name);
    Touch(bin + "/" + beside);
    CString path;
    EXPECT_TRUE(FindModuleFile(name.c_str(), path));
    EXPECT_STREQ(path, vpr::win::WindowsPathFromHost(bin + "/" + sub + "/" + name).c_str());
    EXPECT_TRUE(FindModuleFile(beside.c_str(), path));
    EXPECT_STREQ(path, vpr::win::WindowsPathFromHost(bin + "/" + beside).c_str());
    // The module's language folder, NLS\English beside it.
    EXPECT_TRUE(FindModuleFile("VprExpRs.dll", path));
    EXPECT_STREQ(path, vpr::win::WindowsPathFromHost(bin + "/NLS/English/VprExpRs.dll").c_str());
    fs::remove_all(bin + "/" + sub);
    fs::remove(bin + "/" + beside);
    EXPECT_FALSE(FindModuleFile(name.c_str(), path));
    EXPECT_TRUE(path.IsEmpty());
}

TEST(DeleteRegistryValues, DeletesEveryValueKeepsSubkeysAndStopsWhenADeleteFails) {
    vpr::testing::TempMachine machine;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Test\\Values", &key), ERROR_SUCCESS);
    for (const char* name : {"", "one", "two", "three"})
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>("v"), 2);
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyA(key, "Kept", &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    auto valueCount = [&] {
        DWORD count = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr);
        return count;
    };
    EXPECT_EQ(valueCount(), 4u);

    // A registry that refuses changes: every delete fails, and the call
    // still returns with the values in place.
    std::string file = machine.root() + "/registry.db";
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    vpr::win::SetRegistryFile(file);
    DeleteRegistryValues(HKEY_CURRENT_USER, "Software\\Test\\Values");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    vpr::win::SetRegistryFile("");  // back to the machine's registry
    EXPECT_EQ(valueCount(), 4u);

    DeleteRegistryValues(HKEY_CURRENT_USER, "Software\\Test\\Values");
    EXPECT_EQ(valueCount(), 0u);
    EXPECT_EQ(RegOpenKeyExA(key, "Kept", 0, KEY_READ, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(key);
    // A key that does not exist: nothing happens.
    DeleteRegistryValues(HKEY_CURRENT_USER, "Software\\Test\\Missing");
}

}  // namespace
