// How a property page plugs into an object class: each class takes a table
// of slots at construction, one row per page in creation order (the order of
// the host's tabs). A slot names the page's title string and dialog, its rank
// in the class's save order, and the function that makes the page; a slot
// whose function is null gives no tab and is not saved. The module's tables
// are in snapin/module/page_slots.cpp; a page plugs in by setting its slot's
// `create` there.
#pragma once

#include <cstddef>

#include "vpr/win/types.h"

class CDialog;

struct PageSlot {
    UINT titleId;
    UINT dialogId;
    int saveRank;  // 1 is saved first
    CDialog* (*create)();
};

struct PageSlotTable {
    const PageSlot* slots = nullptr;
    size_t count = 0;
};

// One table per object class of the module.
struct SnapinPageTables {
    PageSlotTable application;
    PageSlotTable applicationDOS;
    PageSlotTable application3x;
    PageSlotTable application95;
    PageSlotTable applicationNT;
    PageSlotTable user;
    PageSlotTable group;
    PageSlotTable ou;
    PageSlotTable organization;
};
