// Resource ids shared by the window system's tests and their resources.
#pragma once

#define IDD_SAMPLE 200
#define IDD_NESTED 201
#define IDD_MODELESS 300
#define IDD_PAGE_GENERAL 301
#define IDD_PAGE_FILES 302
#define IDD_UNEXPECTED 345
#define IDD_DAMAGED 390
#define IDD_PROGRESS 394
#define IDR_CLIP 411

#define IDC_LABEL 100
#define IDC_NAME 101
#define IDC_AUTO 102
#define IDC_RADIO1 103
#define IDC_RADIO2 104
#define IDC_RADIO3 105
#define IDC_COMBO 106
#define IDC_LIST 107
#define IDC_NUMBER 108
#define IDC_DISABLED 109
#define IDC_NESTED 110
#define IDC_PAGE_EDIT 100
#define IDS_PAGE_TITLE 2

#define IDD_PICTURES 210
#define IDD_CURSOR 211
#define IDD_FOLDER_PICK 212
#define IDC_ICON_STATIC 120
#define IDC_BITMAP_STATIC 121
#define IDC_MISSING_ICON 122
#define IDC_ICON_BUTTON 123
#define IDC_CROSS_AREA 124

#define IDI_TWO_SIZES 130
#define IDI_DAMAGED 131
#define IDB_FLAG 140
#define IDB_STRIP 114
#define IDB_DAMAGED 141

#define IDR_MAIN 150
#define IDR_DAMAGED 151
#define IDD_WITH_MENU 152
#define IDA_MAIN 115
#define IDA_DAMAGED 153
#define IDM_OPEN 40001
#define IDM_RECENT 40002
#define IDM_EXIT 40003
#define IDM_REFRESH 40004

#define IDC_ANIMATION 5231
#define IDC_PROGRESS 5232
#define IDC_START 4801
#define IDC_END 4804
