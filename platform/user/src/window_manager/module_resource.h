// Resources of modules as the window system reads them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vpr/user/window.h"

namespace vpr::user {

// The bytes of a resource of a module (null instance: the program). False
// with the last error set when the module has no such resource.
bool FindResourceData(HINSTANCE instance, LPCSTR name, LPCSTR type, const uint8_t** data, size_t* size);

}  // namespace vpr::user
