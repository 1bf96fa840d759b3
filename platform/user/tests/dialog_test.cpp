#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "windows.h"

using vpr::user::DialogItem;
using vpr::user::DialogTemplate;
using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

constexpr int kLabel = 100, kName = 101, kAuto = 102, kRadio1 = 103, kRadio2 = 104, kRadio3 = 105, kCombo = 106,
              kList = 107, kNumber = 108, kDisabled = 109, kNested = 110;

// A dialog like the system's property dialogs: a labelled edit, a check box,
// a radio group, a combo box, a list and the usual buttons.
DialogTemplate Sample(int id) {
    DialogTemplate d;
    d.resourceId = id;
    d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    d.cx = 200;
    d.cy = 120;
    d.caption = "Sample Properties";
    auto item = [&](const char* cls, const char* text, int itemId, DWORD style, int y) {
        DialogItem i;
        i.className = cls;
        i.text = text;
        i.id = itemId;
        i.style = WS_VISIBLE | style;
        i.x = 5;
        i.y = y;
        i.cx = 100;
        i.cy = 12;
        d.items.push_back(i);
    };
    item("STATIC", "&Name:", kLabel, SS_LEFT, 2);
    item("EDIT", "", kName, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 14);
    item("BUTTON", "&Automatic", kAuto, WS_TABSTOP | BS_AUTOCHECKBOX, 26);
    item("BUTTON", "One", kRadio1, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 38);
    item("BUTTON", "Two", kRadio2, BS_AUTORADIOBUTTON, 50);
    item("BUTTON", "Three", kRadio3, BS_AUTORADIOBUTTON, 62);
    item("COMBOBOX", "", kCombo, WS_TABSTOP | WS_GROUP | CBS_DROPDOWNLIST | CBS_SORT, 74);
    item("LISTBOX", "", kList, WS_TABSTOP | LBS_NOTIFY, 86);
    item("EDIT", "", kNumber, WS_TABSTOP | ES_NUMBER, 98);
    item("BUTTON", "Disabled", kDisabled, WS_TABSTOP | WS_DISABLED, 110);
    item("BUTTON", "&More...", kNested, WS_TABSTOP, 110);
    item("BUTTON", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 110);
    item("BUTTON", "Cancel", IDCANCEL, WS_TABSTOP, 110);
    return d;
}

// What the dialog saw, for the tests to read.
struct Seen {
    std::vector<std::string> commands;  // "id:code"
    std::string name;
    bool automatic = false;
    int radio = 0;
    int combo = -1;
    int helpId = 0;
    INT_PTR nestedResult = 0;
};
Seen* g_seen = nullptr;

INT_PTR CALLBACK SampleProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        g_seen = reinterpret_cast<Seen*>(lParam);
        for (const char* text : {"Gamma", "alpha", "Beta"})
            SendDlgItemMessageA(dialog, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        for (const char* text : {"first", "second"})
            SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        CheckRadioButton(dialog, kRadio1, kRadio3, kRadio1);
        SetDlgItemTextA(dialog, kName, "start");
        g_seen->commands.clear();  // what the program itself did is not the person's doing
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        g_seen->commands.push_back(std::to_string(id) + ":" + std::to_string(code));
        if (id == kNested && code == BN_CLICKED) {
            DialogTemplate nested = Sample(201);
            Seen inner;
            g_seen->nestedResult = vpr::user::RunDialogFromTemplate(nullptr, nested, dialog, SampleProc,
                                                                    reinterpret_cast<LPARAM>(&inner));
            g_seen = reinterpret_cast<Seen*>(GetPropA(dialog, "seen"));
        }
        if (id == IDOK) {
            char text[64];
            GetDlgItemTextA(dialog, kName, text, sizeof text);
            g_seen->name = text;
            g_seen->automatic = IsDlgButtonChecked(dialog, kAuto) == BST_CHECKED;
            for (int r = kRadio1; r <= kRadio3; ++r)
                if (IsDlgButtonChecked(dialog, r)) g_seen->radio = r;
            g_seen->combo = static_cast<int>(SendDlgItemMessageA(dialog, kCombo, CB_GETCURSEL, 0, 0));
        }
        if (id == IDOK || id == IDCANCEL) EndDialog(dialog, id);
        return TRUE;
    }
    case WM_HELP:
        g_seen->helpId = reinterpret_cast<HELPINFO*>(lParam)->iCtrlId;
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunSample(Seen& seen, int id = 200) {
    g_seen = &seen;
    return vpr::user::RunDialogFromTemplate(nullptr, Sample(id), nullptr, SampleProc, reinterpret_cast<LPARAM>(&seen));
}

