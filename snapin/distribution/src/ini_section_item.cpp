#include "snapin/distribution/ini_section_item.h"

CIniValueList::~CIniValueList() {
    while (!IsEmpty()) delete static_cast<CIniValueItem*>(RemoveHead());
}
