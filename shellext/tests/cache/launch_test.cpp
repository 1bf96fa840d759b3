// Launching through the scripted launcher library: the message each failure
// selects, logged before it is shown; the file-replace questions; long
// parameter texts; launches refused while one runs; Force Run applications
// started once per schedule check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cache/launch_status_dlg.h"
#include "script_fixture.h"
#include "vpr/user/ui_driver.h"

namespace ui = vpr::user::ui;

namespace {

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class LaunchTest : public ScriptedCacheTest {
protected:
    void SetUp() override {
        ScriptedCacheTest::SetUp();
        AddApp("apps.acme", "one.acme", 0x1, 0x1);
        AddApp("apps.acme", "two.acme", 0x1, 0x1);
        StartCache();
        WaitForRebuilds(1);
    }
    void Script(DWORD result, DWORD detail, const char* buffer, int questions = 0) {
        Entry<ScriptSetLaunchFn>("ScriptSetLaunch")(result, detail, buffer, questions);
    }
    template <class F>
    void During(F* function) {
        Entry<ScriptDuringLaunchFn>("ScriptDuringLaunch")(
            [](void* data) { (*static_cast<F*>(data))(); }, function);
    }

    vpr::user::UiDriver driver;
};

TEST_F(LaunchTest, EachFailureShowsItsMessageAfterLoggingIt) {
    struct Case {
        DWORD result, detail;
        const char* buffer;
        const char* message;  // "" for none
        const char* caption;
    } cases[] = {
        {0xD004, 85, "G:",
         "Could not get needed resources for application [one.acme] to be launched (id=85).\n\nProblem:  Drive "
         "requested is already in use.  Unable to map drive [G:]",
         "Setup Resources Status"},
        {0xD004, 5, "G:",
         "Could not get needed resources for application [one.acme] to be launched (id=5).\n\nProblem:  Unable to "
         "map drive [G:]",
         "Setup Resources Status"},
        {0xD009, 2, "\\\\SERVER\\APPS\\ONE.EXE",
         "Could not launch one.acme (using \\\\SERVER\\APPS\\ONE.EXE) (id=2)\n\nProblem: File was not found or DLLs "
         "required to run are missing.",
         "VPR Explorer Status"},
        {0xD009, 1152, "\\\\SERVER\\APPS\\ONE.EXE", "", ""},
        {0x1D013, 7, "",
         "Could not configure workstation for application [one.acme] (id=7).\n\nProblem:  Invalid registry "
         "settings. (1D013)",
         "Configure Workstation Status"},
        {0xD018, 5, "C:\\APPS\\ONE.DLL",
         "Could not configure workstation for application [one.acme] (id=5).\n\nProblem:  Unable to copy file "
         "[C:\\APPS\\ONE.DLL]. (D018)",
         "Configure Workstation Status"},
        {0xD00C, 4, "", "Unknown launch status (id=4, 53260)", "VPR Explorer Status"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Entry<ScriptResetFn>("ScriptReset")();
        Script(c.result, c.detail, c.buffer);
        std::string expectedLog = std::string("log one.acme: ") + c.message + "\n";
        bool shown = false;
        if (*c.message) {
            driver.OnMessageBox(std::string(c.message).substr(0, 20), [&](const vpr::user::ModalElement& box) {
                shown = true;
                EXPECT_EQ(box.caption, c.caption);
                EXPECT_NE(box.messageBoxType & MB_ICONWARNING, 0u);
                // The log line is written before the box appears.
                EXPECT_NE(Events().find(expectedLog), std::string::npos) << Events();
                ui::Click(box.window, IDOK);
            });
        }
        cache->Launch(Key("one.acme").c_str(), nullptr);
        std::string events = Events();
        EXPECT_EQ(shown, *c.message != '\0');
        EXPECT_EQ(Count(events, "log "), *c.message ? 1 : 0) << events;
        EXPECT_EQ(Count(events, "\nlaunch one.acme"), 1);
        // The failure is recorded after the launch's own record.
        EXPECT_EQ(events.find("record one.acme 1\nlaunch one.acme"), 0u) << events;
        EXPECT_EQ(Count(events, "record one.acme 0"), 1) << events;
    }
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

TEST_F(LaunchTest, TheRestartQuestionIsAskedAndNothingLogged) {
    Script(0xD01B, 0, "");
    bool asked = false;
    driver.OnMessageBox("You must restart your computer", [&](const vpr::user::ModalElement& box) {
        asked = true;
        EXPECT_EQ(box.caption, "System Settings Change");
        ui::Click(box.window, IDNO);
    });
    cache->Launch(Key("one.acme").c_str(), nullptr);
    EXPECT_TRUE(asked);
    EXPECT_EQ(Count(Events(), "log "), 0);
    EXPECT_TRUE(driver.Failures().empty());
}

TEST_F(LaunchTest, YesToAllAnswersTheLaunchsLaterQuestionsWithoutADialog) {
    Script(0, 0, nullptr, 3);
    int dialogs = 0;
    driver.OnDialog(10425, [&](const vpr::user::ModalElement& dialog) {
        ++dialogs;
        EXPECT_EQ(dialog.caption, "Confirm File Replace");
        EXPECT_NE(dialog.text.find("The file 'FILE1.DLL' already exists."), std::string::npos) << dialog.text;
        EXPECT_NE(dialog.text.find("1024 bytes"), std::string::npos) << dialog.text;
        EXPECT_NE(dialog.text.find("2048 bytes"), std::string::npos) << dialog.text;
        ui::Click(dialog.window, 10428);
    });
    cache->Launch(Key("one.acme").c_str(), nullptr);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(Count(Events(), "answer 257"), 3) << Events();

    // The next launch asks again; No skips the file.
    Entry<ScriptResetFn>("ScriptReset")();
    Script(0, 0, nullptr, 1);
    driver.OnDialog(10425, [&](const vpr::user::ModalElement& dialog) {
        ++dialogs;
        ui::Click(dialog.window, 10429);
    });
    cache->Launch(Key("one.acme").c_str(), nullptr);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(Count(Events(), "answer 256"), 1) << Events();
    EXPECT_TRUE(driver.Failures().empty());
}

TEST_F(LaunchTest, ParametersAndTheLibrarysTextStopAt1254Characters) {
    std::string longText(2000, 'p');
    std::string full(1300, 'b');  // the library fills its whole buffer, no terminator
    Script(0xD001, 3, full.c_str());
    std::string message;
    driver.OnMessageBox("Could not get needed", [&](const vpr::user::ModalElement& box) {
        message = box.text;
        ui::Click(box.window, IDOK);
    });
    cache->Launch(Key("one.acme").c_str(), longText.c_str());
    std::string events = Events();
    EXPECT_NE(events.find("launch one.acme " + std::string(1254, 'p') + "\n"), std::string::npos);
    EXPECT_NE(events.find("Invalid drive path [" + std::string(1254, 'b') + "]\n"), std::string::npos);
    EXPECT_FALSE(message.empty());
}

TEST_F(LaunchTest, ALaunchWhileOneRunsIsRefusedAndRecordsNothing) {
    BOOL openInside = FALSE, nested = TRUE, check = TRUE;
    auto inside = [&] {
        openInside = CLaunchStatusDlg::IsOpen();
        nested = cache->Launch(Key("two.acme").c_str(), nullptr);
        check = cache->CheckSchedules();
    };
    During(&inside);
    cache->Launch(Key("one.acme").c_str(), nullptr);
    EXPECT_TRUE(openInside);
    EXPECT_FALSE(nested);
    EXPECT_FALSE(check);
    EXPECT_FALSE(CLaunchStatusDlg::IsOpen());
    std::string events = Events();
    EXPECT_EQ(Count(events, "launch "), 1) << events;
    EXPECT_EQ(Count(events, "two.acme"), 0) << events;
}

TEST(LaunchDefaultsTest, NoLaunchWithoutTheEntryPointOrAnItem) {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "jdoe");
    CShellExtApp app;
    CShellAppLibrary library;  // no library on this machine
    EXPECT_EQ(library.ProcessApplication("TEST_TREE\tone.acme", nullptr), -1);
    EXPECT_FALSE(CLaunchStatusDlg::IsOpen());
}

class ForceRunTest : public ScriptedCacheTest {};

TEST_F(ForceRunTest, AnApplicationInTwoFoldersStartsOncePerCheck) {
    AddApp("first.acme", "two.acme", 0x3, 0);
    AddApp("second.acme", "two.acme", 0x3, 0);
    AddApp("first.acme", "one.acme", 0x1, 0x1);
    StartCache();
    WaitForRebuilds(1);
    CStringArray keys;
    EXPECT_EQ(cache->ListNodeApps(0x2F, "TEST_TREE\t", &keys), 1);  // one.acme only: two.acme is not active

    // The schedule makes it active for Force Run; each launch's own check
    // (and the one a launch's message loop would run) is not entered again.
    Entry<ScriptSetStateFn>("ScriptSetState")("two.acme", 0x3);
    BOOL nestedCheck = TRUE;
    auto inside = [&] { nestedCheck = cache->CheckSchedules(); };
    Entry<ScriptDuringLaunchFn>("ScriptDuringLaunch")([](void* data) { (*static_cast<decltype(inside)*>(data))(); },
                                                      &inside);
    EXPECT_TRUE(cache->CheckSchedules());
    EXPECT_FALSE(nestedCheck);
    std::string events = Events();
    EXPECT_EQ(Count(events, "launch two.acme"), 1) << events;
    EXPECT_EQ(Count(events, "launch one.acme"), 0) << events;
    // Both folders now carry its active flags; the state did not change again.
    EXPECT_EQ(cache->GetFlagsForKey("TEST_TREE\tfirst.acme"), 0x3u);
    EXPECT_EQ(cache->GetFlagsForKey("TEST_TREE\tsecond.acme"), 0x3u);
    EXPECT_FALSE(cache->CheckSchedules());
    EXPECT_EQ(Count(Events(), "launch two.acme"), 1);
}

TEST_F(ForceRunTest, AFailedForcedLaunchIsRecordedWithZero) {
    AddApp("first.acme", "two.acme", 0x3, 0);
    StartCache();
    WaitForRebuilds(1);
    Entry<ScriptSetStateFn>("ScriptSetState")("two.acme", 0x3);
    Entry<ScriptSetLaunchFn>("ScriptSetLaunch")(0xD003, 1, "SERVER", 0);
    vpr::user::UiDriver driver;
    driver.OnMessageBox("Could not get needed", [](const vpr::user::ModalElement& box) { ui::Click(box.window, IDOK); });
    EXPECT_TRUE(cache->CheckSchedules());
    std::string events = Events();
    EXPECT_NE(events.find("record two.acme 1\nlaunch two.acme \n"), std::string::npos) << events;
    EXPECT_NE(events.find("log two.acme: "), std::string::npos) << events;
    EXPECT_NE(events.find("record two.acme 0\n"), std::string::npos) << events;
    EXPECT_TRUE(driver.Failures().empty());
}

}  // namespace
