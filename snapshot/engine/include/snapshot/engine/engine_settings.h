// The settings record of the snapshot engine: the values that the wizard
// keeps on its main form and that the engine's exports read. The program
// (the wizard, imprxcmd) fills it; no engine code reads a form.
//
//     std::string error;
//     if (!snapshot::StartEngine(GetModuleHandleA(nullptr), &error)) ...  // binds KMQMT32
//     snapshot::Settings().distName = "Word";
//     IMPRXTakePicture('C', "C:\\imprix.dir\\imprxdef.ini", 0, Progress);
//     ...
//     snapshot::StopEngine();
#pragma once

#include <functional>
#include <string>

#include "windows.h"

namespace snapshot {

// Windows platforms as the engine tells them apart.
enum PlatformCode : int {
    kPlatformWin31 = 1,  // never set by this program, but tested
    kPlatformWin95 = 2,
    kPlatformNT3 = 3,    // Windows NT 3.x and older: Program Manager groups
    kPlatformNT4 = 4,
};

struct EngineSettings {
    // The application's name and short description (the template's Name and
    // Caption), and the install directory ("%TARGET_PATH%"; may be empty).
    std::string distName;
    std::string distDesc;
    std::string installDirectory;
    // A shutdown request arrived or the run was resumed: the template's
    // application flags become 0x280 instead of 0x80.
    bool runInterrupted = false;
    PlatformCode platformCode = kPlatformWin95;
    // Leaves HKEY_LOCAL_MACHINE out of the pictures. The first picture
    // records the value it used; the second picture uses that one.
    bool fastScan = false;
    // Set by IMPRXMakeTemplate when it told the person itself why the
    // template was not made (string 46), so that a program shows its own
    // message for a -1 only when nothing was shown.
    bool failureShown = false;

    // Well-known directories (StartEngine fills them).
    std::string windowsDirectory;
    std::string systemDirectory;
    std::string system16Directory;  // Windows directory + "\system16"
    std::string desktopDirectory;
    std::string commonDesktopDirectory;
    std::string startMenuDirectory;
    std::string commonStartMenuDirectory;

    // The module whose string table gives the texts (LoadResString).
    HMODULE resourceModule = nullptr;
    // The status label: the directory or key being read, or "" to clear it.
    // Null shows nothing.
    std::function<void(const std::string&)> statusLabel;
};

// The engine's one settings record.
EngineSettings& Settings();

// Binds the template writer library KMQMT32.DLL by name and fills the
// program-wide values of Settings(): the Windows, system and 16-bit system
// directories, the desktop and Start Menu directories that KMQMT32 gives,
// and the platform code from the Windows version. `resourceModule` gives the
// texts. False, with `error` naming the missing module or entry point, when
// the library cannot be bound.
bool StartEngine(HMODULE resourceModule, std::string* error);
// Frees the library. The settings stay.
void StopEngine();

// Creates the file with KMQMT32's template create call and closes it again,
// as the wizard tests a template path before it resumes a run: false when
// the file cannot be created.
bool TestTemplatePath(const std::string& path);

// The platform code of the Windows version the process runs on.
PlatformCode CurrentPlatformCode();

}  // namespace snapshot
