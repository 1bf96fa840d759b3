// A person uses the rows of the extension's view from the shell's script:
// copies, pastes, drags onto a personal folder in a browser beside the
// active one and to the desktop, chooses from a row's menu, deletes two rows
// after the one question, renames a personal folder and opens it. This program is a shell host of the
// tests (LISTEXPLORER.EXE: the module asks for EXPLORER.EXE in its process's
// name) and loads the built module on a clock the test moves by hand.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sstream>
#include <thread>

#include "kmapp32.h"
#include "objbase.h"
#include "shlobj.h"
#include "vpr/shellhost/shell_host.h"
#include "vpr/shellhost/shell_script.h"
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/win/clock.h"

namespace fs = std::filesystem;

namespace {

constexpr GUID kExtension = {0x5B2D7E10, 0x4C3A, 0x11D0, {0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B}};
constexpr const char* kExtensionText = "{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";
constexpr const char* kModulePath = "C:\\VPR\\VprExp32.dll";
constexpr DWORD kTrayTimerMs = 30000;

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
}

void Place(const vpr::testing::TempMachine& machine, const std::string& built, const std::string& windowsPath) {
    std::string host = machine.HostPath(windowsPath);
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(vpr::testing::BuildBinFolder() + "/" + built, host, fs::copy_options::overwrite_existing);
}

// The value names of a personal folder's registry key.
std::vector<std::string> PersonalFolderItems(const std::string& tree, const std::string& folder) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    std::string path = std::string(KMAPP_FOLDERS_KEY) + "\\" + tree + "\\" + folder;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

// jdoe granted Word, Paint and Calc in ACME_TREE; the personal folder Work
// holds Calc. The extension is registered with its desktop entry.
class ListScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = std::make_shared<vpr::win::ManualClock>();
        vpr::win::SetClock(clock_);
        machine_ = std::make_unique<vpr::testing::TempMachine>(vpr::machine::Platform::NT4, "jdoe");
        Place(*machine_, "KMAPP32.DLL", "C:\\WINDOWS\\SYSTEM32\\KmApp32.dll");
        Place(*machine_, "VprExp32.dll", kModulePath);
        std::string key = std::string("CLSID\\") + kExtensionText;
        SetString(HKEY_CLASSES_ROOT, key, nullptr, "VPR Explorer");
        SetString(HKEY_CLASSES_ROOT, key + "\\InProcServer32", nullptr, kModulePath);
        SetString(HKEY_LOCAL_MACHINE,
                  std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\") +
                      kExtensionText,
                  nullptr, "VPR Explorer");

        tree_.Org("acme").Unit("sales.acme").User("admin.acme", "Admin").User("jdoe.sales.acme", "John Doe");
        tree_.LogIn("admin.acme");
        DIR_CONTEXT admin = KMAPPAllocContextHandle();
        ASSERT_GT(admin, 0);
        ASSERT_EQ(KMAPPExtendSchema(admin, KMAPP_SCHEMA_APPLICATIONS), 0);
        std::vector<std::string> associations;
        for (const char* name : {"Word", "Paint", "Calc"}) {
            const std::string object = std::string(name) + ".acme";
            const std::string program = std::string("\\\\SERVER\\APPS\\") + name + ".EXE";
            ASSERT_EQ(KMAPPCreateObject(admin, ("." + object).c_str(), "App:Application", program.c_str(), name, 0), 0);
            tree_.Grant(object, "[Public]", "[Entry Rights]", DIR_ENTRY_BROWSE);
            tree_.Grant(object, "[Public]", "[All Attributes Rights]", DIR_ATTR_COMPARE | DIR_ATTR_READ);
            associations.push_back(object + ";" + std::to_string(KMAPP_ASSOC_LAUNCHER) + ";0");
        }
        KMAPPFreeContextHandle(admin);
        tree_.Set("jdoe.sales.acme", "App:Associations", associations);
        tree_.Grant("jdoe.sales.acme", "jdoe.sales.acme", "App:Associations", DIR_ATTR_COMPARE | DIR_ATTR_READ);
        tree_.LogIn("jdoe.sales.acme");
        ASSERT_EQ(KMAPPAddPersonalFolderItem("ACME_TREE", "Work", "Calc.acme", 0x80000001), 1);
    }

    void TearDown() override {
        // The clipboard keeps its flushed copy for the process: emptied.
        OleInitialize(nullptr);
        OleSetClipboard(nullptr);
        OleUninitialize();
        host_.reset();
        vpr::win::SetClock(nullptr);
    }

    // Starts the shell and loads the extension as SHLoadInProc does; the
    // clock runs out the splash's time meanwhile. Then the tray's first
    // timer tick checks the schedules, which makes the applications active.
    void StartWithExtension() {
        host_ = std::make_unique<vpr::shellhost::ShellHost>();
        std::string error;
        ASSERT_TRUE(host_->Start(&error)) << error;
        std::atomic<bool> loaded{false};
        std::thread advancer([&] {
            while (!loaded) {
                if (clock_->TimedWaiters() > 0)
                    clock_->Advance(100);
                else
                    std::this_thread::yield();
            }
        });
        HRESULT result = host_->LoadInProc(kExtension);
        loaded = true;
        advancer.join();
        ASSERT_EQ(result, S_OK);
        clock_->Advance(kTrayTimerMs);
        host_->Pump();
    }

    std::shared_ptr<vpr::win::ManualClock> clock_;
    std::unique_ptr<vpr::testing::TempMachine> machine_;
    vpr::testing::TempTree tree_{"ACME_TREE"};
    std::unique_ptr<vpr::shellhost::ShellHost> host_;
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
