#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vpr/user/ui_driver.h"
#include "windows.h"

namespace {

std::vector<std::string> g_events;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITMENUPOPUP: {
        auto menu = reinterpret_cast<HMENU>(wParam);
        char text[64] = {};
        GetMenuStringA(menu, 0, text, sizeof(text), MF_BYPOSITION);
        g_events.push_back("init " + std::string(text) + " at " + std::to_string(LOWORD(lParam)));
        // The owner updates the menu as it opens, as the pages do.
        EnableMenuItem(menu, 32773, MF_BYCOMMAND | MF_GRAYED);
        return 0;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        measure->itemWidth = 80;
        measure->itemHeight = 18;
        g_events.push_back("measure " + std::to_string(measure->itemID));
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        g_events.push_back("draw " + std::to_string(draw->itemID) +
                           ((draw->itemState & ODS_SELECTED) ? " selected" : ""));
        return TRUE;
    }
    case WM_COMMAND: g_events.push_back("command " + std::to_string(LOWORD(wParam)) + " " + std::to_string(HIWORD(wParam))); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.lpszClassName = "MenuOwner";
        RegisterClassA(&wc);
        owner_ = CreateWindowExA(0, "MenuOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        g_events.clear();
    }
    void TearDown() override {
        DestroyWindow(owner_);
        EXPECT_TRUE(driver_.Failures().empty());
    }
    // Takes what was posted to the owner and dispatches it.
    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    HWND owner_ = nullptr;
    vpr::user::UiDriver driver_;
};

// The value menu of a page: Text, Binary, DWORD, Default, and a pop-up.
HMENU ValueMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 32771, "Te&xt");
    AppendMenuA(menu, MF_STRING, 32772, "&Binary");
    AppendMenuA(menu, MF_STRING, 32774, "D&WORD");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 32773, "De&fault");
    HMENU arrange = CreatePopupMenu();
    AppendMenuA(arrange, MF_STRING, 20, "by &Title");
    AppendMenuA(arrange, MF_STRING, 22, "by &Name");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(arrange), "Arrange &Icons");
    return menu;
}

TEST_F(MenuTest, ItemsByPositionAndCommandThroughPopups) {
    HMENU menu = ValueMenu();
    EXPECT_EQ(GetMenuItemCount(menu), 6);
    EXPECT_EQ(GetMenuItemID(menu, 1), 32772u);
    EXPECT_EQ(GetMenuItemID(menu, 5), static_cast<UINT>(-1));  // a pop-up
    HMENU arrange = GetSubMenu(menu, 5);
    ASSERT_NE(arrange, nullptr);
    char text[32] = {};
    EXPECT_EQ(GetMenuStringA(menu, 22, text, sizeof(text), MF_BYCOMMAND), 8);  // found inside the pop-up
    EXPECT_STREQ(text, "by &Name");
    EXPECT_EQ(GetMenuState(menu, 5, MF_BYPOSITION), static_cast<UINT>(MF_POPUP | (2 << 8)));
    EXPECT_EQ(GetMenuState(menu, 3, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(menu, 999, MF_BYCOMMAND), static_cast<UINT>(-1));

    EXPECT_TRUE(InsertMenuA(menu, 32772, MF_BYCOMMAND | MF_STRING, 40, "&Before Binary"));
    EXPECT_EQ(GetMenuItemID(menu, 1), 40u);
    EXPECT_TRUE(DeleteMenu(menu, 40, MF_BYCOMMAND));
    EXPECT_FALSE(DeleteMenu(menu, 40, MF_BYCOMMAND));
    EXPECT_TRUE(DeleteMenu(menu, 5, MF_BYPOSITION));  // destroys the pop-up with it
    EXPECT_FALSE(IsMenu(arrange));
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(menu));
}

