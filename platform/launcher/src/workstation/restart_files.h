// Files that are in use are replaced or deleted at the next start of
// Windows, as each platform keeps such work: MoveFileExA on NT, the [rename]
// section of WININIT.INI on Windows 95.
#pragma once

#include <string>

namespace vpr::launcher {

// Copies the source beside the target now and has it replace the target at
// the next start. False with the last error set.
bool ReplaceAtRestart(const std::string& source, const std::string& target);
bool DeleteAtRestart(const std::string& target);

// Creates a folder and every missing folder above it. False with the last
// error set.
bool CreateFolders(const std::string& folder);

// The folder part of a path ("C:\A\B.TXT" gives "C:\A"); empty without one.
std::string FolderOf(const std::string& path);

}  // namespace vpr::launcher
