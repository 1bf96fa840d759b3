#include "language_library.h"

#include "snapshot/engine/mb_strings.h"
#include "vpr/locale/locale.h"

namespace snapshot {

namespace {

constexpr DWORD kFontLanguageLimit = 80;

std::string Environment(const char* name, DWORD limit) {
    std::string value(limit + 1, '\0');
    DWORD length = GetEnvironmentVariableA(name, value.data(), limit + 1);
    if (length == 0 || length > limit) return "";
    value.resize(length);
    return value;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

std::string ProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

std::string ProgramDirectory() { return MBExtractFileDir(ProgramPath()); }

LanguageFiles FindLanguageFiles(const std::string& programDirectory, const std::string& language) {
    const std::string folder = programDirectory + "\\NLS\\" + (language.empty() ? "ENGLISH" : language);
    LanguageFiles files;
    if (FileExists(folder + "\\imxres32.dll")) files.library = folder + "\\imxres32.dll";
    for (const std::string& help : {folder + "\\imprix.hlp", programDirectory + "\\imprix.hlp"}) {
        if (FileExists(help)) {
            files.helpFile = help;
            break;
        }
    }
    return files;
}

ResourceLibrary LoadResourceLibrary() {
    // The language as the template library's environment read gives it.
    LanguageFiles files = FindLanguageFiles(ProgramDirectory(), Environment("KMLANGUAGE", MAX_PATH));
    ResourceLibrary library;
    library.helpFile = files.helpFile;
    if (!files.library.empty()) library.module = LoadLibraryA(files.library.c_str());
    library.ownModule = library.module == nullptr;
    if (library.ownModule) library.module = GetModuleHandleA(nullptr);
    return library;
}

void FreeResourceLibrary(ResourceLibrary* library) {
    if (!library->ownModule && library->module != nullptr) FreeLibrary(library->module);
    library->module = nullptr;
    library->ownModule = true;
}

std::string FontLanguage() {
    std::string language = Environment("KMLANGUAGE", kFontLanguageLimit);
    return language.empty() ? "ENGLISH" : language;
}

bool KeepsDesignedFont(const std::string& fontLanguage) { return KMLstricmp(fontLanguage.c_str(), "ENGLISH") == 0; }

}  // namespace snapshot