TEST_F(MenuTest, StatesChecksRadioGroupsAndTheDefaultItem) {
    HMENU menu = ValueMenu();
    EXPECT_EQ(EnableMenuItem(menu, 32773, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(menu, 32773, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(menu, 999, MF_BYCOMMAND | MF_ENABLED), -1);
    EXPECT_EQ(CheckMenuItem(menu, 1, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(menu, 32772, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    HMENU view = GetSubMenu(menu, 5);
    EXPECT_TRUE(CheckMenuRadioItem(view, 20, 22, 22, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(view, 20, MF_BYCOMMAND) & MF_CHECKED, 0u);
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_FTYPE;
    EXPECT_TRUE(GetMenuItemInfoA(view, 22, FALSE, &info));
    EXPECT_EQ(info.fState, static_cast<UINT>(MFS_CHECKED));
    EXPECT_EQ(info.fType, static_cast<UINT>(MFT_RADIOCHECK));
    EXPECT_TRUE(SetMenuDefaultItem(menu, 32771, FALSE));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 32771u);
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 0u);
    EXPECT_TRUE(SetMenuDefaultItem(menu, 2, TRUE));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 32774u);
    EXPECT_FALSE(SetMenuDefaultItem(menu, 999, FALSE));
    DestroyMenu(menu);
}

TEST_F(MenuTest, ItemInfoInsertAndReadBack) {
    HMENU menu = CreatePopupMenu();
    MENUITEMINFOA add{};
    add.cbSize = offsetof(MENUITEMINFOA, hbmpItem);  // the older, shorter structure
    add.fMask = MIIM_TYPE | MIIM_ID | MIIM_DATA | MIIM_STATE;
    add.fType = MFT_STRING;
    add.fState = MFS_DEFAULT;
    add.wID = 7;
    add.dwItemData = 0xABC;
    add.dwTypeData = const_cast<char*>("&Properties");
    EXPECT_TRUE(InsertMenuItemA(menu, 0, TRUE, &add));
    add.cbSize = 3;
    EXPECT_FALSE(InsertMenuItemA(menu, 0, TRUE, &add));
    char text[5] = {};
    MENUITEMINFOA get{};
    get.cbSize = sizeof(get);
    get.fMask = MIIM_TYPE | MIIM_ID | MIIM_DATA | MIIM_STATE;
    get.dwTypeData = text;
    get.cch = sizeof(text);
    EXPECT_TRUE(GetMenuItemInfoA(menu, 7, FALSE, &get));
    EXPECT_STREQ(text, "&Pro");
    EXPECT_EQ(get.cch, 11u);
    EXPECT_EQ(get.wID, 7u);
    EXPECT_EQ(get.dwItemData, 0xABCu);
    EXPECT_EQ(get.fState, static_cast<UINT>(MFS_DEFAULT));
    DestroyMenu(menu);
}

TEST_F(MenuTest, APopupMenuChoiceMadeByThePersonReachesTheOwner) {
    HMENU menu = ValueMenu();
    std::vector<vpr::user::PopupMenu> opened;
    driver_.OnPopupMenu([&](const vpr::user::PopupMenu& open) {
        opened.push_back(open);
        EXPECT_EQ(vpr::user::ui::ChooseMenuItem(open, "De&fault"), 0u);  // grayed by the owner
        EXPECT_EQ(vpr::user::ui::ChooseMenuItem(open, "Nothing"), 0u);
        EXPECT_EQ(vpr::user::ui::ChooseMenuItem(open, "Arrange &Icons"), 0u);  // a pop-up, not a command
        return vpr::user::ui::ChooseMenuItem(open, "Arrange &Icons/by &Name");
    });
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_LEFTALIGN, 40, 50, 0, owner_, nullptr));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].at.x, 40);
    EXPECT_EQ(opened[0].owner, owner_);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init Te&xt at 0", "init by &Title at 5"}));
    Pump();  // the command is posted, as on Windows
    EXPECT_EQ(g_events.back(), "command 22 0");

    g_events.clear();
    driver_.OnPopupMenu([](const vpr::user::PopupMenu& open) {
        return vpr::user::ui::ChooseMenuItem(open, "&Binary");
    });
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 0, 0, 0, owner_, nullptr), 32772);
    Pump();
    EXPECT_TRUE(g_events.empty());  // neither told of the opening nor sent the command

    // A pop-up menu nobody expects is dismissed, and that is no failure.
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner_, nullptr), 0);
    EXPECT_EQ(driver_.PopupMenus().size(), 3u);
    EXPECT_FALSE(TrackPopupMenu(nullptr, 0, 0, 0, 0, owner_, nullptr));
    DestroyMenu(menu);
}

