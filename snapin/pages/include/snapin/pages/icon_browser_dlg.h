// CIconBrowserDlg: picks the icon an application shows. It lists every icon
// group of a program or library (or the icon of an icon file), shows the
// selected one enlarged, and hands back the file name, the icon as a handle
// and the icon as the bytes of an icon file.
#pragma once

#include <cstdint>

#include "snapin/pages/icon_list_box.h"
#include "vpr/mfc/dialog.h"

class CIconBrowserDlg : public CDialog {
public:
    explicit CIconBrowserDlg(CWnd* pParent = nullptr);

    void SetFileName(LPCSTR fileName);
    // The file whose icons were last listed, or the last one tried.
    CString GetFileName() const { return m_fileName; }
    // The best image of the selected group as a new icon the caller owns;
    // none without a file or a selection.
    HICON GetIcon() const;
    // Writes the selected group as icon-file bytes into the caller's
    // kIconImageBufferSize zeroed bytes; the count, 0 when there is nothing
    // to write.
    int GetIconImage(uint8_t* buffer) const;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnBrowse();
    afx_msg void OnSelChange();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ListFile();
    void DrawPreview(LPDRAWITEMSTRUCT item);

    CIconListBox m_list;
    CString m_fileName;
    int m_index = -1;
    CRect m_preview;
};
