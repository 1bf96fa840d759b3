#include "snapin/distribution/ref_item.h"

#include <cstring>
#include <vector>

CRefItem::CRefItem(const CString& name, DWORD level, DWORD interval)
    : m_name(name), m_level(level), m_interval(interval) {}

CRefItem* FindRefItem(const CRefItemList* list, LPCSTR name) {
    if (!list || !name) return nullptr;
    for (POSITION pos = list->GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(list->GetNext(pos));
        if (row && std::strcmp(row->GetName(), name) == 0) return row;
    }
    return nullptr;
}

namespace {

// Takes a row out of its list (when it is there) and deletes it.
void DropRow(CRefItemList* list, CRefItem* row) {
    if (POSITION pos = list->Find(row)) list->RemoveAt(pos);
    delete row;
}

// Walks the selected entries from the last to the first, so that the indexes
// still to come stay valid while entries are deleted; `remove` handles the
// row of one entry, whose list-box entry is deleted afterwards. Leaves the
// caret on the top entry when the deletions took it away.
template <class RemoveRow>
BOOL RemoveSelected(CListBox* listBox, CRefItemList* list, RemoveRow remove) {
    if (!listBox || !list) return 0;
    int count = listBox->GetSelCount();
    if (count <= 0) return 0;
    std::vector<int> selected(static_cast<size_t>(count));
    count = listBox->GetSelItems(count, selected.data());
    for (int i = count - 1; i >= 0; --i) {
        int index = selected[static_cast<size_t>(i)];
        auto* row = static_cast<CRefItem*>(listBox->GetItemDataPtr(index));
        listBox->DeleteString(static_cast<UINT>(index));
        if (row) remove(row);
    }
    int caret = listBox->GetCaretIndex();
    if (listBox->GetCount() > 0 && (caret < 0 || caret >= listBox->GetCount()))
        listBox->SetCaretIndex(listBox->GetTopIndex());
    return 1;
}

}  // namespace

BOOL RemoveSelectedRefItems(CListBox* listBox, CRefItemList* list) {
    return RemoveSelected(listBox, list, [list](CRefItem* row) {
        if (row->GetAdded())
            DropRow(list, row);
        else
            row->SetDeleted(1);
    });
}

BOOL RemoveSelectedAssociations(CListBox* listBox, CRefItemList* list) {
    return RemoveSelected(listBox, list, [list](CRefItem* row) {
        if (row->GetStoredFlags() != 0)
            row->SetFlags(0);
        else
            DropRow(list, row);
    });
}
