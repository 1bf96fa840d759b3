// Resource ids of the migration of old application objects, shared by the
// code and migration.vrc.
#pragma once

#include "snapin/core/common_resource.h"

#define IDS_MIGRATE_BAD_MODIFIER 208
#define IDS_MIGRATE_REFRESH 209
#define IDS_MIGRATE_FAILED_KEPT 210
#define IDS_MIGRATE_FAILED 211

#define IDD_MIGRATE_APPS 393
#define IDC_MIGRATE_OLD_NAMES 5223
#define IDC_MIGRATE_NEW_NAMES 5224
#define IDC_MIGRATE_DELETE_OLD 5225
#define IDC_MIGRATE_ASSOCIATIONS 5226
#define IDC_MIGRATE_CUSTOMIZE 5227
#define IDC_MIGRATE_MODIFIER 5228
#define IDC_MIGRATE_REMOVE 5230

#define IDD_MIGRATE_PROGRESS 394
#define IDC_MIGRATE_CLIP 5231
#define IDC_MIGRATE_PROGRESS 5232
#define IDC_MIGRATE_FROM 5233
#define IDC_MIGRATE_TO 5234
#define IDR_MIGRATE_CLIP 411

#define HID_MIGRATE_APPS 80430
