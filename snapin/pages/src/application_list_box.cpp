#include "snapin/pages/application_list_box.h"

#include "snapin/distribution/ref_item.h"
#include "snapin/pages/applications_page.h"

BEGIN_MESSAGE_MAP(CApplicationListBox, CListBox)
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

void CApplicationListBox::DrawItem(LPDRAWITEMSTRUCT item) {
    if (m_pPage) m_pPage->DrawListRow(item);
}

void CApplicationListBox::OnLButtonUp(UINT, CPoint point) {
    if (!m_bReadOnly && point.x >= 0 && point.x < kColumnsWidth && point.y >= 0) {
        int top = GetTopIndex();
        RECT first{};
        // Rows of no height could not be told apart: the click changes nothing.
        if (top >= 0 && GetItemRect(top, &first) != LB_ERR && first.bottom > first.top) {
            int index = top + point.y / (first.bottom - first.top);
            DWORD_PTR data = GetItemData(index);
            if (data != 0 && data != static_cast<DWORD_PTR>(LB_ERR)) {
                auto* row = reinterpret_cast<CRefItem*>(data);
                row->SetFlags(row->GetFlags() ^ kColumnFlags[point.x / kColumnWidth]);
                RECT rect{};
                if (GetItemRect(index, &rect) != LB_ERR) InvalidateRect(&rect, FALSE);
                if (m_pPage) m_pPage->OnRowFlagToggled();
            }
        }
    }
    Default();
}
