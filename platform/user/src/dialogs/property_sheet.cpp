// Property sheets: a dialog holding a tab control, the pages and the sheet's
// buttons. Pages are dialogs of their own, children of the sheet.
#include <algorithm>
#include <map>
#include <memory>

#include "common_control.h"
#include "control.h"
#include "dialog.h"
#include "vpr/user/prsht.h"
#include "vpr/win/error.h"

namespace vpr::user {
namespace {

// Layout in dialog units.
constexpr int kMargin = 4;
constexpr int kTabsHeight = 14;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;

// A page as the sheet keeps it: what its creator gave and its template.
struct SheetPage {
    PROPSHEETPAGEA page{};
    DialogTemplate dialog;
    int templateId = 0;
};

struct PageObject : vpr::win::KernelObject {
    SheetPage page;
};

std::shared_ptr<PageObject> PageOf(HPROPSHEETPAGE handle) { return HandleObject<PageObject>(handle); }

struct Sheet {
    HINSTANCE instance = nullptr;
    std::vector<SheetPage> pages;
    std::vector<HWND> windows;  // made when first shown
    int current = -1;
    int start = 0;
    bool modeless = false;
    bool applied = false;
    bool closed = false;
};

std::map<HWND, std::shared_ptr<Sheet>>& Sheets() {
    static std::map<HWND, std::shared_ptr<Sheet>> sheets;
    return sheets;
}

std::shared_ptr<Sheet> SheetOf(HWND hwnd) {
    Lock lock(WindowLock());
    auto it = Sheets().find(hwnd);
    return it == Sheets().end() ? nullptr : it->second;
}

// A page's template: the dialog resource its instance and name give, or with
// PSP_DLGINDIRECT a template made in memory. False with the last error set
// when it cannot be had.
bool MakeSheetPage(const PROPSHEETPAGEA& page, SheetPage* made) {
    if (page.dwSize < sizeof(PROPSHEETPAGEA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    made->page = page;
    made->page.dwSize = sizeof(PROPSHEETPAGEA);
    if (page.dwFlags & PSP_DLGINDIRECT) {
        if (!page.pResource) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        made->dialog = *static_cast<const DialogTemplate*>(page.pResource);
        return true;
    }
    made->templateId = ResourceNumber(page.pszTemplate);
    return LoadDialogTemplate(page.hInstance, page.pszTemplate, &made->dialog);
}

std::string TitleOf(const SheetPage& page) {
    const PROPSHEETPAGEA& given = page.page;
    if ((given.dwFlags & PSP_USETITLE) && given.pszTitle) {
        if (!IS_INTRESOURCE(given.pszTitle)) return given.pszTitle;
        char title[256];
        if (LoadStringA(given.hInstance, static_cast<UINT>(reinterpret_cast<uintptr_t>(given.pszTitle)), title,
                        sizeof title))
            return title;
    }
    return page.dialog.caption;
}

// Tells a page; its answer is what it put in DWL_MSGRESULT.
LONG_PTR NotifyPage(HWND sheet, HWND page, UINT code) {
    PSHNOTIFY notify{{sheet, 0, code}, 0};
    SetWindowLongA(page, DWL_MSGRESULT, 0);
    SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    return IsWindow(page) ? GetWindowLongA(page, DWL_MSGRESULT) : 0;
}

// The display area under the tabs, in the sheet's client coordinates.
RECT PageArea(HWND sheet) {
    HWND tabs = GetDlgItem(sheet, IDC_PROPSHEET_TABS);
    RECT area;
    GetWindowRect(tabs, &area);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&area), 2);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    return area;
}

// Leaves the current page; false when the page wants to stay.
bool Leave(HWND sheet, Sheet& state) {
    if (state.current < 0) return true;
    HWND page = state.windows[state.current];
    if (page && NotifyPage(sheet, page, PSN_KILLACTIVE)) return false;
    if (page) ShowWindow(page, SW_HIDE);
    return true;
}

bool Enter(HWND sheet, Sheet& state, int index) {
    if (index < 0 || index >= static_cast<int>(state.pages.size())) return false;
    SheetPage& page = state.pages[index];
    if (!state.windows[index]) {
        DialogTemplate pageTemplate = page.dialog;
        pageTemplate.style = (pageTemplate.style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME)) | WS_CHILD;
        HWND window = CreateDialogFromTemplate(page.page.hInstance ? page.page.hInstance : state.instance, pageTemplate,
                                               page.templateId, sheet, page.page.pfnDlgProc,
                                               reinterpret_cast<LPARAM>(&page.page));
        if (!window) return false;
        RECT area = PageArea(sheet);
        SetWindowPos(window, nullptr, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        state.windows[index] = window;
    }
    state.current = index;
    SendDlgItemMessageA(sheet, IDC_PROPSHEET_TABS, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NotifyPage(sheet, state.windows[index], PSN_SETACTIVE);
    ShowWindow(state.windows[index], SW_SHOW);
    return true;
}

bool MoveTo(HWND sheet, Sheet& state, int index) {
    if (index == state.current) return true;
    if (!Leave(sheet, state)) {
        SendDlgItemMessageA(sheet, IDC_PROPSHEET_TABS, TCM_SETCURSEL, static_cast<WPARAM>(state.current), 0);
        return false;
    }
    return Enter(sheet, state, index);
}

// OK and Apply: every page made so far applies its changes. A page that
// refuses is shown: itself (PSNRET_INVALID_NOCHANGEPAGE) or the page that was
// current (PSNRET_INVALID).
bool Apply(HWND sheet, Sheet& state) {
    int shown = state.current;
    if (!Leave(sheet, state)) return false;
    for (int i = 0; i < static_cast<int>(state.windows.size()); ++i) {
        if (!state.windows[i]) continue;
        LONG_PTR answer = NotifyPage(sheet, state.windows[i], PSN_APPLY);
        if (answer == PSNRET_INVALID_NOCHANGEPAGE || answer == PSNRET_INVALID) {
            state.current = -1;  // left already
            Enter(sheet, state, answer == PSNRET_INVALID_NOCHANGEPAGE ? i : shown);
            return false;
        }
    }
    state.applied = true;
    EnableWindow(GetDlgItem(sheet, ID_APPLY_NOW), FALSE);
    state.current = -1;
    Enter(sheet, state, shown);
    return true;
}

void Close(HWND sheet, Sheet& state) {
    INT_PTR result = state.applied ? 1 : 0;
    state.closed = true;
    if (!state.modeless) EndDialog(sheet, result);
}

// The dialog procedure's way of answering a message with a value.
INT_PTR Answer(HWND sheet, LONG_PTR value) {
    SetWindowLongA(sheet, DWL_MSGRESULT, value);
    return TRUE;
}

INT_PTR CALLBACK SheetProc(HWND sheet, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* created = reinterpret_cast<std::shared_ptr<Sheet>*>(lParam);
        {
            Lock lock(WindowLock());
            Sheets()[sheet] = *created;
        }
        Sheet& state = **created;
        HWND tabs = GetDlgItem(sheet, IDC_PROPSHEET_TABS);
        for (size_t i = 0; i < state.pages.size(); ++i) {
            std::string title = TitleOf(state.pages[i]);
            TCITEMA item{TCIF_TEXT, 0, 0, title.data(), 0, 0, 0};
            SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
        EnableWindow(GetDlgItem(sheet, ID_APPLY_NOW), FALSE);
        Enter(sheet, state, state.start);
        return TRUE;
    }
    auto state = SheetOf(sheet);
    if (!state) return FALSE;
    switch (msg) {
    case WM_DESTROY: {
        for (auto& [page, dialog, id] : state->pages)
            if ((page.dwFlags & PSP_USECALLBACK) && page.pfnCallback) page.pfnCallback(nullptr, PSPCB_RELEASE, &page);
        Lock lock(WindowLock());
        Sheets().erase(sheet);
        return FALSE;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != IDC_PROPSHEET_TABS) return FALSE;
        if (header->code == TCN_SELCHANGING) return Answer(sheet, Leave(sheet, *state) ? FALSE : TRUE);
        if (header->code == TCN_SELCHANGE) {
            int index = static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0));
            state->current = -1;  // left already
            Enter(sheet, *state, index);
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (Apply(sheet, *state)) Close(sheet, *state);
            return TRUE;
        case ID_APPLY_NOW: Apply(sheet, *state); return TRUE;
        case IDCANCEL: {
            HWND page = state->current >= 0 ? state->windows[state->current] : nullptr;
            if (page && NotifyPage(sheet, page, PSN_QUERYCANCEL)) return TRUE;
            for (HWND made : state->windows)
                if (made) NotifyPage(sheet, made, PSN_RESET);
            Close(sheet, *state);
            return TRUE;
        }
        case IDHELP:
            if (state->current >= 0) NotifyPage(sheet, state->windows[state->current], PSN_HELP);
            return TRUE;
        }
        return FALSE;
    case PSM_CHANGED: EnableWindow(GetDlgItem(sheet, ID_APPLY_NOW), TRUE); return Answer(sheet, 0);
    case PSM_UNCHANGED: EnableWindow(GetDlgItem(sheet, ID_APPLY_NOW), FALSE); return Answer(sheet, 0);
    case PSM_APPLY: return Answer(sheet, Apply(sheet, *state));
    case PSM_SETCURSEL: {
        int index = static_cast<int>(wParam);
        if (lParam) {
            auto it = std::find(state->windows.begin(), state->windows.end(), reinterpret_cast<HWND>(lParam));
            if (it != state->windows.end()) index = static_cast<int>(it - state->windows.begin());
        }
        return Answer(sheet, MoveTo(sheet, *state, index));
    }
    case PSM_GETCURRENTPAGEHWND:
        return Answer(sheet, state->closed || state->current < 0
                                 ? 0
                                 : reinterpret_cast<LONG_PTR>(state->windows[state->current]));
    case PSM_GETTABCONTROL: return Answer(sheet, reinterpret_cast<LONG_PTR>(GetDlgItem(sheet, IDC_PROPSHEET_TABS)));
    case PSM_PRESSBUTTON: {
        static const int kButtons[] = {0, IDOK, ID_APPLY_NOW, IDCANCEL, IDHELP};
        if (wParam >= 1 && wParam <= 4) PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(kButtons[wParam], BN_CLICKED), 0);
        return Answer(sheet, 0);
    }
    case PSM_SETTITLEA: {
        std::string title = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (wParam & PSH_PROPTITLE) title = "Properties for " + title;
        SetWindowTextA(sheet, title.c_str());
        return Answer(sheet, 0);
    }
    }
    return FALSE;
}

