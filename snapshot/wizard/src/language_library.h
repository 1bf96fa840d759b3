// The wizard's language: its resource library NLS\{language}\imxres32.dll
// beside the program (resources only: the string table and the forms), the
// help file, and the language whose font the forms take.
#pragma once

#include <string>

#include "windows.h"

namespace snapshot {

// The running program's full path, and its folder without a trailing
// backslash.
std::string ProgramPath();
std::string ProgramDirectory();

// The language library and help file for a language ("" when KMLANGUAGE is
// unset: ENGLISH) in the program's folder: the library
// {dir}\NLS\{language}\imxres32.dll when it exists ("" otherwise); the help
// file {dir}\NLS\{language}\imprix.hlp, else {dir}\imprix.hlp, else "".
struct LanguageFiles {
    std::string library;
    std::string helpFile;
};
LanguageFiles FindLanguageFiles(const std::string& programDirectory, const std::string& language);

// The resource module and help file of this run: the language library when
// it loads, else the program's own module.
struct ResourceLibrary {
    HMODULE module = nullptr;
    bool ownModule = true;
    std::string helpFile;
};
ResourceLibrary LoadResourceLibrary();
// Frees the library unless it is the program's own module.
void FreeResourceLibrary(ResourceLibrary* library);

// KMLANGUAGE (at most 80 characters), "ENGLISH" when empty.
std::string FontLanguage();
// True when the forms keep their designed font: the font language is ENGLISH
// in any case.
bool KeepsDesignedFont(const std::string& fontLanguage);

}  // namespace snapshot