TEST_F(MenuTest, OwnerDrawnItemsAreMeasuredAndDrawnWhenTheMenuOpens) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_OWNERDRAW, 1, reinterpret_cast<LPCSTR>(0x10));
    AppendMenuA(menu, MF_STRING, 2, "&Explore");
    driver_.OnPopupMenu([](const vpr::user::PopupMenu&) { return 0u; });
    TrackPopupMenu(menu, 0, 0, 0, 0, owner_, nullptr);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init  at 0", "measure 1", "draw 1"}));
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_FTYPE;
    GetMenuItemInfoA(menu, 0, TRUE, &info);
    EXPECT_EQ(info.dwItemData, 0x10u);
    EXPECT_EQ(info.fType, static_cast<UINT>(MFT_OWNERDRAW));
    g_events.clear();
    // The person moves down past the owner-drawn item to the other one.
    driver_.OnPopupMenu([](const vpr::user::PopupMenu& open) {
        return vpr::user::ui::ChooseMenuItem(open, "&Explore");
    });
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner_, nullptr), 2);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init  at 0", "measure 1", "draw 1", "measure 1", "draw 1"}));
    DestroyMenu(menu);
}

TEST_F(MenuTest, WindowMenuAndAccelerators) {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 100, "&Refresh\tF5");
    AppendMenuA(file, MF_STRING | MF_GRAYED, 101, "&Undo");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    EXPECT_TRUE(SetMenu(owner_, bar));
    EXPECT_EQ(GetMenu(owner_), bar);
    ACCEL keys[] = {{FVIRTKEY, VK_F5, 100}, {FVIRTKEY | FCONTROL, 'Z', 101}, {FVIRTKEY | FCONTROL, 'C', 102}, {0, 'q', 103}};
    HACCEL table = CreateAcceleratorTableA(keys, 4);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 4);

    auto translate = [&](UINT message, WPARAM key) {
        MSG msg{owner_, message, key, 0, 0, {0, 0}};
        return TranslateAcceleratorA(owner_, table, &msg);
    };
    EXPECT_EQ(translate(WM_KEYDOWN, VK_F5), 1);
    EXPECT_EQ(translate(WM_KEYDOWN, 'C'), 0);  // without Control
    EXPECT_EQ(translate(WM_CHAR, 'q'), 1);
    EXPECT_EQ(translate(WM_KEYDOWN, 'Q'), 0);
    // Holding Control: the key state comes from the queue as keys are taken.
    PostMessageA(owner_, WM_KEYDOWN, VK_CONTROL, 0);
    Pump();
    EXPECT_EQ(translate(WM_KEYDOWN, 'C'), 1);
    EXPECT_EQ(translate(WM_KEYDOWN, 'Z'), 1);  // taken, but its item is grayed: no command
    EXPECT_EQ(translate(WM_KEYDOWN, VK_F5), 0);  // F5 alone, not Control+F5
    PostMessageA(owner_, WM_KEYUP, VK_CONTROL, 0);
    Pump();
    EXPECT_EQ(g_events, (std::vector<std::string>{"command 100 1", "command 103 1", "command 102 1"}));
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
}

TEST_F(MenuTest, ScrollBarRangeAndPosition) {
    int min = -1, max = -1;
    EXPECT_TRUE(GetScrollRange(owner_, SB_VERT, &min, &max));
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 0);
    EXPECT_TRUE(SetScrollRange(owner_, SB_VERT, 0, 10, TRUE));
    EXPECT_TRUE(GetWindowLongA(owner_, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(SetScrollPos(owner_, SB_VERT, 4, TRUE), 0);
    EXPECT_EQ(GetScrollPos(owner_, SB_VERT), 4);
    EXPECT_EQ(SetScrollPos(owner_, SB_VERT, 40, TRUE), 4);
    EXPECT_EQ(GetScrollPos(owner_, SB_VERT), 10);  // kept in range
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 5, 0, 0};
    EXPECT_EQ(SetScrollInfo(owner_, SB_VERT, &info, TRUE), 6);  // the last page starts at 6
    EXPECT_TRUE(SetScrollRange(owner_, SB_VERT, 0, 0, TRUE));
    EXPECT_FALSE(GetWindowLongA(owner_, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(GetScrollPos(owner_, SB_VERT), 0);
    EXPECT_FALSE(SetScrollRange(owner_, SB_VERT, 5, 1, TRUE));
    EXPECT_FALSE(SetScrollRange(owner_, SB_CTL, 0, 1, TRUE));
    EXPECT_EQ(GetScrollPos(owner_, SB_HORZ), 0);
}

}  // namespace
