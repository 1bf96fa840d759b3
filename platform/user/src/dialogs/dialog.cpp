// Dialog windows: building them from templates, the default dialog
// procedure, modal loops and EndDialog.
#include "dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "control.h"
#include "module_resource.h"
#include "paint.h"
#include "ui_driver_hooks.h"
#include "vpr/user/menu.h"
#include "vpr/win/error.h"

namespace vpr::user {
namespace {

DLGPROC ProcOf(HWND dialog) { return reinterpret_cast<DLGPROC>(GetWindowLongA(dialog, DWL_DLGPROC)); }

// Messages whose answer is the dialog procedure's return value itself; for
// the rest the procedure answers through DWL_MSGRESULT.
bool AnswersDirectly(UINT msg) {
    switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_INITDIALOG: return true;
    default: return false;
    }
}

HWND FirstTabItem(HWND dialog) { return GetNextDlgTabItem(dialog, nullptr, FALSE); }

bool IsPushButton(HWND hwnd) {
    return hwnd && (SendMessageA(hwnd, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
}

void SetButtonDefault(HWND button, bool isDefault) {
    if (!IsPushButton(button)) return;
    SendMessageA(button, BM_SETSTYLE, (StyleOf(button) & ~0xFu) | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                 TRUE);
}

// The push button that shows itself as the default.
HWND CurrentDefault(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (SendMessageA(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return child;
    return nullptr;
}

// Leaves the dialog of a modal loop: the owner first gets back its input, so
// that activation returns to it, then the dialog goes.
void FinishModal(HWND dialog, HWND owner, bool enableOwner) {
    if (enableOwner && owner) EnableWindow(owner, TRUE);
    if (IsWindow(dialog)) {
        ShowWindow(dialog, SW_HIDE);
        DestroyWindow(dialog);
    }
}

bool Ended(HWND dialog, INT_PTR* result) {
    Lock lock(WindowLock());
    auto* state = DialogOf(dialog);
    if (!state) return true;
    if (result) *result = state->result;
    return state->ended;
}

}  // namespace

DialogState* DialogOf(HWND hwnd) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    return window ? dynamic_cast<DialogState*>(window->control.get()) : nullptr;
}

void DialogFocus(HWND dialog, HWND control) {
    if (!control) return;
    HWND old = GetFocus();
    SetFocus(control);
    if (GetFocus() != control) return;
    LRESULT code = SendMessageA(control, WM_GETDLGCODE, 0, 0);
    if (code & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
    // The default push button follows the focus: a focused push button is the
    // default; elsewhere the dialog's default id is.
    auto* state = DialogOf(dialog);
    if (!state) return;
    HWND shown = CurrentDefault(dialog);
    HWND wanted = IsPushButton(control) ? control : GetDlgItem(dialog, state->defId);
    if (shown != wanted) {
        SetButtonDefault(shown, false);
        SetButtonDefault(wanted, true);
    }
    (void)old;
}

int ResourceNumber(LPCSTR name) {
    if (!name) return 0;
    if (IS_INTRESOURCE(name)) return static_cast<int>(reinterpret_cast<uintptr_t>(name));
    if (name[0] != '#') return 0;
    char* end = nullptr;
    unsigned long number = std::strtoul(name + 1, &end, 10);
    return (end != name + 1 && *end == '\0' && number <= 0xFFFF) ? static_cast<int>(number) : 0;
}

DialogControl ControlItem(const char* className, const std::string& text, int id, DWORD style, int x, int y, int cx,
                          int cy) {
    DialogControl control;
    control.className = className;
    control.text = vpr::win::ResourceId::Name(text);
    control.id = id;
    control.style = style;
    control.x = static_cast<int16_t>(x);
    control.y = static_cast<int16_t>(y);
    control.cx = static_cast<int16_t>(cx);
    control.cy = static_cast<int16_t>(cy);
    return control;
}

bool LoadDialogTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate* dialog) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!FindResourceData(instance, name, RT_DIALOG, &data, &size)) return false;
    if (!vpr::win::DecodeDialog(data, size, dialog)) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}

HWND CreateDialogFromTemplate(HINSTANCE instance, const DialogTemplate& dialog, int templateId, HWND owner,
                              DLGPROC proc, LPARAM param) {
    EnsureSystemClasses();
    // The dialog's font gives its base units.
    HFONT font = nullptr;
    int baseX = 8, baseY = 16;
    if (dialog.pointSize > 0) {
        int height = (dialog.pointSize * 96 + 36) / 72;
        font = CreateFontA(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, dialog.fontName.c_str());
        baseX = std::max(1, height / 2);
        baseY = height;
    }
    auto toX = [&](int units) { return units * baseX / 4; };
    auto toY = [&](int units) { return units * baseY / 8; };

    DWORD style = dialog.style;
    RECT frame{0, 0, toX(dialog.cx), toY(dialog.cy)};
    AdjustWindowRectEx(&frame, style, FALSE, dialog.exStyle);
    POINT origin{toX(dialog.x), toY(dialog.y)};
    if (owner && !(style & DS_ABSALIGN) && !(style & WS_CHILD)) ClientToScreen(owner, &origin);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (!(style & WS_CHILD)) {
        origin.x += frame.left;
        origin.y += frame.top;
    }
    const char* className = dialog.className.empty() ? "#32770" : dialog.className.c_str();
    HWND hwnd = CreateWindowExA(dialog.exStyle, className, dialog.caption.c_str(), style & ~static_cast<DWORD>(WS_VISIBLE),
                                origin.x, origin.y, width, height, owner, nullptr, instance, nullptr);
    if (!hwnd) {
        if (font) DeleteObject(font);
        return nullptr;
    }
    {
        Lock lock(WindowLock());
        auto window = FindWindowObject(hwnd);
        if (!dynamic_cast<DialogState*>(window->control.get())) window->control = std::make_unique<DialogState>();
    }
    auto* state = DialogOf(hwnd);
    state->font = font;
    state->ownFont = font != nullptr;
    state->baseX = baseX;
    state->baseY = baseY;
    state->templateId = templateId;
    SetWindowLongA(hwnd, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (style & DS_CENTER) CenterWindow(hwnd, owner);
    if (font) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (dialog.menu) {
        HMENU menu = LoadMenuA(instance, dialog.menu->isNumber ? MAKEINTRESOURCEA(dialog.menu->number)
                                                               : dialog.menu->name.c_str());
        if (!menu) {
            DestroyWindow(hwnd);
            return nullptr;
        }
        SetMenu(hwnd, menu);
    }

    for (const auto& item : dialog.controls) {
        // A numbered text is passed as the resource number: image statics load it.
        LPCSTR text = item.text.isNumber ? MAKEINTRESOURCEA(item.text.number) : item.text.name.c_str();
        HWND control = CreateWindowExA(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(), text,
                                       item.style | WS_CHILD, toX(item.x), toY(item.y), toX(item.cx), toY(item.cy),
                                       hwnd, reinterpret_cast<HMENU>(static_cast<intptr_t>(item.id)), instance,
                                       nullptr);
        if (!control) {
            DestroyWindow(hwnd);
            return nullptr;
        }
        if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) state->defId = item.id;
    }

    HWND first = FirstTabItem(hwnd);
    if (SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(hwnd)) {
        first = FirstTabItem(hwnd);
        if (first) DialogFocus(hwnd, first);
    }
    if (!IsWindow(hwnd)) return nullptr;
    {
        Lock lock(WindowLock());
        if (GetFocus() && IsChild(hwnd, GetFocus())) state->savedFocus = GetFocus();
    }
    if ((style & WS_VISIBLE) && !Ended(hwnd, nullptr)) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

INT_PTR RunDialogFromTemplate(HINSTANCE instance, const DialogTemplate& dialog, int templateId, HWND owner,
                              DLGPROC proc, LPARAM param) {
    if (owner) owner = TopLevelOf(owner);
    if (owner == GetDesktopWindow()) owner = nullptr;
    bool enableOwner = owner && IsWindowEnabled(owner);
    if (enableOwner) EnableWindow(owner, FALSE);
    HWND hwnd = CreateDialogFromTemplate(instance, dialog, templateId, owner, proc, param);
    if (!hwnd) {
        if (enableOwner) EnableWindow(owner, TRUE);
        return -1;
    }
    DialogOf(hwnd)->modal = true;
    INT_PTR result = 0;
    if (!Ended(hwnd, &result)) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
        DriverActOnDialog(hwnd);
    }
    MSG msg;
    while (!Ended(hwnd, &result) && IsWindow(hwnd)) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            // A quit message ends the loop and goes back to the outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageA(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    FinishModal(hwnd, owner, enableOwner);
    return result;
}

bool DialogEnded(HWND dialog) { return Ended(dialog, nullptr); }

int DialogTemplateId(HWND dialog) {
    auto* state = DialogOf(dialog);
    return state ? state->templateId : 0;
}

namespace {

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefDlgProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterDialogClass() { RegisterSystemClass("#32770", DialogClassProc, CS_DBLCLKS | CS_SAVEBITS, DLGWINDOWEXTRA); }

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
    DialogTemplate dialog;
    if (!LoadDialogTemplate(instance, name, &dialog)) return -1;
    return RunDialogFromTemplate(instance, dialog, ResourceNumber(name), owner, proc, param);
}

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
    DialogTemplate dialog;
    if (!LoadDialogTemplate(instance, name, &dialog)) return nullptr;
    return CreateDialogFromTemplate(instance, dialog, ResourceNumber(name), owner, proc, param);
}