DialogTemplate SheetTemplate(const PROPSHEETHEADERA& header, const std::vector<SheetPage>& pages) {
    int width = 0, height = 0;
    for (auto& page : pages) {
        width = std::max(width, static_cast<int>(page.dialog.cx));
        height = std::max(height, static_cast<int>(page.dialog.cy));
    }
    DialogTemplate sheet;
    sheet.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | (header.dwFlags & PSH_MODELESS ? WS_VISIBLE : 0);
    sheet.exStyle = WS_EX_CONTROLPARENT;
    std::string caption = header.pszCaption && !IS_INTRESOURCE(header.pszCaption) ? header.pszCaption : "";
    sheet.caption = (header.dwFlags & PSH_PROPTITLE) ? "Properties for " + caption : caption;
    sheet.cx = static_cast<int16_t>(width + 4 * kMargin);
    int buttonsTop = kMargin + kTabsHeight + height + 3 * kMargin;
    sheet.cy = static_cast<int16_t>(buttonsTop + kButtonHeight + kMargin);
    sheet.controls.push_back(ControlItem(WC_TABCONTROLA, "", IDC_PROPSHEET_TABS, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                     kMargin, kMargin, width + 2 * kMargin, kTabsHeight + height + 2 * kMargin));
    std::vector<std::pair<int, const char*>> buttons{{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    if (!(header.dwFlags & PSH_NOAPPLYNOW)) buttons.push_back({ID_APPLY_NOW, "&Apply"});
    if (header.dwFlags & PSH_HASHELP) buttons.push_back({IDHELP, "Help"});
    int left = sheet.cx - kMargin - static_cast<int>(buttons.size()) * (kButtonWidth + kMargin) + kMargin;
    for (auto& [id, text] : buttons) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        sheet.controls.push_back(ControlItem("BUTTON", text, id, style, left, buttonsTop, kButtonWidth, kButtonHeight));
        left += kButtonWidth + kMargin;
    }
    return sheet;
}

}  // namespace

