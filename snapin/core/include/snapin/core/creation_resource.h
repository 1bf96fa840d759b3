// Resource ids of application object creation and its error dialog, shared
// by the code and creation_error.vrc.
#pragma once

#include "snapin/core/common_resource.h"

#define IDS_CREATE_FAILED 114
#define IDS_OBJECT_EXISTS 115
#define IDS_CREATION_REPORT 124

#define IDD_CREATION_ERROR 359
#define IDC_CREATION_ERROR_REPORT 5054
#define IDC_CREATION_ERROR_ICON 5180
