// The controls of the shell's frame windows: tab control, status bar, toolbar and tool tips.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notify_parent.h"
#include "windows.h"

namespace {

using vpr::user::testing::NotifyParent;

void AddTab(HWND tabs, int at, const char* text) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(text);
    item.lParam = at;
    SendMessageA(tabs, TCM_INSERTITEMA, at, reinterpret_cast<LPARAM>(&item));
}

TEST(TabControlTest, ProgramSelectsSilentlyTheUserAskedAndTold) {
    NotifyParent parent;
    HWND tabs = parent.Child(WC_TABCONTROLA, 0);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), -1);
    AddTab(tabs, 0, "General");      // 7 characters: 0..68
    AddTab(tabs, 1, "Files");        // 68..120
    AddTab(tabs, 2, "Registry");
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(tabs, TCM_SETCURSEL, 2, 0), 0);
    EXPECT_EQ(SendMessageA(tabs, TCM_SETCURSEL, 7, 0), -1);
    SetFocus(tabs);
    parent.log.clear();
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 10));
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, NM_CLICK}));
    parent.answers[TCN_SELCHANGING] = TRUE;
    SendMessageA(tabs, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
    parent.answers.clear();
    SendMessageA(tabs, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);

    RECT rect{};
    EXPECT_TRUE(SendMessageA(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rect)));
    EXPECT_EQ(rect.left, 68);
    EXPECT_EQ(rect.right, 120);
    RECT display{0, 0, 300, 200};
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    EXPECT_EQ(display.top, 22);
    SendMessageA(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&display));
    EXPECT_EQ(display.top, 0);
    EXPECT_EQ(display.right, 300);

    EXPECT_TRUE(SendMessageA(tabs, TCM_DELETEITEM, 0, 0));
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
    char text[16] = {};
    TCITEMA item{TCIF_TEXT | TCIF_PARAM, 0, 0, text, sizeof(text), 0, 0};
    EXPECT_TRUE(SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, "Files");
    EXPECT_EQ(item.lParam, 1);
}

}  // namespace

namespace {

std::string StatusText(HWND bar, int part) {
    char text[64] = {};
    SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(StatusBarTest, PartsSimpleModeAndDocking) {
    NotifyParent parent;  // 500 by 400
    HWND bar = parent.Child(STATUSCLASSNAMEA, 0, 10, 10);
    RECT rect;
    GetWindowRect(bar, &rect);
    POINT corner{rect.left, rect.top};
    ScreenToClient(parent.window, &corner);
    RECT client;
    GetClientRect(parent.window, &client);
    EXPECT_EQ(corner.y, client.bottom - 20);
    EXPECT_EQ(rect.right - rect.left, client.right);

    int edges[] = {100, -1};
    EXPECT_TRUE(SendMessageA(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges)));
    EXPECT_EQ(SendMessageA(bar, SB_GETPARTS, 0, 0), 2);
    EXPECT_TRUE(SendMessageA(bar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("right")));
    EXPECT_FALSE(SendMessageA(bar, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>("none")));
    // The shell view's status: simple mode, text in part 255.
    EXPECT_EQ(SendMessageA(bar, SB_SIMPLE, TRUE, 0), 0);
    EXPECT_TRUE(SendMessageA(bar, SB_ISSIMPLE, 0, 0));
    EXPECT_TRUE(SendMessageA(bar, SB_SETTEXTA, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>("3 Object(s)")));
    EXPECT_EQ(StatusText(bar, SB_SIMPLEID), "3 Object(s)");
    EXPECT_EQ(SendMessageA(bar, SB_GETTEXTLENGTHA, SB_SIMPLEID, 0), MAKELRESULT(11, SBT_NOBORDERS));
    SendMessageA(bar, SB_SIMPLE, FALSE, 0);
    EXPECT_EQ(StatusText(bar, 1), "right");
    UpdateWindow(bar);
}

}  // namespace

namespace {

std::vector<std::string> g_toolbarEvents;

LRESULT CALLBACK ToolbarParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) g_toolbarEvents.push_back("command " + std::to_string(LOWORD(wParam)));
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TTN_NEEDTEXTA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        g_toolbarEvents.push_back("tip " + std::to_string(info->hdr.idFrom));
        snprintf(info->szText, sizeof(info->szText), "Tip %d", static_cast<int>(info->hdr.idFrom));
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(ToolbarTest, ButtonsImagesStatesClicksAndTips) {
    g_toolbarEvents.clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = ToolbarParentProc;
    wc.lpszClassName = "ToolbarParent";
    RegisterClassA(&wc);
    HWND parent = CreateWindowExA(0, "ToolbarParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(1), nullptr, nullptr);
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    HBITMAP strip = CreateBitmap(160, 15, 1, 32, nullptr);  // ten images
    TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(strip)};
    EXPECT_EQ(SendMessageA(bar, TB_ADDBITMAP, 10, reinterpret_cast<LPARAM>(&add)), 0);
    EXPECT_EQ(SendMessageA(bar, TB_ADDBITMAP, 10, reinterpret_cast<LPARAM>(&add)), 10);
    TBBUTTON buttons[] = {
        {0, 5, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},  // 0..24
        {0, 0, 0, TBSTYLE_SEP, {}, 0, 0},                    // 24..32
        {1, 14, TBSTATE_ENABLED, TBSTYLE_CHECKGROUP, {}, 0, 0},  // 32..56
        {2, 15, TBSTATE_ENABLED | TBSTATE_CHECKED, TBSTYLE_CHECKGROUP, {}, 0, 0},  // 56..80
        {3, 11, 0, TBSTYLE_BUTTON, {}, 0, 0},  // 80..104, disabled
    };
    EXPECT_TRUE(SendMessageA(bar, TB_ADDBUTTONSA, 5, reinterpret_cast<LPARAM>(buttons)));
    EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageA(bar, TB_COMMANDTOINDEX, 15, 0), 3);

    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 10));  // "Large Icons"
    EXPECT_TRUE(SendMessageA(bar, TB_ISBUTTONCHECKED, 14, 0));
    EXPECT_FALSE(SendMessageA(bar, TB_ISBUTTONCHECKED, 15, 0));
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(90, 10));  // disabled: nothing
    EXPECT_TRUE(SendMessageA(bar, TB_ENABLEBUTTON, 11, MAKELPARAM(TRUE, 0)));
    EXPECT_TRUE(SendMessageA(bar, TB_ISBUTTONENABLED, 11, 0));
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(90, 10));
    EXPECT_TRUE(SendMessageA(bar, TB_CHECKBUTTON, 15, MAKELPARAM(TRUE, 0)));  // by program: no command
    EXPECT_EQ(SendMessageA(bar, TB_GETSTATE, 15, 0), TBSTATE_ENABLED | TBSTATE_CHECKED);
    EXPECT_FALSE(SendMessageA(bar, TB_ENABLEBUTTON, 99, MAKELPARAM(TRUE, 0)));

    HWND tips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(12, 10));  // same button: asked once
    char text[32] = {};
    GetWindowTextA(tips, text, sizeof(text));
    EXPECT_STREQ(text, "Tip 5");
    EXPECT_TRUE(IsWindowVisible(tips));
    SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(300, 10));  // off the buttons
    EXPECT_FALSE(IsWindowVisible(tips));
    EXPECT_EQ(g_toolbarEvents, (std::vector<std::string>{"command 14", "command 11", "tip 5"}));
    DeleteObject(strip);
    DestroyWindow(parent);
}

}  // namespace
