// Handle types of the window system.
#pragma once

#include "vpr/win/types.h"

typedef struct HWND__* HWND;
