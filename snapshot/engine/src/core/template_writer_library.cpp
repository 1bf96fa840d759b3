// Binding of KMQMT32.DLL by name.
#include "template_writer_library.h"

#include <cstring>

namespace snapshot {

namespace {

constexpr const char* kLibraryName = "KMQMT32.DLL";

// Looks one entry point up into `slot`; false (and the name into `missing`)
// when the library lacks it.
template <typename Function>
bool Bind(HMODULE module, const char* name, Function* slot, std::string* missing) {
    *slot = reinterpret_cast<Function>(GetProcAddress(module, name));
    if (*slot == nullptr && missing->empty()) *missing = name;
    return *slot != nullptr;
}

}  // namespace

bool BindTemplateWriterLibrary(TemplateWriterLibrary* library, std::string* error) {
    *library = TemplateWriterLibrary{};
    HMODULE module = LoadLibraryA(kLibraryName);
    if (module == nullptr) {
        *error = std::string("cannot load ") + kLibraryName + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    TemplateWriterLibrary bound;
    bound.module = module;
    std::string missing;
    Bind(module, "kmapptCreate", &bound.Create, &missing);
    Bind(module, "kmapptClose", &bound.Close, &missing);
    Bind(module, "kmapptWriteFileEntry", &bound.WriteFileEntry, &missing);
    Bind(module, "kmapptWriteDirEntry", &bound.WriteDirEntry, &missing);
    Bind(module, "kmapptWriteIdentEntry", &bound.WriteIdentEntry, &missing);
    Bind(module, "kmapptWriteSectionEntry", &bound.WriteSectionEntry, &missing);
    Bind(module, "kmapptWriteValueEntry", &bound.WriteValueEntry, &missing);
    Bind(module, "kmapptWriteKeyEntry", &bound.WriteKeyEntry, &missing);
    Bind(module, "kmapptWriteBaseString", &bound.WriteBaseString, &missing);
    Bind(module, "kmapptWriteBaseValue", &bound.WriteBaseValue, &missing);
    Bind(module, "kmapptWriteMacroEntry", &bound.WriteMacroEntry, &missing);
    Bind(module, "kmapptWriteTextAddEntry", &bound.WriteTextAddEntry, &missing);
    Bind(module, "kmapptWriteTextFindEntry", &bound.WriteTextFindEntry, &missing);
    Bind(module, "kmapptWriteUserIconEntry", &bound.WriteUserIconEntry, &missing);
    Bind(module, "kmapptGetEnv", &bound.GetEnv, &missing);
    Bind(module, "kmappGetWinDesktopDir", &bound.GetWinDesktopDir, &missing);
    Bind(module, "kmappGetCommonWinDesktopDir", &bound.GetCommonWinDesktopDir, &missing);
    Bind(module, "kmappGetStartMenuDir", &bound.GetStartMenuDir, &missing);
    Bind(module, "kmappGetCommonStartMenuDir", &bound.GetCommonStartMenuDir, &missing);
    Bind(module, "KMAPPGetGroupList", &bound.GetGroupList, &missing);
    Bind(module, "KMAPPFreeGetGroupList", &bound.FreeGetGroupList, &missing);
    Bind(module, "KMAPPGetShellLinkInfo", &bound.GetShellLinkInfo, &missing);
    if (!missing.empty()) {
        FreeLibrary(module);
        *error = std::string(kLibraryName) + " lacks the entry point " + missing;
        return false;
    }
    *library = bound;
    return true;
}

void FreeTemplateWriterLibrary(TemplateWriterLibrary* library) {
    if (library->module != nullptr) FreeLibrary(library->module);
    *library = TemplateWriterLibrary{};
}

std::string AskDirectory(TemplateWriterLibrary::DirectoryCall call) {
    char buffer[kDirectoryBufferSize];
    std::memset(buffer, 0, sizeof buffer);
    if (call != nullptr) call(buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

}  // namespace snapshot
