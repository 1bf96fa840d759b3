// The wizard's state across a restart: the start-up entry in win.ini, the
// status file, the values a resumed run takes back, the default scope of a
// run whose boot drive is not the Windows drive, the restart it asks for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "restart_windows.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/work_directory.h"
#include "startup_load.h"
#include "vpr/testing/temp_machine.h"
#include "windows.h"
#include "wizard_status.h"

namespace snapshot {
namespace {

class WizardStateTest : public ::testing::Test {
protected:
    WizardStateTest() : machine_(Options()) { std::filesystem::create_directories(machine_.root() + "/d"); }

    static vpr::machine::CreateOptions Options() {
        vpr::machine::CreateOptions options;
        options.drives = {{'D', "d"}};
        return options;
    }

    void SetLoad(const std::string& value) { ASSERT_TRUE(WriteProfileStringA("windows", "load", value.c_str())); }

    vpr::testing::TempMachine machine_;
};

TEST(StripOwnLoadEntries, DropsEveryEntryNamingTheWizardAndKeepsTheRestAsWritten) {
    struct Case {
        const char* list;
        const char* kept;
    };
    const Case cases[] = {
        {"c:\\tools\\a.exe,C:\\X\\IMPRXE32.EXE", "c:\\tools\\a.exe"},
        {"C:\\X\\imprxe32.exe", ""},
        {" C:\\Blank Dir\\B.EXE ,z:\\imprx\\old.exe, c:\\c.exe", " C:\\Blank Dir\\B.EXE , c:\\c.exe"},
        {"a.exe,,b.exe", "a.exe,,b.exe"},
        {"ImPrX1,ImPrX2", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(StripOwnLoadEntries(c.list), c.kept) << c.list;
}

TEST_F(WizardStateTest, StartPutsTheProgramInLowerCaseAndRemovalTakesItOut) {
    struct Case {
        const char* before;
        const char* afterStart;
        const char* afterRemoval;
    };
    const Case cases[] = {
        {"c:\\tools\\a.exe,C:\\X\\IMPRXE32.EXE", "c:\\tools\\a.exe,z:\\bin\\imprxe32", "c:\\tools\\a.exe"},
        {"", "z:\\bin\\imprxe32", ""},
        {"C:\\Tools\\A.EXE", "c:\\tools\\a.exe,z:\\bin\\imprxe32", "c:\\tools\\a.exe"},
    };
    for (const Case& c : cases) {
        SetLoad(c.before);
        AddToStartupLoad("Z:\\BIN\\imprxe32");
        EXPECT_EQ(ReadStartupLoad(), c.afterStart) << c.before;
        RemoveFromStartupLoad();
        EXPECT_EQ(ReadStartupLoad(), c.afterRemoval) << c.before;
    }
    // Removal alone keeps the others' case.
    SetLoad("C:\\Tools\\A.EXE,Z:\\BIN\\IMPRXE32");
    RemoveFromStartupLoad();
    EXPECT_EQ(ReadStartupLoad(), "C:\\Tools\\A.EXE");
    // A long list is read whole.
    std::string longList(600, 'x');
    SetLoad(longList + ",C:\\IMPRXE32.EXE");
    RemoveFromStartupLoad();
    EXPECT_EQ(ReadStartupLoad(), longList);
}

TEST_F(WizardStateTest, StatusReadsDecimalAndHexAndAnythingElseAsZero) {
    struct Case {
        const char* stored;
        int status;
    };
    const Case cases[] = {{"5", 5}, {"0x7", 7}, {"0X1a", 26}, {"8", 8}, {"six", 0}, {"6x", 0}, {"0x", 0}, {"", 0}};
    for (const Case& c : cases) {
        ASSERT_TRUE(WritePrivateProfileStringA(kStatusSection, kStatusKey, c.stored, kStatusFile));
        EXPECT_EQ(ReadStatus(), c.status) << c.stored;
    }
    WritePrivateProfileStringA(kStatusSection, kStatusKey, nullptr, kStatusFile);
    EXPECT_EQ(ReadStatus(), 0);
    WriteStatus(6);
    EXPECT_EQ(ReadStatus(), 6);
    // The status file lies in the Windows directory.
    EXPECT_TRUE(std::filesystem::exists(machine_.root() + "/c/WINDOWS/imxstat.ini"));

    const int pages[kPageCount] = {1, 1, 2, 3, 4, 5, 6, 6, 6, 7, 8};
    for (int page = 0; page < kPageCount; ++page) EXPECT_EQ(StatusOfPage(page), pages[page]) << page;
}

// After a restart the boot-drive picker shows the Windows drive; the run's
// boot drive is kept in the status file.
TEST_F(WizardStateTest, ResumeFindsTheRunOnBootDriveD) {
    EXPECT_EQ(ReadBootDrive('C'), 'C');
    WriteBootDrive('D');
    EXPECT_EQ(ReadBootDrive('C'), 'D');

    ASSERT_TRUE(CreateDirectoryA("D:\\imprix.dir", nullptr));
    ResumeValues written;
    written.distName = "Word";
    written.distDesc = "Word processor";
    written.templateFile = "D:\\OUT\\word.qmt";
    written.newFilePath = "D:\\OUT\\files";
    written.windowsDrive = 'C';
    written.bootDrive = 'D';
    WriteResumeValues(DefaultsFile(ReadBootDrive('C')), written);
    ResumeValues read = ReadResumeValues(DefaultsFile('D'), "C:\\WINDOWS");
    EXPECT_EQ(read.distName, "Word");
    EXPECT_EQ(read.distDesc, "Word processor");
    EXPECT_EQ(read.templateFile, "D:\\OUT\\word.qmt");
    EXPECT_EQ(read.newFilePath, "D:\\OUT\\files");
    EXPECT_EQ(read.windowsDrive, 'C');
    EXPECT_EQ(read.bootDrive, 'D');

    // A file without the section gives the defaults.
    ResumeValues defaults = ReadResumeValues(DefaultsFile('C'), "E:\\WIN");
    EXPECT_EQ(defaults.distName, "");
    EXPECT_EQ(defaults.templateFile, "c:\\newfiles\\template.qmt");
    EXPECT_EQ(defaults.newFilePath, "c:\\newfiles");
    EXPECT_EQ(defaults.windowsDrive, 'E');
    EXPECT_EQ(defaults.bootDrive, 'c');
}

TEST_F(WizardStateTest, ARefusedWriteRaisesUnableToWrite) {
    // A folder where the file should be.
    const std::string windows = machine_.root() + "/c/WINDOWS";
    std::filesystem::create_directory(windows + "/imxstat.ini");
    std::filesystem::remove(windows + "/win.ini");
    std::filesystem::create_directory(windows + "/win.ini");
    try {
        WriteStatus(3);
        ADD_FAILURE() << "no error";
    } catch (const IniWriteError& error) {
        EXPECT_STREQ(error.what(), "Unable to write to imxstat.ini");
    }
    EXPECT_THROW(AddToStartupLoad("Z:\\BIN\\imprxe32"), IniWriteError);
}

// Boot drive D: with Windows on C:: both drives are pictured and both
// recycle bins left out.
TEST_F(WizardStateTest, DefaultsOfBootDriveDWithWindowsOnC) {
    Settings().windowsDirectory = "C:\\WINDOWS";
    DefinitionLists lists;
    SetDefaultExclusions('D', 'C', &lists);
    EXPECT_EQ(lists.drives, (std::vector<std::string>{"C:", "D:"}));
    EXPECT_EQ(lists.textFiles, (std::vector<std::string>{"D:\\autoexec.bat", "D:\\config.sys"}));
    for (const char* directory : {"C:\\recycled", "D:\\recycled", "C:\\WINDOWS\\recent", "C:\\WINDOWS\\system32\\config",
                                  "D:\\imprix.dir"})
        EXPECT_NE(std::find(lists.excludeDirectories.begin(), lists.excludeDirectories.end(), directory),
                  lists.excludeDirectories.end())
            << directory;
    SetDefaultExclusions('c', 'C', &lists);
    EXPECT_EQ(lists.drives, (std::vector<std::string>{"c:"}));
    EXPECT_EQ(std::count(lists.excludeDirectories.begin(), lists.excludeDirectories.end(), "c:\\recycled"), 0);
    Settings() = EngineSettings{};
}

TEST_F(WizardStateTest, RestartEnablesTheShutdownPrivilegeAndForcesAReboot) {
    EXPECT_TRUE(RestartWindows());
    auto journal = machine_.machine()->ReadJournal();
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal[journal.size() - 2], (vpr::machine::Machine::JournalEntry{"privilege", "SeShutdownPrivilege enabled"}));
    EXPECT_EQ(journal.back(), (vpr::machine::Machine::JournalEntry{"exit-windows", "reboot force"}));
}

TEST(ParseCommandLine, FastScanInAnyCase) {
    std::string program = "imprxe32", fast = "/fastScan", other = "/other";
    char* withFast[] = {program.data(), other.data(), fast.data()};
    char* without[] = {program.data(), other.data()};
    EXPECT_TRUE(ParseCommandLine(3, withFast));
    EXPECT_FALSE(ParseCommandLine(2, without));
}

}  // namespace
}  // namespace snapshot
