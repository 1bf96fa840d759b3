// The folder view in the shell: the module as the shell loads it, its
// folders browsed from the shell's script as a person does. This program is
// a shell host of the tests (its file name ends in EXPLORER.EXE, which the
// module asks of the process that loads it).
#include <gtest/gtest.h>

#include <sstream>

#include "host_fixture.h"
#include "kmapp32.h"
#include "objbase.h"
#include "vpr/shellhost/shell_script.h"

namespace {

// The extension registered as a desktop name space (see host_fixture.h) on
// the real clock, jdoe granted Word and Paint; the script starts the shell.
class ViewHostTest : public ExtensionHostFixture {
protected:
    ViewHostTest() : ExtensionHostFixture({.manualClock = false, .desktopEntry = true}) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ExtensionHostFixture::SetUp());
        const BYTE attributes[] = {0x40, 0x01, 0x00, 0xA0};
        SetValue(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kExtensionText + "\\ShellFolder", "Attributes", REG_BINARY,
                 attributes, sizeof(attributes));
        ASSERT_NO_FATAL_FAILURE(MakeApplications({"Word", "Paint"}, KMAPP_ASSOC_LAUNCHER));
        host_ = std::make_unique<vpr::shellhost::ShellHost>();
    }

    // Runs a script in the shell; its output.
    std::string Run(const std::string& script, int expected = 0) {
        std::istringstream in(script);
        std::ostringstream out;
        EXPECT_EQ(vpr::shellhost::RunShellScript(*host_, in, out, false), expected) << out.str();
        return out.str();
    }
};

// The view's menus merged into the browser's (File by folder kind, Edit,
// View with its Arrange Icons pop-up, Help with the About sheet), its
// toolbar with tips from the view, states that follow the selection (Cut
// never), the status bar, and an item's properties from its row.
TEST_F(ViewHostTest, APersonUsesTheViewsMenusToolbarAndRows) {
    std::string out = Run(
        "explore VPR Explorer\n"
        "list\n"
        "open ACME_TREE\n"
        "list\n"
        "open jdoe.sales.acme\n"
        "list\n"
        "commands File\n"
        "commands Edit\n"
        "toolbar\n"
        "select Word\n"
        "status\n"
        "commands File\n"
        "command Edit>Cut\n"
        "toolbar Cut\n"
        "toolbar Details View\n"
        "commands View\n"
        "command View>Arrange Icons>by Name\n"
        "commands View>Arrange Icons\n"
        "command Edit>Select All\n"
        "status\n"
        "command Edit>Invert Selection\n"
        "list\n"
        "properties Word\n"
        "show 1102\n"
        "ok\n"
        "command Help>About VPR Explorer\n"
        "window About Vpr Explorer\n"
        "ok\n"
        "exit\n",
        1);
    EXPECT_EQ(out, "shell started\n"
              "exploring VPR Explorer\n"
              "status: 2 Object(s)\n"
              "  ACME_TREE\n"
              "  Personal\n"
              "opened ACME_TREE\n"
              "  jdoe.sales.acme\n"
              "opened jdoe.sales.acme\n"
              "  Paint\n"
              "  Word\n"
              "  Open (grayed)\n"
              "  Verify (grayed)\n"
              "  -\n"
              "  Create Shortcut (grayed)\n"
              "  Delete (grayed)\n"
              "  Rename (grayed)\n"
              "  Properties (grayed)\n"
              "  -\n"
              "  Close\n"
              "  Cut (grayed)\n"
              "  Copy (grayed)\n"
              "  Paste (grayed)\n"
              "  -\n"
              "  Select All\n"
              "  Invert Selection\n"
              "  Cut (disabled)\n"
              "  Copy (disabled)\n"
              "  Paste (disabled)\n"
              "  |\n"
              "  Undo (disabled)\n"
              "  |\n"
              "  Delete (disabled)\n"
              "  Properties (disabled)\n"
              "  |\n"
              "  Large Icons (checked)\n"
              "  Small Icons\n"
              "  List View\n"
              "  Details View\n"
              "selected\n"
              "status: 1 Object(s) Selected \n"
              "  Open\n"
              "  Verify (grayed)\n"
              "  -\n"
              "  Create Shortcut\n"
              "  Delete (grayed)\n"
              "  Rename (grayed)\n"
              "  Properties\n"
              "  -\n"
              "  Close\n"
              "error: menu item Edit>Cut is grayed\n"
              "error: button Cut is disabled\n"
              "clicked Details View\n"
              "  Tool Bar\n"
              "  Status Bar\n"
              "  -\n"
              "  Large Icons\n"
              "  Small Icons\n"
              "  List\n"
              "  Details (checked)\n"
              "  -\n"
              "  > Arrange Icons\n"
              "  Line up Icons\n"
              "  -\n"
              "  Refresh\n"
              "  Options\n"
              "command View>Arrange Icons>by Name\n"
              "  by Title\n"
              "  by Tree\n"
              "  by Name (checked)\n"
              "  -\n"
              "  Auto Arrange\n"
              "command Edit>Select All\n"
              "status: 2 Object(s) Selected \n"
              "command Edit>Invert Selection\n"
              "  Paint\n"
              "  Word\n"
              "window Properties for: Word\n"
              "1102: Word.acme\n"
              "command Help>About VPR Explorer\n"
              "window About Vpr Explorer\n");
}

// New Personal Folder adds a row whose label opens for editing, the name
// typed there renames it, and the toolbar's Delete asks the folder's own
// question before it goes.
TEST_F(ViewHostTest, PersonalFoldersAreMadeRenamedAndDeletedInTheView) {
    std::string out = Run(
        "explore VPR Explorer\n"
        "open Personal\n"
        "commands File\n"
        "command File>New Personal Folder\n"
        "list\n"
        "rename New Folder Games\n"
        "list\n"
        "commands File\n"
        "answer yes\n"
        "toolbar Delete\n"
        "list\n"
        "status\n"
        "exit\n");
    EXPECT_EQ(out, "shell started\n"
              "exploring VPR Explorer\n"
              "status: 2 Object(s)\n"
              "opened Personal\n"
              "  Open (grayed)\n"
              "  Explore (grayed)\n"
              "  New Personal Folder\n"
              "  -\n"
              "  Create Shortcut (grayed)\n"
              "  Delete (grayed)\n"
              "  Rename (grayed)\n"
              "  Properties (grayed)\n"
              "  -\n"
              "  Close\n"
              "command File>New Personal Folder\n"
              " *New Folder\n"
              "renamed New Folder\n"
              " *Games\n"
              "  Open\n"
              "  Explore\n"
              "  New Personal Folder\n"
              "  -\n"
              "  Create Shortcut\n"
              "  Delete\n"
              "  Rename\n"
              "  Properties\n"
              "  -\n"
              "  Close\n"
              "message Confirm Delete: Are you sure you want to delete the personal folder 'Games'?\n"
              "answered yes\n"
              "clicked Delete\n"
              "status: 0 Object(s)\n");
}

}  // namespace
