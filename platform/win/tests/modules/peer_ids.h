// Resource ids shared by the test modules' code and their resource sources.
#pragma once

#define IDS_GREETING 1
#define IDS_LONG 17
#define IDS_VERSION_TEXT 200
#define IDD_MAIN 311
#define IDC_NAME 4201
#define IDC_BROWSE 4202
#define IDC_ENABLED 4203
#define IDC_LIST 4204
#define IDC_COMBO 4205
#define IDC_CUSTOM 4206
#define IDR_MENU 372
#define IDM_OPEN 100
#define IDM_EXIT 101
#define IDM_RECENT 102
#define IDM_REFRESH 103
#define IDA_MAIN 115
#define IDB_SPLASH 128
#define IDI_APP 104
