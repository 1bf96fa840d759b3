// The one place where a file name given to the layer becomes a host path.
//
// How a name is read:
//  - With a machine (VPR_MACHINE or a machine made current): a name that
//    starts with a single "/" and holds no backslash is a host path, taken as
//    it stands (it is also Z:\... on the machine). Every other name is a
//    Windows name: "X:\..." through the drive table (Z: is the host's "/"),
//    "\\SERVER\SHARE\..." through the machine's [UNC] table, "\..." from the
//    root of the current drive, "X:name" and plain names relative to the
//    process's current directory. Both slash kinds separate components; "."
//    and ".." fold lexically; trailing dots and spaces of a component are
//    dropped. Each existing component is matched on disk without regard to
//    case (the exact name first, else the first match in byte order); the
//    components from the first missing one on keep the case given, so new
//    files and folders are made with it.
//  - Without a machine: a name with a drive letter is a Windows name on the
//    only drive there is, Z:; every other name is a host path as it stands,
//    so host tools and tests work unchanged.
#pragma once

#include <string>

#include "vpr/win/types.h"

namespace vpr::win {

struct ResolvedPath {
    std::string host;     // the host path to act on
    std::string windows;  // the full Windows form of the name
};

// Resolves a name; false with the last error set when it cannot be
// (ERROR_PATH_NOT_FOUND for an unmapped drive, ERROR_BAD_NETPATH for an
// unknown share, ERROR_INVALID_NAME, ERROR_FILENAME_EXCED_RANGE).
bool ResolvePath(const char* name, ResolvedPath* resolved);
bool ResolveHostPath(const char* name, std::string* hostPath);

// The Windows error for a failed host call on a resolved path: a missing
// name in a missing folder is ERROR_PATH_NOT_FOUND, as on Windows.
DWORD PathError(int err, const std::string& hostPath);
// Sets the last error from PathError and returns it.
DWORD SetLastPathError(int err, const std::string& hostPath);

// The full Windows form of a name, worked out without touching the disk.
bool FullWindowsPath(const char* name, std::string* full);

// The Windows name of a host path: under the drive whose folder holds it
// (the deepest one), else under a UNC share, else under Z:.
std::string WindowsPathFromHost(const std::string& hostPath);

// Splits a Windows path after its last separator: "C:\A\B.TXT" -> "C:\A", "B.TXT".
void SplitLastComponent(const std::string& path, std::string* folder, std::string* name);

// Compares two names as the machine's file system does: without regard to
// case, a double-byte character only equal to itself.
bool SameFileName(const std::string& a, const std::string& b);

}  // namespace vpr::win