LRESULT WINAPI DefDlgProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SetWindowLongA(hwnd, DWL_MSGRESULT, 0);
    if (DLGPROC proc = ProcOf(hwnd)) {
        INT_PTR handled = proc(hwnd, msg, wParam, lParam);
        if (!IsWindow(hwnd)) return handled;
        if (AnswersDirectly(msg)) {
            if (handled || msg == WM_INITDIALOG) return handled;
        } else if (handled) {
            return GetWindowLongA(hwnd, DWL_MSGRESULT);
        }
    }
    auto* state = DialogOf(hwnd);
    switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_ACTIVATE:
        if (!state) break;
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) state->savedFocus = focus;
        } else {
            HWND focus = state->savedFocus && IsWindow(state->savedFocus) ? state->savedFocus : FirstTabItem(hwnd);
            if (focus) DialogFocus(hwnd, focus);
            else SetFocus(hwnd);
        }
        return 0;
    case WM_SETFOCUS: {
        if (!state) break;
        HWND focus = state->savedFocus && IsWindow(state->savedFocus) ? state->savedFocus : FirstTabItem(hwnd);
        if (focus) DialogFocus(hwnd, focus);
        return 0;
    }
    case WM_KILLFOCUS:
        return 0;
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(hwnd, IDCANCEL);
        if (cancel && !IsWindowEnabled(cancel)) {
            MessageBeep(0);
            return 0;
        }
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_NEXTDLGCTL: {
        HWND target = lParam ? reinterpret_cast<HWND>(wParam)
                             : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
        DialogFocus(hwnd, target);
        return 0;
    }
    case DM_GETDEFID:
        return state ? MAKELRESULT(state->defId, DC_HASDEFID) : 0;
    case DM_SETDEFID: {
        if (!state) return FALSE;
        HWND old = GetDlgItem(hwnd, state->defId);
        state->defId = static_cast<int>(wParam);
        SetButtonDefault(old, false);
        HWND focus = GetFocus();
        if (!IsPushButton(focus) || !IsChild(hwnd, focus)) SetButtonDefault(GetDlgItem(hwnd, state->defId), true);
        return TRUE;
    }
    case WM_SETFONT:
        if (state) state->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT: return state ? reinterpret_cast<LRESULT>(state->font) : 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageA(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_NCDESTROY:
        if (state && state->ownFont) DeleteObject(state->font);
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

BOOL WINAPI EndDialog(HWND hwnd, INT_PTR result) {
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    {
        Lock lock(WindowLock());
        auto* state = DialogOf(hwnd);
        if (!state) return FALSE;
        state->ended = true;
        state->result = result;
    }
    // The modal loop may be waiting for a message: a posted message wakes it
    // without fail, whichever thread ends the dialog.
    PostMessageA(hwnd, WM_NULL, 0, 0);
    if (window->queue.get() == &CurrentQueue()) {
        auto* state = DialogOf(hwnd);
        if (!state->modal) ShowWindow(hwnd, SW_HIDE);
    }
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND hwnd, LPRECT rect) {
    auto* state = DialogOf(hwnd);
    if (!state || !rect) return FALSE;
    rect->left = rect->left * state->baseX / 4;
    rect->right = rect->right * state->baseX / 4;
    rect->top = rect->top * state->baseY / 8;
    rect->bottom = rect->bottom * state->baseY / 8;
    return TRUE;
}

LONG WINAPI GetDialogBaseUnits(void) { return MAKELONG(8, 16); }

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageA(control, msg, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SetWindowTextA(control, text) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) {
        if (buffer && size > 0) buffer[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(control, buffer, size));
}

BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    char text[16];
    if (isSigned)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else
        std::snprintf(text, sizeof text, "%u", value);
    return SetDlgItemTextA(dialog, id, text);
}

