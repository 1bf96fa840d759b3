#include "snapin/core/select_directory_dlg.h"

#include <cstring>

#include "commdlg.h"
#include "snapin/core/module_resource.h"

namespace {

// What the file name edit proposes; only its folder is the answer.
constexpr char kProposedFile[] = "DIRSEL.EXE";

}  // namespace

CSelectDirectoryDlg::CSelectDirectoryDlg(CWnd* pOwner) : m_pOwner(pOwner) {}

INT_PTR CSelectDirectoryDlg::DoModal() {
    char file[260] = {};
    std::strcpy(file, kProposedFile);
    CString title;
    title.LoadString(IDS_SELECT_DIRECTORY);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_pOwner ? m_pOwner->m_hWnd : nullptr;
    ofn.hInstance = AfxGetResourceHandle();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = m_strInitialDirectory.IsEmpty() ? nullptr : static_cast<LPCSTR>(m_strInitialDirectory);
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_ENABLETEMPLATE | OFN_HIDEREADONLY;
    ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_SELECT_DIRECTORY);
    if (!GetOpenFileNameA(&ofn)) return 0;
    // C:\APPS\DIRSEL.EXE gives C:\APPS; a drive's root keeps its backslash.
    size_t cut = ofn.nFileOffset > 0 ? ofn.nFileOffset - 1 : 0;
    if (cut == 2 && file[1] == ':') cut = 3;
    m_strPath = CString(file).Left(static_cast<int>(cut));
    return 1;
}
