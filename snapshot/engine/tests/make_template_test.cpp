// Making the template: one table of before/after changes, each checked on
// the entries read back from the template; the run's own rules (logs, copy
// numbers, failures, the work directory).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>

#include "engine_fixture.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/imprx_exports.h"
#include "snapshot/engine/work_directory.h"
#include "template_reading.h"
#include "vpr/user/message_box.h"
#include "vpr/win/clock.h"
#include "vpr/win/file_fault.h"

namespace snapshot::testing {
namespace {

constexpr const char* kTemplate = "C:\\OUT\\app.qmt";
constexpr const char* kNewFiles = "C:\\OUT\\FILES";
constexpr const char* kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::vector<std::string> g_progress;
void Progress(LPCSTR text) { g_progress.push_back(text); }

std::string Dword(uint32_t value) { return IntBytes(value); }

class MakeTemplateTest : public EngineTest {
protected:
    explicit MakeTemplateTest(const vpr::machine::CreateOptions& options = {}) : EngineTest(options) {
        StartEngineOrFail();
        Settings().distName = "App";
        Settings().distDesc = "The App";
        SetDefaultExclusions('C', 'C', &lists_);
        MakeDirectory(kNewFiles);
        g_progress.clear();
    }

    void Before() {
        IMPRXDeleteHiddenDir('C');
        IMPRXCreateBeforeDir('C');
        std::string error;
        ASSERT_TRUE(SaveDefinitions('C', lists_, &error)) << error;
        ASSERT_EQ(IMPRXTakePicture('C', DefaultsFile('C').c_str(), 0, Progress), 0);
    }

    void After() {
        IMPRXCreateAfterDir('C');
        ASSERT_EQ(IMPRXTakePicture('C', DefaultsFile('C').c_str(), 1, Progress), 0);
    }

    LONG Make() { return IMPRXMakeTemplate('C', kTemplate, kNewFiles, Progress); }

    // The entries past the base values and the source macro.
    std::vector<std::string> Entries() {
        std::vector<std::string> lines = TemplateLines(kTemplate);
        auto first = std::find_if(lines.begin(), lines.end(),
                                  [](const std::string& line) { return line.rfind("10.1|SOURCE_PATH|", 0) == 0; });
        if (first == lines.end()) return lines;
        return std::vector<std::string>(first + 1, lines.end());
    }

