#include "uninstall.h"

#include <cstring>

#include "installation.h"
#include "loader_main.h"
#include "loader_resource.h"
#include "shlobj.h"
#include "module/splash_wnd.h"
#include "tray/shortcut_link.h"
#include "vpr/locale/locale.h"

const char kShutdownEventName[] = "Shutdown VPR Explorer, please";
const char kLeftEventName[] = "VPR Explorer has left the building";

namespace {

constexpr DWORD kStepMilliseconds = 150;
constexpr int kMaxSteps = 100;
constexpr char kNameSpaceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace

bool IsExtensionRunning() {
    HANDLE event = OpenEventA(EVENT_ALL_ACCESS, FALSE, kShutdownEventName);
    if (!event) return false;
    CloseHandle(event);
    return true;
}

int ShutdownExtension() {
    HANDLE shutdown = OpenEventA(EVENT_ALL_ACCESS, FALSE, kShutdownEventName);
    if (!shutdown) return kNotRunning;
    SetEvent(shutdown);
    CloseHandle(shutdown);
    HANDLE left = OpenEventA(EVENT_ALL_ACCESS, FALSE, kLeftEventName);
    if (!left) return kNotRunning;

    bool signalled = false;
    {
        CSplashWnd splash(IDB_SPLASH, IDS_CLOSING, nullptr);
        for (int step = 0;;) {
            if (WaitForSingleObject(left, kStepMilliseconds) == WAIT_OBJECT_0) {
                signalled = true;
                break;
            }
            splash.DrawProgress(++step);
            if (step >= kMaxSteps) break;
        }
    }
    CloseHandle(left);
    return signalled ? kConfirmed : kNoConfirmation;
}

void Uninstall() {
    int result = ShutdownExtension();
    UnregisterNameSpace();
    if (result != kConfirmed) {
        DeleteDesktopLinks();
        RemoveStartMenuFolders();
    }
    NotifyShellDesktop();
    if (result == kNoConfirmation) AskRestart(IDS_REBOOT_TO_REMOVE);
}

void UnregisterNameSpace() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNameSpaceKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    DeleteRegistryTree(key, kExtensionClsidText);
    RegFlushKey(key);
    RegCloseKey(key);
}

bool DeleteRegistryTree(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    bool ok = true;
    char child[MAX_PATH + 1];
    for (;;) {
        DWORD length = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteRegistryTree(key, child)) {
            ok = false;
            break;
        }
    }
    while (ok) {
        DWORD length = sizeof child;
        if (RegEnumValueA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (RegDeleteValueA(key, child) != ERROR_SUCCESS) ok = false;
    }
    RegCloseKey(key);
    return ok && RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

void DeleteDesktopLinks() {
    std::string desktop;
    if (!GetShellFolderPath("Desktop", &desktop)) return;
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((desktop + "\\*.lnk").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string path = desktop + "\\" + found.cFileName;
        if (LinkPointsIntoNameSpace(path)) DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

bool LinkPointsIntoNameSpace(const std::string& path) {
    // The extension's own reader: the same walk as its shortcut manager's.
    CString key;
    return ReadNameSpaceLink(path.c_str(), key, nullptr) != FALSE;
}

void RemoveStartMenuFolders() {
    std::string startMenu;
    if (!GetShellFolderPath("Start Menu", &startMenu)) return;
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((startMenu + "\\*." + kExtensionClsidText).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveDirectoryA((startMenu + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

void NotifyShellDesktop() {
    std::string desktop;
    if (GetShellFolderPath("Desktop", &desktop)) SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATH, desktop.c_str(), nullptr);
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list)) && list) {
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, list, nullptr);
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(SHGetMalloc(&allocator))) {
            allocator->Free(list);
            allocator->Release();
        }
    }
}

bool GetShellFolderPath(const std::string& name, std::string* path) {
    path->clear();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    bool found = false;
    for (DWORD index = 0; !found; ++index) {
        char valueName[MAX_PATH + 1];
        DWORD nameLength = sizeof valueName;
        BYTE data[MAX_PATH + 1] = {};
        DWORD dataLength = MAX_PATH;
        DWORD type = 0;
        LONG result = RegEnumValueA(key, index, valueName, &nameLength, nullptr, &type, data, &dataLength);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) break;
        if (std::strcmp(valueName, name.c_str()) == 0 && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            *path = std::string(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), dataLength));
            found = !path->empty();
        }
    }
    RegCloseKey(key);
    return found;
}
