// The module's page tables (page_slots.cpp), handed to its interface object.
#pragma once

#include "snapin/core/page_slot.h"

extern const SnapinPageTables kModulePageTables;
