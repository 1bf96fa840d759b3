// Threads, events, critical sections, waits and change notifications.
#pragma once

#include "vpr/win/types.h"
