// CApplicationListBox: the list of the Applications page. A click in the
// first 80 pixels of a row toggles the association flag of the column hit
// (16 pixels each: Force Run, Launcher, Start Menu, Desktop, System Tray);
// a read-only list takes no clicks. Its rows are drawn by the page.
#pragma once

#include "vpr/mfc/controls.h"

class CApplicationsPage;

class CApplicationListBox : public CListBox {
public:
    // The flag of each 16-pixel column, left to right.
    static constexpr DWORD kColumnFlags[5] = {0x02, 0x01, 0x04, 0x08, 0x20};
    static constexpr int kColumnWidth = 16;
    static constexpr int kColumnsWidth = 80;

    void SetPage(CApplicationsPage* page) { m_pPage = page; }
    void SetReadOnly(BOOL readOnly) { m_bReadOnly = readOnly; }
    BOOL IsReadOnly() const { return m_bReadOnly; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    CApplicationsPage* m_pPage = nullptr;
    BOOL m_bReadOnly = 0;
};
