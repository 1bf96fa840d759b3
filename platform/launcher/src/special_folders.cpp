#include "special_folders.h"

#include "vpr/machine/machine.h"
#include "vpr/win/path.h"

namespace vpr::launcher {

std::string SpecialFolderPath(SpecialFolder folder) {
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) return "";
    // NT keeps the folders every user shares in the "All Users" profile.
    const bool nt = machine->platform == vpr::machine::Platform::NT4;
    const std::string common = machine->windowsDirectory + "\\Profiles\\All Users";
    switch (folder) {
        case SpecialFolder::Windows: return machine->windowsDirectory;
        case SpecialFolder::System: return machine->SystemDirectory();
        case SpecialFolder::System16: return machine->windowsDirectory + "\\SYSTEM16";
        case SpecialFolder::Desktop: return machine->DesktopDirectory();
        case SpecialFolder::CommonDesktop: return nt ? common + "\\Desktop" : machine->DesktopDirectory();
        case SpecialFolder::StartMenu: return machine->StartMenuDirectory();
        case SpecialFolder::CommonStartMenu:
            return nt ? common + "\\Start Menu" : machine->StartMenuDirectory();
        case SpecialFolder::Programs: return machine->ProgramsDirectory();
        case SpecialFolder::CommonPrograms:
            return nt ? common + "\\Start Menu\\Programs" : machine->ProgramsDirectory();
    }
    return "";
}

bool IsShortcutFileName(const std::string& name) {
    return name.size() >= 4 && vpr::win::SameFileName(name.substr(name.size() - 4), ".lnk");
}

}  // namespace vpr::launcher
