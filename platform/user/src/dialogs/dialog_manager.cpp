// The dialog manager: keyboard navigation of dialogs (tab order, groups,
// Enter and Escape, mnemonics, F1).
#include <cctype>

#include "control.h"
#include "dialog.h"

namespace vpr::user {
namespace {

bool Usable(HWND hwnd) { return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

// The dialog's controls in tab order; the children of a control parent
// (a child dialog such as a property page) stand in its place.
void CollectControls(HWND parent, std::vector<HWND>* out) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && Usable(child))
            CollectControls(child, out);
        else
            out->push_back(child);
    }
}

// The control the person means by a mnemonic letter, searching after the focus.
HWND FindMnemonic(HWND dialog, HWND focus, char letter) {
    std::vector<HWND> controls;
    CollectControls(dialog, &controls);
    size_t count = controls.size();
    size_t start = 0;
    for (size_t i = 0; i < count; ++i)
        if (controls[i] == focus) start = i + 1;
    for (size_t step = 0; step < count; ++step) {
        HWND control = controls[(start + step) % count];
        if (!Usable(control)) continue;
        char text[256];
        GetWindowTextA(control, text, sizeof text);
        for (const char* p = text; *p; ++p) {
            if (*p != '&') continue;
            if (p[1] == '&') {
                ++p;
                continue;
            }
            if (std::tolower(static_cast<unsigned char>(p[1])) == std::tolower(static_cast<unsigned char>(letter)))
                return control;
            break;
        }
    }
    return nullptr;
}

void PressMnemonic(HWND dialog, HWND control) {
    LRESULT code = SendMessageA(control, WM_GETDLGCODE, 0, 0);
    if (code & DLGC_STATIC) {
        // A label hands the focus to the control it labels: the next tab stop.
        HWND next = GetNextDlgTabItem(dialog, control, FALSE);
        if (next) DialogFocus(dialog, next);
        return;
    }
    if (code & DLGC_BUTTON) {
        if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) DialogFocus(dialog, control);
        SendMessageA(control, BM_CLICK, 0, 0);
        return;
    }
    DialogFocus(dialog, control);
}

void PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button && !IsWindowEnabled(button)) {
        MessageBeep(0);
        return;
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

}  // namespace
}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> controls;
    CollectControls(dialog, &controls);
    size_t count = controls.size();
    if (count == 0) return nullptr;
    size_t at = previous ? 0 : count - 1;  // with no control: the first (or last) stop
    for (size_t i = 0; i < count; ++i)
        if (controls[i] == control) at = i;
    for (size_t step = 1; step <= count; ++step) {
        size_t index = previous ? (at + count - step) % count : (at + step) % count;
        HWND candidate = controls[index];
        if ((GetWindowLongA(candidate, GWL_STYLE) & WS_TABSTOP) && Usable(candidate)) return candidate;
    }
    return control;
}

HWND WINAPI GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> controls;
    CollectControls(dialog, &controls);
    size_t count = controls.size();
    size_t at = count;
    for (size_t i = 0; i < count; ++i)
        if (controls[i] == control) at = i;
    if (at == count) return count ? controls[0] : nullptr;
    // The group runs from the last WS_GROUP item at or before the control to
    // the item before the next WS_GROUP item.
    auto starts = [&](size_t i) { return (GetWindowLongA(controls[i], GWL_STYLE) & WS_GROUP) != 0; };
    size_t first = at;
    while (first > 0 && !starts(first)) --first;
    size_t last = at;
    while (last + 1 < count && !starts(last + 1)) ++last;
    size_t size = last - first + 1;
    for (size_t step = 1; step < size; ++step) {
        size_t offset = previous ? (at - first + size - step) % size : (at - first + step) % size;
        HWND candidate = controls[first + offset];
        if (Usable(candidate)) return candidate;
    }
    return control;
}

BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG msg) {
    if (!msg || !dialog || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) return FALSE;
    HWND focus = GetFocus();
    if (!focus || (focus != dialog && !IsChild(dialog, focus))) focus = msg->hwnd;
    bool keyboard = msg->message == WM_KEYDOWN || msg->message == WM_CHAR || msg->message == WM_SYSCHAR;
    LRESULT code = keyboard ? SendMessageA(focus, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) : 0;
    if (keyboard && !(code & DLGC_WANTMESSAGE)) {
        if (msg->message == WM_KEYDOWN) {
            bool shift = GetKeyState(VK_SHIFT) & 0x8000;
            switch (msg->wParam) {
            case VK_TAB:
                if (code & DLGC_WANTTAB) break;
                SendMessageA(dialog, WM_NEXTDLGCTL, shift ? 1 : 0, FALSE);
                return TRUE;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN: {
                if (code & DLGC_WANTARROWS) break;
                bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
                HWND next = GetNextDlgGroupItem(dialog, focus, back);
                if (next && next != focus) {
                    DialogFocus(dialog, next);
                    // Moving onto a radio button chooses it.
                    if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessageA(next, BM_CLICK, 0, 0);
                }
                return TRUE;
            }
            case VK_RETURN: {
                int id = IDOK;
                if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
                    id = GetDlgCtrlID(focus);
                } else {
                    LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
                    if (HIWORD(def) == DC_HASDEFID) id = LOWORD(def);
                }
                PressButton(dialog, id);
                return TRUE;
            }
            case VK_ESCAPE: PressButton(dialog, IDCANCEL); return TRUE;
            case VK_F1: {
                HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, GetDlgCtrlID(focus), reinterpret_cast<HANDLE>(focus),
                              0, {}};
                SendMessageA(focus, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
                return TRUE;
            }
            }
        } else if (msg->message == WM_SYSCHAR || !(code & DLGC_WANTCHARS)) {
            char letter = static_cast<char>(msg->wParam);
            if (std::isalnum(static_cast<unsigned char>(letter))) {
                if (HWND target = FindMnemonic(dialog, focus, letter)) {
                    PressMnemonic(dialog, target);
                    return TRUE;
                }
                if (msg->message == WM_SYSCHAR) return TRUE;
            }
        }
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}

}  // extern "C"
