// Resource ids of the schema update dialog (read by schema_update.vrc too).
#pragma once

#define IDD_SCHEMA_UPDATE 330
#define IDC_SCHEMA_TREES 1500
#define HID_SCHEMA_UPDATE 80000
