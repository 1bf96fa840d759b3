// KMQMT32's folder calls: the desktop and Start Menu folders of the machine.
#include <cstring>
#include <string>

#include "../special_folders.h"
#include "kmqmt32.h"

using vpr::launcher::SpecialFolder;

namespace {

BOOL Fill(SpecialFolder folder, LPSTR directory) {
    if (!directory) return FALSE;
    std::string path = vpr::launcher::SpecialFolderPath(folder);
    // A folder cut short would name another folder: it is not given at all.
    if (path.empty() || path.size() >= KMQMT_DIRECTORY_SIZE) {
        directory[0] = 0;
        return FALSE;
    }
    std::memcpy(directory, path.c_str(), path.size() + 1);
    return TRUE;
}

}  // namespace

extern "C" BOOL kmappGetWinDesktopDir(LPSTR directory) { return Fill(SpecialFolder::Desktop, directory); }

extern "C" BOOL kmappGetCommonWinDesktopDir(LPSTR directory) {
    return Fill(SpecialFolder::CommonDesktop, directory);
}

extern "C" BOOL kmappGetStartMenuDir(LPSTR directory) { return Fill(SpecialFolder::StartMenu, directory); }

extern "C" BOOL kmappGetCommonStartMenuDir(LPSTR directory) {
    return Fill(SpecialFolder::CommonStartMenu, directory);
}
