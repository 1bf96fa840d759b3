#include "loader_main.h"

#include <cstring>
#include <initializer_list>

#include "afxwin.h"
#include "installation.h"
#include "loader_resource.h"
#include "module/module_utilities.h"
#include "shellapi.h"
#include "uninstall.h"
#include "vpr/locale/locale.h"

bool SilentMode = false;
DWORD PlatformId = 0;

namespace {

// The one version of the resource library the loader takes: 97.9.30.0.
constexpr ULONGLONG kResourceVersion = (97ULL << 48) | (9ULL << 32) | (30ULL << 16);
constexpr char kResourceVersionText[] = "97,09,30,0";
constexpr int kFirstRetries = 3600;
constexpr DWORD kFirstRetryMilliseconds = 500;
constexpr DWORD kLaterRetryMilliseconds = 1000;

std::string g_summary;
std::string g_loaderDirectory;
HINSTANCE g_resources = nullptr;

bool HasSwitch(const std::string& commandLine, char letter) {
    const char lower[] = {'/', static_cast<char>(letter | 0x20), '\0'};
    const char upper[] = {'/', static_cast<char>(letter & ~0x20), '\0'};
    return commandLine.find(lower) != std::string::npos || commandLine.find(upper) != std::string::npos;
}

bool LanguageFile(const std::string& name, const std::string& base, std::string* path) {
    CString found;
    if (base.empty() || !FindLanguageFile(name.c_str(), base.c_str(), found)) return false;
    *path = static_cast<LPCSTR>(found);
    return true;
}

// A string-table text filled in as wsprintf fills "%s" (the only
// conversion the loader's texts hold): each takes the next argument, "%%"
// is a percent sign, anything else stays as it stands.
std::string FillText(const std::string& format, std::initializer_list<const char*> arguments) {
    std::string text;
    auto next = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            if (next != arguments.end()) {
                if (*next) text += *next;
                ++next;
            }
            ++i;
        } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
            text += '%';
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

void UnloadResources() {
    if (!g_resources) return;
    AfxSetResourceHandle(AfxGetInstanceHandle());
    FreeLibrary(g_resources);
    g_resources = nullptr;
}

}  // namespace

const std::string& LoaderDirectory() { return g_loaderDirectory; }

std::string ParentDirectory(const std::string& dir) {
    std::string copy = dir;
    char* slash = KMLstrrchr(copy.data(), '\\');
    return slash ? copy.substr(0, static_cast<size_t>(slash - copy.data())) : "";
}

std::string LoadText(UINT id) {
    char buffer[1024] = "";
    LoadStringA(AfxGetResourceHandle(), id, buffer, sizeof buffer);
    return buffer;
}

void AddStatusMessageTexts(UINT id, std::initializer_list<const char*> arguments) {
    g_summary += FillText(LoadText(id), arguments);
    g_summary += "\r\n";
}

const std::string& StatusSummary() { return g_summary; }

void ShowStatusMessages() {
    if (SilentMode) return;
    MessageBoxA(nullptr, g_summary.c_str(), LoadText(IDS_CAPTION).c_str(), MB_OK);
}

bool FileBesideLoader(const std::string& name) {
    return GetFileAttributesA((g_loaderDirectory + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FindResourceFile(const std::string& name, std::string* path) {
    path->clear();
    if (FileBesideLoader(name)) {
        *path = g_loaderDirectory + "\\" + name;
        return true;
    }
    return LanguageFile(name, g_loaderDirectory, path) || LanguageFile(name, ParentDirectory(g_loaderDirectory), path);
}

void AskRestart(UINT id) {
    if (MessageBoxA(nullptr, LoadText(id).c_str(), LoadText(IDS_CAPTION).c_str(), MB_YESNO) == IDYES) RestartWindows();
}

void StartExtension(bool retryForever) {
    HRESULT result = SHLoadInProc(kExtensionClsid);
    for (int retry = 0; result == E_FAIL && retry < kFirstRetries; ++retry) {
        Sleep(kFirstRetryMilliseconds);
        result = SHLoadInProc(kExtensionClsid);
    }
    while (retryForever && result == E_FAIL) {
        Sleep(kLaterRetryMilliseconds);
        result = SHLoadInProc(kExtensionClsid);
    }
}

int LoaderWinMain(const std::string& commandLine, const std::string& loaderDirectory) {
    g_summary.clear();
    g_loaderDirectory = loaderDirectory;
    const bool uninstallMode = HasSwitch(commandLine, 'u');
    const bool retryForever = HasSwitch(commandLine, 'n');
    SilentMode = HasSwitch(commandLine, 's');

    if (GetSystemMetrics(SM_CLEANBOOT) != 0 && !uninstallMode) return -1;

    bool allowed = true;
    std::string resourcePath;
    if (FindResourceFile("VprExpRs.dll", &resourcePath)) {
        if (GetFileVersion(resourcePath.c_str()) == kResourceVersion) {
            g_resources = LoadLibraryA(resourcePath.c_str());
            if (g_resources) AfxSetResourceHandle(g_resources);
        } else {
            AddStatusMessage(IDS_WRONG_VERSION, resourcePath.c_str(), kResourceVersionText);
            allowed = false;
        }
    }

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || !(version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ||
                                      (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 4))) {
        UnloadResources();
        return 0;
    }
    PlatformId = version.dwPlatformId;

    CoInitialize(nullptr);
    if (uninstallMode) {
        Uninstall();
    } else {
        for (const char* name : {"KMApp32.dll", "VprExp32.dll"}) {
            if (!FileBesideLoader(name)) {
                AddStatusMessage(IDS_MUST_BE_PRESENT, name);
                allowed = false;
            }
        }
        // On 95 the client's directory is where everything goes; without it
        // nothing is registered or copied.
        std::string target;
        if (allowed && !GetInstallTargetDir(&target)) {
            AddStatusMessage(IDS_MUST_BE_PRESENT, kTargetPathFullName);
            allowed = false;
        }
        if (allowed) {
            bool failed = false;
            const bool restart = InstallAndRegister(target, &failed);
            if (failed) ShowStatusMessages();
            if (restart) {
                AskRestart(IDS_REBOOT_TO_UPDATE);
            } else {
                NotifyShellDesktop();
                StartExtension(retryForever);
            }
        } else {
            AddStatusMessage(IDS_FAILED_TO_LOAD);
            ShowStatusMessages();
        }
    }
    CoUninitialize();
    UnloadResources();
    return 1;
}
