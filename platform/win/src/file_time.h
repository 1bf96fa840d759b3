// FILETIME: 100-nanosecond steps since 1 January 1601, UTC.
#pragma once

#include <ctime>

#include "vpr/win/types.h"

namespace vpr::win {

FILETIME FileTimeFromHost(const struct timespec& time);

}  // namespace vpr::win
