// The module as the shell loads it. This program is a shell host of the
// tests (its file name, TESTEXPLORER.EXE, ends in EXPLORER.EXE, which the
// module asks of the process that loads it); the shell's core runs on the
// test's thread, on a clock the test moves by hand.
#include <gtest/gtest.h>

#include <filesystem>

#include "host_fixture.h"
#include "kmapp32.h"
#include "objbase.h"
#include "shlobj.h"
#include "vpr/com/guid.h"
#include "vpr/testing/build_folder.h"
#include "vpr/user/ui_driver.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kShutdownEvent = "Shutdown VPR Explorer, please";
constexpr const char* kLeftEvent = "VPR Explorer has left the building";
constexpr DWORD kWatchCycle = 2000;

bool Exists(const std::string& windowsPath) { return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool EventExists(const char* name) {
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (event) CloseHandle(event);
    return event != nullptr;
}

// The extension installed (see host_fixture.h), Word made in the tree and
// jdoe logged in; the start menu's junction of the extension.
class ModuleHostTest : public ExtensionHostFixture {
protected:
    ModuleHostTest() : ExtensionHostFixture({.manualClock = true}) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ExtensionHostFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(MakeApplications({"Word"}));
        char startMenu[MAX_PATH] = {};
        LPITEMIDLIST list = nullptr;
        ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTMENU, &list)));
        ASSERT_TRUE(SHGetPathFromIDListA(list, startMenu));
        CoTaskMemFree(list);
        startMenu_ = startMenu;
        junction_ = startMenu_ + "\\VPR Explorer." + kExtensionText;
    }

    // Grants jdoe Word with the association flags.
    void Associate(DWORD flags) { ExtensionHostFixture::Associate({"Word"}, flags); }

    // One watcher cycle: once the watcher and the cache's worker both wait
    // (the worker on its refresh interval), the clock passes the watcher's
    // longest wait, and the test goes on once every timed wait is waiting
    // again, the watcher after its cycle.
    void RunWatcherCycle() {
        clock_->WaitForTimedWaiters(2);
        size_t waiting = clock_->TimedWaiters();
        clock_->Advance(kWatchCycle);
        clock_->WaitForTimedWaiters(waiting);
    }

    HRESULT CanUnloadNow() {
        HMODULE module = GetModuleHandleA(kModulePath);
        if (!module) return E_FAIL;
        auto entry = reinterpret_cast<HRESULT (*)()>(GetProcAddress(module, "DllCanUnloadNow"));
        return entry ? entry() : E_FAIL;
    }

    std::string startMenu_, junction_;
};

