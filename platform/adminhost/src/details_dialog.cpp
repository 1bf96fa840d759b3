// The details dialog: a property sheet whose pages are the dialogs of a
// snap-in class's page records. The host makes each page window from the
// record (template from the record's instance, the record's dialog
// procedure, its value as the lParam of WM_INITDIALOG) the first time the
// page is shown. Before the page's own WM_INITDIALOG the host puts its page
// procedure in as the window's procedure, so that this is the default
// procedure a page falls back to: it reports PGM_SETMODIFIED to the sheet and
// turns WM_COMMAND IDOK/IDCANCEL into the sheet's buttons.
#include <algorithm>
#include <cstring>

#include "admin_host_dialogs.h"
#include "prsht.h"
#include "vpr/win/resource_format.h"

namespace vpr::adminhost {
namespace {

constexpr char kSheetProperty[] = "KMAdminDetails";
constexpr char kPageProperty[] = "KMAdminPageProc";  // the page window's own procedure
constexpr int kMargin = 4;  // dialog units

struct DetailsDialog {
    SnapinClassCallBack callBack = nullptr;
    std::vector<char> name;  // the object's name, handed with every code
    std::string caption;
    std::vector<SnapinPageRecord> records;
    std::vector<SIZE> sizes;  // of the pages, in dialog units
    std::vector<HWND> pages;  // made when first shown
    std::vector<bool> modified;
    int current = -1;
    bool closing = false;
    DetailsOutcome outcome;

    LONG Send(WORD code, ULONG_PTR p3 = 0, ULONG_PTR p4 = 0) { return callBack(name.data(), code, p3, p4); }
};

DetailsDialog* DialogOfSheet(HWND sheet) {
    return reinterpret_cast<DetailsDialog*>(GetPropA(sheet, kSheetProperty));
}

// The size of a page's dialog template, in dialog units; false when the
// record names no dialog of its instance.
bool PageSize(HINSTANCE instance, LPCSTR name, SIZE* size) {
    HRSRC found = FindResourceA(instance, name, RT_DIALOG);
    if (!found) return false;
    auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(instance, found)));
    win::DialogTemplate decoded;
    if (!bytes || !win::DecodeDialog(bytes, SizeofResource(instance, found), &decoded)) return false;
    *size = SIZE{decoded.cx, decoded.cy};
    return true;
}

// The procedure of every page window, put in before the page's
// WM_INITDIALOG: the one a page's own handlers fall back to.
LRESULT CALLBACK PageWindowProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto own = reinterpret_cast<WNDPROC>(GetPropA(page, kPageProperty));
    HWND sheet = GetParent(page);
    if (msg == PGM_SETMODIFIED) {
        if (DetailsDialog* dialog = DialogOfSheet(sheet)) {
            auto at = std::find(dialog->pages.begin(), dialog->pages.end(), page);
            if (at != dialog->pages.end()) dialog->modified[at - dialog->pages.begin()] = HIWORD(lParam) != 0;
            dialog->outcome.modified = std::find(dialog->modified.begin(), dialog->modified.end(), true) !=
                                       dialog->modified.end();
        }
    }
    LRESULT result = own ? CallWindowProcA(own, page, msg, wParam, lParam) : DefDlgProcA(page, msg, wParam, lParam);
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && IsWindow(sheet))
        // Posted: the sheet acts once the page has returned from its handler.
        PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), BN_CLICKED), 0);
    if (msg == WM_NCDESTROY) RemovePropA(page, kPageProperty);
    return result;
}

// The dialog procedure a page window is made with: on WM_INITDIALOG it puts
// in the host's page procedure and the record's dialog procedure, which then
// gets WM_INITDIALOG with the record's value.
INT_PTR CALLBACK PageStartProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_INITDIALOG) return FALSE;
    const auto* record = reinterpret_cast<const SnapinPageRecord*>(lParam);
    SetPropA(page, kPageProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(page, GWLP_WNDPROC)));
    SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageWindowProc));
    SetWindowLongPtrA(page, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(record->dialogProc));
    return record->dialogProc(page, WM_INITDIALOG, wParam, record->initParam);
}

