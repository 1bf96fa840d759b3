// Whole text files of the machine: read as lines, written through a
// temporary file renamed over the old one, so that a file is never left cut.
#pragma once

#include <string>
#include <vector>

#include "windows.h"

namespace vpr::launcher {

// False (last error set) when the file cannot be read; a missing file gives
// ERROR_FILE_NOT_FOUND.
bool ReadTextLines(const std::string& windowsPath, std::vector<std::string>* lines);
// Lines end with CR LF. False with the last error set.
bool WriteTextLines(const std::string& windowsPath, const std::vector<std::string>& lines);

}  // namespace vpr::launcher
