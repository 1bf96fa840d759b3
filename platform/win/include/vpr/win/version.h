// File version information and version-checked installation.
#pragma once

#include "vpr/win/types.h"
