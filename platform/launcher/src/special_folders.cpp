#include "special_folders.h"

#include <cctype>

#include "vpr/machine/machine.h"

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
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".lnk";
}

}  // namespace vpr::launcher
