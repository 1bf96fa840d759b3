// Resource ids shared by the window system's tests and their resources.
#pragma once

#define IDD_SAMPLE 200
#define IDD_NESTED 201
#define IDD_MODELESS 300
#define IDD_PAGE_GENERAL 301
#define IDD_PAGE_FILES 302
#define IDD_UNEXPECTED 345
#define IDD_DAMAGED 390

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
