// The settings record, the start of the engine and the binding it keeps.
#include "snapshot/engine/engine_settings.h"

#include <cstring>

#include "template_writer_library.h"

namespace snapshot {

namespace {

TemplateWriterLibrary g_library;

// A directory read into a 255-byte buffer, as the wizard reads it.
std::string WindowsCall(UINT (*call)(LPSTR, UINT)) {
    char buffer[kDirectoryBufferSize];
    std::memset(buffer, 0, sizeof buffer);
    UINT length = call(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return "";
    return buffer;
}

}  // namespace

EngineSettings& Settings() {
    static EngineSettings settings;
    return settings;
}

const TemplateWriterLibrary& WriterLibrary() { return g_library; }

PlatformCode CurrentPlatformCode() {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return kPlatformWin95;
    return version.dwMajorVersion <= 3 ? kPlatformNT3 : kPlatformNT4;
}

bool StartEngine(HMODULE resourceModule, std::string* error) {
    StopEngine();
    if (!BindTemplateWriterLibrary(&g_library, error)) return false;
    EngineSettings& settings = Settings();
    settings.resourceModule = resourceModule;
    settings.windowsDirectory = WindowsCall(GetWindowsDirectoryA);
    settings.systemDirectory = WindowsCall(GetSystemDirectoryA);
    settings.system16Directory = settings.windowsDirectory + "\\system16";
    settings.desktopDirectory = AskDirectory(g_library.GetWinDesktopDir);
    settings.startMenuDirectory = AskDirectory(g_library.GetStartMenuDir);
    settings.commonDesktopDirectory = AskDirectory(g_library.GetCommonWinDesktopDir);
    settings.commonStartMenuDirectory = AskDirectory(g_library.GetCommonStartMenuDir);
    settings.platformCode = CurrentPlatformCode();
    return true;
}

void StopEngine() { FreeTemplateWriterLibrary(&g_library); }

bool TestTemplatePath(const std::string& path) {
    HFILE handle = HFILE_ERROR;
    bool created = g_library.Create != nullptr && g_library.Create(path.c_str(), &handle) == 0;
    if (g_library.Close != nullptr) g_library.Close(handle);
    return created;
}

}  // namespace snapshot
