// Disk faults for tests, keyed by path: a fault set on a file or folder
// holds for it and everything beneath it, in this process, until cleared.
//
//   Unreadable  listing the folder and opening files in it give
//               ERROR_ACCESS_DENIED (as a folder without read permission,
//               which the host cannot refuse a test running as root).
//   Busy        opening, deleting, moving or replacing give
//               ERROR_SHARING_VIOLATION (a file another program holds open).
//   DiskFull    writes that grow files beneath it may add `bytesLeft` bytes
//               in all; past that they write what fits and fail with
//               ERROR_DISK_FULL.
#pragma once

#include <cstdint>

namespace vpr::win {

enum class FileFault { Unreadable, Busy, DiskFull };

// `name` is resolved as every file call resolves it. False when it cannot be.
bool InjectFileFault(const char* name, FileFault fault, uint64_t bytesLeft = 0);
void ClearFileFaults();

}  // namespace vpr::win
