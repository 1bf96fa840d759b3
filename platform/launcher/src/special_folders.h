// The workstation's well-known folders as both launcher libraries answer
// them: the macros of a distribution (%*WINDIR%, %*WINDESKTOP%, ...) and
// KMQMT32's folder calls give the same texts.
#pragma once

#include <string>

namespace vpr::launcher {

enum class SpecialFolder {
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
std::string SpecialFolderPath(SpecialFolder folder);

// A shortcut file's name ends in ".lnk", in any case.
bool IsShortcutFileName(const std::string& name);

}  // namespace vpr::launcher
