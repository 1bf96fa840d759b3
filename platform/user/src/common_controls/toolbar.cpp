// The toolbar ("ToolbarWindow32") and its tool tip window ("tooltips_class32").
#include <algorithm>
#include <cstring>

#include "common_control.h"
#include "control.h"
#include "vpr/user/images.h"

namespace vpr::user {
namespace {

constexpr int kButtonWidth = 24;
constexpr int kButtonHeight = 22;
constexpr int kSeparatorWidth = 8;

struct ToolbarState : ControlState {
    std::vector<TBBUTTON> buttons;
    HIMAGELIST images = nullptr;
    int imageWidth = 16;
    int imageHeight = 15;
    HWND tips = nullptr;
    int tipButton = -1;  // button whose tip is shown
};

RECT ButtonRect(const ToolbarState& state, int index) {
    int left = 0;
    for (int i = 0; i < index; ++i) {
        const TBBUTTON& button = state.buttons[i];
        if (button.fsState & TBSTATE_HIDDEN) continue;
        left += (button.fsStyle & TBSTYLE_SEP) ? kSeparatorWidth : kButtonWidth;
    }
    int width = (state.buttons[index].fsStyle & TBSTYLE_SEP) ? kSeparatorWidth : kButtonWidth;
    return RECT{left, 0, left + width, kButtonHeight};
}

int ButtonAt(const ToolbarState& state, POINT pt) {
    for (int i = 0; i < static_cast<int>(state.buttons.size()); ++i) {
        const TBBUTTON& button = state.buttons[i];
        if ((button.fsState & TBSTATE_HIDDEN) || (button.fsStyle & TBSTYLE_SEP)) continue;
        RECT rect = ButtonRect(state, i);
        if (PtInRect(&rect, pt)) return i;
    }
    return -1;
}

int IndexOf(const ToolbarState& state, int command) {
    for (int i = 0; i < static_cast<int>(state.buttons.size()); ++i)
        if (!(state.buttons[i].fsStyle & TBSTYLE_SEP) && state.buttons[i].idCommand == command) return i;
    return -1;
}

// Sets or clears state bits of the button with the command.
BOOL ChangeState(HWND hwnd, ToolbarState& state, int command, BYTE bits, bool on) {
    int index = IndexOf(state, command);
    if (index < 0) return FALSE;
    BYTE& current = state.buttons[index].fsState;
    current = on ? (current | bits) : (current & ~bits);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

void Dock(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (!parent) return;
    RECT client;
    GetClientRect(parent, &client);
    MoveWindow(hwnd, 0, 0, client.right, kButtonHeight, TRUE);
}

void ShowTip(HWND hwnd, ToolbarState& state, int index) {
    if (!state.tips || index == state.tipButton) return;
    state.tipButton = index;
    std::string text;
    if (index >= 0) {
        NMTTDISPINFOA info{};
        info.hdr.hwndFrom = state.tips;
        info.hdr.idFrom = static_cast<UINT_PTR>(state.buttons[index].idCommand);
        info.hdr.code = TTN_NEEDTEXTA;
        SendMessageA(GetParent(hwnd), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
        // The parent answers with a text pointer or by filling szText.
        if (info.lpszText && !IS_INTRESOURCE(info.lpszText))
            text = info.lpszText;
        else
            text = std::string(info.szText, strnlen(info.szText, sizeof(info.szText)));
    }
    SetWindowTextA(state.tips, text.c_str());
    ShowWindow(state.tips, text.empty() ? SW_HIDE : SW_SHOWNA);
}

void Paint(HWND hwnd, ToolbarState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    for (int i = 0; i < static_cast<int>(state.buttons.size()); ++i) {
        const TBBUTTON& button = state.buttons[i];
        if ((button.fsState & TBSTATE_HIDDEN) || (button.fsStyle & TBSTYLE_SEP)) continue;
        RECT rect = ButtonRect(state, i);
        bool down = button.fsState & (TBSTATE_CHECKED | TBSTATE_PRESSED);
        FillRect(dc, &rect, GetSysColorBrush(down ? COLOR_BTNSHADOW : COLOR_BTNFACE));
        if (state.images) ImageList_Draw(state.images, button.iBitmap, dc, rect.left + 4, rect.top + 3, ILD_TRANSPARENT);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ToolbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<ToolbarState>(hwnd);
    if (!state) return 0;
    int command = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (msg) {
    case WM_CREATE:
        if (GetWindowLongA(hwnd, GWL_STYLE) & TBSTYLE_TOOLTIPS)
            state->tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, "", WS_POPUP, 0, 0, 0, 0, hwnd, nullptr,
                                          nullptr, nullptr);
        Dock(hwnd);
        return 0;
    case WM_DESTROY:
        if (state->images) ImageList_Destroy(state->images);
        state->images = nullptr;
        return 0;
    case WM_PAINT: Paint(hwnd, *state); return 0;
    case TB_AUTOSIZE: Dock(hwnd); return 0;
    case TB_BUTTONSTRUCTSIZE: return 0;
    case TB_SETBITMAPSIZE:
        if (!state->buttons.empty() || (state->images && ImageList_GetImageCount(state->images))) return FALSE;
        state->imageWidth = LOWORD(lParam);
        state->imageHeight = HIWORD(lParam);
        return TRUE;
    case TB_ADDBITMAP: {
        // nID is a bitmap handle, or with an instance the number of its bitmap resource.
        auto* add = reinterpret_cast<const TBADDBITMAP*>(lParam);
        if (!add) return -1;
        HBITMAP bitmap = add->hInst ? LoadBitmapA(add->hInst, MAKEINTRESOURCEA(add->nID))
                                    : reinterpret_cast<HBITMAP>(add->nID);
        if (!bitmap) return -1;
        if (!state->images) state->images = ImageList_Create(state->imageWidth, state->imageHeight, ILC_MASK, 4, 4);
        int first = ImageList_Add(state->images, bitmap, nullptr);
        if (add->hInst) DeleteObject(bitmap);
        return first;
    }
    case TB_ADDBUTTONSA:
    case TB_INSERTBUTTONA: {
        auto* buttons = reinterpret_cast<const TBBUTTON*>(lParam);
        if (!buttons) return FALSE;
        int count = msg == TB_ADDBUTTONSA ? command : 1;
        int at = msg == TB_ADDBUTTONSA ? static_cast<int>(state->buttons.size())
                                        : std::clamp(command, 0, static_cast<int>(state->buttons.size()));
        state->buttons.insert(state->buttons.begin() + at, buttons, buttons + count);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_DELETEBUTTON:
        if (command < 0 || command >= static_cast<int>(state->buttons.size())) return FALSE;
        state->buttons.erase(state->buttons.begin() + command);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TB_GETBUTTON:
        if (command < 0 || command >= static_cast<int>(state->buttons.size()) || !lParam) return FALSE;
        *reinterpret_cast<TBBUTTON*>(lParam) = state->buttons[command];
        return TRUE;
    case TB_BUTTONCOUNT: return static_cast<LRESULT>(state->buttons.size());
    case TB_COMMANDTOINDEX: return IndexOf(*state, command);
    case TB_ENABLEBUTTON: return ChangeState(hwnd, *state, command, TBSTATE_ENABLED, LOWORD(lParam) != 0);
    case TB_CHECKBUTTON: return ChangeState(hwnd, *state, command, TBSTATE_CHECKED, LOWORD(lParam) != 0);
    case TB_PRESSBUTTON: return ChangeState(hwnd, *state, command, TBSTATE_PRESSED, LOWORD(lParam) != 0);
    case TB_HIDEBUTTON: return ChangeState(hwnd, *state, command, TBSTATE_HIDDEN, LOWORD(lParam) != 0);
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONHIDDEN: {
        int index = IndexOf(*state, command);
        if (index < 0) return FALSE;
        BYTE bit = msg == TB_ISBUTTONENABLED   ? TBSTATE_ENABLED
                   : msg == TB_ISBUTTONCHECKED ? TBSTATE_CHECKED
                   : msg == TB_ISBUTTONPRESSED ? TBSTATE_PRESSED
                                               : TBSTATE_HIDDEN;
        return (state->buttons[index].fsState & bit) != 0;
    }
    case TB_SETSTATE: {
        int index = IndexOf(*state, command);
        if (index < 0) return FALSE;
        state->buttons[index].fsState = static_cast<BYTE>(LOWORD(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_GETSTATE: {
        int index = IndexOf(*state, command);
        return index < 0 ? -1 : state->buttons[index].fsState;
    }
    case TB_GETTOOLTIPS: return reinterpret_cast<LRESULT>(state->tips);

    case WM_MOUSEMOVE: ShowTip(hwnd, *state, ButtonAt(*state, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})); return 0;
    case WM_LBUTTONDOWN: {
        int index = ButtonAt(*state, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (index < 0 || !(state->buttons[index].fsState & TBSTATE_ENABLED)) return 0;
        TBBUTTON& button = state->buttons[index];
        if (button.fsStyle & TBSTYLE_CHECK) {
            if ((button.fsStyle & TBSTYLE_GROUP) == TBSTYLE_GROUP) {
                // One button of a group is down: the clicked one.
                for (auto& other : state->buttons)
                    if ((other.fsStyle & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP) other.fsState &= ~TBSTATE_CHECKED;
                button.fsState |= TBSTATE_CHECKED;
            } else {
                button.fsState ^= TBSTATE_CHECKED;
            }
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterToolbarClasses() {
    RegisterSystemClass(TOOLBARCLASSNAMEA, ToolbarProc, CS_DBLCLKS | CS_GLOBALCLASS, 0);
    RegisterSystemClass(TOOLTIPS_CLASSA, ToolTipProc, CS_SAVEBITS | CS_GLOBALCLASS, 0);
}

}  // namespace vpr::user
