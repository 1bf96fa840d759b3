// Runs work in several processes at once, for tests of what processes share
// (ini files, the registry, directory trees).
#pragma once

#include <functional>

namespace vpr::testing {

// Forks `count` child processes that each run work(index) and exit with 0
// when it returns true; waits for all of them. True when every child ran
// and succeeded.
bool RunInChildProcesses(int count, const std::function<bool(int index)>& work);

}  // namespace vpr::testing
