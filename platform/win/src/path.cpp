#include "vpr/win/path.h"

#include "vpr/win/error.h"

namespace vpr::win {

bool ResolveHostPath(const char* name, std::string* hostPath) {
    if (name == nullptr || *name == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    // Until a machine maps drives, a name is a host path as it stands.
    *hostPath = name;
    return true;
}

}  // namespace vpr::win
