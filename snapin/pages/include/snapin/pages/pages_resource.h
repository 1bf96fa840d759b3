// Resource ids of the attribute pages and their dialogs, shared by the code
// and the resource source fragments (.vrc) beside it.
#pragma once

// Icon browser.
#define IDD_ICON_BROWSER 345
#define IDC_ICON_LIST 3100
#define IDC_ICON_BROWSE 3101
#define IDC_ICON_DETAIL 3102
#define IDC_ICON_FILE_NAME 3104
#define IDC_ICON_PREVIEW 5098
#define IDS_DEFAULT_EXTENSION 55
#define IDS_ICON_FILE_FILTER 134

// Calendar control: month names 140 (January) to 151, day names 152 (Sunday) to 158.
#define IDS_MONTH_JANUARY 140
#define IDS_DAY_SUNDAY 152

// Associations page of an application.
#define IDD_ASSOCIATIONS 317
#define IDC_ASSOC_ADD 4400
#define IDC_ASSOC_LABEL 4401
#define IDC_ASSOC_LIST 4402
#define IDC_ASSOC_DELETE 4403
#define IDS_ASSOC_TITLE 9
#define IDS_CANNOT_REMOVE_TARGET 213
#define IDS_CANNOT_ADD_TARGET 214
#define HID_ASSOCIATIONS 80070
