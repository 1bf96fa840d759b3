// Resource numbers of the folder view (in the module's resource source).
#pragma once

#define IDR_VIEW_PROBLEM_FILE 109
#define IDR_VIEW_FILE 110
#define IDR_VIEW_EDIT 111
#define IDR_VIEW_VIEW 112
#define IDR_VIEW_HELP 113
#define IDB_VIEW_TOOLBAR 114
#define IDD_VIEW_OPTIONS 1000
#define IDS_TIP_DELETE 10350
#define IDS_TIP_PROPERTIES 10351
#define IDS_TIP_CUT 10352
#define IDS_TIP_COPY 10353
#define IDS_TIP_PASTE 10354
#define IDS_TIP_UNDO 10355
#define IDS_TIP_LARGE 10356
#define IDS_TIP_SMALL 10357
#define IDS_TIP_LIST 10358
#define IDS_TIP_DETAILS 10359
