#include "search_path.h"
#include "split_text.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"

namespace vpr::win {

namespace {

bool IsExistingFile(const std::string& windowsPath) {
    std::string host;
    if (!ResolveHostPath(windowsPath.c_str(), &host)) return false;
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string ProgramFolder() {
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "";
    std::string folder, name;
    SplitLastComponent(WindowsPathFromHost(std::string(exe, static_cast<size_t>(n))), &folder, &name);
    return folder;
}

std::string Join(const std::string& folder, const char* name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

}  // namespace

bool SearchFile(const char* name, const char* folders, SearchOrder order, std::string* found) {
    if (name == nullptr || *name == '\0') return false;
    std::string folder, bare;
    SplitLastComponent(name, &folder, &bare);
    if (!folder.empty()) {
        std::string full;
        if (!FullWindowsPath(name, &full) || !IsExistingFile(full)) return false;
        *found = full;
        return true;
    }
    std::vector<std::string> places;
    if (folders) {
        places = SplitNonEmpty(folders, ';');
    } else {
        char current[MAX_PATH];
        std::string cwd = GetCurrentDirectoryA(sizeof current, current) ? current : "";
        std::string windows, system, system16;
        if (auto m = vpr::machine::CurrentMachine()) {
            windows = m->windowsDirectory;
            system = m->SystemDirectory();
            if (m->platform == vpr::machine::Platform::NT4) system16 = Join(windows, "SYSTEM");
        }
        if (order == SearchOrder::SearchPath) {
            places = {ProgramFolder(), cwd, system, windows};
        } else if (order == SearchOrder::Program) {
            places = {ProgramFolder(), cwd, system, system16, windows};
        } else {
            places = {cwd, windows, system, ProgramFolder()};
        }
        if (const char* path = std::getenv("PATH"); path && std::strchr(path, ';'))
            for (auto& p : SplitNonEmpty(path, ';')) places.push_back(p);
    }
    for (const auto& place : places) {
        if (place.empty()) continue;
        std::string full;
        if (FullWindowsPath(Join(place, name).c_str(), &full) && IsExistingFile(full)) {
            *found = full;
            return true;
        }
    }
    return false;
}

}  // namespace vpr::win

extern "C" DWORD WINAPI SearchPathA(LPCSTR lpPath, LPCSTR lpFileName, LPCSTR lpExtension, DWORD nBufferLength,
                                    LPSTR lpBuffer, LPSTR* lpFilePart) {
    if (lpFileName == nullptr || *lpFileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name = lpFileName;
    // The extension is added only to a name that has none.
    std::string folder, bare;
    vpr::win::SplitLastComponent(name, &folder, &bare);
    if (lpExtension && *lpExtension && bare.find('.') == std::string::npos) name += lpExtension;
    std::string found;
    if (!vpr::win::SearchFile(name.c_str(), lpPath, vpr::win::SearchOrder::SearchPath, &found)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (lpBuffer == nullptr || nBufferLength < found.size() + 1) return static_cast<DWORD>(found.size() + 1);
    std::memcpy(lpBuffer, found.c_str(), found.size() + 1);
    if (lpFilePart) {
        vpr::win::SplitLastComponent(found, &folder, &bare);
        *lpFilePart = lpBuffer + (found.size() - bare.size());
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(found.size());
}
