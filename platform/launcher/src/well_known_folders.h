// The workstation's well-known folders. The macros a distribution names
// them by (%*WINDIR%, %*WINDESKTOP%, ...) and the folder calls of the
// template helper library answer the same paths from here.
#pragma once

#include <string>

namespace vpr::launcher {

enum class WellKnownFolder {
    Windows,        // %*WINDIR%
    System,         // %*WINSYSDIR%
    System16,       // %*WINSYS16DIR%: the Windows folder's SYSTEM16
    Desktop,        // %*WINDESKTOP%
    CommonDesktop,  // %*COMMONWINDESKTOP%: the user's on Windows 95
    StartMenu,      // %*STARTMENU%
    CommonStartMenu,  // %*COMMONSTARTMENU%: the user's on Windows 95
    Programs,       // the Start Menu's Programs
    CommonPrograms,
};

// The folder's Windows path on the current machine; empty without one.
std::string WellKnownFolderPath(WellKnownFolder folder);

// True when a file name ends in ".lnk", compared as Windows compares file names.
bool IsShortcutFileName(const std::string& name);

// `name` with each byte a file name may not hold (\ / : * ? " < > |) made
// '_', for directory names used as file or folder names.
std::string FileNameOf(std::string name);

}  // namespace vpr::launcher