std::string Cmd(int id, int code) { return std::to_string(id) + ":" + std::to_string(code); }

TEST(DialogTest, PersonFillsInTheDialogAndPressesOk) {
    UiDriver driver;
    driver.OnDialog(200, [](const ModalElement& e) {
        EXPECT_EQ(e.caption, "Sample Properties");
        EXPECT_EQ(e.text, "&Name:");
        // Focus starts on the first tab stop, its text selected.
        EXPECT_EQ(GetFocus(), GetDlgItem(e.window, kName));
        ui::Type(e.window, kName, "ab");
        ui::Check(e.window, kAuto, true);
        ui::Click(e.window, kRadio3);
        ui::SelectRow(e.window, kCombo, 1);
        ui::Click(e.window, IDOK);
    });
    Seen seen;
    EXPECT_EQ(RunSample(seen), IDOK);
    EXPECT_EQ(seen.name, "ab");  // the focused field's text was selected: typing replaced it
    EXPECT_TRUE(seen.automatic);
    EXPECT_EQ(seen.radio, kRadio3);
    EXPECT_EQ(seen.combo, 1);  // "Beta" in the sorted list
    EXPECT_EQ(seen.commands,
              (std::vector<std::string>{
                  Cmd(kName, EN_SETFOCUS),  // the first tab stop takes the focus after WM_INITDIALOG
                  Cmd(kName, EN_UPDATE), Cmd(kName, EN_CHANGE), Cmd(kName, EN_UPDATE), Cmd(kName, EN_CHANGE),
                  Cmd(kName, EN_KILLFOCUS), Cmd(kAuto, BN_CLICKED), Cmd(kRadio3, BN_CLICKED),
                  Cmd(kCombo, CBN_SETFOCUS), Cmd(kCombo, CBN_DROPDOWN), Cmd(kCombo, CBN_SELCHANGE),
                  Cmd(kCombo, CBN_SELENDOK), Cmd(kCombo, CBN_CLOSEUP), Cmd(kCombo, CBN_KILLFOCUS), Cmd(IDOK, BN_CLICKED)}));
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(driver.PendingHandlers(), 0u);
}

