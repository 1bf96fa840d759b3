#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afxwin.h"
#include "test_ids.h"

namespace {

// A window that paints itself and offers a context menu of the program's
// resources.
class CItemWnd : public CWnd {
public:
    std::vector<std::string> events;

protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CBrush brush(RGB(0, 0, 255));
        CRect rect(2, 2, 30, 20);
        dc.FillRect(&rect, &brush);
        dc.SetBkMode(TRANSPARENT);
        dc.TextOut(40, 2, CString("Word"));
        events.push_back("paint");
    }
    afx_msg void OnInitMenuPopup(CMenu* popup, UINT, BOOL) {
        popup->EnableMenuItem(ID_DELETE, MF_BYCOMMAND | MF_GRAYED);
        events.push_back("init menu");
    }
    afx_msg void OnTimer(UINT_PTR id) { events.push_back("timer " + std::to_string(id)); }
    afx_msg void OnOpen() { events.push_back("open"); }
    afx_msg void OnDelete() { events.push_back("delete"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CItemWnd, CWnd)
ON_WM_PAINT()
ON_WM_INITMENUPOPUP()
ON_WM_TIMER()
ON_COMMAND(ID_OPEN, OnOpen)
ON_COMMAND(ID_DELETE, OnDelete)
END_MESSAGE_MAP()

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST(Painting, PaintHandlerDrawsThroughItsDeviceContext) {
    CItemWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "items", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr));
    window.Invalidate();
    vpr::user::PaintNow(window.m_hWnd);
    EXPECT_EQ(window.events, std::vector<std::string>{"paint"});
    bool filled = false, wrote = false;
    for (const auto& call : vpr::user::PaintRecord(window.m_hWnd)) {
        filled |= call.kind == vpr::user::GdiCall::Kind::kFillRect && call.color == RGB(0, 0, 255);
        wrote |= call.kind == vpr::user::GdiCall::Kind::kText && call.text == "Word";
    }
    EXPECT_TRUE(filled);
    EXPECT_TRUE(wrote);
    EXPECT_EQ(vpr::user::WindowPixel(window.m_hWnd, 5, 5), RGB(0, 0, 255));
}

TEST(CMenu, ContextMenuFromResourcesCommandsTheOwner) {
    CItemWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "items", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_CONTEXT));
    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetMenuItemCount(), 2);
    EXPECT_EQ(popup->GetMenuItemID(1), static_cast<UINT>(ID_DELETE));

    UINT deleteChosen = 1;
    vpr::user::UiDriver driver;
    driver.OnPopupMenu([&](const vpr::user::PopupMenu& open) {
        deleteChosen = vpr::user::ui::ChooseMenuItem(open, "&Delete");  // grayed by the owner
        return vpr::user::ui::ChooseMenuItem(open, "&Open");
    });
    EXPECT_TRUE(popup->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &window));
    EXPECT_TRUE(driver.Failures().empty());
    Pump();  // the command is posted, as on Windows
    std::erase(window.events, "paint");
    EXPECT_EQ(deleteChosen, 0u);
    EXPECT_EQ(window.events, (std::vector<std::string>{"init menu", "open"}));
}

TEST(Timers, ComeToTheWindowsTimerHandler) {
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    CItemWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "tray", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    EXPECT_EQ(window.SetTimer(7, 30000), 7u);
    clock->Advance(30000);
    Pump();
    EXPECT_TRUE(window.KillTimer(7));
    clock->Advance(30000);
    Pump();
    EXPECT_EQ(window.events, std::vector<std::string>{"timer 7"});
    vpr::win::SetClock(nullptr);
}

}  // namespace