    DefinitionLists lists_;
};

// ---- one table of changes ----

class ChangeTest;

struct Change {
    const char* name;
    std::function<void(ChangeTest&)> before;  // the machine before the first picture
    std::function<void(ChangeTest&)> change;  // what setup does
    std::vector<std::string> expected;              // exactly these entries, in this order
    std::string progress = "";                      // a progress report the run gives
};

void PrintTo(const Change& change, std::ostream* os) { *os << change.name; }

class ChangeTest : public MakeTemplateTest, public ::testing::WithParamInterface<Change> {
public:
    void Write(const std::string& path, const std::string& content) { WriteFile(path, content); }
    void Remove(const std::string& path) { EXPECT_TRUE(DeleteFileA(path.c_str())) << path; }
    void Value(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& data) {
        SetRegistryValue(root, key, name, type, data);
    }
    void NoValue(HKEY root, const std::string& key, const std::string& name) { DeleteRegistryValue(root, key, name); }
    DefinitionLists& lists() { return lists_; }
};

const Change kChanges[] = {
    {"NewDirectoryWithFiles", nullptr,
     [](ChangeTest& t) {
         t.Write("C:\\NEWAPP\\a.txt", "a");
         t.Write("C:\\NEWAPP\\b.dat", "bb");
     },
     {"2.1|1|C:\\NEWAPP", "1.1|8|%SOURCE_PATH%\\1.fil|C:\\NEWAPP\\a.txt",
      "1.1|8|%SOURCE_PATH%\\2.fil|C:\\NEWAPP\\b.dat"}},
    {"RemovedDirectory", [](ChangeTest& t) { t.Write("C:\\OLD\\x.dat", "x"); },
     [](ChangeTest& t) {
         t.Remove("C:\\OLD\\x.dat");
         RemoveDirectoryA("C:\\OLD");
     },
     {"2.2|1|C:\\OLD", "1.2|8|C:\\OLD\\x.dat|"}},
    {"ChangedAndDeletedFiles",
     [](ChangeTest& t) {
         t.Write("C:\\APP\\keep.dat", "1");
         t.Write("C:\\APP\\gone.dat", "1");
     },
     [](ChangeTest& t) {
         t.Write("C:\\APP\\keep.dat", "22");
         t.Remove("C:\\APP\\gone.dat");
     },
     {"1.1|8|%SOURCE_PATH%\\1.fil|C:\\APP\\keep.dat", "1.2|8|C:\\APP\\gone.dat|"}},
    {"ChangedWinIniKeyGivesIdentifiersNotACopy", nullptr,
     [](ChangeTest&) { WritePrivateProfileStringA("windows", "Beep", "no", "win.ini"); },
     {"3.1|1|%*WINDIR%\\win.ini|windows|Beep|no", "3.2|1|%*WINDIR%\\win.ini|windows|Beep|yes"}},
    {"NewIniFileIsCopiedButGetsOnlyIdentifiers", nullptr,
     [](ChangeTest& t) { t.Write("C:\\WINDOWS\\app.ini", "; comment\r\n[Main]\r\nPath=C:\\WINDOWS\\app\r\n\r\n"
                                 "[Other]\r\nx=1\r\n"); },
     {"3.1|1|%*WINDIR%\\app.ini|Main|Path|%*WINDIR%\\app", "3.1|1|%*WINDIR%\\app.ini|Other|x|1"}},
    {"IniSectionRemovedAndAdded",
     [](ChangeTest& t) { t.Write("C:\\APP\\app.ini", "[Old]\r\na=1\r\n[Same]\r\nk=v\r\n"); },
     [](ChangeTest& t) { t.Write("C:\\APP\\app.ini", "[Same]\r\nk=v\r\nn=2\r\n[New]\r\nb=2\r\n"); },
     {"4.1|C:\\APP\\app.ini|Old", "3.1|1|C:\\APP\\app.ini|New|b|2", "3.1|1|C:\\APP\\app.ini|Same|n|2"}},
    {"RegistryKeysAndValues",
     [](ChangeTest& t) {
         t.Value(HKEY_CURRENT_USER, "Software\\Vendor", "changed", REG_DWORD, Dword(1));
         t.Value(HKEY_CURRENT_USER, "Software\\Vendor", "gone", REG_SZ, std::string("x\0", 2));
         t.Value(HKEY_CURRENT_USER, "Software\\Vendor\\Old", "v", REG_SZ, std::string("x\0", 2));
     },
     [](ChangeTest& t) {
         t.Value(HKEY_CURRENT_USER, "Software\\Vendor", "changed", REG_DWORD, Dword(2));
         t.NoValue(HKEY_CURRENT_USER, "Software\\Vendor", "gone");
         t.NoValue(HKEY_CURRENT_USER, "Software\\Vendor\\Old", "v");
         HKEY vendor;
         RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Vendor", &vendor);
         RegDeleteKeyA(vendor, "Old");
         RegCloseKey(vendor);
         t.Value(HKEY_CURRENT_USER, "Software\\Vendor\\App", "", REG_SZ, std::string("C:\\WINDOWS\\app.exe\0", 19));
         t.Value(HKEY_CURRENT_USER, "Software\\Vendor\\App", "Bin", REG_BINARY, "\x01\x02");
         t.Value(HKEY_CURRENT_USER, "Software\\Vendor\\App", "Expand", REG_EXPAND_SZ,
                 std::string("C:\\WINDOWS\0", 11));
     },
     {"6.2|1|HKEY_CURRENT_USER\\Software\\Vendor\\Old", "6.1|1|HKEY_CURRENT_USER\\Software\\Vendor\\App",
      "5.1|1|4|HKEY_CURRENT_USER\\Software\\Vendor\\App||%*WINDIR%\\app.exe (18)",
      "5.1|1|1|HKEY_CURRENT_USER\\Software\\Vendor\\App|Bin|0102 (2)",
      "5.1|1|6|HKEY_CURRENT_USER\\Software\\Vendor\\App|Expand|433A5C57494E444F575300 (11)",
      "5.1|1|3|HKEY_CURRENT_USER\\Software\\Vendor|changed|02000000 (4)",
      "5.2|1|0|HKEY_CURRENT_USER\\Software\\Vendor|gone| (0)"}},
    {"ShortStringsGetMacrosLongOnesStayRaw", nullptr,
     [](ChangeTest& t) {
         t.Value(HKEY_CURRENT_USER, "Software\\S", "short", REG_SZ, std::string("C:\\WINDOWS\\notepad.exe\0", 23));
         t.Value(HKEY_CURRENT_USER, "Software\\S", "long", REG_SZ, "C:\\WINDOWS\\" + std::string(233, 'x') + '\0');
     },
     {"6.1|1|HKEY_CURRENT_USER\\Software\\S",
      "5.1|1|2|HKEY_CURRENT_USER\\Software\\S|long|C:\\WINDOWS\\" + std::string(233, 'x') + " (245)",
      "5.1|1|2|HKEY_CURRENT_USER\\Software\\S|short|%*WINDIR%\\notepad.exe (22)"}},
    {"SharedDllNewInNewDirectoryIsCopiedOnce", nullptr,
     [](ChangeTest& t) {
         t.Write("C:\\SHARED\\lib.dll", "lib");
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SHARED\\lib.dll", REG_DWORD, Dword(1));
     },
     {"2.1|1|C:\\SHARED", "1.1|520|%SOURCE_PATH%\\1.fil|C:\\SHARED\\LIB.DLL"}},
    {"SharedDllCountsRaisedFallenRemovedAndOffTheDrives",
     [](ChangeTest& t) {
         t.Write("C:\\SYS\\up.dll", "u");
         t.Write("C:\\SYS\\down.dll", "d");
         t.Write("C:\\SYS\\short.dll", "s");
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SYS\\up.dll", REG_DWORD, Dword(1));
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SYS\\down.dll", REG_DWORD, Dword(3));
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SYS\\short.dll", REG_DWORD, Dword(2));
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SYS\\gone.dll", REG_DWORD, Dword(1));
     },
     [](ChangeTest& t) {
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SYS\\up.dll", REG_DWORD, Dword(2));
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SYS\\down.dll", REG_DWORD, Dword(2));
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SYS\\short.dll", REG_BINARY, "\x05");  // count 0
         t.NoValue(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\SYS\\gone.dll");
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "D:\\OTHER\\x.dll", REG_DWORD, Dword(1));
     },
     {"1.1|520|%SOURCE_PATH%\\1.fil|C:\\SYS\\UP.DLL", "1.2|520|C:\\SYS\\DOWN.DLL|",
      "1.2|520|C:\\SYS\\SHORT.DLL|", "1.2|520|C:\\SYS\\GONE.DLL|"}},
    {"SharedDllInRemovedDirectoryGetsOnlyTheSharedDelete",
     [](ChangeTest& t) {
         t.Write("C:\\GONE\\lib.dll", "lib");
         t.Value(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\GONE\\lib.dll", REG_DWORD, Dword(1));
     },
     [](ChangeTest& t) {
         t.Remove("C:\\GONE\\lib.dll");
         RemoveDirectoryA("C:\\GONE");
         t.NoValue(HKEY_LOCAL_MACHINE, kSharedDlls, "C:\\GONE\\lib.dll");
     },
     {"2.2|1|C:\\GONE", "1.2|520|C:\\GONE\\LIB.DLL|"}},
    {"TextFilesFindThenAddInTheFilesOrder",
     [](ChangeTest& t) {
         t.Write("C:\\AUTOEXEC.BAT", "@ECHO OFF\r\nSET TEMP=C:\\WINDOWS\\TEMP\r\nREM old\r\n");
         AddSorted(&t.lists().textFiles, "C:\\b_missing.txt");
     },
     [](ChangeTest& t) {
         t.Write("C:\\AUTOEXEC.BAT", "@ECHO OFF\r\nSET TEMP=C:\\WINDOWS\\TEMP\r\nZZZ last\r\nAAA first\r\nZZZ last\r\n");
         t.Write("C:\\CONFIG.SYS", "FILES=40\r\n");
     },
     // A missing listed file is passed over; config.sys behind it is still compared.
     {"12.2|128|C:\\autoexec.bat|REM old|", "11.2|C:\\autoexec.bat|ZZZ last", "11.2|C:\\autoexec.bat|AAA first",
      "12.2|128|C:\\config.sys|FILES=60|", "11.2|C:\\config.sys|FILES=40"}},
    {"HugeMultiStringGetsNoEntry", nullptr,
     [](ChangeTest& t) {
         t.Value(HKEY_CURRENT_USER, "Software\\M", "big", REG_MULTI_SZ, std::string(0x8001, 'm'));
         t.Value(HKEY_CURRENT_USER, "Software\\M", "small", REG_MULTI_SZ, std::string("a\0\0", 3));
     },
     {"6.1|1|HKEY_CURRENT_USER\\Software\\M", "5.1|1|9|HKEY_CURRENT_USER\\Software\\M|small|610000 (3)"},
     "Left out, too large to picture: HKEY_CURRENT_USER\\Software\\M\\big"},
    {"ShortStringGrownByAMacroIsWrittenWhole", nullptr,
     [](ChangeTest& t) {
         Settings().installDirectory = "C:\\A";
         t.Value(HKEY_CURRENT_USER, "Software\\G", "v", REG_SZ, "C:\\A\\" + std::string(236, 'g') + '\0');
     },
     {"10.1|TARGET_PATH|C:\\A", "6.1|1|HKEY_CURRENT_USER\\Software\\G",
      "5.1|1|2|HKEY_CURRENT_USER\\Software\\G|v|%TARGET_PATH%\\" + std::string(236, 'g') + " (251)"}},
};

TEST_P(ChangeTest, GivesItsEntries) {
    const Change& c = GetParam();
    if (c.before) c.before(*this);
    Before();
    c.change(*this);
    After();
    ASSERT_EQ(Make(), 0);
    EXPECT_EQ(Entries(), c.expected);
    if (!c.progress.empty()) {
        EXPECT_NE(std::find(g_progress.begin(), g_progress.end(), c.progress), g_progress.end()) << c.progress;
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangeTest, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

// ---- the run itself ----

TEST_F(MakeTemplateTest, BaseValuesComeFromTheClockAndTheSettings) {
    // 2001-01-01 13:00 local time (the test's zone is UTC).
    std::string zone = std::getenv("TZ") ? std::getenv("TZ") : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    auto clock = std::make_shared<vpr::win::ManualClock>();
    clock->SetUnixMs(978307200000LL + 13 * 3600 * 1000);
    vpr::win::SetClock(clock);
    Settings().runInterrupted = true;
    Settings().installDirectory = "C:\\APP";
    Before();
    After();
    ASSERT_EQ(Make(), 0);
    std::vector<std::string> lines = TemplateLines(kTemplate);
    vpr::win::SetClock(nullptr);
    zone.empty() ? ::unsetenv("TZ") : ::setenv("TZ", zone.c_str(), 1);
    ::tzset();
    EXPECT_EQ(lines, (std::vector<std::string>{"8.2|36892", "8.1|1", "7.1|App", "7.2|The App", "8.3|640",
                                               "10.1|SOURCE_PATH|C:\\OUT\\FILES", "10.1|TARGET_PATH|C:\\APP"}));
}

TEST_F(MakeTemplateTest, CopiesAreListedTheWorkDirectoryGoesAndARerunStartsAtOne) {
    Before();
    WriteFile("C:\\NEWAPP\\a.txt", "alpha");
    WriteFile("C:\\NEWAPP\\b.txt", "beta");
    After();
    ASSERT_EQ(Make(), 0);
    EXPECT_EQ(ReadFile("C:\\OUT\\FILES\\filedef.txt"), "1.fil=C:\\NEWAPP\\a.txt\r\n2.fil=C:\\NEWAPP\\b.txt\r\n");
    EXPECT_EQ(ReadFile("C:\\OUT\\FILES\\1.fil"), "alpha");
    EXPECT_EQ(ReadFile("C:\\OUT\\FILES\\2.fil"), "beta");
    EXPECT_FALSE(Exists(WorkDirectory('C')));
    EXPECT_FALSE(Exists(std::string(kTemplate) + "~"));

    Before();
    WriteFile("C:\\NEWAPP\\c.txt", "gamma");
    After();
    ASSERT_EQ(Make(), 0);
    EXPECT_EQ(ReadFile("C:\\OUT\\FILES\\filedef.txt"), "1.fil=C:\\NEWAPP\\c.txt\r\n");
    EXPECT_EQ(ReadFile("C:\\OUT\\FILES\\1.fil"), "gamma");
}

TEST_F(MakeTemplateTest, LogsOfAnEarlierRunLeaveNoTrace) {
    Before();
    WritePrivateProfileStringA("windows", "Beep", "no", "win.ini");
    After();
    // Left by an earlier run that did not finish.
    WriteFile(WorkDirectory('C') + "\\filshnew.txt", "C:\\STALE\\old.dll\r\n");
    WriteFile(WorkDirectory('C') + "\\filshdel.txt", "C:\\STALE\\gone.dll\r\n");
    WriteFile(WorkDirectory('C') + "\\inimod.txt", "C:\\WINDOWS\\WIN.INI\r\n");
    ASSERT_EQ(Make(), 0);
    // The file pass lists win.ini again: it is still compared once.
    EXPECT_EQ(Entries(), (std::vector<std::string>{"3.1|1|%*WINDIR%\\WIN.INI|windows|Beep|no",
                                                   "3.2|1|%*WINDIR%\\WIN.INI|windows|Beep|yes"}));
}

TEST_F(MakeTemplateTest, TemplateThatCannotBeMadeShows46AndKeepsTheWorkDirectory) {
    Before();
    After();
    std::string caption;
    driver_.OnMessageBox("Error creating the template file.", [&](const vpr::user::ModalElement& box) {
        caption = box.caption;
        vpr::user::ui::Click(box.window, IDOK);
    });
    EXPECT_EQ(IMPRXMakeTemplate('C', "C:\\MISSING\\app.qmt", kNewFiles, nullptr), -1);
    EXPECT_EQ(caption, "Invalid file name");
    EXPECT_TRUE(Settings().failureShown);
    EXPECT_TRUE(Exists(PictureDirectory('C', 1) + "\\files.txt"));
}

TEST_F(MakeTemplateTest, MissingPictureGivesMinusOneWithoutABox) {
    Before();
    Settings().failureShown = true;  // left from an earlier run
    EXPECT_EQ(Make(), -1);
    EXPECT_FALSE(Exists(kTemplate));
    EXPECT_TRUE(driver_.Seen().empty());
    EXPECT_FALSE(Settings().failureShown);
}

TEST_F(MakeTemplateTest, FailedWriteKeepsTheOldTemplateAndTheWorkDirectory) {
    WriteFile(kTemplate, "old template");
    MakeDirectory("C:\\NF");
    Before();
    for (int i = 0; i < 20; ++i) SetRegistryValue(HKEY_CURRENT_USER, "Software\\Many", "v" + std::to_string(i), REG_SZ, "x");
    After();
    ASSERT_TRUE(vpr::win::InjectFileFault("C:\\OUT", vpr::win::FileFault::DiskFull, 100));
    EXPECT_EQ(IMPRXMakeTemplate('C', kTemplate, "C:\\NF", nullptr), -1);
    vpr::win::ClearFileFaults();
    EXPECT_EQ(ReadFile(kTemplate), "old template");
    EXPECT_FALSE(Exists(std::string(kTemplate) + "~"));
    EXPECT_TRUE(Exists(PictureDirectory('C', 0) + "\\files.txt"));
}

TEST_F(MakeTemplateTest, ProgramManagerKeysAreLeftOutOnNT3) {
    Settings().platformCode = kPlatformNT3;
    Before();
    const std::string manager = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Program Manager";
    SetRegistryValue(HKEY_CURRENT_USER, "UNICODE Program Groups\\Main", "x", REG_BINARY, "\x01");
    SetRegistryValue(HKEY_CURRENT_USER, manager + "\\Settings", "Window", REG_SZ, std::string("1 2\0", 4));
    SetRegistryValue(HKEY_CURRENT_USER, "Software\\App", "v", REG_SZ, std::string("x\0", 2));
    After();
    ASSERT_EQ(Make(), 0);
    const std::string hkcu = "6.1|1|HKEY_CURRENT_USER\\";
    EXPECT_EQ(Entries(), (std::vector<std::string>{
                             hkcu + "Software\\App", "5.1|1|2|HKEY_CURRENT_USER\\Software\\App|v|x (2)",
                             hkcu + "Software\\Microsoft\\Windows NT", hkcu + "Software\\Microsoft\\Windows NT\\CurrentVersion",
                             hkcu + manager, hkcu + manager + "\\Settings"}));
}

}  // namespace
}  // namespace snapshot::testing
