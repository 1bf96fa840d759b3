// MessageBoxA: a modal dialog built from a template made here.
#include <algorithm>
#include <string>
#include <vector>

#include "control.h"
#include "dialog.h"
#include "vpr/user/images.h"
#include "vpr/user/message_box.h"

namespace vpr::user {
namespace {

constexpr int kIconId = 20;
constexpr int kTextId = 0xFFFF;
// Layout in dialog units of the system font (4 units a character, 8 a line).
constexpr int kMargin = 7;
constexpr int kIconSide = 20;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonGap = 5;

struct Button {
    int id;
    const char* text;
};

std::vector<Button> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default: return {{IDOK, "OK"}};
    }
}

LPCSTR IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return nullptr;
    }
}

// Width and height of a text in dialog units, line by line.
SIZE TextUnits(const std::string& text) {
    int lines = 1, longest = 0, current = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') continue;
        if (text[i] == '\n') {
            ++lines;
            current = 0;
            continue;
        }
        longest = std::max(longest, ++current);
    }
    return SIZE{longest * 4, lines * 8};
}

DialogTemplate BoxTemplate(const std::string& text, const std::string& caption, UINT type) {
    DialogTemplate box;
    box.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    box.exStyle = (type & (MB_SYSTEMMODAL | MB_TOPMOST)) ? WS_EX_TOPMOST : 0;
    box.caption = caption;
    std::vector<Button> buttons = ButtonsOf(type);
    LPCSTR icon = IconOf(type);
    SIZE textSize = TextUnits(text);
    int textLeft = kMargin + (icon ? kIconSide + kMargin : 0);
    int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
    int width = std::max(textLeft + static_cast<int>(textSize.cx), buttonsWidth) + kMargin;
    int bodyHeight = std::max(static_cast<int>(textSize.cy), icon ? kIconSide : 0);
    int buttonsTop = kMargin + bodyHeight + kMargin;
    box.cx = static_cast<int16_t>(width);
    box.cy = static_cast<int16_t>(buttonsTop + kButtonHeight + kMargin);
    if (icon) {
        DialogControl picture = ControlItem("STATIC", "", kIconId, WS_CHILD | WS_VISIBLE | SS_ICON, kMargin, kMargin,
                                            kIconSide, kIconSide);
        picture.text = vpr::win::ResourceId::Number(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(icon)));
        box.controls.push_back(picture);
    }
    box.controls.push_back(ControlItem("STATIC", text, kTextId, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                       textLeft, kMargin, textSize.cx, textSize.cy));
    int defaultIndex = std::min(static_cast<int>((type & MB_DEFMASK) >> 8), static_cast<int>(buttons.size()) - 1);
    int left = (width - buttonsWidth) / 2;
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (i == 0) style |= WS_GROUP;
        box.controls.push_back(
            ControlItem("BUTTON", buttons[i].text, buttons[i].id, style, left, buttonsTop, kButtonWidth, kButtonHeight));
        left += kButtonWidth + kButtonGap;
    }
    return box;
}

struct BoxParam {
    UINT type;
};

INT_PTR CALLBACK BoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        UINT type = reinterpret_cast<BoxParam*>(lParam)->type;
        if (auto* state = DialogOf(box)) {
            state->messageBox = true;
            state->messageBoxType = type;
        }
        SetWindowLongA(box, DWL_USER, static_cast<LONG_PTR>(type));
        std::vector<Button> buttons = ButtonsOf(type);
        int defaultIndex = std::min(static_cast<int>((type & MB_DEFMASK) >> 8), static_cast<int>(buttons.size()) - 1);
        SendMessageA(box, DM_SETDEFID, static_cast<WPARAM>(buttons[defaultIndex].id), 0);
        DialogFocus(box, GetDlgItem(box, buttons[defaultIndex].id));
        return FALSE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        UINT type = static_cast<UINT>(GetWindowLongA(box, DWL_USER));
        if (id == IDCANCEL && !GetDlgItem(box, IDCANCEL)) {
            // Escape or the close box: only a box with just OK takes it, as OK.
            if ((type & MB_TYPEMASK) == MB_OK) EndDialog(box, IDOK);
            return TRUE;
        }
        if (GetDlgItem(box, id)) EndDialog(box, id);
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace
}  // namespace vpr::user

using namespace vpr::user;

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    DialogTemplate box = BoxTemplate(text ? text : "", caption ? caption : "Error", type);
    BoxParam param{type};
    return static_cast<int>(RunDialogFromTemplate(nullptr, box, 0, owner, BoxProc, reinterpret_cast<LPARAM>(&param)));
}
