// Launches that fail: the result, its detail and the name in the buffer,
// and a line in the library's log for each.
#include <cstring>
#include <functional>
#include <string>

#include "vpr/machine/machine.h"
#include "workstation_fixture.h"

namespace vpr::launcher {
namespace {

class FailureTest : public WorkstationTest {
protected:
    void SetUp() override {
        WorkstationTest::SetUp();
        App("Tool.acme");
        Associate("jdoe.sales.acme", "Tool.acme", KMAPP_ASSOC_LAUNCHER);
    }
    void Drive(const std::string& text) { tree.Set("Tool.acme", "App:Drive Mappings", {text}); }
    void MapLetter(char letter, const std::string& hostFolder) {
        auto facts = *machine->machine();
        std::string error;
        ASSERT_TRUE(vpr::machine::SetMachineFact(&facts, std::string("drive.") + letter, hostFolder, &error));
        ASSERT_TRUE(facts.Save(&error));
        ASSERT_TRUE(vpr::machine::ReloadMachine(&error));
    }
};

TEST_F(FailureTest, EachFailureNamesWhatFailedAndIsLogged) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        DWORD result, detail;
        std::string buffer;
    } cases[] = {
        {"bad drive text", [&] { Drive("no mapping"); }, KMAPP_LAUNCH_BAD_DRIVE, ERROR_BAD_NETPATH, "no mapping"},
        {"unknown share", [&] { Drive("4G:=\\\\OTHER\\VOL"); }, KMAPP_LAUNCH_NO_SERVER, ERROR_BAD_NETPATH, "OTHER"},
        {"letter in use",
         [&] {
             MapLetter('G', machine->root() + "/c");
             Drive("4G:=\\\\SERVER\\APPS");
         },
         KMAPP_LAUNCH_DRIVE_IN_USE, 85, "G:"},
        {"bad capture",
         [&] {
             tree.Set("Tool.acme", "App:Drive Mappings", {});
             tree.Set("Tool.acme", "App:Printer Ports", {"LPT1:=Q /X "});
         },
         KMAPP_LAUNCH_BAD_CAPTURE, ERROR_INVALID_DATA, "LPT1:=Q /X "},
        {"unknown queue", [&] { tree.Set("Tool.acme", "App:Printer Ports", {"LPT1:=Nowhere.acme "}); },
         KMAPP_LAUNCH_BAD_QUEUE, ERROR_BAD_NETPATH, "Nowhere.acme"},
        {"startup script",
         [&] {
             tree.Set("Tool.acme", "App:Printer Ports", {});
             tree.Stream("Tool.acme", "App:Startup Script", "MAP G:=SYS:");
         },
         KMAPP_LAUNCH_NO_SCRIPTS, ERROR_FILE_NOT_FOUND, KMAPP_SCRIPT_PROCESSOR},
        {"registry key that cannot be written",
         [&] {
             tree.Stream("Tool.acme", "App:Startup Script", "");
             HKEY locked = nullptr;
             RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Locked", &locked);
             RegCloseKey(locked);
             vpr::win::SetRegistryKeyDeniedAccess(HKEY_CURRENT_USER, "Software\\Locked", KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
             SetTemplate("Tool.acme", "App:Registry Settings", [](HFILE f) {
                 kmapptWriteKeyEntry(f, 1, 0, "HKEY_CURRENT_USER\\Software\\Locked\\Sub");
             });
         },
         KMAPP_LAUNCH_REGISTRY_FAILED, ERROR_ACCESS_DENIED, "HKEY_CURRENT_USER\\Software\\Locked\\Sub"},
        {"unknown registry root",
         [&] {
             SetTemplate("Tool.acme", "App:Registry Settings",
                         [](HFILE f) { kmapptWriteKeyEntry(f, 1, 0, "HKEY_NOWHERE\\Software"); });
         },
         KMAPP_LAUNCH_BAD_REGISTRY, ERROR_INVALID_DATA, "HKEY_NOWHERE\\Software"},
        {"missing program",
         [&] {
             SetTemplate("Tool.acme", "App:Registry Settings", [](HFILE) {});
             tree.Set("Tool.acme", "App:Path", {"\\\\SERVER\\APPS\\MISSING.EXE"});
         },
         KMAPP_LAUNCH_START_FAILED, ERROR_FILE_NOT_FOUND, "\\\\SERVER\\APPS\\MISSING.EXE"},
    };
    for (const Case& c : cases) {
        c.arrange();
        size_t logged = LogLines().size();
        Result result = Process("Tool.acme", "caller text");
        EXPECT_EQ(result.result, c.result) << c.what;
        EXPECT_EQ(result.detail, c.detail) << c.what;
        EXPECT_EQ(result.buffer, c.buffer) << c.what;
        std::vector<std::string> lines = LogLines();
        ASSERT_EQ(lines.size(), logged + 1) << c.what;
        EXPECT_NE(lines.back().find("jdoe.sales.acme Tool.acme: launch failed"), std::string::npos) << lines.back();
        EXPECT_TRUE(Starts().empty()) << c.what;
    }
    // The drive in use was left alone; no drive of a failed launch stays.
    auto facts = machine->machine();
    EXPECT_EQ(facts->DriveFolder('G'), machine->root() + "/c");
}

TEST_F(FailureTest, AnApplicationThatLogsErrorsKeepsItsOwnLogToo) {
    tree.Set("Tool.acme", "App:Flags", {std::to_string(0x400)});
    tree.Set("Tool.acme", "App:Error Log Path", {"C:\\TOOL.LOG"});
    tree.Set("Tool.acme", "App:Path", {"C:\\MISSING.EXE"});
    EXPECT_EQ(Process("Tool.acme").result, KMAPP_LAUNCH_START_FAILED);
    KMAPPLogString(context, "Tool.acme", 0, "Could not launch Tool");
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(ReadFile("C:\\TOOL.LOG"), lines[lines.size() - 2] + "\n" + lines.back() + "\n");
    EXPECT_NE(lines.back().find(" jdoe.sales.acme Tool.acme: Could not launch Tool"), std::string::npos);
}

TEST_F(FailureTest, TheBufferNeverTakesMoreThanItsSize) {
    std::string longName = "\\\\SERVER\\APPS\\" + std::string(2000, 'X') + ".EXE";
    tree.Set("Tool.acme", "App:Path", {longName});
    char buffer[1255 + 8];
    std::memset(buffer, '#', sizeof buffer);
    buffer[0] = 0;
    DWORD detail = 0;
    EXPECT_EQ(KMAPPProcessApplication(context, "Tool.acme", &detail, buffer, 1254, nullptr), KMAPP_LAUNCH_START_FAILED);
    EXPECT_EQ(std::strlen(buffer), 1254u);
    for (size_t i = 1255; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#');
}

TEST_F(FailureTest, DrivesAreMappedForTheProgramAndReleasedWhenItEnds) {
    WriteFile("\\\\SERVER\\APPS\\TOOL\\TOOL.SH", "#!/bin/sh\nexit 3\n", true);
    tree.Set("Tool.acme", "App:Path", {"G:\\TOOL.SH"});
    Drive("5G:=\\\\SERVER\\APPS\\TOOL");  // root, first on PATH
    tree.Set("Tool.acme", "App:Printer Ports", {"LPT2:=Tool.acme /NB "});
    ASSERT_EQ(Process("Tool.acme").result, 0u);
    EXPECT_EQ(machine->machine()->DriveFolder('G'), machine->root() + "/server/apps/TOOL");
    EXPECT_EQ(Starts().size(), 1u);
    // The monitor sees the program end, releases the drive and records it.
    for (int i = 0; i < 1000 && !machine->machine()->DriveFolder('G').empty(); ++i) {
        KMAPPMonitorApplications();
        Sleep(5);
    }
    EXPECT_EQ(machine->machine()->DriveFolder('G'), "");
    bool released = false;
    for (const auto& entry : machine->machine()->ReadJournal())
        released = released || (entry.kind == "capture-end" && entry.text == "LPT2");
    EXPECT_TRUE(released);
    std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("Tool.acme: ended with exit code 3"), std::string::npos) << lines.back();
}

}  // namespace
}  // namespace vpr::launcher
