// Installation and registration of the shell extension: the extension's
// files go from the loader's directory into the target directory through the
// version-installation calls; a file in use is replaced at the next start of
// Windows (MoveFileExA on NT, WININIT.INI on 95); the registry entries make
// the shell show the extension as a desktop name space with its own
// property-sheet handler.
#pragma once

#include <string>

#include "windows.h"

// The extension's class identifier, as text and as bytes.
extern const char kExtensionClsidText[];
extern const CLSID kExtensionClsid;

// The key whose default value names the client's installation directory on 95.
extern const char kTargetPathKey[];
// Its full name as the loader reports it.
extern const char kTargetPathFullName[];

// The target directory: the system directory on NT; on 95 the default value
// of the Target Path key. False (and `dir` empty) when that value cannot be
// read or is empty.
bool GetInstallTargetDir(std::string* dir);

// Writes the extension's registry entries for the target directory. A key
// that cannot be created is skipped; the others are still written.
void RegisterShellExtension(const std::string& target);

// Creates a directory and every missing level above it.
bool CreateDirectoryPath(const std::string& dir);

// Installs one file from the source directory (the loader's directory when
// `sourceDir` is empty) into the destination directory; true when a restart
// is needed for it.
bool InstallFile(const std::string& destDir, const std::string& name, const std::string& sourceDir = "");

// Copies the source file beside the destination under a temporary name and
// schedules it to replace the destination file at the next start. True only
// when both renames were scheduled; otherwise the temporary copy is gone.
bool ScheduleFileReplace(const std::string& name, const std::string& sourceDir, const std::string& destDir);

// Adds "to=from" to WININIT.INI's [rename] section; false when the file
// cannot be read or written.
bool AddWininitRename(const std::string& to, const std::string& from);

// The text of WININIT.INI with "to=from" added: at the end of the [rename]
// section (after its last line that is not blank), every other byte as it
// was; a file without the section gets "[rename]" appended first, and an
// empty file becomes "[rename]\r\n" and the line.
std::string AddWininitRenameText(const std::string& text, const std::string& to, const std::string& from);

// The sub path of a directory below the loader's directory (or below its
// parent, for files found by the language search there): "NLS\English" for
// <loader>\NLS\English; empty for the loader's directory itself.
std::string GetRelativeSubPath(const std::string& dir);

// Installs every file of the extension and registers it; true when a restart
// is needed. Messages go to the summary; `failed` is set when a file could
// neither be copied nor scheduled.
bool InstallAndRegister(const std::string& target, bool* failed);
