// The ini text reader and editor of the private profile calls is the machine
// library's one (vpr/machine/ini_text.h), which also reads machine.ini.
#pragma once

#include "vpr/machine/ini_text.h"

namespace vpr::win {
using vpr::machine::IniText;
}  // namespace vpr::win