// Sizes the sheet for its largest page: the tabs around it, the buttons in a
// row under them on the right.
void LayOut(HWND sheet, const std::vector<SIZE>& pages) {
    RECT page{0, 0, 0, 0};
    for (const SIZE& size : pages) {
        page.right = std::max(page.right, size.cx);
        page.bottom = std::max(page.bottom, size.cy);
    }
    MapDialogRect(sheet, &page);
    RECT margin{0, 0, kMargin, kMargin};
    MapDialogRect(sheet, &margin);
    HWND tabs = GetDlgItem(sheet, IDC_PROPSHEET_TABS);
    RECT display{0, 0, 100, 100}, frame = display;
    SendMessageA(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&frame));  // the tabs' frame around a display area
    int tabsWidth = page.right + (frame.right - frame.left) - (display.right - display.left);
    int tabsHeight = page.bottom + (frame.bottom - frame.top) - (display.bottom - display.top);
    RECT button;
    GetWindowRect(GetDlgItem(sheet, IDOK), &button);
    int buttonWidth = button.right - button.left, buttonHeight = button.bottom - button.top;
    int width = std::max<int>(tabsWidth, 3 * buttonWidth + 2 * margin.right) + 2 * margin.right;
    int buttonsTop = margin.bottom + tabsHeight + margin.bottom;
    SetWindowPos(tabs, nullptr, margin.right, margin.bottom, width - 2 * margin.right, tabsHeight, SWP_NOZORDER);
    int left = width - margin.right - 3 * buttonWidth - 2 * margin.right;
    for (int id : {IDOK, IDCANCEL, IDHELP}) {
        SetWindowPos(GetDlgItem(sheet, id), nullptr, left, buttonsTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        left += buttonWidth + margin.right;
    }
    RECT client{0, 0, width, buttonsTop + buttonHeight + margin.bottom};
    AdjustWindowRectEx(&client, GetWindowLongA(sheet, GWL_STYLE), FALSE, GetWindowLongA(sheet, GWL_EXSTYLE));
    SetWindowPos(sheet, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER);
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

// Asks the current page whether it may be left. The page's dialog
// procedure answers, so the host calls it directly.
bool CurrentPageMayClose(DetailsDialog& dialog) {
    if (dialog.current < 0 || !dialog.pages[dialog.current]) return true;
    const SnapinPageRecord& record = dialog.records[dialog.current];
    return record.dialogProc(dialog.pages[dialog.current], PGM_CANCLOSE, 0, 0) != 0;
}

bool ShowPage(HWND sheet, DetailsDialog& dialog, int index) {
    if (index < 0 || index >= static_cast<int>(dialog.records.size())) return false;
    if (!dialog.pages[index]) {
        const SnapinPageRecord& record = dialog.records[index];
        HWND window = CreateDialogParamA(record.instance, record.dialogTemplate, sheet, PageStartProc,
                                         reinterpret_cast<LPARAM>(&record));
        if (!window) return false;
        // As a property sheet makes its pages: the sheet's keyboard handling
        // (tab order, mnemonics) reaches into the page's controls.
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
        RECT area = PageArea(sheet);
        SetWindowPos(window, nullptr, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        dialog.pages[index] = window;
    }
    if (dialog.current >= 0 && dialog.current != index && dialog.pages[dialog.current])
        ShowWindow(dialog.pages[dialog.current], SW_HIDE);
    dialog.current = index;
    SendDlgItemMessageA(sheet, IDC_PROPSHEET_TABS, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowWindow(dialog.pages[index], SW_SHOW);
    return true;
}

// OK saves (0x106) once the current page may be left; OK and Cancel both
// end with 0x111. The page windows go with the sheet afterwards.
void Close(HWND sheet, DetailsDialog& dialog, bool confirmed) {
    if (dialog.closing) return;
    if (confirmed) {
        if (!CurrentPageMayClose(dialog)) return;
        dialog.outcome.saveResult = dialog.Send(SNAPIN_SAVE_PAGES);
    }
    dialog.closing = true;
    dialog.outcome.confirmed = confirmed;
    dialog.Send(SNAPIN_CLOSE_DETAILS);
    EndDialog(sheet, confirmed ? IDOK : IDCANCEL);
}

INT_PTR CALLBACK SheetProc(HWND sheet, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<DetailsDialog*>(lParam);
        SetPropA(sheet, kSheetProperty, dialog);
        SetWindowTextA(sheet, dialog->caption.c_str());
        LayOut(sheet, dialog->sizes);
        HWND tabs = GetDlgItem(sheet, IDC_PROPSHEET_TABS);
        for (size_t i = 0; i < dialog->records.size(); ++i) {
            std::string title = dialog->records[i].title ? dialog->records[i].title : "";
            TCITEMA item{TCIF_TEXT, 0, 0, title.data(), 0, 0, 0};
            SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
        ShowPage(sheet, *dialog, 0);
        return TRUE;
    }
    DetailsDialog* dialog = DialogOfSheet(sheet);
    if (!dialog) return FALSE;
    switch (msg) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != static_cast<UINT_PTR>(IDC_PROPSHEET_TABS)) return FALSE;
        if (header->code == TCN_SELCHANGING) {
            SetWindowLongPtrA(sheet, DWL_MSGRESULT, CurrentPageMayClose(*dialog) ? FALSE : TRUE);
            return TRUE;
        }
        if (header->code == TCN_SELCHANGE)
            ShowPage(sheet, *dialog, static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: Close(sheet, *dialog, true); return TRUE;
        case IDCANCEL: Close(sheet, *dialog, false); return TRUE;
        case IDHELP:
            if (dialog->current >= 0 && dialog->pages[dialog->current])
                dialog->records[dialog->current].dialogProc(dialog->pages[dialog->current], PGM_HELP, 0, 0);
            return TRUE;
        }
        return FALSE;
    case PSM_GETCURRENTPAGEHWND:
        // As a property sheet answers: the page shown, none once closing.
        SetWindowLongPtrA(sheet, DWL_MSGRESULT,
                          reinterpret_cast<LONG_PTR>(AdminHost::DetailsPage(sheet)));
        return TRUE;
    case WM_DESTROY: RemovePropA(sheet, kSheetProperty); return FALSE;
    }
    return FALSE;
}

}  // namespace

