// The "BrowsebControl" window class the host offers its modules' dialogs.
#pragma once

#include "windows.h"

namespace vpr::adminhost {

// Registers the class (once per process; later calls find it registered).
void RegisterBrowseButtonClass(HINSTANCE instance);

}  // namespace vpr::adminhost
