// The Windows API as the system sees it: one include for every service of the
// kernel layer. Each area lives in its own header under vpr/win/.
#pragma once

#include "vpr/win/types.h"
#include "vpr/win/com_types.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/system.h"
#include "vpr/win/profile.h"
#include "vpr/win/registry.h"
#include "vpr/win/thread.h"
#include "vpr/win/clock.h"
#include "vpr/win/module.h"
#include "vpr/win/version.h"
#include "vpr/win/process.h"
#include "vpr/win/global_memory.h"

// The window system, for programs that link it.
#if __has_include("vpr/user/user.h")
#include "vpr/user/user.h"
#endif
