// Resource ids of the module's start-up, object classes, Tools items and
// utilities, shared by the code and the module's resource source.
#pragma once

#include "snapin/core/common_resource.h"

// Start-up.
#define IDS_NEWLINE 61
#define IDS_SCHEMA_UPDATED 63
#define IDS_SCHEMA_FAILED 64
#define IDS_NO_KMAPP 107
#define IDS_KMAPP_VERSION 108
#define IDS_RESOURCE_VERSION 109
#define IDS_RESOURCE_MISSING 110
#define IDS_MODULE_VERSION 200

// Object classes: display texts, the save failure, page titles.
#define IDS_APPLICATION 15
#define IDS_APPLICATION_DOS 202
#define IDS_APPLICATION_3X 203
#define IDS_APPLICATION_95 204
#define IDS_APPLICATION_NT 205
#define IDS_PAGE_SAVE_FAILED 191

// Tools items.
#define IDS_EXPORT_TEXT 13
#define IDS_EXPORT_HINT 14
#define IDS_SHOW_ALL_TEXT 161
#define IDS_SHOW_ALL_HINT 212
#define IDS_MIGRATE_TEXT 206
#define IDS_MIGRATE_HINT 207

// Utilities.
#define IDS_SOURCE_PATH_MACRO 121
#define IDS_TARGET_PATH_MACRO 122
#define IDS_SELECT_DIRECTORY 136
#define IDD_SELECT_DIRECTORY 347

// Class bitmaps of the old application objects (normal, alias, read-only).
#define IDB_APPLICATION_DOS 381
#define IDB_APPLICATION_3X 384
#define IDB_APPLICATION_95 387
#define IDB_APPLICATION_NT 390
