// Modules and resources: LoadLibrary, GetProcAddress, FindResource, LoadString.
#pragma once

#include "vpr/win/types.h"
