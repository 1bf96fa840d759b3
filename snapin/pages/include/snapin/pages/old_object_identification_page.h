// COldObjectIdentificationPage: the one page of the old application objects.
// It tells the administrator to migrate the object and writes nothing.
#pragma once

#include "snapin/pages/attribute_page.h"

class COldObjectIdentificationPage : public CAttributePage {
public:
    COldObjectIdentificationPage();
    LONG Save() override { return 0; }
};
