// File operations left for the next start of the machine, and the simulated
// restart that carries them out (`vprmachine reboot`).
//
// They are kept as each platform keeps them:
//  - NT: MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT appends two strings to
//    the REG_MULTI_SZ value PendingFileRenameOperations of
//    HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager: the
//    source as "\??\C:\...", then the target the same way, with "!" before
//    it when it may replace an existing file, or an empty string when the
//    source is to be deleted.
//  - 95: programs write the [rename] section of WININIT.INI in the Windows
//    folder themselves, one "target=source" line each in the order they are
//    to run; "NUL=file" deletes the file, and an existing target is replaced.
#pragma once

#include <string>
#include <vector>

#include "vpr/win/types.h"

namespace vpr::win {

struct PendingFileOperation {
    std::string source;    // Windows path
    std::string target;    // Windows path; empty: delete the source
    bool replace = false;  // an existing target is replaced
    bool operator==(const PendingFileOperation&) const = default;
};

struct RestartStep {
    PendingFileOperation operation;
    DWORD error = 0;  // ERROR_SUCCESS when it was done
};

// Restarts the current machine. Takes the pending list (NT: reads and clears
// the registry value in one transaction; 95: renames WININIT.INI to
// WININIT.BAK, replacing an older one, and reads it there), then carries out
// every operation in order. An operation that fails is passed over and the
// next one still runs; as on Windows it is not kept for a later restart, but
// it is reported in `steps` and in the journal. Records each operation
// ("restart-file") and the restart itself ("restart") in the journal.
// Returns false with `error` when there is no machine or the list cannot be
// taken (then `steps` is empty and nothing was changed), and when the journal
// cannot be written (then `steps` tells what was carried out).
bool RestartMachine(std::vector<RestartStep>* steps, std::string* error);

// One line for a step: "delete C:\X" or "move C:\A -> C:\B" (with
// " (replacing)" when it may replace), and for a failed one ": failed, " and
// why ("the file does not exist").
std::string DescribeRestartStep(const RestartStep& step);

}  // namespace vpr::win
