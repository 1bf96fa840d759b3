// What a launch distributes: files and directories, INI, registry and text
// file settings, each entry kind and flag against the machine's real state.
#include <filesystem>
#include <string>
#include <vector>

#include "vpr/com/shell_link_file.h"
#include "vpr/win/clock.h"
#include "vpr/win/file_fault.h"
#include "vpr/win/restart.h"
#include "workstation_fixture.h"

namespace fs = std::filesystem;

namespace vpr::launcher {
namespace {

// What the status callback saw, in order.
struct Seen {
    DWORD status;
    std::string text;
    DWORD position, total;
};
std::vector<Seen> g_seen;
KmappReplaceStatus g_replace;  // its path is only good during the call
std::string g_replacePath;
DWORD g_answer = KMAPP_ANSWER_REPLACE;

DWORD Collect(DWORD status, void* record) {
    switch (status) {
        case KMAPP_STATUS_REPLACE_FILE:
            g_replace = *static_cast<KmappReplaceStatus*>(record);
            g_replacePath = g_replace.path;
            g_seen.push_back({status, g_replacePath, 0, 0});
            return g_answer;
        case KMAPP_STATUS_DIR_MADE:
        case KMAPP_STATUS_DIR_REMOVED:
        case KMAPP_STATUS_FILE_DELETED: {
            auto* path = static_cast<KmappPathStatus*>(record);
            g_seen.push_back({status, path->path, path->position, path->total});
            return 0;
        }
        default: {
            auto* item = static_cast<KmappItemStatus*>(record);
            g_seen.push_back({status, item->text, item->position, item->total});
            return 0;
        }
    }
}

class DistributionTest : public WorkstationTest {
protected:
    void SetUp() override {
        WorkstationTest::SetUp();
        g_seen.clear();
        g_answer = KMAPP_ANSWER_REPLACE;
        App("Tool.acme");
        Associate("jdoe.sales.acme", "Tool.acme", KMAPP_ASSOC_LAUNCHER);
        // Distributed at every launch, and nothing to start.
        tree.Set("Tool.acme", "App:Flags", {std::to_string(0x1000 | 0x80)});
        WriteFile("\\\\SERVER\\APPS\\NEW.TXT", "new");
    }

    void Files(const std::function<void(HFILE)>& write) { SetTemplate("Tool.acme", "App:Copy Files", write); }
    DWORD Run() { return Process("Tool.acme", "", &Collect).result; }

    void SetWriteTime(const std::string& windowsPath, int64_t secondsFromNow) {
        fs::last_write_time(machine->HostPath(windowsPath),
                            fs::file_time_type::clock::now() + std::chrono::seconds(secondsFromNow));
    }

    std::string RegistryText(HKEY root, const char* key, const char* name, DWORD* type = nullptr) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return "<no key>";
        char data[256] = {};
        DWORD size = sizeof data, got = 0;
        LONG result = RegQueryValueExA(opened, name, nullptr, &got, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(opened);
        if (type) *type = got;
        return result == ERROR_SUCCESS ? std::string(data, size) : "<none>";
    }

