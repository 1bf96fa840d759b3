// Taking a picture of a small machine: record order, exclusions, ini and
// text file copies, the registry, fast scan.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine_fixture.h"
#include "vpr/com/shell_link_file.h"
#include "picture/exclusions.h"
#include "snapshot/engine/picture_text.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/imprx_exports.h"
#include "snapshot/engine/work_directory.h"

namespace snapshot::testing {
namespace {

// The records of a picture without the header, file lines without their
// time and value lines without their data.
std::vector<std::string> PictureRecords(const std::string& path) {
    std::vector<std::string> lines, records;
    PictureText(path, &lines);
    for (const auto& line : lines) {
        size_t fields = line.rfind("file\t", 0) == 0 ? 3 : line.rfind("value\t", 0) == 0 ? 4 : 99;
        size_t end = 0;
        for (size_t i = 0; i < fields && end != std::string::npos; ++i) end = line.find('\t', end + (i ? 1 : 0));
        if (line.rfind("header\t", 0) != 0) records.push_back(line.substr(0, end));
    }
    return records;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

TEST(ExclusionsTest, PatternsAndDirectories) {
    Exclusions exclusions({"*.swp", "*.log", "ntuser.dat.log", "*.html", "pagefile.sys"},
                          {"C:\\WINDOWS\\recent"});
    struct Case {
        const char* name;
        bool excluded;
    } cases[] = {
        {"386spart.swp", true},    {"386SPART.SWP", true},   {"ntuser.dat.log", true},
        {"other.dat.log", false},  // the three characters after the first dot are "dat"
        {"a.log", true},           {"page.html", false},     // "*.html" never matches a name with a dot
        {"PAGEFILE.SYS", true},    {"swp", false},           {"*.swp", true},
    };
    for (const auto& c : cases) EXPECT_EQ(exclusions.IsExcludedFile(c.name), c.excluded) << c.name;
    EXPECT_TRUE(exclusions.IsExcludedDir("C:\\WINDOWS\\RECENT"));
    EXPECT_FALSE(exclusions.IsExcludedDir("C:\\WINDOWS\\RECENT\\SUB"));
    EXPECT_TRUE(IsIniFileName("a.ini"));
    EXPECT_TRUE(IsIniFileName("a.INI.bak"));
    EXPECT_FALSE(IsIniFileName("a.b.ini"));
    EXPECT_FALSE(IsIniFileName("ini"));
}

class TakePictureTest : public EngineTest {
protected:
    TakePictureTest() {
        WriteFile("C:\\APP\\a.txt", "alpha");
        WriteFile("C:\\APP\\386spart.swp", "swap");
        WriteFile("C:\\APP\\SUB\\b.dat", "bravo!");
        WriteFile("C:\\APP\\app.ini", "[s]\nk=v\n");
        SetFileAttributesA("C:\\APP\\a.txt", FILE_ATTRIBUTE_HIDDEN);  // the platform keeps this beside the file
        WriteFile("C:\\WINDOWS\\Recent\\doc.lnk", "x");
        SetDefaultExclusions('C', 'C', &lists_);
        AddSorted(&lists_.excludeFiles, "app.ini");
        AddSorted(&lists_.textFiles, "C:\\b_missing.txt");
    }

    std::vector<std::string> Take(long phase) {
        if (phase == 0) {
            IMPRXDeleteHiddenDir('C');
            IMPRXCreateBeforeDir('C');
            std::string error;
            EXPECT_TRUE(SaveDefinitions('C', lists_, &error)) << error;
        } else {
            IMPRXCreateAfterDir('C');
        }
        EXPECT_EQ(IMPRXTakePicture('C', DefaultsFile('C').c_str(), phase, nullptr), 0);
        return PictureRecords(PictureDirectory('C', phase) + "\\files.txt");
    }

    DefinitionLists lists_;
};

TEST_F(TakePictureTest, FilesInWalkOrderWithExclusions) {
    std::vector<std::string> files = Take(0);
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(files[0], "directory\tC:");
    size_t app = IndexOf(files, "directory\tC:\\APP");
    ASSERT_LT(app, files.size());
    // The directory's own files follow it directly, its subdirectories after them.
    EXPECT_EQ(files[app + 1], "file\ta.txt\t5");
    EXPECT_EQ(files[app + 2], "directory\tC:\\APP\\SUB");
    EXPECT_EQ(files[app + 3], "file\tb.dat\t6");
    EXPECT_FALSE(Has(files, "file\t386spart.swp\t4"));
    EXPECT_FALSE(Has(files, "file\tapp.ini\t8"));  // excluded by name ...
    EXPECT_FALSE(Has(files, "directory\tC:\\WINDOWS\\Recent"));
    EXPECT_FALSE(Has(files, "directory\tC:\\imprix.dir"));
    EXPECT_TRUE(std::none_of(files.begin(), files.end(),
                             [](const std::string& line) { return line.find(".vprattr") != std::string::npos; }));
    EXPECT_TRUE(std::none_of(files.begin(), files.end(),
                             [](const std::string& line) { return line.rfind("error", 0) == 0; }));

    // ... but an ini file still gets its line and its copy.
    std::string before = PictureDirectory('C', 0);
    std::string iniList = ReadFile(before + "\\inifiles.txt");
    EXPECT_NE(iniList.find("C:\\APP\\app.ini=0.ini\r\n"), std::string::npos) << iniList;
    EXPECT_NE(iniList.find("C:\\WINDOWS\\win.ini=3.ini\r\n"), std::string::npos) << iniList;
    EXPECT_EQ(ReadFile(before + "\\0.ini"), "[s]\r\nk=v\r\n");
}

TEST_F(TakePictureTest, ProgramGroupsArePicturedItemByItemFromTheGroupList) {
    StartEngineOrFail();
    CreateDirectoryA("C:\\WINDOWS\\Start Menu\\Programs\\Tools", nullptr);
    vpr::com::ShellLink link = vpr::com::ShellLinkToPath("C:\\APP\\a.txt");
    link.arguments = "-v";
    link.iconIndex = 2;
    std::string error;
    ASSERT_TRUE(vpr::com::WriteShellLinkFile("C:\\WINDOWS\\Start Menu\\Programs\\Tools\\Edit.lnk", link, &error))
        << error;
    Take(0);
    std::vector<std::string> lines;
    ASSERT_TRUE(PictureText(PictureDirectory('C', 0) + "\\groups.bin", &lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"header\t<Windows 32-bit Picture>",
                                               "item\tTools\tC:\\APP\\a.txt\t-v\tEdit\t\t2\t\t1"}));
}

TEST_F(TakePictureTest, TextFilesKeepTheirRowNumbers) {
    Take(0);
    std::string before = PictureDirectory('C', 0);
    // Rows: autoexec.bat 0, b_missing.txt 1 (missing: no line), config.sys 2.
    EXPECT_EQ(ReadFile(before + "\\textcomp.txt"), "C:\\autoexec.bat=text0.txt\r\nC:\\config.sys=text2.txt\r\n");
    EXPECT_EQ(ReadFile(before + "\\text2.txt"), ReadFile("C:\\CONFIG.SYS"));
    EXPECT_FALSE(Exists(before + "\\text1.txt"));
}

TEST_F(TakePictureTest, RegistryKeysAfterTheirDescendantsValuesAfterTheirKey) {
    std::string big(300, 'b');
    SetRegistryValue(HKEY_CURRENT_USER, "Software\\Test\\Child", "leaf", REG_SZ, std::string("x\0", 2));
    SetRegistryValue(HKEY_CURRENT_USER, "Software\\Test", "big", REG_BINARY, big);
    SetRegistryValue(HKEY_CURRENT_USER, "Software\\Test", "", REG_SZ, std::string("default\0", 8));
    std::string multi(0x8001, 'm');
    SetRegistryValue(HKEY_CURRENT_USER, "Software\\Test", "multi", REG_MULTI_SZ, multi);
    Take(0);
    std::vector<std::string> registry = PictureRecords(PictureDirectory('C', 0) + "\\registry.txt");
    size_t child = IndexOf(registry, "key\tHKEY_CURRENT_USER\\Software\\Test\\Child");
    size_t test = IndexOf(registry, "key\tHKEY_CURRENT_USER\\Software\\Test");
    size_t software = IndexOf(registry, "key\tHKEY_CURRENT_USER\\Software");
    ASSERT_LT(software, registry.size());
    EXPECT_LT(child, test);
    EXPECT_LT(test, software);
    EXPECT_EQ(registry[child + 1], "value\tleaf\t1\t2");
    EXPECT_EQ(registry[test + 1], "value\t\t1\t8");  // the default value has an empty name
    EXPECT_EQ(registry[test + 2], "value\tbig\t3\t300");
    EXPECT_EQ(registry[test + 3], "value\tmulti\t7\t0");  // too large: pictured without data
    EXPECT_TRUE(Has(registry, "key\tHKEY_LOCAL_MACHINE\\SOFTWARE"));
}

TEST_F(TakePictureTest, FastScanOfTheFirstPictureHoldsForTheSecond) {
    Settings().fastScan = true;
    Take(0);
    std::vector<std::string> before = PictureRecords(PictureDirectory('C', 0) + "\\registry.txt");
    EXPECT_TRUE(Has(before, "key\tHKEY_CURRENT_USER\\Software"));
    EXPECT_TRUE(std::none_of(before.begin(), before.end(), [](const std::string& line) {
        return line.find("HKEY_LOCAL_MACHINE") != std::string::npos;
    }));
    // The second picture follows the first, whatever the setting says now.
    Settings().fastScan = false;
    Take(1);
    std::vector<std::string> after = PictureRecords(PictureDirectory('C', 1) + "\\registry.txt");
    EXPECT_EQ(after, before);
}

TEST_F(TakePictureTest, IniFileMadeBySetupIsComparedAgainstAnEmptyOne) {
    Take(0);
    WriteFile("C:\\WINDOWS\\new.ini", "[n]\r\na=1\r\n");
    Take(1);
    std::string before = PictureDirectory('C', 0);
    EXPECT_TRUE(Exists(before + "\\new1.ini"));
    EXPECT_EQ(ReadFile(before + "\\new1.ini"), "");
    std::string list = ReadFile(before + "\\inifiles.txt");
    EXPECT_NE(list.find("C:\\WINDOWS\\new.ini=new1.ini\r\n"), std::string::npos) << list;
    EXPECT_EQ(ReadFile(WorkDirectory('C') + "\\inimod.txt"), "C:\\WINDOWS\\new.ini\r\n");
}

}  // namespace
}  // namespace snapshot::testing
