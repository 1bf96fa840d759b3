// The build's bin folder, where every test program, tool and test module is
// put: the folder of the running test program, so that a test finds the
// programs it starts however and from wherever it was run.
#pragma once

#include <filesystem>
#include <string>

namespace vpr::testing {

inline std::string BuildBinFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

}  // namespace vpr::testing
