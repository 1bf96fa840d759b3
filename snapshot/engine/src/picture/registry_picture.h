// The registry part of a picture.
#pragma once

#include "picture_file.h"

namespace snapshot {

// Pictures HKEY_LOCAL_MACHINE (unless `fastScan`), then HKEY_CURRENT_USER:
// every key below the hive's root, a key's record after the records of all
// its descendants and before its own values. Keys are opened for reading
// only; one that cannot be opened or listed is passed over.
void SnapRegistry(PictureWriter& picture, bool fastScan);

// Above this size a REG_MULTI_SZ value is pictured with no data.
constexpr DWORD kMultiStringLimit = 0x8000;

}  // namespace snapshot
