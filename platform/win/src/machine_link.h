// What the kernel layer needs of the machine it runs on, in one place.
#pragma once

#include <string>

namespace vpr::win {

// Host folder of the kernel objects that the machine's processes share
// (<machine root>/.kernel), or a folder of the user under /tmp when the
// process runs on no machine. Created when missing; empty when it cannot be.
std::string KernelFolder();

// Creates a folder and every missing level above it; true when it exists.
bool MakeFolders(const std::string& path, unsigned mode);

}  // namespace vpr::win
