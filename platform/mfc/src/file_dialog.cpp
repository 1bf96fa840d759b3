#include "vpr/mfc/file_dialog.h"

#include <cstring>

#include "vpr/locale/locale.h"

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : CDialog(static_cast<UINT>(0), pParentWnd), open_(bOpenFileDialog), defExt_(lpszDefExt), filter_(lpszFilter),
      file_(MAX_PATH, '\0') {
    if (lpszFileName) std::strncpy(file_.data(), lpszFileName, file_.size() - 1);
    // Each "|" that is a character of its own becomes the NUL between texts.
    char* text = filter_.GetBuffer();
    for (char* p = text; *p;) {
        char* next = KMNextChar(p);
        if (*p == '|') *p = '\0';
        p = next;
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFilter = lpszFilter ? text : nullptr;
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = file_.data();
    m_ofn.nMaxFile = static_cast<DWORD>(file_.size());
    m_ofn.lpstrDefExt = lpszDefExt ? static_cast<LPCSTR>(defExt_) : nullptr;
    m_ofn.Flags = dwFlags;
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = ParentHandle();
    BOOL chosen = open_ ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const {
    CString path = GetPathName();
    int cut = path.ReverseFind('\\');
    return cut < 0 ? path : path.Mid(cut + 1);
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}
