// Special folders: where the machine keeps them, and their identifier lists.
#include "vpr/com/special_folders.h"

#include <cstring>

#include "shlobj.h"
#include "vpr/com/id_list.h"
#include "vpr/machine/machine.h"

namespace vpr::com {

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::optional<std::string> ShellFolderValue(HKEY hive, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, kShellFolders, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || !value[0]) return std::nullopt;
    return std::string(value);
}

}  // namespace

std::optional<std::string> SpecialFolderPath(int csidl) {
    auto machine = vpr::machine::CurrentMachine();
    auto user = [&](const char* name, std::string fallback) -> std::optional<std::string> {
        if (auto value = ShellFolderValue(HKEY_CURRENT_USER, name)) return value;
        if (!machine) return std::nullopt;
        return fallback;
    };
    switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        return user("Desktop", machine ? machine->DesktopDirectory() : "");
    case CSIDL_STARTMENU:
        return user("Start Menu", machine ? machine->StartMenuDirectory() : "");
    case CSIDL_PROGRAMS:
        return user("Programs", machine ? machine->ProgramsDirectory() : "");
    case CSIDL_COMMON_DESKTOPDIRECTORY:
        return ShellFolderValue(HKEY_LOCAL_MACHINE, "Common Desktop");
    case CSIDL_COMMON_STARTMENU:
        return ShellFolderValue(HKEY_LOCAL_MACHINE, "Common Start Menu");
    case CSIDL_COMMON_PROGRAMS:
        return ShellFolderValue(HKEY_LOCAL_MACHINE, "Common Programs");
    default:
        return std::nullopt;
    }
}

}  // namespace vpr::com

STDAPI SHGetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* list) {
    if (!list) return E_INVALIDARG;
    *list = nullptr;
    vpr::com::IdListBytes bytes{0, 0};
    if (folder != CSIDL_DESKTOP) {
        auto path = vpr::com::SpecialFolderPath(folder);
        if (!path) return E_INVALIDARG;
        auto fileSystem = vpr::com::FileSystemIdList(*path);
        if (!fileSystem) return E_FAIL;
        bytes = *fileSystem;
    }
    *list = vpr::com::TaskMemoryIdList(bytes);
    return *list ? S_OK : E_OUTOFMEMORY;
}

STDAPI_(BOOL) SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
    if (!path) return FALSE;
    path[0] = 0;
    std::optional<std::string> found;
    if (list && list->mkid.cb == 0) {
        found = vpr::com::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
    } else {
        found = vpr::com::PathFromIdList(list);
    }
    if (!found || found->size() >= MAX_PATH) return FALSE;
    std::memcpy(path, found->c_str(), found->size() + 1);
    return TRUE;
}
