// The loader's stop while the extension is busy: the cache rebuilds again and
// again (each rebuild posts the tray a schedule check and a refill), Force
// Run launches come and go, and the tray's thread updates the shortcuts as
// after a drop. The watcher has the tray's thread tear down the shortcut
// manager and the tray window; afterwards no icon and no shortcut into the
// name space is left, the user's shortcut is recorded, and the sanitizers
// see no use of anything freed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tray/link_manager.h"
#include "tray/tray_wnd.h"
#include "tray_fixture.h"
#include "vpr/user/ui_driver.h"

namespace {

constexpr DWORD kLauncher = 0x1;
constexpr DWORD kForceRun = 0x2;
constexpr DWORD kDesktop = 0x8;
constexpr DWORD kTray = 0x20;

class TrayShutdownTest : public TrayTest {
protected:
    void TearDown() override {
        if (app) {
            if (app->m_hWatchThread) CloseHandle(app->m_hWatchThread);
            if (app->m_hWakeEvent) CloseHandle(app->m_hWakeEvent);
            if (app->m_hShutdownEvent) CloseHandle(app->m_hShutdownEvent);
            app->m_hWatchThread = app->m_hWakeEvent = app->m_hShutdownEvent = nullptr;
        }
        TrayTest::TearDown();
    }
};

TEST_F(TrayShutdownTest, TheShutdownEventWhileRefillsTheTimerAndShortcutUpdatesRun) {
    Entry<ScriptSetCaptionFn>("ScriptSetCaption")("one.acme", "Editor");
    AddApp("Tools", "one.acme", kDesktop | kTray | kLauncher, kDesktop | kTray | kLauncher);
    AddApp("Tools", "two.acme", kTray | kForceRun | kLauncher, kTray | kLauncher);
    Start();
    vpr::user::UiDriver driver;
    app->m_hWakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    app->m_hShutdownEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    app->m_pLinkManager = new CLinkManager;
    MakeTray();
    app->m_pLinkManager->UpdateLinks();
    UserShortcut(Key("two.acme"), "Mine.lnk");
    ASSERT_TRUE(app->StartWatcher());

    std::atomic<bool> stop{false};
    std::thread refresher([&] {
        for (int i = 0; !stop; ++i) {
            Entry<ScriptSetStateFn>("ScriptSetState")("two.acme", kTray | kLauncher | (i % 2 ? kForceRun : 0));
            cache->WaitForRefresh(nullptr);
        }
    });
    std::thread stopper([&] {
        while (cache->GetRebuildCount() < 4) Sleep(1);
        SetEvent(app->m_hShutdownEvent);
    });
    // This thread is the tray window's: it takes the posted refills and
    // checks, and updates the shortcuts as a drop from the list would.
    while (app->IsWatcherRunning()) {
        Pump();
        if (CLinkManager* links = app->m_pLinkManager) links->UpdateLinks();
        CTrayWnd::PostCheck(app->GetTrayWindow());
    }
    stop = true;
    refresher.join();
    stopper.join();
    Pump();

    EXPECT_EQ(app->m_pTrayWnd, nullptr);
    EXPECT_EQ(app->m_pLinkManager, nullptr);
    EXPECT_EQ(app->GetTrayWindow(), nullptr);
    EXPECT_TRUE(shell.Icons().empty());
    EXPECT_TRUE(Shortcuts().empty());
    EXPECT_EQ(Records("TEST_TREE"), std::vector<std::string>{"two.acme"});
    EXPECT_FALSE(app->m_bRunning);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

}  // namespace
