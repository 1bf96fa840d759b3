// The tray window: one icon per System Tray application however many folders
// hold it, icons changed in place while the set stays, the 30-second
// schedule check (and the worker's request for one), clicks and the
// right-click menu.
#include <gtest/gtest.h>

#include "tray/tray_wnd.h"
#include "tray_fixture.h"
#include "vpr/user/menu.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/clock.h"

namespace {

constexpr DWORD kTray = 0x20;
constexpr DWORD kLauncher = 0x1;
constexpr DWORD kForceRun = 0x2;

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(TrayTest, AnApplicationInTwoFoldersHasOneIcon) {
    AddApp("Tools", "one.acme", kTray | kLauncher, kTray | kLauncher);
    AddApp("Games", "one.acme", kTray | kLauncher, kTray | kLauncher);
    AddApp("Games", "two.acme", kTray | kLauncher, kLauncher);  // not active for the tray
    Start();
    CTrayWnd* tray = MakeTray();
    ASSERT_TRUE(tray->GetSafeHwnd());
    ASSERT_EQ(tray->GetKeys().GetSize(), 1);
    EXPECT_EQ(std::string(tray->GetKeys()[0]), Key("one.acme"));
    EXPECT_EQ(shell.Icons(), (std::map<UINT, std::string>{{0, "one.acme"}}));
    EXPECT_EQ(shell.CallbackOf(0), CTrayWnd::GetNotifyMessage());
    char text[32] = {};
    GetWindowTextA(tray->GetSafeHwnd(), text, sizeof text);
    EXPECT_STREQ(text, "Vpr Tray");
    EXPECT_EQ(GetWindowLongA(tray->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
    EXPECT_FALSE(IsWindowVisible(tray->GetSafeHwnd()));
}

TEST_F(TrayTest, ARefillWithTheSameSetOnlyChangesTheIcons) {
    AddApp("Tools", "one.acme", kTray, kTray);
    AddApp("Tools", "two.acme", kTray, kTray);
    Start();
    CTrayWnd* tray = MakeTray();
    shell.TakeCalls();
    tray->SendMessage(app->m_uRefillMessage);
    auto calls = shell.TakeCalls();
    ASSERT_EQ(calls.size(), 2u);
    for (const auto& call : calls) {
        EXPECT_EQ(call.message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(call.flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
    }
    // Another set: every icon goes and the new ones come.
    Entry<ScriptSetStateFn>("ScriptSetState")("two.acme", 0);
    Rebuild();
    tray->SendMessage(app->m_uRefillMessage);
    calls = shell.TakeCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[2].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[2].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(shell.Icons(), (std::map<UINT, std::string>{{0, "one.acme"}}));
    // Destroying the window takes its icons away.
    app->CloseTray();
    EXPECT_TRUE(shell.Icons().empty());
}

TEST_F(TrayTest, ATipHoldsAtMost63Characters) {
    const std::string caption(80, 'x');
    Entry<ScriptSetCaptionFn>("ScriptSetCaption")("one.acme", caption.c_str());
    AddApp("Tools", "one.acme", kTray, kTray);
    Start();
    MakeTray();
    EXPECT_EQ(shell.Icons(), (std::map<UINT, std::string>{{0, std::string(63, 'x')}}));
}

TEST_F(TrayTest, TheTimerStartsAForceRunApplicationOnce) {
    AddApp("Tools", "one.acme", kTray | kForceRun, kTray);
    Start();
    vpr::user::UiDriver driver;
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    MakeTray();
    // The schedule makes it active for Force Run; the check comes with the
    // timer, not before.
    Entry<ScriptSetStateFn>("ScriptSetState")("one.acme", kTray | kForceRun);
    clock->Advance(kTrayTimerMs - 1);
    Pump();
    EXPECT_EQ(Count(Events(), "launch one.acme"), 0);
    clock->Advance(1);
    Pump();
    EXPECT_EQ(Count(Events(), "launch one.acme"), 1);
    clock->Advance(kTrayTimerMs);
    Pump();
    EXPECT_EQ(Count(Events(), "launch one.acme"), 1);
    vpr::win::SetClock(nullptr);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

TEST_F(TrayTest, TheWorkersRequestRunsTheCheckWithoutWaitingForTheTimer) {
    AddApp("Tools", "one.acme", kTray | kForceRun, kTray);
    Start();
    vpr::user::UiDriver driver;
    MakeTray();
    // After its next rebuild the worker posts the timer's message to the
    // tray window's handle; the check it asks for runs here, with the
    // schedule that has changed since.
    Rebuild();
    Entry<ScriptSetStateFn>("ScriptSetState")("one.acme", kTray | kForceRun);
    EXPECT_EQ(Count(Events(), "launch one.acme"), 0);
    for (int i = 0; i < 1000 && Count(Events(), "launch one.acme") == 0; ++i) {
        Pump();
        Sleep(1);
    }
    EXPECT_EQ(Count(Events(), "launch one.acme"), 1);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

TEST_F(TrayTest, ALeftClickStartsTheApplication) {
    AddApp("Tools", "one.acme", kTray, kTray);
    AddApp("Tools", "two.acme", kTray, kTray);
    Start();
    vpr::user::UiDriver driver;
    CTrayWnd* tray = MakeTray();
    tray->PostMessage(CTrayWnd::GetNotifyMessage(), 1, WM_LBUTTONDOWN);
    tray->PostMessage(CTrayWnd::GetNotifyMessage(), 1, WM_LBUTTONUP);
    // An identifier no icon has does nothing.
    tray->PostMessage(CTrayWnd::GetNotifyMessage(), 7, WM_LBUTTONDOWN);
    Pump();
    EXPECT_EQ(Count(Events(), "launch "), 1);
    EXPECT_EQ(Count(Events(), "launch two.acme"), 1);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

// The right-click menu: Verify only for an installed application.
TEST_F(TrayTest, TheMenuOffersVerifyOnlyForAnInstalledApplication) {
    struct Case {
        bool installed;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {false, {"&Open*", "-", "P&roperties..."}},
        {true, {"&Open*", "&Verify", "-", "P&roperties..."}},
    };
    AddApp("Tools", "one.acme", kTray, kTray);
    Start();
    CTrayWnd* tray = MakeTray();
    for (const Case& c : cases) {
        Entry<ScriptSetInstalledFn>("ScriptSetInstalled")("one.acme", c.installed);
        vpr::user::UiDriver driver;
        std::vector<std::string> items;
        UINT flags = 0;
        HWND owner = nullptr;
        driver.OnPopupMenu([&](const vpr::user::PopupMenu& open) {
            flags = open.flags;
            owner = open.owner;
            const UINT fallback = static_cast<UINT>(-1);
            const UINT preferred = GetMenuDefaultItem(open.menu, FALSE, 0);
            for (int i = 0; i < GetMenuItemCount(open.menu); ++i) {
                char text[64] = {};
                if (GetMenuStringA(open.menu, i, text, sizeof text, MF_BYPOSITION) == 0) {
                    items.push_back("-");
                    continue;
                }
                const UINT id = GetMenuItemID(open.menu, i);
                items.push_back(std::string(text) + (id == preferred && preferred != fallback ? "*" : ""));
            }
            return 0u;
        });
        tray->PostMessage(CTrayWnd::GetNotifyMessage(), 0, WM_RBUTTONDOWN);
        Pump();
        EXPECT_EQ(items, c.items) << c.installed;
        EXPECT_EQ(flags, static_cast<UINT>(TPM_CENTERALIGN | TPM_RIGHTBUTTON));
        EXPECT_EQ(owner, tray->GetSafeHwnd());
        EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
    }
}

// The menu opens where the pointer clicked the icon, wherever that is.
TEST_F(TrayTest, TheMenuOpensWhereTheIconWasClicked) {
    AddApp("Tools", "one.acme", kTray, kTray);
    Start();
    CTrayWnd* tray = MakeTray();
    const POINT clicks[] = {{620, 470}, {5, 9}, {300, 12}};
    for (const POINT& click : clicks) {
        vpr::user::UiDriver driver;
        POINT opened{-1, -1};
        driver.OnPopupMenu([&](const vpr::user::PopupMenu& open) {
            opened = open.at;
            return 0u;
        });
        // The shell puts the pointer on the icon, then posts its click.
        SetCursorPos(click.x, click.y);
        tray->PostMessage(CTrayWnd::GetNotifyMessage(), 0, WM_RBUTTONDOWN);
        Pump();
        EXPECT_EQ(opened.x, click.x);
        EXPECT_EQ(opened.y, click.y);
        EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
    }
}

TEST_F(TrayTest, AChosenVerifyRunsTheItemsCommand) {
    AddApp("Tools", "one.acme", kTray, kTray);
    Start();
    Entry<ScriptSetInstalledFn>("ScriptSetInstalled")("one.acme", TRUE);
    CTrayWnd* tray = MakeTray();
    vpr::user::UiDriver driver;
    driver.OnPopupMenu([](const vpr::user::PopupMenu& open) { return vpr::user::ui::ChooseMenuItem(open, "&Verify"); });
    tray->PostMessage(CTrayWnd::GetNotifyMessage(), 0, WM_RBUTTONDOWN);
    Pump();
    EXPECT_EQ(Count(Events(), "launch one.acme"), 1);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

}  // namespace
