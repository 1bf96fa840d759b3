#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "windows.h"

namespace {

std::vector<std::string> g_events;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: g_events.push_back(std::to_string(HIWORD(wParam))); return 0;
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        g_events.push_back("draw " + std::to_string(draw->CtlType) + " state " + std::to_string(draw->itemState));
        return TRUE;
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// One control under a host window that logs what the control tells it.
class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = HostProc;
        wc.lpszClassName = "ControlHost";
        RegisterClassA(&wc);
        host_ = CreateWindowExA(0, "ControlHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr,
                                nullptr, nullptr);
    }
    void TearDown() override { DestroyWindow(host_); }
    HWND Make(const char* cls, DWORD style, const char* text = "") {
        HWND control = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 120, 24, host_,
                                       reinterpret_cast<HMENU>(7), nullptr, nullptr);
        g_events.clear();
        return control;
    }
    HWND host_ = nullptr;
};

std::string N(int code) { return std::to_string(code); }
void Char(HWND h, char c) { SendMessageA(h, WM_CHAR, static_cast<unsigned char>(c), 0); }

struct Case {
    const char* name;
    DWORD style;
    std::function<void(HWND)> act;
    std::vector<std::string> events;
    std::string text;  // the edit's text afterwards
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class EditRules : public ControlTest, public ::testing::WithParamInterface<Case> {};

TEST_P(EditRules, Rule) {
    const Case& c = GetParam();
    HWND edit = Make("EDIT", c.style);
    c.act(edit);
    EXPECT_EQ(g_events, c.events);
    char text[64];
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EditRules,
    ::testing::Values(
        Case{"SetTextSingleLine", 0, [](HWND e) { SetWindowTextA(e, "abc"); }, {N(EN_UPDATE), N(EN_CHANGE)}, "abc"},
        Case{"SetTextMultiLine", ES_MULTILINE, [](HWND e) { SetWindowTextA(e, "abc"); }, {}, "abc"},
        Case{"Typing", 0, [](HWND e) { Char(e, 'x'); }, {N(EN_UPDATE), N(EN_CHANGE)}, "x"},
        Case{"TypingPastTheLimit", 0,
             [](HWND e) {
                 SendMessageA(e, EM_LIMITTEXT, 2, 0);
                 Char(e, 'a');
                 Char(e, 'b');
                 g_events.clear();
                 Char(e, 'c');
             },
             {N(EN_MAXTEXT)}, "ab"},
        Case{"NumberRefusesLetters", ES_NUMBER, [](HWND e) { Char(e, '4'); Char(e, 'q'); },
             {N(EN_UPDATE), N(EN_CHANGE)}, "4"},
        Case{"ReadOnlyIgnoresTyping", ES_READONLY, [](HWND e) { Char(e, 'x'); SendMessageA(e, WM_KEYDOWN, VK_BACK, 0); }, {}, ""},
        Case{"ReplaceSelection", 0,
             [](HWND e) {
                 SetWindowTextA(e, "hello");
                 SendMessageA(e, EM_SETSEL, 1, 3);
                 g_events.clear();
                 SendMessageA(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("EY"));
             },
             {N(EN_UPDATE), N(EN_CHANGE)}, "hEYlo"},
        Case{"ReplaceSelectionPastTheLimit", 0,
             [](HWND e) {
                 SetWindowTextA(e, "abcd");
                 SendMessageA(e, EM_LIMITTEXT, 5, 0);
                 SendMessageA(e, EM_SETSEL, 1, 2);
                 g_events.clear();
                 SendMessageA(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("XYZ"));
             },
             {N(EN_MAXTEXT), N(EN_UPDATE), N(EN_CHANGE)}, "aXYcd"},
        Case{"ReplaceSelectionAtTheLimit", 0,
             [](HWND e) {
                 SetWindowTextA(e, "ab");
                 SendMessageA(e, EM_LIMITTEXT, 2, 0);
                 SendMessageA(e, EM_SETSEL, 2, 2);
                 g_events.clear();
                 SendMessageA(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("c"));
             },
             {N(EN_MAXTEXT)}, "ab"},
        Case{"BackspaceAndDelete", 0,
             [](HWND e) {
                 SetWindowTextA(e, "abcd");
                 SendMessageA(e, EM_SETSEL, 2, 2);
                 g_events.clear();
                 Char(e, '\b');
                 SendMessageA(e, WM_KEYDOWN, VK_DELETE, 0);
             },
             {N(EN_UPDATE), N(EN_CHANGE), N(EN_UPDATE), N(EN_CHANGE)}, "ad"},
        Case{"EnterInMultiLine", ES_MULTILINE | ES_WANTRETURN, [](HWND e) { Char(e, 'a'); Char(e, '\r'); Char(e, 'b'); },
             {N(EN_UPDATE), N(EN_CHANGE), N(EN_UPDATE), N(EN_CHANGE), N(EN_UPDATE), N(EN_CHANGE)}, "a\r\nb"},
        Case{"EnterInSingleLine", 0, [](HWND e) { Char(e, '\r'); }, {}, ""},
        Case{"Uppercase", ES_UPPERCASE, [](HWND e) { Char(e, 'q'); }, {N(EN_UPDATE), N(EN_CHANGE)}, "Q"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControlTest, EditSelectionLinesAndModifyFlag) {
    HWND edit = Make("EDIT", ES_MULTILINE);
    SetWindowTextA(edit, "one\r\ntwo\r\nthree");
    EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 2, 0), 10);
    EXPECT_EQ(SendMessageA(edit, EM_LINELENGTH, 10, 0), 5);
    EXPECT_EQ(SendMessageA(edit, EM_LINEFROMCHAR, 6, 0), 1);
    char line[8] = {8, 0};
    EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line)), 3);
    EXPECT_EQ(std::string(line, 3), "two");
    EXPECT_FALSE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
    SendMessageA(edit, EM_SETSEL, 0, -1);
    DWORD start = 9, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 15u);
    Char(edit, 'z');
    EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
    EXPECT_TRUE(SendMessageA(edit, EM_UNDO, 0, 0));
    EXPECT_EQ(GetWindowTextLengthA(edit), 15);
}

