// The icon browser dialog: lists the icons of a file and previews the one
// selected.
#include "snapin/pages/icon_browser_dlg.h"

#include <commdlg.h>

#include <cstdio>
#include <string>

#include "snapin/pages/icon_file.h"
#include "snapin/pages/pages_resource.h"
#include "vpr/mfc/win_app.h"
#include "vpr/user/images.h"
#include "vpr/win/file.h"
#include "vpr/win/system.h"

namespace {

bool FileExists(const CString& name) {
    OFSTRUCT of{};
    return !name.IsEmpty() && OpenFile(name, &of, OF_EXIST) != HFILE_ERROR;
}

// The library of extra icons in a system folder.
CString MoreIconsIn(UINT (*folder)(LPSTR, UINT)) {
    char path[MAX_PATH] = {};
    folder(path, sizeof path);
    return CString(path) + "\\MORICONS.DLL";
}

UINT SystemFolder(LPSTR buffer, UINT size) { return GetSystemDirectoryA(buffer, size); }
UINT WindowsFolder(LPSTR buffer, UINT size) { return GetWindowsDirectoryA(buffer, size); }

}  // namespace

BEGIN_MESSAGE_MAP(CIconBrowserDlg, CDialog)
ON_BN_CLICKED(IDC_ICON_BROWSE, OnBrowse)
ON_LBN_SELCHANGE(IDC_ICON_LIST, OnSelChange)
ON_WM_DRAWITEM()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CIconBrowserDlg::CIconBrowserDlg(CWnd* pParent) : CDialog(IDD_ICON_BROWSER, pParent) {}

void CIconBrowserDlg::SetFileName(LPCSTR fileName) { m_fileName = fileName ? fileName : ""; }

void CIconBrowserDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ICON_LIST, m_list);
}

BOOL CIconBrowserDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SetItemHeight(0, CIconListBox::kItemHeight);
    GetDlgItem(IDC_ICON_PREVIEW)->GetClientRect(&m_preview);
    SetDlgItemText(IDC_ICON_FILE_NAME, "");
    bool exists = FileExists(m_fileName);
    if (!exists) {
        m_fileName = MoreIconsIn(SystemFolder);
        exists = FileExists(m_fileName);
    }
    if (!exists) {
        m_fileName = MoreIconsIn(WindowsFolder);
        exists = FileExists(m_fileName);
    }
    if (exists) {
        HCURSOR old = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        ListFile();
        SetCursor(old);
    }
    return TRUE;
}

void CIconBrowserDlg::ListFile() {
    m_list.RemoveIcons();
    HINSTANCE instance = AfxGetInstanceHandle();
    int count = IconGroupCount(instance, m_fileName);
    for (int i = 0; i < count; ++i) {
        int item = m_list.AddString("");
        m_list.SetItemData(item, reinterpret_cast<DWORD_PTR>(ExtractIconFromFile(instance, m_fileName, i)));
    }
    // An empty list has no selection, so that nothing is handed back.
    m_index = count > 0 ? 0 : -1;
    m_list.SetCurSel(m_index);
    GetDlgItem(IDC_ICON_PREVIEW)->Invalidate();
    SetDlgItemText(IDC_ICON_FILE_NAME, m_fileName);
}

void CIconBrowserDlg::OnBrowse() {
    CString filter, extension;
    filter.LoadString(IDS_ICON_FILE_FILTER);
    extension.LoadString(IDS_DEFAULT_EXTENSION);
    std::string pairs(static_cast<LPCSTR>(filter));
    for (char& c : pairs)
        if (c == '|') c = '\0';
    char file[MAX_PATH] = {};
    std::snprintf(file, sizeof file, "%s", static_cast<LPCSTR>(m_fileName));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = pairs.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) return;
    m_fileName = file;
    ListFile();
}

void CIconBrowserDlg::OnSelChange() {
    m_index = m_list.GetCurSel();
    GetDlgItem(IDC_ICON_PREVIEW)->Invalidate();
}

void CIconBrowserDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    if (nIDCtl == IDC_ICON_PREVIEW)
        DrawPreview(item);
    else
        CDialog::OnDrawItem(nIDCtl, item);
}

// The selected icon drawn on a 32 by 32 picture in the button face colour,
// stretched onto the preview area.
void CIconBrowserDlg::DrawPreview(LPDRAWITEMSTRUCT item) {
    HDC picture = CreateCompatibleDC(item->hDC);
    HBITMAP bitmap = CreateCompatibleBitmap(item->hDC, 32, 32);
    if (!picture || !bitmap) {
        if (picture) DeleteDC(picture);
        if (bitmap) DeleteObject(bitmap);
        return;
    }
    HGDIOBJ old = SelectObject(picture, bitmap);
    RECT square{0, 0, 32, 32};
    FillRect(picture, &square, GetSysColorBrush(COLOR_BTNFACE));
    HICON icon = m_index >= 0 ? reinterpret_cast<HICON>(m_list.GetItemData(m_index)) : nullptr;
    if (icon) DrawIcon(picture, 0, 0, icon);
    StretchBlt(item->hDC, m_preview.left, m_preview.top, m_preview.Width(), m_preview.Height(), picture, 0, 0, 32,
               32, SRCCOPY);
    SelectObject(picture, old);
    DeleteObject(bitmap);
    DeleteDC(picture);
}

void CIconBrowserDlg::OnDestroy() {
    m_list.RemoveIcons();
    CDialog::OnDestroy();
}

HICON CIconBrowserDlg::GetIcon() const {
    if (m_fileName.IsEmpty() || m_index < 0) return nullptr;
    return ExtractIconFromFile(AfxGetInstanceHandle(), m_fileName, m_index);
}

int CIconBrowserDlg::GetIconImage(uint8_t* buffer) const {
    if (m_fileName.IsEmpty() || m_index < 0) return 0;
    return BuildIconFileImage(AfxGetInstanceHandle(), m_fileName, m_index, buffer);
}