TEST(DialogTest, KeyboardFollowsTheDialogManager) {
    UiDriver driver;
    driver.OnDialog(200, [](const ModalElement& e) {
        HWND d = e.window;
        ui::PressKey(d, VK_TAB);
        EXPECT_EQ(GetFocus(), GetDlgItem(d, kAuto));
        ui::PressKey(d, VK_SPACE);  // a focused check box toggles with the space bar
        EXPECT_EQ(IsDlgButtonChecked(d, kAuto), static_cast<UINT>(BST_CHECKED));
        ui::PressKey(d, VK_TAB);  // into the radio group: its checked button
        EXPECT_EQ(GetFocus(), GetDlgItem(d, kRadio1));
        ui::PressKey(d, VK_DOWN);  // arrows move within the group and choose
        EXPECT_EQ(GetFocus(), GetDlgItem(d, kRadio2));
        EXPECT_EQ(IsDlgButtonChecked(d, kRadio2), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(IsDlgButtonChecked(d, kRadio1), static_cast<UINT>(BST_UNCHECKED));
        ui::PressKey(d, VK_TAB, true);  // back to the check box
        EXPECT_EQ(GetFocus(), GetDlgItem(d, kAuto));
        ui::PressKey(d, VK_TAB, true);
        ui::PressKey(d, VK_TAB, true);  // wraps past the first item to the last
        EXPECT_EQ(GetFocus(), GetDlgItem(d, IDCANCEL));
        ui::PressKey(d, VK_TAB, true);
        ui::PressKey(d, VK_TAB, true);  // the disabled button is skipped
        EXPECT_EQ(GetFocus(), GetDlgItem(d, kNested));
        ui::PressAltKey(d, 'n');  // the label's mnemonic focuses the field it labels
        EXPECT_EQ(GetFocus(), GetDlgItem(d, kName));
        ui::PressKey(d, VK_F1);
        ui::PressKey(d, VK_ESCAPE);
    });
    Seen seen;
    EXPECT_EQ(RunSample(seen), IDCANCEL);
    EXPECT_EQ(seen.helpId, kName);
    EXPECT_TRUE(driver.Failures().empty());
}

TEST(DialogTest, EnterPressesTheDefaultButton) {
    UiDriver driver;
    driver.OnDialog(200, [](const ModalElement& e) { ui::PressKey(e.window, VK_RETURN); });
    Seen seen;
    EXPECT_EQ(RunSample(seen), IDOK);
    EXPECT_EQ(seen.name, "start");
}

TEST(DialogTest, NestedModalDialogRunsInsideTheFirst) {
    UiDriver driver;
    HWND outer = nullptr;
    driver.OnDialog(200, [&](const ModalElement& e) {
        outer = e.window;
        SetPropA(e.window, "seen", g_seen);
        ui::Click(e.window, kNested);
        EXPECT_TRUE(IsWindowEnabled(e.window));  // given back when the inner one closed
        EXPECT_EQ(GetActiveWindow(), e.window);
        ui::Click(e.window, IDOK);
    });
    driver.OnDialog(201, [&](const ModalElement& e) {
        EXPECT_FALSE(IsWindowEnabled(outer));  // the owner waits
        EXPECT_EQ(GetWindow(e.window, GW_OWNER), outer);
        ui::ReplaceText(e.window, kName, "inner");
        ui::Click(e.window, IDCANCEL);
    });
    Seen seen;
    EXPECT_EQ(RunSample(seen), IDOK);
    EXPECT_EQ(seen.nestedResult, IDCANCEL);
    EXPECT_EQ(driver.Seen().size(), 2u);
    EXPECT_TRUE(driver.Failures().empty());
}

TEST(DialogTest, UnexpectedDialogFailsWithItsIdCaptionAndText) {
    UiDriver driver;
    Seen seen;
    EXPECT_EQ(RunSample(seen, 345), IDCANCEL);
    ASSERT_EQ(driver.Failures().size(), 1u);
    EXPECT_EQ(driver.Failures()[0], "unexpected dialog 345 \"Sample Properties\" (&Name:)");
}

TEST(DialogTest, OperationsAPersonCannotDoFail) {
    UiDriver driver;
    driver.OnDialog(200, [](const ModalElement& e) {
        EXPECT_FALSE(ui::Click(e.window, kDisabled));
        EXPECT_FALSE(ui::Click(e.window, 999));
        EXPECT_FALSE(ui::SelectRow(e.window, kList, 5));
        ui::Type(e.window, kNumber, "1x2");  // the letter is refused with a beep
        char text[16];
        GetDlgItemTextA(e.window, kNumber, text, sizeof text);
        EXPECT_STREQ(text, "12");
        ui::CloseWindow(e.window);
    });
    Seen seen;
    EXPECT_EQ(RunSample(seen), IDCANCEL);
    EXPECT_EQ(driver.Failures().size(), 3u);
    EXPECT_EQ(driver.Beeps().size(), 1u);
}

TEST(DialogTest, EndDialogFromAnotherThreadEndsTheLoop) {
    UiDriver driver;
    std::thread worker;
    driver.OnDialog(200, [&](const ModalElement& e) {
        HWND dialog = e.window;
        worker = std::thread([dialog] {
            // A worker fills the list through messages, then ends the dialog.
            SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("from worker"));
            EndDialog(dialog, 77);
        });
    });
    Seen seen;
    EXPECT_EQ(RunSample(seen), 77);
    worker.join();
}