HWND AdminHost::DetailsPage(HWND detailsDialog) {
    DetailsDialog* dialog = DialogOfSheet(detailsDialog);
    return dialog && !dialog->closing && dialog->current >= 0 ? dialog->pages[dialog->current] : nullptr;
}

DetailsOutcome RunDetailsDialog(HWND owner, SnapinClassCallBack callBack, const std::string& objectName) {
    DetailsDialog dialog;
    dialog.callBack = callBack;
    dialog.name.assign(SNAPIN_NAME_SIZE, 0);
    std::strncpy(dialog.name.data(), objectName.c_str(), SNAPIN_NAME_SIZE - 1);
    LONG count = dialog.Send(SNAPIN_OPEN_DETAILS);
    for (LONG i = 0; i < count; ++i) {
        SnapinPageRecord record{};
        if (dialog.Send(SNAPIN_GET_PAGE, static_cast<ULONG_PTR>(i), reinterpret_cast<ULONG_PTR>(&record)) != 0) break;
        SIZE size;
        if (!record.dialogProc || !PageSize(record.instance, record.dialogTemplate, &size))
            continue;  // a page the host cannot make is left out
        dialog.records.push_back(record);
        dialog.sizes.push_back(size);
    }
    if (dialog.records.empty()) {
        dialog.Send(SNAPIN_CLOSE_DETAILS);  // 0x103 is always closed
        dialog.outcome.status = -1;
        return dialog.outcome;
    }
    dialog.pages.assign(dialog.records.size(), nullptr);
    dialog.modified.assign(dialog.records.size(), false);
    dialog.caption = AdminHost::DetailsCaption(objectName);
    INT_PTR result = DialogBoxParamA(win::ThisModule(), MAKEINTRESOURCEA(kDetailsDialogId), owner, SheetProc,
                                     reinterpret_cast<LPARAM>(&dialog));
    if (result == -1) {
        dialog.Send(SNAPIN_CLOSE_DETAILS);
        dialog.outcome.status = -1;
    } else if (!dialog.closing) {
        // Ended another way (a quit message): the dialog still closes.
        dialog.Send(SNAPIN_CLOSE_DETAILS);
    }
    return dialog.outcome;
}

}  // namespace vpr::adminhost
