// Opening host files the way CreateFileA does; the _l* calls, OpenFile and
// CopyFileA open through here too, so every file handle obeys the same
// sharing, read-only and fault rules.
#pragma once

#include <cstdint>

#include "vpr/win/types.h"

namespace vpr::win {

// Returns the new handle value, or 0 with the last error set. On success
// the last error is ERROR_ALREADY_EXISTS when CREATE_ALWAYS or OPEN_ALWAYS
// found the file, else ERROR_SUCCESS.
uint32_t OpenHostFile(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD attributes);

}  // namespace vpr::win
