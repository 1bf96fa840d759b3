// CModuleObjectType: what the module's nine object classes share. A class
// takes its page table at construction (snapin/core/page_slot.h): code 0x100
// makes the pages of the filled slots in table order and hands each to the
// host, 0x101 deletes them and forgets their records, and 0x106 saves them
// in the table's save order, reporting each failing page in a message box
// (string 191, no owner) and answering -1 when any failed. A class that
// saves nothing (the old application objects) answers 0x106 with 0. Bitmaps
// are loaded from the current resources at construction, registered with
// the host after the pages, and freed with the class.
#pragma once

#include <vector>

#include "snapin/core/page_slot.h"
#include "snapin/core/snapin_object_type.h"

class CDialog;

class CModuleObjectType : public CSnapinObjectType {
public:
    // Bitmap names: three resource names or MAKEINTRESOURCE ids, or null
    // for a class without bitmaps. textId -1: no display text.
    CModuleObjectType(LPCSTR className, int textId, const PageSlotTable& pages, LONG classFlags, bool saves,
                      const LPCSTR bitmaps[3]);
    ~CModuleObjectType() override;

    LONG CreatePages() override;
    LONG DeletePages() override;
    LONG SavePages(char* data) override;
    LONG GetClassFlags(char* data) override;

    HBITMAP GetBitmap(int which) const { return m_bitmaps[which]; }

private:
    struct MadePage {
        const PageSlot* slot;
        CDialog* page;
    };

    PageSlotTable m_table;
    LONG m_classFlags;
    bool m_saves;
    std::vector<MadePage> m_made;  // in creation order
    HBITMAP m_bitmaps[3] = {};
};
