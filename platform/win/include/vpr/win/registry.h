// The registry.
#pragma once

#include "vpr/win/types.h"