class ButtonRules : public ControlTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ButtonRules, Rule) {
    const Case& c = GetParam();
    HWND button = Make("BUTTON", c.style, "Press");
    c.act(button);
    EXPECT_EQ(g_events, c.events);
    EXPECT_EQ(std::to_string(SendMessageA(button, BM_GETCHECK, 0, 0)), c.text);
}

void Click(HWND h) { SendMessageA(h, BM_CLICK, 0, 0); }

INSTANTIATE_TEST_SUITE_P(
    Table, ButtonRules,
    ::testing::Values(
        Case{"ProgramCheck", BS_AUTOCHECKBOX, [](HWND b) { SendMessageA(b, BM_SETCHECK, BST_CHECKED, 0); }, {}, "1"},
        Case{"ClickAutoCheck", BS_AUTOCHECKBOX, Click, {N(BN_CLICKED)}, "1"},
        Case{"ClickAutoCheckTwice", BS_AUTOCHECKBOX, [](HWND b) { Click(b); Click(b); }, {N(BN_CLICKED), N(BN_CLICKED)}, "0"},
        Case{"ClickPlainCheckBox", BS_CHECKBOX, Click, {N(BN_CLICKED)}, "0"},  // the program decides
        Case{"AutoThreeState", BS_AUTO3STATE, [](HWND b) { Click(b); Click(b); }, {N(BN_CLICKED), N(BN_CLICKED)}, "2"},
        Case{"SpaceBar", BS_PUSHBUTTON,
             [](HWND b) {
                 SendMessageA(b, WM_KEYDOWN, VK_SPACE, 0);
                 SendMessageA(b, WM_KEYUP, VK_SPACE, 0);
             },
             {N(BN_CLICKED)}, "0"},
        Case{"ReleaseOutside", BS_PUSHBUTTON,
             [](HWND b) {
                 SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
                 SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(500, 3));
             },
             {}, "0"},
        Case{"DisabledIgnoresClick", BS_PUSHBUTTON | WS_DISABLED, Click, {}, "0"},
        Case{"NotifyStyleTellsFocus", BS_PUSHBUTTON | BS_NOTIFY, Click, {N(BN_SETFOCUS), N(BN_CLICKED)}, "0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControlTest, AutoRadioButtonsOfAGroupExcludeEachOther) {
    HWND a = Make("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, "a");
    HWND b = Make("BUTTON", BS_AUTORADIOBUTTON, "b");
    HWND c = Make("BUTTON", BS_AUTORADIOBUTTON, "c");
    HWND other = Make("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, "other");
    SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
    Click(c);
    EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(other, BM_GETCHECK, 0, 0), BST_CHECKED);  // another group
}

TEST_F(ControlTest, OwnerDrawnButtonIsDrawnByItsParentWithItsState) {
    HWND button = Make("BUTTON", BS_OWNERDRAW);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    g_events.clear();
    vpr::user::PaintNow(button);
    EXPECT_EQ(g_events, (std::vector<std::string>{"draw " + N(ODT_BUTTON) + " state " + N(ODS_SELECTED | ODS_FOCUS)}));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EnableWindow(button, FALSE);
    g_events.clear();
    vpr::user::PaintNow(button);
    EXPECT_EQ(g_events, (std::vector<std::string>{"draw " + N(ODT_BUTTON) + " state " + N(ODS_DISABLED)}));
}

TEST_F(ControlTest, ComboBoxTellsOnlyThePersonsChoices) {
    HWND combo = Make("COMBOBOX", CBS_DROPDOWNLIST | CBS_SORT);
    for (const char* text : {"pear", "Apple", "fig"}) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(combo, CB_SETITEMDATA, 2, 99);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("PE")), 2);
    EXPECT_TRUE(g_events.empty());
    char text[16];
    GetWindowTextA(combo, text, sizeof text);
    EXPECT_STREQ(text, "pear");
    EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 2, 0), 99);
    SetFocus(combo);
    g_events.clear();
    SendMessageA(combo, WM_KEYDOWN, VK_UP, 0);  // a key on the closed list moves the choice
    SendMessageA(combo, WM_KEYDOWN, VK_F4, 0);
    SendMessageA(combo, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{N(CBN_SELCHANGE), N(CBN_DROPDOWN), N(CBN_SELENDCANCEL), N(CBN_CLOSEUP)}));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("APPLE")), 0);
}

TEST_F(ControlTest, StaticDrawsItsTextAndNotifiesOnlyWhenAsked) {
    HWND label = Make("STATIC", SS_CENTER, "Hello &world");
    SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(SendMessageA(label, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    vpr::user::ClearPaintRecord(label);
    vpr::user::PaintNow(label);
    bool found = false;
    for (const auto& call : vpr::user::PaintRecord(label))
        if (call.kind == vpr::user::GdiCall::Kind::kText) {
            EXPECT_EQ(call.text, "Hello world");
            EXPECT_EQ(call.rect.left, (120 - 11 * 8) / 2);
            found = true;
        }
    EXPECT_TRUE(found);
    HWND notify = Make("STATIC", SS_LEFT | SS_NOTIFY, "click me");
    SendMessageA(notify, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{N(STN_CLICKED)}));
}

}  // namespace
