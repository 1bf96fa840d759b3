// What a test asks of the held launcher library (bin/hold/KMAPP32.DLL),
// bound by name from the loaded library.
#pragma once

#include "windows.h"

extern "C" {
// The next kmapptGetEntries waits until HoldRelease.
typedef void (*HoldArmFn)(void);
typedef void (*HoldReleaseFn)(void);
// Waits until an armed call waits.
typedef void (*HoldWaitUntilHeldFn)(void);
// Waits until a list has been freed since the last HoldArm.
typedef void (*HoldWaitUntilFreedFn)(void);
// The thread of the last kmapptGetEntries.
typedef DWORD (*HoldLastCallerFn)(void);
}
