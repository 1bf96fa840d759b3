// The common controls.
#pragma once

#include "windows.h"
#include "vpr/user/commctrl.h"
#include "vpr/user/prsht.h"
