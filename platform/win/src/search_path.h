// Looking for a file the way Windows does when a program names it bare.
#pragma once

#include <string>

namespace vpr::win {

enum class SearchOrder {
    // SearchPathA: the program's folder, the current directory, the system
    // folder, the Windows folder, then the folders of PATH.
    SearchPath,
    // CreateProcessA and WinExec: as SearchPath, with NT's 16-bit system
    // folder (SYSTEM) between the system folder and the Windows folder.
    Program,
    // OpenFile: the current directory, the Windows folder, the system
    // folder, the program's folder, then PATH.
    OpenFile,
};

// Finds an existing file (not a folder) and gives its full Windows path. A
// name with a folder or drive in it is only checked where it says; `folders`
// (";"-separated), when given, replaces the search order.
bool SearchFile(const char* name, const char* folders, SearchOrder order, std::string* found);

}  // namespace vpr::win
