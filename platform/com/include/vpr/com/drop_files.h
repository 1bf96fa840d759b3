// The CF_HDROP block: a DROPFILES header and the list of names.
#pragma once

#include <string>
#include <vector>

#include "shellapi.h"

namespace vpr::com {

// A new moveable block naming the paths (ANSI names).
HGLOBAL MakeDropFiles(const std::vector<std::string>& paths);
// The names of a block, ANSI or UTF-16, never reading past it.
std::vector<std::string> DropFilesPaths(HGLOBAL block);

}  // namespace vpr::com
