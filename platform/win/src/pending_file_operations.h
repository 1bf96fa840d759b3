// Moving files now and at the next start of the machine: what MoveFileA,
// MoveFileExA and the simulated restart share.
#pragma once

#include <string>
#include <vector>

#include "vpr/win/restart.h"
#include "vpr/win/types.h"

namespace vpr::win {

// Moves a file or folder now. `replace` lets a file take the place of an
// existing writable file; `copyAllowed` lets a file move to another host file
// system as a copy and a delete. FALSE with the last error set.
BOOL MoveFileNow(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, bool replace, bool copyAllowed);

// Appends a move (a delete when lpNewFileName is null) to the NT list of
// pending file operations in the registry. FALSE with the last error set.
BOOL SchedulePendingMove(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, bool replace);

// Where NT keeps the list.
constexpr const char* kSessionManagerKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingRenameValue = "PendingFileRenameOperations";

// The operations of the NT list as it is stored (the REG_MULTI_SZ data of
// PendingFileRenameOperations).
std::vector<PendingFileOperation> DecodePendingList(const std::string& data);

}  // namespace vpr::win
