// Resource ids shared by the test program and the second test module: both
// carry a string and a dialog under the same ids, with different contents.
#pragma once

#define IDS_WHO 7
#define IDS_LONG 8
#define IDD_NAME 345
#define IDC_NAME_EDIT 1001
#define IDC_UPPER 1002
#define IDC_COUNT_EDIT 1003
#define IDD_PAGE 346
#define IDC_LIST 1004
#define IDS_PAGE_TITLE 9
#define IDR_CONTEXT 400
#define ID_OPEN 401
#define ID_DELETE 402
#define IDR_COPY_AVI 410
