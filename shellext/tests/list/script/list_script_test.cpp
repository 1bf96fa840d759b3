// A person uses the rows of the extension's view from the shell's script:
// copies, pastes, drags onto a personal folder in a browser beside the
// active one and to the desktop, chooses from a row's menu, deletes two rows
// after the one question, renames a personal folder and opens it. This program is a shell host of the
// tests (LISTEXPLORER.EXE: the module asks for EXPLORER.EXE in its process's
// name) and loads the built module on a clock the test moves by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "host_fixture.h"
#include "kmapp32.h"
#include "objbase.h"
#include "vpr/shellhost/shell_script.h"

namespace {

constexpr DWORD kTrayTimerMs = 30000;

// jdoe granted Word, Paint and Calc in ACME_TREE; the personal folder Work
// holds Calc. The extension is registered with its desktop entry.
class ListScriptTest : public ExtensionHostFixture {
protected:
    ListScriptTest() : ExtensionHostFixture({.manualClock = true, .desktopEntry = true}) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ExtensionHostFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(MakeApplications({"Word", "Paint", "Calc"}, KMAPP_ASSOC_LAUNCHER));
        ASSERT_EQ(KMAPPAddPersonalFolderItem("ACME_TREE", "Work", "Calc.acme", 0x80000001), 1);
    }

    void TearDown() override {
        // The clipboard keeps its flushed copy for the process: emptied.
        OleInitialize(nullptr);
        OleSetClipboard(nullptr);
        OleUninitialize();
        ExtensionHostFixture::TearDown();
    }

    // Starts the shell and loads the extension as SHLoadInProc does; the
    // clock runs out the splash's time meanwhile. Then the tray's timer
    // checks the schedules, which makes the applications active.
    void StartWithExtension() {
        ASSERT_NO_FATAL_FAILURE(StartShell());
        ASSERT_EQ(Load(), S_OK);
        // The cache's first rebuild runs on its own thread and may end after
        // the tray's first tick, whose check then finds nothing to make
        // active: ticks go on until the folder lists a granted application.
        bool listed = false;
        for (int tick = 0; tick < 300 && !listed; ++tick) {
            clock_->Advance(kTrayTimerMs);
            host_->Pump();
            std::string error;
            listed = host_->ParsePath("VPR Explorer\\ACME_TREE\\jdoe.sales.acme\\Word", &error).has_value();
            if (!listed) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(listed) << "the granted applications never became active";
    }
};

TEST_F(ListScriptTest, RowsAreCopiedPastedDraggedDeletedRenamedAndOpened) {
    StartWithExtension();
    std::istringstream in(
        "browse VPR Explorer\\Personal\n"
        "list\n"
        "browse VPR Explorer\\ACME_TREE\\jdoe.sales.acme\n"
        "list\n"
        "copy Word\n"
        "clipboard\n"
        "drag Paint to Work\n"
        "drag Paint to Nowhere\n"
        "browse VPR Explorer\\Personal\\Work\n"
        "paste\n"
        "wait row Word\n"
        "list\n"
        "drag Word to desktop\n"
        "menu Calc Create Shortcut\n"
        "shortcuts\n"
        "select Calc Paint\n"
        "answer yes Are you sure you want to delete these 2 items?\n"
        "menu Calc Delete\n"
        "wait gone Paint\n"
        "list\n"
        "browse VPR Explorer\\Personal\n"
        "rename Work Games\n"
        "list\n"
        "open Games\n"
        "list\n");
    std::ostringstream out;
    EXPECT_EQ(vpr::shellhost::RunShellScript(*host_, in, out, false), 1);
    EXPECT_EQ(out.str(),
              "browsing VPR Explorer\\Personal\n"
              "status: 1 Object(s)\n"
              "  Work\n"
              "browsing VPR Explorer\\ACME_TREE\\jdoe.sales.acme\n"
              "status: 3 Object(s)\n"
              "  Calc\n"
              "  Paint\n"
              "  Word\n"
              "copied 1 item(s)\n"
              "  Shell IDList Array (99 bytes)\n"
              "dropped on Work\n"
              "error: no row \"Nowhere\" in an open browser\n"
              "browsing VPR Explorer\\Personal\\Work\n"
              "status: 2 Object(s)\n"
              "pasted\n"
              "waited row Word\n"
              "  Calc\n"
              "  Paint\n"
              "  Word\n"
              "dropped on the desktop\n"
              "chose Create Shortcut\n"
              "  Calc.lnk -> ::{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}\\Personal\\t\\Personal\\tWork\\Personal\\tCalc.acme\n"
              "  Word.lnk -> ::{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}\\Personal\\t\\Personal\\tWork\\Personal\\tWord.acme\n"
              "selected\n"
              "message Confirm Delete: Are you sure you want to delete these 2 items?\n"
              "answered yes\n"
              "chose Delete\n"
              "waited gone Paint\n"
              "  Word\n"
              "browsing VPR Explorer\\Personal\n"
              "status: 1 Object(s)\n"
              "renamed Work\n"
              " *Games\n"
              "opened Games\n"
              "  Word\n");
    // Work held Calc, took Paint by the drag and Word by the paste, lost
    // Calc and Paint by the delete, and is called Games now.
    EXPECT_TRUE(PersonalFolderItems("ACME_TREE", "Work").empty());
    EXPECT_EQ(PersonalFolderItems("ACME_TREE", "Games"), std::vector<std::string>{"Word.acme"});
}

}  // namespace
