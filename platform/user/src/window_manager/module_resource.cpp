#include "module_resource.h"

#include "vpr/win/error.h"
#include "vpr/win/module.h"

namespace vpr::user {

bool FindResourceData(HINSTANCE instance, LPCSTR name, LPCSTR type, const uint8_t** data, size_t* size) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HRSRC found = FindResourceA(instance, name, type);
    if (!found) return false;
    *data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, found)));
    *size = SizeofResource(instance, found);
    return *data != nullptr;
}

}  // namespace vpr::user