    std::string Ini(const char* section, const char* key) {
        char value[256];
        GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, "C:\\APP.INI");
        return value;
    }
};

TEST_F(DistributionTest, CopyModesAgainstAnAbsentAnOlderAndANewerTarget) {
    enum Target { kAbsent, kOlder, kNewer };
    struct Case {
        DWORD mode;
        bool copied[3];  // absent, older, newer
    } cases[] = {
        {0x1, {true, true, true}},   {0x2, {false, true, true}},  {0x4, {true, false, false}},
        {0x8, {true, true, false}},  {0x10, {false, true, false}},
    };
    for (const Case& c : cases) {
        for (Target target : {kAbsent, kOlder, kNewer}) {
            DeleteFileA("C:\\APP\\NEW.TXT");
            if (target != kAbsent) {
                WriteFile("C:\\APP\\NEW.TXT", "old");
                SetWriteTime("C:\\APP\\NEW.TXT", target == kOlder ? -3600 : 3600);
            }
            Files([&](HFILE f) { kmapptWriteFileEntry(f, 1, c.mode, "\\\\SERVER\\APPS\\NEW.TXT", "C:\\APP\\NEW.TXT"); });
            ASSERT_EQ(Run(), 0u) << "mode " << c.mode << " target " << target;
            std::string expected = c.copied[target] ? "new" : (target == kAbsent ? "" : "old");
            EXPECT_EQ(Exists("C:\\APP\\NEW.TXT") ? ReadFile("C:\\APP\\NEW.TXT") : "", expected)
                << "mode " << c.mode << " target " << target;
        }
    }
}

TEST_F(DistributionTest, AskingGivesBothFilesTimesAndSizesAndFollowsTheAnswer) {
    WriteFile("C:\\APP\\NEW.TXT", "older!");
    Files([](HFILE f) { kmapptWriteFileEntry(f, 1, 0x20, "\\\\SERVER\\APPS\\NEW.TXT", "C:\\APP\\NEW.TXT"); });
    g_answer = KMAPP_ANSWER_SKIP;
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(ReadFile("C:\\APP\\NEW.TXT"), "older!");
    EXPECT_EQ(g_replacePath, "C:\\APP\\NEW.TXT");
    EXPECT_EQ(g_replace.sourceSize, 3u);  // file 2: the source
    EXPECT_EQ(g_replace.targetSize, 6u);  // file 1: the existing target
    std::tm now{};
    vpr::win::ToLocalTime(vpr::win::CurrentTime(), &now);
    EXPECT_EQ(g_replace.targetYear, now.tm_year + 1900);
    EXPECT_EQ(g_replace.sourceYear, now.tm_year + 1900);
    EXPECT_GE(g_replace.sourceMonth, 1);
    g_answer = KMAPP_ANSWER_REPLACE;
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(ReadFile("C:\\APP\\NEW.TXT"), "new");
    // An absent target is copied without a question.
    DeleteFileA("C:\\APP\\NEW.TXT");
    g_seen.clear();
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(ReadFile("C:\\APP\\NEW.TXT"), "new");
    for (const Seen& seen : g_seen) EXPECT_NE(seen.status, KMAPP_STATUS_REPLACE_FILE);
}

TEST_F(DistributionTest, SharedFilesAreCountedAndGoWithTheirLastUser) {
    const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    Files([](HFILE f) { kmapptWriteFileEntry(f, 1, 0x201, "\\\\SERVER\\APPS\\NEW.TXT", "C:\\APP\\SHARED.DLL"); });
    ASSERT_EQ(Run(), 0u);
    ASSERT_EQ(Run(), 0u);
    DWORD type = 0;
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, key, "C:\\APP\\SHARED.DLL", &type), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(type, DWORD{REG_DWORD});
    Files([](HFILE f) { kmapptWriteFileEntry(f, 2, 0x200, "C:\\APP\\SHARED.DLL", ""); });
    ASSERT_EQ(Run(), 0u);
    EXPECT_TRUE(Exists("C:\\APP\\SHARED.DLL"));
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, key, "C:\\APP\\SHARED.DLL"), std::string("\x01\0\0\0", 4));
    ASSERT_EQ(Run(), 0u);
    EXPECT_FALSE(Exists("C:\\APP\\SHARED.DLL"));
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, key, "C:\\APP\\SHARED.DLL"), "<none>");
}

