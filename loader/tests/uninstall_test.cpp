// "/u": the shutdown handshake with the extension, played by a thread that
// holds the two named events as the extension does, on the manual clock;
// then what the loader removes, and the pieces it removes with.
#include "loader_fixture.h"

#include <future>

#include "shlobj.h"
#include "uninstall.h"
#include "vpr/com/id_list.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/win/registry.h"

namespace loader_test {
namespace {

using vpr::machine::Platform;

// The extension's side of the handshake: makes both events, waits until it
// is asked to shut down, and confirms when the test lets it.
class ExtensionThread {
public:
    ExtensionThread() {
        std::promise<void> made;
        auto madeFuture = made.get_future();
        thread_ = std::thread([this, &made] {
            HANDLE shutdown = CreateEventA(nullptr, TRUE, FALSE, kShutdownEventName);
            HANDLE left = CreateEventA(nullptr, TRUE, FALSE, kLeftEventName);
            made.set_value();
            if (WaitForSingleObject(shutdown, INFINITE) == WAIT_OBJECT_0) asked_ = true;
            if (confirm_.get_future().get()) SetEvent(left);
            confirmed_.set_value();
            release_.get_future().wait();
            CloseHandle(left);
            CloseHandle(shutdown);
        });
        madeFuture.wait();
    }
    ~ExtensionThread() {
        if (!answered_) Answer(false);
        release_.set_value();
        thread_.join();
    }
    // Confirms the shutdown (or gives up without confirming); returns once done.
    void Answer(bool confirm) {
        answered_ = true;
        auto done = confirmed_.get_future();
        confirm_.set_value(confirm);
        done.wait();
    }
    bool Asked() const { return asked_; }

private:
    std::thread thread_;
    std::atomic<bool> asked_{false};
    bool answered_ = false;
    std::promise<bool> confirm_;
    std::promise<void> confirmed_;
    std::promise<void> release_;
};

// What an installed and used extension leaves behind on the machine.
class UninstallTest : public ::testing::Test {
protected:
    UninstallTest() : f_(Platform::Win95) {
        RegisterShellExtension("C:\\VELTRIX");
        desktop_ = f_.Machine().machine()->DesktopDirectory();
        GetShellFolderPath("Start Menu", &startMenu_);
        WriteLink(desktop_ + "\\Editor.lnk", vpr::com::ConcatIdLists(vpr::com::NameSpaceIdList(kExtensionClsid),
                                                                      ItemOf("tree\tEditor.acme")));
        { std::ofstream(f_.Host("C:\\WINDOWS\\NOTEPAD.EXE")) << "x"; }
        WriteLink(desktop_ + "\\Notepad.lnk", *vpr::com::FileSystemIdList("C:\\WINDOWS\\NOTEPAD.EXE"));
        junction_ = startMenu_ + "\\VPR Explorer." + kExtensionClsidText;
        fs::create_directories(f_.Host(junction_));
        kept_ = startMenu_ + "\\Other." + kExtensionClsidText;
        fs::create_directories(f_.Host(kept_));
        { std::ofstream(f_.Host(kept_ + "\\file.txt")) << "x"; }
    }

    static vpr::com::IdListBytes ItemOf(const std::string& text) {
        vpr::com::IdListBytes item(4 + text.size() + 1 + 2, 0);
        item[0] = static_cast<uint8_t>(item.size() - 2);
        std::copy(text.begin(), text.end(), item.begin() + 4);
        return item;
    }
    void WriteLink(const std::string& path, const vpr::com::IdListBytes& list) {
        vpr::com::ShellLink link;
        link.idList = list;
        std::string error;
        ASSERT_TRUE(vpr::com::WriteShellLinkFile(path, link, &error)) << error;
    }
    bool Exists(const std::string& windowsPath) { return fs::exists(f_.Host(windowsPath)); }
    size_t DesktopNotifications() {
        size_t count = 0;
        for (const auto& entry : f_.Machine().machine()->ReadJournal())
            count += entry.kind == "notify" && entry.text.find("UPDATEDIR") != std::string::npos ? 1 : 0;
        return count;
    }

    LoaderFixture f_;
    std::string desktop_, startMenu_, junction_, kept_;
};

TEST_F(UninstallTest, WithNoExtensionRunningRemovesItsTracesAndAsksNothing) {
    vpr::user::UiDriver driver;
    LoaderFixture::Run run = f_.RunLoader("/u", 150);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.clockSteps, 0);
    EXPECT_TRUE(driver.Seen().empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kNameSpaceEntry));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));  // the class stays registered
    EXPECT_FALSE(Exists(desktop_ + "\\Editor.lnk"));
    EXPECT_TRUE(Exists(desktop_ + "\\Notepad.lnk"));
    EXPECT_FALSE(Exists(junction_));
    EXPECT_TRUE(Exists(kept_));  // a folder that is not empty stays
    EXPECT_EQ(DesktopNotifications(), 2u);
}

