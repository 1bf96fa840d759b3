#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "test_ids.h"
#include "windows.h"

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

constexpr int kLabel = IDC_LABEL, kName = IDC_NAME, kAuto = IDC_AUTO, kRadio1 = IDC_RADIO1, kRadio2 = IDC_RADIO2,
              kRadio3 = IDC_RADIO3, kCombo = IDC_COMBO, kList = IDC_LIST, kNumber = IDC_NUMBER,
              kDisabled = IDC_DISABLED, kNested = IDC_NESTED;

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
            Seen inner;
            g_seen->nestedResult =
                DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_NESTED), dialog, SampleProc, reinterpret_cast<LPARAM>(&inner));
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

INT_PTR RunSample(Seen& seen, int id = IDD_SAMPLE) {
    g_seen = &seen;
    return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(id), nullptr, SampleProc, reinterpret_cast<LPARAM>(&seen));
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
    EXPECT_EQ(RunSample(seen, IDD_UNEXPECTED), IDCANCEL);
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
    Seen seen;
    g_seen = &seen;
    // Visible, in an 8-point font: 11 pixels high, base units 5 by 11.
    HWND dialog =
        CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_MODELESS), nullptr, SampleProc, reinterpret_cast<LPARAM>(&seen));
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
    Seen seen;
    g_seen = &seen;
    HWND dialog =
        CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_SAMPLE), nullptr, SampleProc, reinterpret_cast<LPARAM>(&seen));
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

namespace {

TEST(DialogTest, MissingOrDamagedTemplateFailsWithTheReason) {
    UiDriver driver;
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    struct Case {
        HINSTANCE instance;
        LPCSTR name;
        DWORD error;
    } cases[] = {
        {nullptr, MAKEINTRESOURCEA(999), ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, "NO_SUCH_DIALOG", ERROR_RESOURCE_NAME_NOT_FOUND},
        {nullptr, MAKEINTRESOURCEA(IDD_DAMAGED), ERROR_INVALID_DATA},
        {reinterpret_cast<HINSTANCE>(0x1234), MAKEINTRESOURCEA(IDD_SAMPLE), ERROR_RESOURCE_DATA_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(DialogBoxParamA(c.instance, c.name, owner, SampleProc, 0), -1);
        EXPECT_EQ(GetLastError(), c.error);
        SetLastError(0);
        EXPECT_EQ(CreateDialogParamA(c.instance, c.name, owner, SampleProc, 0), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_TRUE(IsWindowEnabled(owner));  // a modal box that never opened gives its owner back
    EXPECT_TRUE(driver.Seen().empty());
    DestroyWindow(owner);
}

TEST(DialogTest, TemplateByNumberTextGivesTheDriverItsId) {
    UiDriver driver;
    driver.OnDialog(IDD_NESTED, [](const ModalElement& e) { ui::Click(e.window, IDOK); });
    Seen seen;
    g_seen = &seen;
    EXPECT_EQ(DialogBoxParamA(nullptr, "#201", nullptr, SampleProc, reinterpret_cast<LPARAM>(&seen)), IDOK);
    EXPECT_TRUE(driver.Failures().empty());
}

}  // namespace
