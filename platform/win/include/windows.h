// The Windows API as the system sees it: one include for every service of the
// platform layer. Each area lives in its own header under vpr/win/.
#pragma once

#include "vpr/win/types.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
