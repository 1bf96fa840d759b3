// Processes, the command line, program starts, restart and shutdown requests.
#pragma once

#include "vpr/win/types.h"