// A top-level window that counts the refresh broadcasts it receives.
class RefillListener {
public:
    RefillListener() {
        message_ = RegisterWindowMessageA("RefillViewMessage");
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = "RefillListener";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "RefillListener", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        s_listener = this;
    }
    ~RefillListener() {
        DestroyWindow(window_);
        s_listener = nullptr;
    }
    int Count() const { return count_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (s_listener && message == s_listener->message_) ++s_listener->count_;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    static inline RefillListener* s_listener = nullptr;
    UINT message_ = 0;
    HWND window_ = nullptr;
    int count_ = 0;
};

// ---- start-up ----------------------------------------------------------

TEST_F(ModuleHostTest, TheShellsProcessLoadsItAndItsTextsComeFromItsLanguageLibrary) {
    // The language library of the module's version beside it, with texts of
    // its own: the junction takes its name from there.
    std::string host = machine_->HostPath(std::string(kModuleFolder) + "\\VprExpRs.dll");
    fs::copy_file(vpr::testing::BuildBinFolder() + "/testres/lettered/VprExpRs.dll", host);
    Associate(KMAPP_ASSOC_START_MENU);
    StartShell();
    RefillListener listener;
    ASSERT_EQ(Load(), S_OK);
    EXPECT_TRUE(EventExists(kShutdownEvent));
    ASSERT_TRUE(host_->PumpUntil([&] { return listener.Count() > 0; }, 60000));
    RunWatcherCycle();
    EXPECT_TRUE(Exists(startMenu_ + "\\LETTERED." + kExtensionText));
    EXPECT_FALSE(Exists(junction_));
}

TEST_F(ModuleHostTest, AResourceLibraryOfAnotherVersionGivesOneMessageThenTheModulesOwnTexts) {
    Place(*machine_, "testres/lettered/VprExpRs.dll", std::string(kModuleFolder) + "\\VprExpRs.dll",
          std::array<uint16_t, 4>{97, 9, 30, 1});
    Associate(KMAPP_ASSOC_START_MENU);
    StartShell();
    vpr::user::UiDriver driver;
    int boxes = 0;
    std::string text, caption;
    driver.OnMessageBox("C:\\VPR\\VprExpRs.dll", [&](const vpr::user::ModalElement& box) {
        ++boxes;
        text = box.text;
        caption = box.caption;
        vpr::user::ui::Click(box.window, IDOK);
    });
    RefillListener listener;
    ASSERT_EQ(Load(), S_OK);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(text, "C:\\VPR\\VprExpRs.dll is not the correct version.  Please replace with version 97,09,30,0.");
    EXPECT_EQ(caption, "VPR Explorer");
    ASSERT_TRUE(host_->PumpUntil([&] { return listener.Count() > 0; }, 60000));
    RunWatcherCycle();
    EXPECT_TRUE(Exists(junction_));
    EXPECT_TRUE(driver.Failures().empty());
}

TEST_F(ModuleHostTest, SafeModeRefusesTheLoadAndCreatesNothing) {
    vpr::machine::Machine facts = *machine_->machine();
    std::string error;
    ASSERT_TRUE(vpr::machine::SetMachineFact(&facts, "safemode", "1", &error)) << error;
    ASSERT_TRUE(facts.Save(&error)) << error;
    ASSERT_TRUE(vpr::machine::ReloadMachine(&error)) << error;
    Associate(KMAPP_ASSOC_START_MENU);
    StartShell();
    EXPECT_FALSE(SUCCEEDED(Load()));
    EXPECT_FALSE(EventExists(kShutdownEvent));
    EXPECT_FALSE(Exists(junction_));
}

// ---- the watcher, the junction and the stop ------------------------------

TEST_F(ModuleHostTest, WithoutAStartMenuApplicationThereIsNoJunction) {
    Associate(KMAPP_ASSOC_LAUNCHER | KMAPP_ASSOC_DESKTOP);
    StartShell();
    RefillListener listener;
    ASSERT_EQ(Load(), S_OK);
    ASSERT_TRUE(host_->PumpUntil([&] { return listener.Count() > 0; }, 60000));
    // Made by hand, it goes on the next cycle.
    ASSERT_TRUE(CreateDirectoryA(junction_.c_str(), nullptr));
    RunWatcherCycle();
    EXPECT_FALSE(Exists(junction_));
}

TEST_F(ModuleHostTest, TheJunctionFollowsTheStartMenuAndTheShutdownEventStopsTheModule) {
    Associate(KMAPP_ASSOC_LAUNCHER | KMAPP_ASSOC_START_MENU);
    StartShell();
    RefillListener listener;
    ASSERT_EQ(Load(), S_OK);
    // The first cycle after the cache's first rebuild makes the junction.
    ASSERT_TRUE(host_->PumpUntil([&] { return listener.Count() > 0; }, 60000));
    RunWatcherCycle();
    EXPECT_TRUE(Exists(junction_));

    // A stray junction of another name goes within a cycle; the current one stays.
    std::string stray = startMenu_ + "\\Old Name." + kExtensionText;
    ASSERT_TRUE(CreateDirectoryA(stray.c_str(), nullptr));
    RunWatcherCycle();
    EXPECT_FALSE(Exists(stray));
    EXPECT_TRUE(Exists(junction_));

    // An object of the module keeps it loaded.
    HMODULE module = GetModuleHandleA(kModulePath);
    ASSERT_NE(module, nullptr);
    auto getClassObject =
        reinterpret_cast<HRESULT (*)(REFCLSID, REFIID, LPVOID*)>(GetProcAddress(module, "DllGetClassObject"));
    ASSERT_NE(getClassObject, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(kExtension, IID_IClassFactory, reinterpret_cast<LPVOID*>(&factory)), S_OK);
    void* none = &factory;
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);

    // The loader's stop: the junction goes, the shell hears that the root
    // folder is gone, and the event is reset.
    HANDLE left = OpenEventA(SYNCHRONIZE, FALSE, kLeftEvent);
    ASSERT_NE(left, nullptr);
    HANDLE shutdown = OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, kShutdownEvent);
    ASSERT_NE(shutdown, nullptr);
    size_t notified = host_->Notifications().size();
    ASSERT_TRUE(SetEvent(shutdown));
    ASSERT_TRUE(host_->PumpUntil(
        [&] {
            for (size_t i = notified; i < host_->Notifications().size(); ++i)
                if (host_->Notifications()[i].event == SHCNE_RMDIR) return true;
            return false;
        },
        60000));
    ASSERT_TRUE(host_->PumpUntil([&] { return WaitForSingleObject(shutdown, 0) == WAIT_TIMEOUT; }, 60000));
    EXPECT_FALSE(Exists(junction_));
    // Still alive while the factory is held; free to go once it is released.
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    EXPECT_EQ(WaitForSingleObject(left, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    factory->Release();
    ASSERT_TRUE(host_->PumpUntil([&] { return CanUnloadNow() == S_OK; }, 60000));

    // The shell unloads it on its next round; unloading sets the second event.
    clock_->Advance(kWatchCycle);
    ASSERT_TRUE(host_->PumpUntil([&] { return !host_->Unloaded().empty(); }, 60000));
    EXPECT_EQ(host_->Unloaded(), std::vector<std::string>{vpr::com::GuidText(kExtension)});
    EXPECT_EQ(WaitForSingleObject(left, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(left);
    CloseHandle(shutdown);
}

}  // namespace
