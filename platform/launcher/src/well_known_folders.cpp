#include "well_known_folders.h"

#include <cstring>

#include "vpr/machine/machine.h"
#include "vpr/win/path.h"

namespace vpr::launcher {

std::string WellKnownFolderPath(WellKnownFolder folder) {
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) return "";
    // NT keeps the folders every user shares in the "All Users" profile.
    const bool nt = machine->platform == vpr::machine::Platform::NT4;
    const std::string common = machine->windowsDirectory + "\\Profiles\\All Users";
    switch (folder) {
        case WellKnownFolder::Windows: return machine->windowsDirectory;
        case WellKnownFolder::System: return machine->SystemDirectory();
        case WellKnownFolder::System16: return machine->windowsDirectory + "\\SYSTEM16";
        case WellKnownFolder::Desktop: return machine->DesktopDirectory();
        case WellKnownFolder::CommonDesktop: return nt ? common + "\\Desktop" : machine->DesktopDirectory();
        case WellKnownFolder::StartMenu: return machine->StartMenuDirectory();
        case WellKnownFolder::CommonStartMenu:
            return nt ? common + "\\Start Menu" : machine->StartMenuDirectory();
        case WellKnownFolder::Programs: return machine->ProgramsDirectory();
        case WellKnownFolder::CommonPrograms:
            return nt ? common + "\\Start Menu\\Programs" : machine->ProgramsDirectory();
    }
    return "";
}

bool IsShortcutFileName(const std::string& name) {
    return name.size() >= 4 && vpr::win::SameFileName(name.substr(name.size() - 4), ".lnk");
}

std::string FileNameOf(std::string name) {
    for (char& c : name)
        if (std::strchr("\\/:*?\"<>|", c)) c = '_';
    return name;
}

}  // namespace vpr::launcher
