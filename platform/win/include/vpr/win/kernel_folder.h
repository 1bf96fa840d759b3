// Where the kernel objects that a machine's processes share live.
#pragma once

#include <string>

namespace vpr::win {

// Host folder of the kernel objects that the machine's processes share
// (<machine root>/.kernel), or a folder of the user under /tmp when the
// process runs on no machine. Created when missing; empty when it cannot be.
std::string KernelFolder();

}  // namespace vpr::win