TEST_F(DistributionTest, DirectoriesAndFilesReportTheirPositionsPerKind) {
    WriteFile("C:\\FULL\\KEEP.TXT", "x");
    WriteFile("C:\\OLD.TXT", "x");
    Files([](HFILE f) {
        kmapptWriteDirEntry(f, 1, 0, "C:\\APP\\SUB\\DEEP");
        kmapptWriteFileEntry(f, 1, 0x1, "\\\\SERVER\\APPS\\NEW.TXT", "%*WINDIR%\\NEW.TXT");
        kmapptWriteDirEntry(f, 2, 0, "C:\\FULL");  // not empty: stays
        kmapptWriteFileEntry(f, 2, 0, "C:\\OLD.TXT", "");
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_TRUE(Exists("C:\\APP\\SUB\\DEEP"));
    EXPECT_TRUE(Exists("C:\\FULL\\KEEP.TXT"));
    EXPECT_EQ(ReadFile("C:\\WINDOWS\\NEW.TXT"), "new");
    EXPECT_FALSE(Exists("C:\\OLD.TXT"));
    ASSERT_EQ(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].status, KMAPP_STATUS_DIR_MADE);
    EXPECT_EQ(g_seen[0].position, 1u);
    EXPECT_EQ(g_seen[0].total, 2u);
    EXPECT_EQ(g_seen[1].status, KMAPP_STATUS_FILE_COPIED);
    EXPECT_EQ(g_seen[1].text, "C:\\WINDOWS\\NEW.TXT");
    EXPECT_EQ(g_seen[1].position, 1u);
    EXPECT_EQ(g_seen[1].total, 2u);
    EXPECT_EQ(g_seen[2].status, KMAPP_STATUS_FILE_DELETED);
    EXPECT_EQ(g_seen[2].position, 2u);
    // An empty directory goes.
    DeleteFileA("C:\\FULL\\KEEP.TXT");
    g_seen.clear();
    ASSERT_EQ(Run(), 0u);
    EXPECT_FALSE(Exists("C:\\FULL"));
}

TEST_F(DistributionTest, MacrosOfTheApplicationExpandIntoEveryText) {
    SetTemplate("Tool.acme", "App:Macros", [](HFILE f) {
        kmapptWriteMacroEntry(f, 1, "SOURCE_PATH", "\\\\SERVER\\APPS");
        kmapptWriteMacroEntry(f, 1, "TARGET_PATH", "%*WINDIR%\\%APPDIR%");
        kmapptWriteMacroEntry(f, 1, "APPDIR", "TOOL");
    });
    Files([](HFILE f) {
        kmapptWriteFileEntry(f, 1, 0x1, "%SOURCE_PATH%\\NEW.TXT", "%TARGET_PATH%\\NEW.TXT");
    });
    SetTemplate("Tool.acme", "App:INI Settings", [](HFILE f) {
        kmapptWriteIdentEntry(f, 1, 0x1, "C:\\APP.INI", "Paths", "Home", "%TARGET_PATH% %UNKNOWN% 100%");
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(ReadFile("C:\\WINDOWS\\TOOL\\NEW.TXT"), "new");
    EXPECT_EQ(Ini("Paths", "Home"), "C:\\WINDOWS\\TOOL %UNKNOWN% 100%");
}

TEST_F(DistributionTest, IniFlagsCreateReplaceAddAndDelete) {
    WriteFile("C:\\APP.INI", "[Main]\r\nKept=old\r\nReplaced=old\r\nList=a b\r\nGone=x\r\n[Old]\r\nA=1\r\n");
    SetTemplate("Tool.acme", "App:INI Settings", [](HFILE f) {
        kmapptWriteIdentEntry(f, 1, 0x4, "C:\\APP.INI", "Main", "Kept", "new");       // only if absent
        kmapptWriteIdentEntry(f, 1, 0x4, "C:\\APP.INI", "Main", "Fresh", "new");
        kmapptWriteIdentEntry(f, 1, 0x2, "C:\\APP.INI", "Main", "Replaced", "new");   // only if present
        kmapptWriteIdentEntry(f, 1, 0x2, "C:\\APP.INI", "Main", "NotThere", "new");
        kmapptWriteIdentEntry(f, 1, 0x40, "C:\\APP.INI", "Main", "List", "c");        // added to the value
        kmapptWriteIdentEntry(f, 1, 0x40, "C:\\APP.INI", "Main", "List", "a");        // already in it
        kmapptWriteIdentEntry(f, 2, 0, "C:\\APP.INI", "Main", "Gone", "");
        kmapptWriteSectionEntry(f, 1, "C:\\APP.INI", "Old");
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(Ini("Main", "Kept"), "old");
    EXPECT_EQ(Ini("Main", "Fresh"), "new");
    EXPECT_EQ(Ini("Main", "Replaced"), "new");
    EXPECT_EQ(Ini("Main", "NotThere"), "<none>");
    EXPECT_EQ(Ini("Main", "List"), "a b c");
    EXPECT_EQ(Ini("Main", "Gone"), "<none>");
    EXPECT_EQ(Ini("Old", "A"), "<none>");
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen.back().status, KMAPP_STATUS_INI);
    EXPECT_EQ(g_seen.back().position, 8u);
    EXPECT_EQ(g_seen.back().total, 8u);
}

TEST_F(DistributionTest, RegistryFlagsTypesAndDeletes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Tool", &key), ERROR_SUCCESS);
    RegSetValueExA(key, "Kept", 0, REG_SZ, reinterpret_cast<const BYTE*>("old"), 4);
    RegSetValueExA(key, "Gone", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Tool\\Old\\Child", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    SetTemplate("Tool.acme", "App:Registry Settings", [](HFILE f) {
        const BYTE number[4] = {0x2A, 0, 0, 0};
        kmapptWriteValueEntry(f, 1, 0x4, "HKEY_CURRENT_USER\\Software\\Tool", "Kept", 2, 4,
                              reinterpret_cast<const BYTE*>("new"));
        kmapptWriteValueEntry(f, 1, 0x1, "HKEY_CURRENT_USER\\Software\\Tool", "Dir", 2, 9,
                              reinterpret_cast<const BYTE*>("%*WINDIR%"));
        kmapptWriteValueEntry(f, 1, 0x1, "HKEY_CURRENT_USER\\Software\\Tool", "Count", 3, 4, number);
        kmapptWriteValueEntry(f, 1, 0x1, "HKEY_CURRENT_USER\\Software\\Tool", "(Default)", 4, 5,
                              reinterpret_cast<const BYTE*>("text"));
        kmapptWriteValueEntry(f, 2, 0, "HKEY_CURRENT_USER\\Software\\Tool", "Gone", 0, 0, nullptr);
        kmapptWriteKeyEntry(f, 1, 0, "HKEY_CURRENT_USER\\Software\\Tool\\Empty");
        kmapptWriteKeyEntry(f, 2, 0, "HKEY_CURRENT_USER\\Software\\Tool\\Old");
    });
    ASSERT_EQ(Run(), 0u);
    DWORD type = 0;
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, "Software\\Tool", "Kept"), std::string("old\0", 4));
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, "Software\\Tool", "Dir", &type), std::string("C:\\WINDOWS\0", 11));
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, "Software\\Tool", "Count", &type), std::string("\x2A\0\0\0", 4));
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, "Software\\Tool", "", &type), std::string("text\0", 5));
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, "Software\\Tool", "Gone"), "<none>");
    EXPECT_NE(RegistryText(HKEY_CURRENT_USER, "Software\\Tool\\Empty", "x"), "<no key>");
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, "Software\\Tool\\Old", "x"), "<no key>");
    // A default value whose data is no terminated text is written as bytes.
    SetTemplate("Tool.acme", "App:Registry Settings", [](HFILE f) {
        kmapptWriteValueEntry(f, 1, 0x1, "HKEY_CURRENT_USER\\Software\\Tool", "(Default)", 4, 4,
                              reinterpret_cast<const BYTE*>("text"));
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, "Software\\Tool", "", &type), "text");
    EXPECT_EQ(type, DWORD{REG_BINARY});
}