TEST_F(UninstallTest, AnExtensionThatConfirmsAtThreeSecondsEndsTheWaitAtStepTwenty) {
    ExtensionThread extension;
    vpr::user::UiDriver driver;
    LoaderFixture::Run run = f_.RunLoader("/u", 150, [&](int steps) {
        if (steps * 150 < 3000) return true;
        extension.Answer(true);
        return false;
    });
    EXPECT_TRUE(extension.Asked());
    EXPECT_EQ(run.clockSteps, 20);
    EXPECT_TRUE(driver.Seen().empty());  // no restart question
    // The name-space entry goes too, or the shell would load the extension
    // again at its next start; the shell hears of it.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kNameSpaceEntry));
    EXPECT_EQ(DesktopNotifications(), 2u);
}

TEST_F(UninstallTest, AnExtensionThatNeverConfirmsIsWaitedForAHundredStepsThenRemoved) {
    ExtensionThread extension;
    vpr::user::UiDriver driver;
    driver.OnMessageBox("In order to finish removing the VPR Explorer, you must reboot",
                        [](const vpr::user::ModalElement& e) { vpr::user::ui::Click(e.window, IDNO); });
    LoaderFixture::Run run = f_.RunLoader("/u /s", 150);
    EXPECT_TRUE(extension.Asked());
    EXPECT_EQ(run.clockSteps, 100);
    EXPECT_EQ(driver.PendingHandlers(), 0u);
    EXPECT_EQ(driver.Failures(), std::vector<std::string>{});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kNameSpaceEntry));
    EXPECT_FALSE(Exists(desktop_ + "\\Editor.lnk"));
    EXPECT_FALSE(Exists(junction_));
    auto journal = f_.Machine().machine()->ReadJournal();
    for (const auto& entry : journal) EXPECT_NE(entry.kind, "exit-windows");  // answered No
}

TEST_F(UninstallTest, ADeleteThatFailsEndsTheTreeDeletion) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Tree\\A\\B", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "Software\\Tree\\A", REG_SZ, "v", 1), ERROR_SUCCESS);
    ASSERT_EQ(vpr::win::SetRegistryKeyDeniedAccess(HKEY_CURRENT_USER, "Software\\Tree\\A\\B", DELETE),
              ERROR_SUCCESS);
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &software), ERROR_SUCCESS);
    EXPECT_FALSE(DeleteRegistryTree(software, "Tree"));  // returns instead of trying for ever
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Tree\\A\\B"));

    ASSERT_EQ(vpr::win::SetRegistryKeyDeniedAccess(HKEY_CURRENT_USER, "Software\\Tree\\A\\B", 0), ERROR_SUCCESS);
    EXPECT_TRUE(DeleteRegistryTree(software, "Tree"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tree"));
    EXPECT_FALSE(DeleteRegistryTree(software, "Tree"));  // nothing left to delete
    RegCloseKey(software);
}

// Only an item of at least 20 bytes can be the extension's root; items are
// walked inside the list only.
TEST_F(UninstallTest, AShortcutPointsIntoTheNameSpaceThroughTheRootItemOnly) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    vpr::com::IdListBytes root = vpr::com::NameSpaceIdList(kExtensionClsid);
    vpr::com::IdListBytes shortItem = {6, 0, 0x1F, 0, 0x10, 0x7E, 0, 0};  // the class's first bytes only
    struct LinkCase {
        const char* name;
        vpr::com::IdListBytes list;
        bool into;
    } cases[] = {
        {"Root", root, true},
        {"Below the root", vpr::com::ConcatIdLists(root, ItemOf("tree\tEditor")), true},
        {"Root after a file", vpr::com::ConcatIdLists(*vpr::com::FileSystemIdList("C:\\WINDOWS"), root), true},
        {"A file", *vpr::com::FileSystemIdList("C:\\WINDOWS\\NOTEPAD.EXE"), false},
        {"A short item", shortItem, false},
        {"Another name space", vpr::com::NameSpaceIdList(CLSID_ShellLink), false},
    };
    for (const LinkCase& c : cases) {
        WriteLink(desktop_ + "\\Case.lnk", c.list);
        EXPECT_EQ(LinkPointsIntoNameSpace(desktop_ + "\\Case.lnk"), c.into) << c.name;
    }
    { std::ofstream(f_.Host(desktop_ + "\\Broken.lnk")) << "not a shortcut"; }
    EXPECT_FALSE(LinkPointsIntoNameSpace(desktop_ + "\\Broken.lnk"));
    EXPECT_FALSE(LinkPointsIntoNameSpace(desktop_ + "\\Missing.lnk"));
    CoUninitialize();
}

}  // namespace
}  // namespace loader_test
