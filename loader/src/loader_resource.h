// Resource ids of the loader: its own string table and splash bitmap, the
// same ids as in the extension's resource library VprExpRs.dll.
#pragma once

#define IDB_SPLASH 128

#define IDS_EXTENSION_NAME 10240
#define IDS_CLOSING 10444
#define IDS_FILE_SCHEDULED 10445
#define IDS_UNABLE_TO_COPY 10446
#define IDS_FILE_COPIED 10447
#define IDS_FILE_CURRENT 10448
#define IDS_MUST_BE_PRESENT 10449
#define IDS_FAILED_TO_LOAD 10450
#define IDS_REBOOT_TO_REMOVE 10451
#define IDS_CAPTION 10452
#define IDS_WRONG_VERSION 10453
#define IDS_REBOOT_TO_UPDATE 10455