TEST_F(DistributionTest, TextFilesGainLinesAndLoseOrChangeWhatIsFound) {
    WriteFile("C:\\AUTOEXEC.BAT", "@ECHO OFF\r\nSET TEMP=C:\\TEMP\r\nREM old tool\r\nPATH C:\\DOS;C:\\OLD\r\n");
    SetTemplate("Tool.acme", "App:Text Files", [](HFILE f) {
        kmapptWriteTextAddEntry(f, 1, "C:\\AUTOEXEC.BAT", "REM first");
        kmapptWriteTextAddEntry(f, 2, "C:\\AUTOEXEC.BAT", "SET TOOL=%*WINDIR%");
        kmapptWriteTextAddEntry(f, 2, "C:\\AUTOEXEC.BAT", "@ECHO OFF");  // there already
        kmapptWriteTextFindEntry(f, 2, 0x80, "C:\\AUTOEXEC.BAT", "REM old tool", "");
        kmapptWriteTextFindEntry(f, 1, 0x100, "C:\\AUTOEXEC.BAT", "C:\\OLD", "C:\\NEW");
        kmapptWriteTextFindEntry(f, 1, 0x80, "C:\\AUTOEXEC.BAT", "SET TEMP=C:\\TEMP", "SET TEMP=C:\\TMP");
        kmapptWriteTextFindEntry(f, 2, 0x100, "C:\\AUTOEXEC.BAT", "C:\\DOS;", "");
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(ReadFile("C:\\AUTOEXEC.BAT"),
              "REM first\r\n@ECHO OFF\r\nSET TEMP=C:\\TMP\r\nPATH C:\\NEW\r\nSET TOOL=C:\\WINDOWS\r\n");
}

// The shortcut file at `path` as "program|arguments|description|icon,index|dir|show".
std::string Shortcut(const std::string& path) {
    vpr::com::ShellLink link;
    std::string error;
    if (!vpr::com::ReadShellLinkFile(path, &link, &error)) return "<" + error + ">";
    return vpr::com::ShellLinkTargetPath(link) + "|" + link.arguments.value_or("") + "|" + link.name.value_or("") +
           "|" + link.iconLocation.value_or("") + "," + std::to_string(link.iconIndex) + "|" +
           link.workingDirectory.value_or("") + "|" + std::to_string(link.showCommand);
}

TEST_F(DistributionTest, GroupsItemsAndShortcutsBecomeFoldersAndShortcutFiles) {
    const std::string programs = "C:\\WINDOWS\\Profiles\\jdoe\\Start Menu\\Programs";
    WriteFile(programs + "\\Old Group\\Old.lnk", "whatever");
    WriteFile(programs + "\\Old Group\\notes.txt", "kept");
    WriteFile(programs + "\\Gone\\Gone.lnk", "whatever");
    WriteFile(programs + "\\Tools\\Stale.lnk", "whatever");
    SetTemplate("Tool.acme", "App:Program Groups", [](HFILE f) {
        kmapptWritePMGroupEntry(f, 1, "Tools");
        kmapptWritePMGroupEntry(f, 2, "Old Group");  // its shortcuts go, the other file keeps it
        kmapptWritePMGroupEntry(f, 2, "Gone");
        kmapptWriteUserIconEntry(f, 1, "Tools", "Tool", "%*WINDIR%\\TOOL.EXE", "", "C:\\ICONS\\T.ICO", "C:\\WORK",
                                 0, 2, 0, 0);
        kmapptWriteUserIconEntry(f, 2, "Tools", "Stale", "", "", "", "", 0, 0, 0, 0);
        kmapptWriteUserIconEntry(f, 3, "%*WINDESKTOP%\\Tool.lnk", "The tool", "C:\\APPS\\TOOL.EXE", "/fast", "", "",
                                 0, 0, 3, 0);
        kmapptWriteUserIconEntry(f, 3, "Nested\\Deep\\Tool.lnk", "", "C:\\APPS\\TOOL.EXE", "", "", "", 0, 0, 0, 0);
        kmapptWriteUserIconEntry(f, 4, "%*WINDESKTOP%\\Missing.lnk", "", "", "", "", "", 0, 0, 0, 0);
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(Shortcut(programs + "\\Tools\\Tool.lnk"), "C:\\WINDOWS\\TOOL.EXE|||C:\\ICONS\\T.ICO,2|C:\\WORK|1");
    EXPECT_FALSE(Exists(programs + "\\Tools\\Stale.lnk"));
    EXPECT_FALSE(Exists(programs + "\\Old Group\\Old.lnk"));
    EXPECT_EQ(ReadFile(programs + "\\Old Group\\notes.txt"), "kept");
    EXPECT_FALSE(Exists(programs + "\\Gone"));
    EXPECT_EQ(Shortcut("C:\\WINDOWS\\Profiles\\jdoe\\Desktop\\Tool.lnk"), "C:\\APPS\\TOOL.EXE|/fast|The tool|,0||3");
    EXPECT_EQ(Shortcut(programs + "\\Nested\\Deep\\Tool.lnk"), "C:\\APPS\\TOOL.EXE|||,0||1");
}

TEST_F(DistributionTest, AShortcutTheSnapshotRecordedComesBackAsItWas) {
    // The snapshot writes a shortcut as: link path, description, program,
    // arguments, icon file, working directory; icon index and show command.
    vpr::com::ShellLink original = vpr::com::ShellLinkToPath("C:\\APPS\\TOOL.EXE");
    original.name = "The tool";
    original.arguments = "-x \"a b\"";
    original.iconLocation = "C:\\APPS\\TOOL.EXE";
    original.iconIndex = 4;
    original.workingDirectory = "C:\\APPS";
    original.showCommand = 7;
    const std::string path = "C:\\WINDOWS\\Profiles\\jdoe\\Start Menu\\Programs\\Tool\\Tool.lnk";
    std::string error;
    ASSERT_TRUE(vpr::com::WriteShellLinkFile("C:\\ORIGINAL.LNK", original, &error)) << error;
    const std::string before = Shortcut("C:\\ORIGINAL.LNK");
    SetTemplate("Tool.acme", "App:Program Groups", [&](HFILE f) {
        kmapptWriteUserIconEntry(f, 3, "%*STARTMENU%\\Programs\\Tool\\Tool.lnk", original.name->c_str(), "C:\\APPS\\TOOL.EXE",
                                 original.arguments->c_str(), original.iconLocation->c_str(),
                                 original.workingDirectory->c_str(), 0, 4, 7, 0);
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(Shortcut(path), before);
}

TEST_F(DistributionTest, AShortcutThatCannotBeWrittenFailsTheLaunchNamingIt) {
    WriteFile("C:\\BLOCK", "a file where the folder should be");
    SetTemplate("Tool.acme", "App:Program Groups", [](HFILE f) {
        kmapptWriteUserIconEntry(f, 3, "C:\\BLOCK\\Tool.lnk", "", "C:\\APPS\\TOOL.EXE", "", "", "", 0, 0, 0, 0);
    });
    Result result = Process("Tool.acme", "", &Collect);
    EXPECT_EQ(result.result, KMAPP_LAUNCH_GROUP_FAILED);
    EXPECT_EQ(result.buffer, "C:\\BLOCK\\Tool.lnk");
}

TEST_F(DistributionTest, ADistributedProgramRunsFromItsNewPlace) {
    tree.Set("Tool.acme", "App:Flags", {std::to_string(0x1000)});
    tree.Set("Tool.acme", "App:Path", {"%*WINDIR%\\TOOL\\Tool.SH"});
    Files([](HFILE f) {
        kmapptWriteFileEntry(f, 1, 0x8, "\\\\SERVER\\APPS\\Tool.SH", "%*WINDIR%\\TOOL\\Tool.SH");
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(Starts(), std::vector<std::string>{"C:\\WINDOWS\\TOOL\\Tool.SH"});
}

TEST_F(DistributionTest, ASecondLaunchDistributesOnlyAfterVerifyOrANewVersion) {
    tree.Set("Tool.acme", "App:Flags", {std::to_string(0x80)});
    tree.Set("Tool.acme", "App:Version String", {"1.0"});
    Files([](HFILE f) { kmapptWriteFileEntry(f, 1, 0x1, "\\\\SERVER\\APPS\\NEW.TXT", "C:\\APP\\NEW.TXT"); });
    ASSERT_EQ(Run(), 0u);
    KmappFolder* folders = KMAPPGetFoldersEx(context, nullptr, 1, KMAPP_ASSOC_ALL, 15);
    ASSERT_NE(folders, nullptr);
    const KmappApplication* tool = folders->applications;
    EXPECT_STREQ(tool->context, "acme");
    EXPECT_EQ(KMAPPIsInstalled(tree.name().c_str(), tool->context, tool->guid), 1);
    EXPECT_EQ(KMAPPIsInstalled(KMAPP_PERSONAL_NODE, tool->context, tool->guid), 1);
    DeleteFileA("C:\\APP\\NEW.TXT");
    ASSERT_EQ(Run(), 0u);
    EXPECT_FALSE(Exists("C:\\APP\\NEW.TXT"));  // installed already
    tree.Set("Tool.acme", "App:Version String", {"1.1"});
    ASSERT_EQ(Run(), 0u);
    EXPECT_TRUE(Exists("C:\\APP\\NEW.TXT"));   // a new version
    DeleteFileA("C:\\APP\\NEW.TXT");
    EXPECT_EQ(KMAPPMarkNotInstalled(tree.name().c_str(), tool->context), 0);  // Verify
    EXPECT_EQ(KMAPPIsInstalled(tree.name().c_str(), tool->context, tool->guid), 0);
    ASSERT_EQ(Run(), 0u);
    EXPECT_TRUE(Exists("C:\\APP\\NEW.TXT"));
    KMAPPFreeGetFoldersEx(folders);
}

class RestartTest : public DistributionTest, public ::testing::WithParamInterface<vpr::machine::Platform> {
protected:
    RestartTest() { platform_ = GetParam(); }
    void TearDown() override {
        vpr::win::ClearFileFaults();
        DistributionTest::TearDown();
    }
};

TEST_P(RestartTest, AFileInUseIsReplacedAtRestartAndTheProgramWaits) {
    tree.Set("Tool.acme", "App:Flags", {"0"});
    WriteFile("C:\\APP\\BUSY.DLL", "old");
    Files([](HFILE f) { kmapptWriteFileEntry(f, 1, 0x1, "\\\\SERVER\\APPS\\NEW.TXT", "C:\\APP\\BUSY.DLL"); });
    SetTemplate("Tool.acme", "App:INI Settings",
                [](HFILE f) { kmapptWriteIdentEntry(f, 1, 0x1, "C:\\APP.INI", "Main", "After", "yes"); });
    ASSERT_TRUE(vpr::win::InjectFileFault("C:\\APP\\BUSY.DLL", vpr::win::FileFault::Busy));
    Result result = Process("Tool.acme");
    vpr::win::ClearFileFaults();
    EXPECT_EQ(result.result, KMAPP_LAUNCH_RESTART);
    EXPECT_EQ(Ini("Main", "After"), "yes");  // every entry still ran
    EXPECT_TRUE(Starts().empty());
    EXPECT_EQ(ReadFile("C:\\APP\\BUSY.DLL"), "old");
    KmappFolder* folders = KMAPPGetFoldersEx(context, nullptr, 1, KMAPP_ASSOC_ALL, 15);
    ASSERT_NE(folders, nullptr);
    KmappApplication* tool = folders->applications;
    EXPECT_EQ(KMAPPIsInstalled(tree.name().c_str(), tool->context, tool->guid), 1);
    // The shell records the failure; the installation stays recorded.
    EXPECT_EQ(KMAPPRecordLaunch(tool, 0), 0);
    EXPECT_EQ(KMAPPIsInstalled(tree.name().c_str(), tool->context, tool->guid), 1);
    KMAPPFreeGetFoldersEx(folders);

    std::vector<vpr::win::RestartStep> steps;
    std::string error;
    ASSERT_TRUE(vpr::win::RestartMachine(&steps, &error)) << error;
    EXPECT_EQ(ReadFile("C:\\APP\\BUSY.DLL"), "new");
    // The next launch starts the program.
    EXPECT_EQ(Process("Tool.acme").result, 0u);
    EXPECT_EQ(Starts().size(), 1u);
}

TEST_P(RestartTest, AlwaysRebootGivesTheRestartAfterADistributionAndNeverRebootStarts) {
    tree.Set("Tool.acme", "App:Flags", {std::to_string(0x200)});
    EXPECT_EQ(Process("Tool.acme").result, KMAPP_LAUNCH_RESTART);
    EXPECT_EQ(Process("Tool.acme").result, 0u);  // installed: it starts
    EXPECT_EQ(Starts().size(), 1u);
    tree.Set("Tool.acme", "App:Flags", {std::to_string(0x200 | 0x1000)});
    EXPECT_EQ(Process("Tool.acme").result, KMAPP_LAUNCH_RESTART);
    WriteFile("C:\\APP\\BUSY.DLL", "old");
    Files([](HFILE f) { kmapptWriteFileEntry(f, 1, 0x1, "\\\\SERVER\\APPS\\NEW.TXT", "C:\\APP\\BUSY.DLL"); });
    tree.Set("Tool.acme", "App:Flags", {std::to_string(0x800 | 0x1000)});
    ASSERT_TRUE(vpr::win::InjectFileFault("C:\\APP\\BUSY.DLL", vpr::win::FileFault::Busy));
    EXPECT_EQ(Process("Tool.acme").result, 0u);
    EXPECT_EQ(Starts().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Platforms, RestartTest,
                         ::testing::Values(vpr::machine::Platform::Win95, vpr::machine::Platform::NT4),
                         [](const auto& info) { return info.param == vpr::machine::Platform::NT4 ? "NT" : "Win95"; });

}  // namespace
}  // namespace vpr::launcher
