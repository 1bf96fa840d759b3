// What the module table knows about files, for the version functions.
#pragma once

#include <string>

namespace vpr::win {

// True when this process has the file loaded as a module (by LoadLibrary or
// linked at start).
bool IsModuleFileLoaded(const std::string& hostPath);

}  // namespace vpr::win