UINT WINAPI GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    char text[64];
    if (translated) *translated = FALSE;
    if (!GetDlgItemTextA(dialog, id, text, sizeof text)) return 0;
    char* end = nullptr;
    const char* start = text;
    while (*start == ' ') ++start;
    long long value = std::strtoll(start, &end, 10);
    while (end && *end == ' ') ++end;
    if (end == start || (end && *end) || (!isSigned && value < 0) || value > 0xFFFFFFFFLL ||
        (isSigned && (value < INT32_MIN || value > INT32_MAX)))
        return 0;
    if (translated) *translated = TRUE;
    return static_cast<UINT>(value);
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return FALSE;
    SendMessageA(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int checked) {
    for (int id = first; id <= last; ++id) {
        HWND control = GetDlgItem(dialog, id);
        if (control) SendMessageA(control, BM_SETCHECK, id == checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

BOOL WINAPI CenterWindow(HWND hwnd, HWND center) {
    RECT rect, area;
    if (!GetWindowRect(hwnd, &rect)) return FALSE;
    if (!center || !IsWindow(center)) center = GetWindow(hwnd, GW_OWNER);
    if (!center || !IsWindow(center) || (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) {
            GetClientRect(GetParent(hwnd), &area);
            MapWindowPoints(GetParent(hwnd), nullptr, reinterpret_cast<POINT*>(&area), 2);
        } else {
            GetWindowRect(GetDesktopWindow(), &area);
        }
    } else {
        GetWindowRect(center, &area);
    }
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    POINT at{area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) ScreenToClient(GetParent(hwnd), &at);
    return SetWindowPos(hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // extern "C"
