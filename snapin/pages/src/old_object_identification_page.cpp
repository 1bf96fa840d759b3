#include "snapin/pages/old_object_identification_page.h"

#include "snapin/pages/pages_resource.h"

COldObjectIdentificationPage::COldObjectIdentificationPage()
    : CAttributePage(IDS_OLD_OBJECT_TITLE, IDD_OLD_OBJECT, HID_OLD_OBJECT) {}
