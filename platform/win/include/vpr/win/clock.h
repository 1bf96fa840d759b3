// The one clock: tick count, sleep, time, timed waits; replaceable by tests.
#pragma once

#include "vpr/win/types.h"