namespace ui {

bool ClickTab(HWND sheet, int index) {
    HWND tabs = GetDlgItem(sheet, IDC_PROPSHEET_TABS);
    RECT rect;
    if (!tabs || !IsWindowEnabled(tabs) || !SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)))
        return false;
    const POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    PostMouseInput(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMouseInput(tabs, WM_LBUTTONUP, 0, at);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageA(sheet, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

}  // namespace ui

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA page) {
    if (!page) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<PageObject>();
    if (!MakeSheetPage(*page, &object->page)) return nullptr;
    if ((page->dwFlags & PSP_USECALLBACK) && page->pfnCallback &&
        !page->pfnCallback(nullptr, PSPCB_CREATE, &object->page.page))
        return nullptr;
    return AddHandleObject<HPROPSHEETPAGE>(std::move(object));
}

BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE handle) {
    if (!PageOf(handle)) return FALSE;
    RemoveHandleObject(handle);
    return TRUE;
}

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header) {
    if (!header || header->dwSize < sizeof(PROPSHEETHEADERA) || header->nPages == 0) return -1;
    auto sheet = std::make_shared<Sheet>();
    sheet->instance = header->hInstance;
    sheet->modeless = header->dwFlags & PSH_MODELESS;
    for (UINT i = 0; i < header->nPages; ++i) {
        if (header->dwFlags & PSH_PROPSHEETPAGE) {
            SheetPage page;
            if (!header->ppsp || !MakeSheetPage(header->ppsp[i], &page)) return -1;
            sheet->pages.push_back(std::move(page));
        } else {
            auto page = header->phpage ? PageOf(header->phpage[i]) : nullptr;
            if (!page) return -1;
            sheet->pages.push_back(page->page);
        }
    }
    // The sheet owns page handles it was given.
    if (!(header->dwFlags & PSH_PROPSHEETPAGE))
        for (UINT i = 0; i < header->nPages; ++i) DestroyPropertySheetPage(header->phpage[i]);
    sheet->windows.assign(sheet->pages.size(), nullptr);
    sheet->start = std::min<int>(static_cast<int>(header->nStartPage), static_cast<int>(sheet->pages.size()) - 1);
    DialogTemplate frame = SheetTemplate(*header, sheet->pages);
    if (sheet->modeless) {
        HWND window = CreateDialogFromTemplate(header->hInstance, frame, 0, header->hwndParent, SheetProc,
                                               reinterpret_cast<LPARAM>(&sheet));
        return reinterpret_cast<INT_PTR>(window);
    }
    return RunDialogFromTemplate(header->hInstance, frame, 0, header->hwndParent, SheetProc,
                                 reinterpret_cast<LPARAM>(&sheet));
}

}  // extern "C"
