#include "snapin/core/module_object_type.h"

#include <algorithm>

#include "afxwin.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/snapin_page.h"

CModuleObjectType::CModuleObjectType(LPCSTR className, int textId, const PageSlotTable& pages, LONG classFlags,
                                     bool saves, const LPCSTR bitmaps[3])
    : CSnapinObjectType("DS", className, textId), m_table(pages), m_classFlags(classFlags), m_saves(saves) {
    if (!bitmaps) return;
    for (int i = 0; i < 3; ++i) m_bitmaps[i] = LoadBitmapA(AfxGetResourceHandle(), bitmaps[i]);
}

CModuleObjectType::~CModuleObjectType() {
    CModuleObjectType::DeletePages();
    for (HBITMAP bitmap : m_bitmaps)
        if (bitmap) DeleteObject(bitmap);
}

LONG CModuleObjectType::CreatePages() {
    for (size_t i = 0; i < m_table.count; ++i) {
        const PageSlot& slot = m_table.slots[i];
        if (!slot.create) continue;
        CDialog* page = slot.create();
        if (!page) continue;
        m_made.push_back(MadePage{&slot, page});
        AddPage(CSnapinPage::FromDialog(page));
    }
    if (m_bitmaps[0] || m_bitmaps[1] || m_bitmaps[2]) RegisterBitmaps(m_bitmaps[0], m_bitmaps[1], m_bitmaps[2]);
    return 0;
}

// The records go with the pages, so that no record of a deleted page is
// ever handed to the host.
LONG CModuleObjectType::DeletePages() {
    for (const MadePage& made : m_made) delete made.page;
    m_made.clear();
    m_pages.clear();
    return 0;
}

LONG CModuleObjectType::SavePages(char*) {
    if (!m_saves) return 0;
    std::vector<MadePage> order = m_made;
    std::stable_sort(order.begin(), order.end(),
                     [](const MadePage& a, const MadePage& b) { return a.slot->saveRank < b.slot->saveRank; });
    LONG result = 0;
    for (const MadePage& made : order) {
        LONG status = CSnapinPage::FromDialog(made.page)->Save();
        if (!status) continue;
        CString title, format, text, caption;
        title.LoadString(made.slot->titleId);
        format.LoadString(IDS_PAGE_SAVE_FAILED);
        text.Format(format, static_cast<LPCSTR>(title), static_cast<int>(status));
        caption.LoadString(IDS_DRAVIK_ERROR);
        MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONSTOP);
        result = -1;
    }
    return result;
}

LONG CModuleObjectType::GetClassFlags(char*) { return m_classFlags; }
