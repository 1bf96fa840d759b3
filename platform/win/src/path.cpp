#include "vpr/win/path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <vector>

#include "vpr/machine/code_page.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"

namespace vpr::win {

namespace {

using vpr::machine::CurrentMachine;
using vpr::machine::Machine;

constexpr size_t kMaxComponent = 255;

unsigned CodePage() {
    auto m = CurrentMachine();
    return m ? m->codePage : 65001;
}

bool IsSlash(char c) { return c == '\\' || c == '/'; }

bool HasDriveLetter(const char* name) {
    return std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

bool IsUncName(const char* name) { return IsSlash(name[0]) && IsSlash(name[1]); }

char UpperAscii(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Components of a Windows path split at single-byte separators, stepping
// whole characters so that a double-byte character ending in 0x5C stays whole.
std::vector<std::string> SplitComponents(const std::string& text, unsigned codePage) {
    std::vector<std::string> parts;
    std::string part;
    auto bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    size_t i = 0;
    while (i < text.size()) {
        size_t n = vpr::machine::CharLength(bytes + i, codePage);
        if (n == 0) break;  // an embedded NUL ends the name
        if (n == 1 && IsSlash(text[i])) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.append(text, i, n);
        }
        i += n;
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

bool EndsWithSeparator(const std::string& text, unsigned codePage) {
    auto bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    bool last = false;
    for (size_t i = 0; i < text.size();) {
        size_t n = vpr::machine::CharLength(bytes + i, codePage);
        if (n == 0) break;
        last = n == 1 && IsSlash(text[i]);
        i += n;
    }
    return last;
}

// A full Windows path as its root ("C:" or "\\SERVER\SHARE") and components.
struct WindowsPath {
    std::string root;
    std::vector<std::string> components;
    bool trailingSeparator = false;

    std::string Text() const {
        std::string text = root;
        for (const auto& c : components) text += "\\" + c;
        if (components.empty() || trailingSeparator) text += "\\";
        return text;
    }
};

// Folds "." and ".." (never above the root) and drops the trailing dots and
// spaces Windows ignores.
void AppendComponents(WindowsPath* path, const std::vector<std::string>& parts) {
    for (std::string part : parts) {
        if (part == ".") continue;
        if (part == "..") {
            if (!path->components.empty()) path->components.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        if (!part.empty()) path->components.push_back(part);
    }
}

bool ParseAbsolute(const std::string& text, unsigned codePage, WindowsPath* path);

struct CurrentDirectoryState {
    std::mutex mutex;
    unsigned long generation = 0;
    std::string windows;  // full Windows form
};

CurrentDirectoryState& CurrentDirectoryData() {
    static auto* state = new CurrentDirectoryState;
    return *state;
}

// The current directory starts as the host's, in Windows form, and starts
// again whenever the process moves to another machine.
std::string CurrentDirectory() {
    auto& s = CurrentDirectoryData();
    unsigned long generation = vpr::machine::MachineGeneration();
    std::lock_guard lock(s.mutex);
    if (s.generation != generation || s.windows.empty()) {
        char cwd[4096];
        s.windows = WindowsPathFromHost(::getcwd(cwd, sizeof cwd) ? cwd : "/");
        s.generation = generation;
    }
    return s.windows;
}

bool ParseAbsolute(const std::string& text, unsigned codePage, WindowsPath* path) {
    const char* name = text.c_str();
    if (HasDriveLetter(name) && IsSlash(name[2])) {
        path->root = std::string(1, UpperAscii(name[0])) + ":";
        AppendComponents(path, SplitComponents(text.substr(2), codePage));
        return true;
    }
    if (IsUncName(name)) {
        auto parts = SplitComponents(text, codePage);
        if (parts.size() < 2) return false;
        path->root = "\\\\" + parts[0] + "\\" + parts[1];
        AppendComponents(path, std::vector<std::string>(parts.begin() + 2, parts.end()));
        return true;
    }
    return false;
}

// Works out the full Windows form of a Windows-form name.
bool ParseWindowsName(const std::string& name, WindowsPath* path) {
    unsigned codePage = CodePage();
    path->trailingSeparator = EndsWithSeparator(name, codePage);
    const char* text = name.c_str();
    if ((HasDriveLetter(text) && IsSlash(text[2])) || IsUncName(text)) {
        if (!ParseAbsolute(name, codePage, path)) return false;
    } else {
        WindowsPath current;
        ParseAbsolute(CurrentDirectory(), codePage, &current);
        std::string rest = name;
        if (HasDriveLetter(text)) {
            // "X:name": relative to the current directory when it is on X:,
            // else to the root of X:.
            std::string drive = std::string(1, UpperAscii(text[0])) + ":";
            if (current.root != drive) current = WindowsPath{drive, {}, false};
            rest = name.substr(2);
        } else if (IsSlash(text[0])) {
            current.components.clear();  // root of the current drive or share
        }
        *path = current;
        path->trailingSeparator = EndsWithSeparator(name, codePage);
        AppendComponents(path, SplitComponents(rest, codePage));
    }
    // "C:" alone or "C:\" has no components and is its root.
    if (path->components.empty()) path->trailingSeparator = false;
    return true;
}

// A name the host path of which is the name itself.
bool IsHostForm(const char* name, bool haveMachine) {
    if (!haveMachine) return !HasDriveLetter(name) && !IsUncName(name);
    return name[0] == '/' && name[1] != '/' && std::strchr(name, '\\') == nullptr;
}

bool ValidComponent(const std::string& part) {
    for (unsigned char c : part)
        if (c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) return false;
    return true;
}

std::string JoinHost(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Finds each component in its host folder without regard to case.
std::string MatchComponents(std::string path, const std::vector<std::string>& components) {
    bool missing = false;
    for (const auto& component : components) {
        std::string candidate = JoinHost(path, component);
        struct stat st;
        if (missing || ::lstat(candidate.c_str(), &st) == 0) {
            path = candidate;
            continue;
        }
        // Not there as written: the same name in another case, the first in
        // byte order when there are several. Names of another length never
        // match (case folding keeps every character's length).
        std::string best;
        if (DIR* dir = ::opendir(path.c_str())) {
            unsigned codePage = CodePage();
            while (dirent* entry = ::readdir(dir)) {
                std::string_view entryName = entry->d_name;
                if (entryName.size() != component.size() || entryName == "." || entryName == "..") continue;
                if (vpr::machine::SameNoCase(entryName, component, codePage) && (best.empty() || entryName < best))
                    best = entryName;
            }
            ::closedir(dir);
        }
        if (best.empty()) {
            missing = true;
            path = candidate;
        } else {
            path = JoinHost(path, best);
        }
    }
    return path;
}

std::string NormalHostPath(const std::string& hostPath) {
    std::filesystem::path path(hostPath);
    if (path.is_relative()) {
        char cwd[4096];
        path = std::filesystem::path(::getcwd(cwd, sizeof cwd) ? cwd : "/") / path;
    }
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

// True when `host` is `folder` or lies beneath it.
bool IsUnder(const std::string& host, const std::string& folder) {
    if (folder == "/") return true;
    return host.compare(0, folder.size(), folder) == 0 &&
           (host.size() == folder.size() || host[folder.size()] == '/');
}

void ReportBrokenMachineOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::fprintf(stderr, "vpr: no machine: %s\n", vpr::machine::CurrentMachineError().c_str());
    });
}

}  // namespace

bool FullWindowsPath(const char* name, std::string* full) {
    if (name == nullptr || *name == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    auto machine = CurrentMachine();
    if (IsHostForm(name, machine != nullptr)) {
        *full = WindowsPathFromHost(name);
        return true;
    }
    WindowsPath path;
    if (!ParseWindowsName(name, &path)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    *full = path.Text();
    return true;
}

bool ResolvePath(const char* name, ResolvedPath* resolved) {
    if (name == nullptr || *name == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    auto machine = CurrentMachine();
    if (!machine && vpr::machine::MachineExpected()) ReportBrokenMachineOnce();
    if (IsHostForm(name, machine != nullptr)) {
        resolved->host = name;
        resolved->windows = WindowsPathFromHost(name);
        return true;
    }
    WindowsPath path;
    if (!ParseWindowsName(name, &path)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    resolved->windows = path.Text();
    if (resolved->windows.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    for (const auto& component : path.components) {
        if (!ValidComponent(component)) {
            SetLastError(ERROR_INVALID_NAME);
            return false;
        }
        if (component.size() > kMaxComponent) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
    }
    std::string base;
    if (path.root.size() == 2) {
        base = machine ? machine->DriveFolder(path.root[0]) : path.root[0] == 'Z' ? "/" : "";
        if (base.empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
    } else {
        std::string share;
        for (char c : path.root) share += UpperAscii(c);
        if (machine) {
            auto it = machine->uncShares.find(share);
            if (it != machine->uncShares.end()) base = it->second;
        }
        if (base.empty()) {
            SetLastError(ERROR_BAD_NETPATH);
            return false;
        }
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    resolved->host = MatchComponents(base, path.components);
    return true;
}

bool ResolveHostPath(const char* name, std::string* hostPath) {
    ResolvedPath resolved;
    if (!ResolvePath(name, &resolved)) return false;
    *hostPath = std::move(resolved.host);
    return true;
}

DWORD PathError(int err, const std::string& hostPath) {
    if (err == ENOENT) {
        std::string parent = std::filesystem::path(hostPath).parent_path().string();
        struct stat st;
        if (!parent.empty() && (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
            return ERROR_PATH_NOT_FOUND;
    }
    return ErrorFromErrno(err);
}

DWORD SetLastPathError(int err, const std::string& hostPath) {
    DWORD code = PathError(err, hostPath);
    SetLastError(code);
    return code;
}

std::string WindowsPathFromHost(const std::string& hostPath) {
    std::string host = NormalHostPath(hostPath);
    std::string prefix = "Z:";
    std::string folder = "/";
    if (auto machine = CurrentMachine()) {
        auto consider = [&](const std::string& root, const std::string& candidate) {
            std::string normal = NormalHostPath(candidate);
            if (IsUnder(host, normal) && (folder == "/" || normal.size() > folder.size())) {
                prefix = root;
                folder = normal;
            }
        };
        for (const auto& [letter, drive] : machine->drives) consider(std::string(1, letter) + ":", drive);
        for (const auto& [share, shareFolder] : machine->uncShares) consider(share, shareFolder);
    }
    std::string rest = folder == "/" ? host.substr(1) : host.substr(std::min(host.size(), folder.size() + 1));
    std::string windows = prefix;
    if (!rest.empty() || prefix.size() == 2) windows += "\\";
    for (char c : rest) windows += c == '/' ? '\\' : c;
    return windows;
}

void SplitLastComponent(const std::string& path, std::string* folder, std::string* name) {
    unsigned codePage = CodePage();
    auto bytes = reinterpret_cast<const unsigned char*>(path.c_str());
    size_t cut = std::string::npos;
    for (size_t i = 0; i < path.size();) {
        size_t n = vpr::machine::CharLength(bytes + i, codePage);
        if (n == 0) break;
        if (n == 1 && (IsSlash(path[i]) || (i == 1 && path[i] == ':'))) cut = i;
        i += n;
    }
    if (cut == std::string::npos) {
        folder->clear();
        *name = path;
        return;
    }
    // Keep the separator of a root ("C:\", "\") with the folder.
    bool root = cut <= 2 && (cut == 0 || path[1] == ':');
    *folder = path.substr(0, root ? cut + 1 : cut);
    *name = path.substr(cut + 1);
}

bool SameFileName(const std::string& a, const std::string& b) { return vpr::machine::SameNoCase(a, b, CodePage()); }

}  // namespace vpr::win

using vpr::win::CurrentDirectoryData;

extern "C" DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer,
                                         LPSTR* lpFilePart) {
    std::string full;
    if (!vpr::win::FullWindowsPath(lpFileName, &full)) return 0;
    if (nBufferLength < full.size() + 1 || lpBuffer == nullptr) return static_cast<DWORD>(full.size() + 1);
    std::memcpy(lpBuffer, full.c_str(), full.size() + 1);
    if (lpFilePart) {
        std::string folder, name;
        vpr::win::SplitLastComponent(full, &folder, &name);
        *lpFilePart = name.empty() ? nullptr : lpBuffer + (full.size() - name.size());
    }
    return static_cast<DWORD>(full.size());
}

extern "C" DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string current = vpr::win::CurrentDirectory();
    if (nBufferLength < current.size() + 1 || lpBuffer == nullptr) return static_cast<DWORD>(current.size() + 1);
    std::memcpy(lpBuffer, current.c_str(), current.size() + 1);
    return static_cast<DWORD>(current.size());
}

extern "C" BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
    vpr::win::ResolvedPath resolved;
    if (!vpr::win::ResolvePath(lpPathName, &resolved)) return FALSE;
    struct stat st;
    if (::stat(resolved.host.c_str(), &st) != 0) {
        vpr::win::SetLastPathError(errno, resolved.host);
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    vpr::win::CurrentDirectory();  // ties the state to this machine first
    auto& s = CurrentDirectoryData();
    std::lock_guard lock(s.mutex);
    s.windows = resolved.windows;
    if (s.windows.size() > 3 && s.windows.back() == '\\') s.windows.pop_back();
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
