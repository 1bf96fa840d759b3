// The one place where a file name given to the layer becomes a host path.
#pragma once

#include <string>

namespace vpr::win {

// Resolves a file name as the system gives it to the host path it names.
// Returns false and sets the last error when the name cannot be resolved.
bool ResolveHostPath(const char* name, std::string* hostPath);

}  // namespace vpr::win
