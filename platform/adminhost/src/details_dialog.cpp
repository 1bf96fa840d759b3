// The details dialog: a property sheet whose pages are the dialogs of a
// snap-in class's page records. The host makes each page window from the
// record (template from the record's instance, the record's dialog
// procedure, its value as the lParam of WM_INITDIALOG) the first time the
// page is shown, in a window class of its own: a page's default procedure
// reports PGM_SETMODIFIED to the sheet and turns WM_COMMAND IDOK/IDCANCEL
// into the sheet's buttons.
#include <algorithm>
#include <cstring>
#include <optional>

#include "admin_host_dialogs.h"
#include "prsht.h"
#include "vpr/win/resource_format.h"

namespace vpr::adminhost {
namespace {

constexpr char kPageClass[] = "KMAdminPage";
constexpr char kSheetProperty[] = "KMAdminDetails";

// Layout in dialog units.
constexpr int kMargin = 4;
constexpr int kTabsHeight = 14;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;

struct DetailsDialog {
    SnapinClassCallBack callBack = nullptr;
    std::vector<char> name;  // the object's name, handed with every code
    std::vector<SnapinPageRecord> records;
    std::vector<user::DialogTemplate> templates;
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

// A dialog template of a module's resources, in the window system's form.
std::optional<user::DialogTemplate> LoadTemplate(HINSTANCE instance, LPCSTR name) {
    HRSRC found = FindResourceA(instance, name, RT_DIALOG);
    if (!found) return std::nullopt;
    auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(instance, found)));
    win::DialogTemplate decoded;
    if (!bytes || !win::DecodeDialog(bytes, SizeofResource(instance, found), &decoded)) return std::nullopt;
    user::DialogTemplate result;
    result.resourceId = IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : 0;
    result.style = decoded.style;
    result.exStyle = decoded.exStyle;
    result.x = decoded.x;
    result.y = decoded.y;
    result.cx = decoded.cx;
    result.cy = decoded.cy;
    result.className = decoded.className;
    result.caption = decoded.caption;
    result.pointSize = decoded.pointSize;
    result.fontName = decoded.fontName;
    for (const auto& control : decoded.controls) {
        user::DialogItem item;
        item.className = control.className;
        if (control.text.isNumber)
            item.textResource = control.text.number;
        else
            item.text = control.text.name;
        item.id = control.id;
        item.style = control.style;
        item.exStyle = control.exStyle;
        item.x = control.x;
        item.y = control.y;
        item.cx = control.cx;
        item.cy = control.cy;
        result.items.push_back(std::move(item));
    }
    return result;
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
        user::DialogTemplate page = dialog.templates[index];
        page.className = kPageClass;
        page.style = (page.style & ~static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                                         DS_MODALFRAME | WS_VISIBLE)) |
                     WS_CHILD | DS_CONTROL;
        page.exStyle |= WS_EX_CONTROLPARENT;
        HWND window = user::CreateDialogFromTemplate(record.instance, page, sheet, record.dialogProc, record.initParam);
        if (!window) return false;
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
    case WM_DESTROY: RemovePropA(sheet, kSheetProperty); return FALSE;
    }
    return FALSE;
}

// The default procedure of every page window.
LRESULT CALLBACK PageWindowProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND sheet = GetParent(page);
    if (msg == PGM_SETMODIFIED) {
        if (DetailsDialog* dialog = DialogOfSheet(sheet)) {
            auto at = std::find(dialog->pages.begin(), dialog->pages.end(), page);
            if (at != dialog->pages.end()) dialog->modified[at - dialog->pages.begin()] = HIWORD(lParam) != 0;
            dialog->outcome.modified = std::find(dialog->modified.begin(), dialog->modified.end(), true) !=
                                       dialog->modified.end();
        }
    }
    LRESULT result = DefDlgProcA(page, msg, wParam, lParam);
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && IsWindow(sheet))
        // Posted: the sheet acts once the page has returned from its handler.
        PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), BN_CLICKED), 0);
    return result;
}

void RegisterPageClass() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PageWindowProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = win::ThisModule();
    wc.lpszClassName = kPageClass;
    wc.style = CS_GLOBALCLASS;
    RegisterClassA(&wc);
}

user::DialogTemplate SheetTemplate(const std::string& caption, const std::vector<user::DialogTemplate>& pages) {
    int width = 0, height = 0;
    for (const auto& page : pages) {
        width = std::max(width, static_cast<int>(page.cx));
        height = std::max(height, static_cast<int>(page.cy));
    }
    user::DialogTemplate sheet;
    sheet.resourceId = kDetailsDialogId;
    sheet.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    sheet.exStyle = WS_EX_CONTROLPARENT;
    sheet.caption = caption;
    sheet.cx = width + 4 * kMargin;
    int buttonsTop = kMargin + kTabsHeight + height + 3 * kMargin;
    sheet.cy = buttonsTop + kButtonHeight + kMargin;
    sheet.items.push_back(user::DialogItem{WC_TABCONTROLA, "", std::nullopt, IDC_PROPSHEET_TABS,
                                           WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, kMargin, kMargin,
                                           width + 2 * kMargin, kTabsHeight + height + 2 * kMargin});
    const std::pair<int, const char*> buttons[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDHELP, "Help"}};
    int left = sheet.cx - static_cast<int>(std::size(buttons)) * (kButtonWidth + kMargin);
    for (auto& [id, text] : buttons) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        sheet.items.push_back(user::DialogItem{"BUTTON", text, std::nullopt, id, style, 0, left, buttonsTop,
                                               kButtonWidth, kButtonHeight});
        left += kButtonWidth + kMargin;
    }
    return sheet;
}

}  // namespace

HWND AdminHost::DetailsPage(HWND detailsDialog) {
    DetailsDialog* dialog = DialogOfSheet(detailsDialog);
    return dialog && !dialog->closing && dialog->current >= 0 ? dialog->pages[dialog->current] : nullptr;
}

DetailsOutcome RunDetailsDialog(HWND owner, SnapinClassCallBack callBack, const std::string& objectName) {
    RegisterPageClass();
    DetailsDialog dialog;
    dialog.callBack = callBack;
    dialog.name.assign(SNAPIN_NAME_SIZE, 0);
    std::strncpy(dialog.name.data(), objectName.c_str(), SNAPIN_NAME_SIZE - 1);
    LONG count = dialog.Send(SNAPIN_OPEN_DETAILS);
    for (LONG i = 0; i < count; ++i) {
        SnapinPageRecord record{};
        if (dialog.Send(SNAPIN_GET_PAGE, static_cast<ULONG_PTR>(i), reinterpret_cast<ULONG_PTR>(&record)) != 0) break;
        std::optional<user::DialogTemplate> page;
        if (record.dialogProc) page = LoadTemplate(record.instance, record.dialogTemplate);
        if (!page) continue;  // a page the host cannot make is left out
        dialog.records.push_back(record);
        dialog.templates.push_back(std::move(*page));
    }
    if (dialog.records.empty()) {
        dialog.Send(SNAPIN_CLOSE_DETAILS);  // 0x103 is always closed
        dialog.outcome.status = -1;
        return dialog.outcome;
    }
    dialog.pages.assign(dialog.records.size(), nullptr);
    dialog.modified.assign(dialog.records.size(), false);
    user::DialogTemplate sheet = SheetTemplate(AdminHost::DetailsCaption(objectName), dialog.templates);
    INT_PTR result = user::RunDialogFromTemplate(win::ThisModule(), sheet, owner, SheetProc,
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