TEST(DialogTest, ModelessDialogAndDialogUnits) {
    DialogTemplate t = Sample(300);
    t.style |= WS_VISIBLE;
    t.pointSize = 8;  // 11 pixels high: base units 5 by 11
    t.fontName = "MS Sans Serif";
    Seen seen;
    g_seen = &seen;
    HWND dialog = vpr::user::CreateDialogFromTemplate(nullptr, t, nullptr, SampleProc, reinterpret_cast<LPARAM>(&seen));
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(IsWindowVisible(dialog));
    RECT rect{0, 0, 200, 120};
    MapDialogRect(dialog, &rect);
    EXPECT_EQ(rect.right, 250);
    EXPECT_EQ(rect.bottom, 165);
    GetClientRect(dialog, &rect);
    EXPECT_EQ(rect.right, 250);
    EXPECT_EQ(rect.bottom, 165);
    GetWindowRect(GetDlgItem(dialog, kName), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.top, 14 * 11 / 8);
    EXPECT_EQ(rect.right - rect.left, 125);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kName, WM_GETFONT, 0, 0), SendMessageA(dialog, WM_GETFONT, 0, 0));
    // A modeless dialog runs through the caller's loop and IsDialogMessage.
    PostMessageA(GetDlgItem(dialog, kName), WM_KEYDOWN, VK_TAB, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!IsDialogMessageA(dialog, &msg)) DispatchMessageA(&msg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kAuto));
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    DestroyWindow(dialog);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST(DialogTest, DialogItemHelpers) {
    DialogTemplate t = Sample(300);
    Seen seen;
    g_seen = &seen;
    HWND dialog = vpr::user::CreateDialogFromTemplate(nullptr, t, nullptr, SampleProc, reinterpret_cast<LPARAM>(&seen));
    ShowWindow(dialog, SW_SHOW);
    seen.commands.clear();
    SetDlgItemInt(dialog, kNumber, static_cast<UINT>(-42), TRUE);
    BOOL ok = FALSE;
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog, kNumber, &ok, TRUE)), -42);
    EXPECT_TRUE(ok);
    GetDlgItemInt(dialog, kNumber, &ok, FALSE);
    EXPECT_FALSE(ok);
    SetDlgItemTextA(dialog, kNumber, "12abc");
    GetDlgItemInt(dialog, kNumber, &ok, TRUE);
    EXPECT_FALSE(ok);
    CheckDlgButton(dialog, kAuto, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kAuto), static_cast<UINT>(BST_CHECKED));
    CheckRadioButton(dialog, kRadio1, kRadio3, kRadio2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kRadio1), 0u);
    // A checked radio button is its group's tab stop.
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, kRadio2), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(dialog, kRadio1), GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(GetNextDlgGroupItem(dialog, GetDlgItem(dialog, kRadio3), FALSE), GetDlgItem(dialog, kRadio1));
    EXPECT_EQ(GetNextDlgGroupItem(dialog, GetDlgItem(dialog, kRadio1), TRUE), GetDlgItem(dialog, kRadio3));
    // None of this is the person's doing: only the number field's text changes are told.
    EXPECT_EQ(seen.commands, (std::vector<std::string>{Cmd(kNumber, EN_UPDATE), Cmd(kNumber, EN_CHANGE),
                                                       Cmd(kNumber, EN_UPDATE), Cmd(kNumber, EN_CHANGE)}));
    DestroyWindow(dialog);
}

}  // namespace
