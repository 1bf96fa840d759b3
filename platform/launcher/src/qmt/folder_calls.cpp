// KMQMT32's folder calls: the desktop and Start Menu folders of the machine.
#include <cstring>
#include <string>

#include "../well_known_folders.h"
#include "kmqmt32.h"

using vpr::launcher::WellKnownFolder;

namespace {

BOOL Fill(WellKnownFolder folder, LPSTR directory) {
    if (!directory) return FALSE;
    std::string path = vpr::launcher::WellKnownFolderPath(folder);
    // A folder cut short would name another folder: it is not given at all.
    if (path.empty() || path.size() >= KMQMT_DIRECTORY_SIZE) {
        directory[0] = 0;
        return FALSE;
    }
    std::memcpy(directory, path.c_str(), path.size() + 1);
    return TRUE;
}

}  // namespace

extern "C" BOOL kmappGetWinDesktopDir(LPSTR directory) { return Fill(WellKnownFolder::Desktop, directory); }

extern "C" BOOL kmappGetCommonWinDesktopDir(LPSTR directory) {
    return Fill(WellKnownFolder::CommonDesktop, directory);
}

extern "C" BOOL kmappGetStartMenuDir(LPSTR directory) { return Fill(WellKnownFolder::StartMenu, directory); }

extern "C" BOOL kmappGetCommonStartMenuDir(LPSTR directory) {
    return Fill(WellKnownFolder::CommonStartMenu, directory);
}
