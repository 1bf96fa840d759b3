// Private profile (ini) files and win.ini.
#pragma once

#include "vpr/win/types.h"
