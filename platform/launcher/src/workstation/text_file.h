// Whole text files of the machine: read as lines, written whole through the
// machine's one writer of output files (a file is never left cut).
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
