#include "module/module_utilities.h"

#include <cstring>
#include <string>
#include <vector>

#include "shlobj.h"
#include "vpr/locale/locale.h"

ULONGLONG GetFileVersion(LPCSTR path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return 0;
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, handle, size, block.data())) return 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return (static_cast<ULONGLONG>(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
}

BOOL GetSpecialFolderPath(int folder, CString& path) {
    path.Empty();
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &list)) || !list) return FALSE;
    char buffer[MAX_PATH + 1] = {};
    BOOL found = SHGetPathFromIDListA(list, buffer);
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(list);
        allocator->Release();
    }
    if (found) path = buffer;
    return found && !path.IsEmpty();
}

void TrimTreeName(LPSTR tree) {
    constexpr int kTreeNameLength = 32;
    char* at = tree;
    char* end = nullptr;  // just after the last character that is not '_'
    for (int i = 0; i < kTreeNameLength && *at != '\0'; ++i) {
        char* next = LocNextChar(at);
        if (*at != '_') end = next;
        at = next;
    }
    // All underscores: the name ends after the 32nd character.
    *(end ? end : at) = '\0';
}

BOOL FindLanguageFile(LPCSTR file, LPCSTR base, CString& path) {
    path.Empty();
    char languages[512] = {};
    if (GetEnvironmentVariableA("KMLANGUAGE", languages, sizeof languages) == 0 ||
        std::strlen(languages) >= sizeof languages - 1)
        std::strcpy(languages, "English");
    std::string list = languages;
    size_t start = 0;
    for (;;) {
        int comma = LocFindChar(list.c_str() + start, ',');
        std::string language = comma < 0 ? list.substr(start) : list.substr(start, comma);
        CString candidate;
        candidate.Format("%s\\NLS\\%s\\%s", base, language.c_str(), file);
        if (GetFileAttributesA(candidate) != INVALID_FILE_ATTRIBUTES) {
            path = candidate;
            return TRUE;
        }
        if (comma < 0) break;
        start += comma + 1;
    }
    return FALSE;
}

namespace {

// The text up to its last backslash; empty when it has none.
CString FolderOf(const CString& path) {
    int slash = LocFindLastChar(path, '\\');
    return slash < 0 ? CString() : path.Left(slash);
}

BOOL Exists(const CString& path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

BOOL FindModuleFile(LPCSTR file, CString& path) {
    path.Empty();
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(vpr::win::ThisModule(), modulePath, sizeof modulePath);
    CString directory = FolderOf(modulePath);

    CString candidate;
    candidate.Format("%s\\%s", static_cast<LPCSTR>(directory), file);
    if (Exists(candidate)) {
        path = candidate;
        return TRUE;
    }
    if (FindLanguageFile(file, directory, path)) return TRUE;
    if (FindLanguageFile(file, FolderOf(directory), path)) return TRUE;

    OFSTRUCT found = {};
    found.cBytes = sizeof found;
    if (OpenFile(file, &found, OF_EXIST) != HFILE_ERROR) {
        path = found.szPathName;
        return TRUE;
    }

    WIN32_FIND_DATAA entry = {};
    CString pattern;
    pattern.Format("%s\\*.*", static_cast<LPCSTR>(directory));
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return FALSE;
    BOOL hit = FALSE;
    do {
        if (entry.cFileName[0] == '.' || !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        candidate.Format("%s\\%s\\%s", static_cast<LPCSTR>(directory), entry.cFileName, file);
        if (Exists(candidate)) {
            path = candidate;
            hit = TRUE;
        }
    } while (!hit && FindNextFileA(search, &entry));
    FindClose(search);
    return hit;
}

int FindStringInArray(const CStringArray& array, LPCSTR text, int start) {
    for (INT_PTR i = start < 0 ? 0 : start; i < array.GetSize(); ++i)
        if (std::strcmp(array.GetAt(i), text) == 0) return static_cast<int>(i);
    return -1;
}

int CountStringInArray(const CStringArray& array, LPCSTR text) {
    int count = 0;
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        if (std::strcmp(array.GetAt(i), text) == 0) ++count;
    return count;
}

int FindSubstringInArray(const CStringArray& array, LPCSTR text) {
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        if (KMLstrstr(array.GetAt(i), text)) return static_cast<int>(i);
    return -1;
}

BOOL SameStringArrays(const CStringArray& a, const CStringArray& b) {
    if (a.GetSize() != b.GetSize()) return FALSE;
    for (INT_PTR i = 0; i < a.GetSize(); ++i)
        if (FindStringInArray(b, a.GetAt(i), 0) < 0) return FALSE;
    return TRUE;
}

void RestartWindows() {
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES privileges = {};
        if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        }
        CloseHandle(token);
    }
    ExitWindowsEx(EWX_REBOOT, 0);
}

void DeleteRegistryValues(HKEY root, LPCSTR subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    for (;;) {
        char name[16384] = {};  // the longest value name the registry allows, and its NUL
        DWORD length = sizeof name;
        if (RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        // A value that cannot be deleted would be enumerated at index 0 for
        // ever: stop there.
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
}
