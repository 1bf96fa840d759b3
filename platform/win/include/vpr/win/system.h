// System facts: versions, metrics, the Windows and system folders, computer and user names, environment.
#pragma once

#include "vpr/win/types.h"
