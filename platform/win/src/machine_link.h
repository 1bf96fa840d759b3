// What the kernel layer needs of the machine it runs on, in one place.
#pragma once

#include <string>

#include "vpr/win/kernel_folder.h"

namespace vpr::win {

// Creates a folder and every missing level above it; true when it exists.
bool MakeFolders(const std::string& path, unsigned mode);

}  // namespace vpr::win
