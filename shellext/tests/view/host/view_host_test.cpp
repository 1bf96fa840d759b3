// The folder view in the shell: the module as the shell loads it, its
// folders browsed from the shell's script as a person does. This program is
// a shell host of the tests (its file name ends in EXPLORER.EXE, which the
// module asks of the process that loads it).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "kmapp32.h"
#include "objbase.h"
#include "shlobj.h"
#include "vpr/shellhost/shell_host.h"
#include "vpr/shellhost/shell_script.h"
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtensionText = "{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";
constexpr const char* kModulePath = "C:\\VPR\\VprExp32.dll";

void SetValue(HKEY root, const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
}

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value) {
    SetValue(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void Place(const vpr::testing::TempMachine& machine, const std::string& built, const std::string& windowsPath) {
    std::string host = machine.HostPath(windowsPath);
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(vpr::testing::BuildBinFolder() + "/" + built, host, fs::copy_options::overwrite_existing);
}

// A workstation with the extension registered as a desktop name space (its
// own copy of the module in C:\VPR), the launcher library in the system
// folder, and jdoe logged in to ACME_TREE and granted Word and Paint.
class ViewHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine_ = std::make_unique<vpr::testing::TempMachine>(vpr::machine::Platform::NT4, "jdoe");
        Place(*machine_, "KMAPP32.DLL", "C:\\WINDOWS\\SYSTEM32\\KmApp32.dll");
        Place(*machine_, "VprExp32.dll", kModulePath);
        std::string key = std::string("CLSID\\") + kExtensionText;
        SetString(HKEY_CLASSES_ROOT, key, nullptr, "VPR Explorer");
        SetString(HKEY_CLASSES_ROOT, key + "\\InProcServer32", nullptr, kModulePath);
        const BYTE attributes[] = {0x40, 0x01, 0x00, 0xA0};
        SetValue(HKEY_CLASSES_ROOT, key + "\\ShellFolder", "Attributes", REG_BINARY, attributes, sizeof(attributes));
        SetString(HKEY_LOCAL_MACHINE,
                  std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\") +
                      kExtensionText,
                  nullptr, "VPR Explorer");

        tree_.Org("acme").Unit("sales.acme").User("admin.acme", "Admin").User("jdoe.sales.acme", "John Doe");
        tree_.LogIn("admin.acme");
        DIR_CONTEXT admin = KMAPPAllocContextHandle();
        ASSERT_GT(admin, 0);
        ASSERT_EQ(KMAPPExtendSchema(admin, KMAPP_SCHEMA_APPLICATIONS), 0);
        for (const char* name : {"Word", "Paint"}) {
            std::string object = std::string(".") + name + ".acme";
            std::string path = std::string("\\\\SERVER\\APPS\\") + name + ".EXE";
            ASSERT_EQ(KMAPPCreateObject(admin, object.c_str(), "App:Application", path.c_str(), name, 0), 0);
            tree_.Grant(std::string(name) + ".acme", "[Public]", "[Entry Rights]", DIR_ENTRY_BROWSE);
            tree_.Grant(std::string(name) + ".acme", "[Public]", "[All Attributes Rights]", DIR_ATTR_COMPARE | DIR_ATTR_READ);
        }
        KMAPPFreeContextHandle(admin);
        tree_.Set("jdoe.sales.acme", "App:Associations", {"Word.acme;1;0", "Paint.acme;1;0"});
        tree_.Grant("jdoe.sales.acme", "jdoe.sales.acme", "App:Associations", DIR_ATTR_COMPARE | DIR_ATTR_READ);
        tree_.LogIn("jdoe.sales.acme");
    }

    // Runs a script in the shell; its output.
    std::string Run(const std::string& script, int expected = 0) {
        std::istringstream in(script);
        std::ostringstream out;
        EXPECT_EQ(vpr::shellhost::RunShellScript(host_, in, out, false), expected) << out.str();
        return out.str();
    }

    std::unique_ptr<vpr::testing::TempMachine> machine_;
    vpr::testing::TempTree tree_{"ACME_TREE"};
    vpr::shellhost::ShellHost host_;
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
