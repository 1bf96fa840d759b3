// The extension's own property sheet: OK alone at the right (where Apply
// stands), context help in the caption, the sheet closed by OK.
#include "namespace/prop_sheet.h"

IMPLEMENT_DYNAMIC(CPropSheet, CPropertySheet)

namespace {

constexpr int kTabBottomLimit = 32;  // dialog units from the top of the client area

RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ::ScreenToClient(parent, &corners[0]);
    ::ScreenToClient(parent, &corners[1]);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

}  // namespace

CPropSheet::CPropSheet(LPCSTR title, CWnd* parent, UINT firstPage) : CPropertySheet(title, parent, firstPage) {}

CPropSheet::~CPropSheet() = default;

BOOL CPropSheet::OnInitDialog() {
    HWND sheet = m_hWnd;
    ::SetWindowLongA(sheet, GWL_EXSTYLE, ::GetWindowLongA(sheet, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    HWND cancel = ::GetDlgItem(sheet, IDCANCEL);
    HWND help = ::GetDlgItem(sheet, IDHELP);
    HWND apply = ::GetDlgItem(sheet, ID_APPLY_NOW);
    HWND ok = ::GetDlgItem(sheet, IDOK);
    if (cancel) ::ShowWindow(cancel, SW_HIDE);
    if (help) ::ShowWindow(help, SW_HIDE);
    if (apply && ok) {
        RECT place = ChildRect(sheet, apply);
        ::ShowWindow(apply, SW_HIDE);
        ::MoveWindow(ok, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    }
    // A tab control reaching below 32 dialog units is made 32 units high;
    // OK moves up and the sheet shortens by what it lost.
    HWND tabs = ::GetDlgItem(sheet, IDC_PROPSHEET_TABS);
    if (tabs && ok) {
        RECT limit{0, 0, 0, kTabBottomLimit};
        ::MapDialogRect(sheet, &limit);
        RECT tab = ChildRect(sheet, tabs);
        if (tab.bottom > limit.bottom) {
            int removed = (tab.bottom - tab.top) - limit.bottom;
            if (removed > 0) {
                ::MoveWindow(tabs, tab.left, tab.top, tab.right - tab.left, limit.bottom, TRUE);
                RECT button = ChildRect(sheet, ok);
                ::MoveWindow(ok, button.left, button.top - removed, button.right - button.left,
                             button.bottom - button.top, TRUE);
                RECT frame{};
                ::GetWindowRect(sheet, &frame);
                ::MoveWindow(sheet, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top - removed,
                             TRUE);
            }
        }
    }
    BOOL result = CPropertySheet::OnInitDialog();
    if (!(GetStyle() & WS_CHILD)) CenterWindow();
    return result;
}

BOOL CPropSheet::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDOK: PostMessage(WM_CLOSE); break;
    case IDHELP: WinHelp(0, HELP_FINDER); break;
    default: break;
    }
    return CPropertySheet::OnCommand(wParam, lParam);
}

LRESULT CPropSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        DestroyWindow();
        return 0;
    }
    return CPropertySheet::WindowProc(message, wParam, lParam);
}

void CPropSheet::PostNcDestroy() {
    CPropertySheet::PostNcDestroy();
    delete this;
}
