// FindFirstFileA, FindNextFileA, FindClose: a folder's listing taken at the
// first call and handed out one entry at a time.
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>
#include <string_view>
#include <vector>

#include "attribute_store.h"
#include "fault_table.h"
#include "file_time.h"
#include "vpr/machine/code_page.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/handle_table.h"
#include "vpr/win/path.h"

namespace vpr::win {

namespace {

using vpr::machine::CharLengthAt;

class FindObject : public KernelObject {
public:
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next = 0;
    std::mutex mutex;
};

unsigned CodePage() {
    auto m = vpr::machine::CurrentMachine();
    return m ? m->codePage : 65001;
}

// "*" any run of characters, "?" one character (or none at the end of the
// name or before a dot), everything else itself without regard to case.
// Steps whole characters of both texts in place.
bool Match(std::string_view name, size_t n, std::string_view mask, size_t m, unsigned codePage) {
    while (m < mask.size()) {
        size_t maskChar = CharLengthAt(mask, m, codePage);
        if (maskChar == 1 && mask[m] == '*') {
            for (size_t k = n;; k += CharLengthAt(name, k, codePage)) {
                if (Match(name, k, mask, m + 1, codePage)) return true;
                if (k >= name.size()) return false;
            }
        }
        if (maskChar == 1 && mask[m] == '?') {
            if (n < name.size() && Match(name, n + CharLengthAt(name, n, codePage), mask, m + 1, codePage)) return true;
            // None at all, at the end of the name or before a dot.
            return (n == name.size() || name[n] == '.') && Match(name, n, mask, m + 1, codePage);
        }
        if (n == name.size()) return false;
        size_t nameChar = CharLengthAt(name, n, codePage);
        if (!vpr::machine::SameNoCase(name.substr(n, nameChar), mask.substr(m, maskChar), codePage)) return false;
        n += nameChar;
        m += maskChar;
    }
    return n == name.size();
}

bool MatchesWildcard(std::string_view name, std::string_view mask, unsigned codePage) {
    if (mask == "*" || mask == "*.*") return true;
    // "name.*" also matches "name"; "*." matches names without a dot.
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
        Match(name, 0, mask.substr(0, mask.size() - 2), 0, codePage))
        return true;
    if (mask.size() >= 2 && mask.back() == '.' && name != "." && name != "..")
        return name.find('.') == std::string_view::npos && Match(name, 0, mask.substr(0, mask.size() - 1), 0, codePage);
    return Match(name, 0, mask, 0, codePage);
}

// A mask without wildcards that names one file as it stands: no trailing
// dot or space (Windows drops those from a name, and "name." means the name
// without an extension), not the folder's own entries.
bool IsPlainName(const std::string& mask) {
    return !mask.empty() && mask.size() < MAX_PATH && mask.find_first_of("*?") == std::string::npos &&
           mask.back() != '.' && mask.back() != ' ' && mask != AttributeStore::kFileName;
}

std::string RealPath(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

bool IsAncestorOrSelf(const std::string& folder, const std::string& path) {
    if (folder == "/") return true;
    return path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '/');
}

// Real folders the listed folder's path passes through: a link that leads
// to one of them, or above, would make a walk of the tree go round forever.
std::vector<std::string> RealFoldersOnTheWay(const std::string& host) {
    std::vector<std::string> folders;
    for (size_t slash = host.find('/', 1);; slash = host.find('/', slash + 1)) {
        std::string real = RealPath(slash == std::string::npos ? host : host.substr(0, slash));
        if (!real.empty()) folders.push_back(real);
        if (slash == std::string::npos) break;
    }
    return folders;
}

bool LeadsBack(const std::string& entryPath, const std::vector<std::string>& onTheWay) {
    std::string target = RealPath(entryPath);
    if (target.empty()) return true;
    for (const auto& folder : onTheWay)
        if (IsAncestorOrSelf(target, folder)) return true;
    return false;
}

WIN32_FIND_DATAA Describe(const std::string& name, DWORD attributes, const struct stat& st) {
    WIN32_FIND_DATAA data;
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = attributes;
    data.ftCreationTime = FileTimeFromHost(st.st_mtim);
    data.ftLastAccessTime = FileTimeFromHost(st.st_atim);
    data.ftLastWriteTime = FileTimeFromHost(st.st_mtim);
    if (!S_ISDIR(st.st_mode)) {
        auto size = static_cast<uint64_t>(st.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
    }
    std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
    return data;
}

// Sort key: the name without regard to case, then as it stands.
bool ListingOrder(const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
    auto dots = [](const char* n) { return std::strcmp(n, ".") == 0 ? 0 : std::strcmp(n, "..") == 0 ? 1 : 2; };
    if (dots(a.cFileName) != dots(b.cFileName)) return dots(a.cFileName) < dots(b.cFileName);
    int folded = ::strcasecmp(a.cFileName, b.cFileName);
    return folded != 0 ? folded < 0 : std::strcmp(a.cFileName, b.cFileName) < 0;
}

bool IsRoot(const std::string& windowsFolder) {
    // "C:\" or "\\SERVER\SHARE\"
    if (windowsFolder.size() == 3 && windowsFolder[1] == ':') return true;
    if (windowsFolder.rfind("\\\\", 0) != 0) return false;
    size_t slashes = std::count(windowsFolder.begin() + 2, windowsFolder.end(), '\\');
    return slashes == 1 || (slashes == 2 && windowsFolder.back() == '\\');
}

// True when the folder entry at `host` is a link that leads back to the
// listed folder or above it.
bool LinkLeadsBack(const std::string& host, const std::string& folderHost, std::vector<std::string>* onTheWay) {
    struct stat linkSt;
    if (::lstat(host.c_str(), &linkSt) != 0 || !S_ISLNK(linkSt.st_mode)) return false;
    if (onTheWay->empty()) *onTheWay = RealFoldersOnTheWay(folderHost);
    return LeadsBack(host, *onTheWay);
}

// The name with the case of every single-byte letter turned over.
std::string OtherCase(std::string name, unsigned codePage) {
    for (size_t i = 0, n = 0; i < name.size(); i += n) {
        n = CharLengthAt(name, i, codePage);
        auto c = static_cast<unsigned char>(name[i]);
        if (n == 1 && c < 0x80 && std::isalpha(c)) name[i] = static_cast<char>(c ^ 0x20);
    }
    return name;
}

// A plain name looked up as it stands: one stat instead of a listing of the
// folder, so that asking after each file of a large folder stays linear.
// When the host holds the name exactly, that file is the answer alone, even
// if the host also holds the name in another case: it is the file that
// opening the same name opens. False when there is no such file (the
// listing then looks for the name in another case).
bool FindExactly(const std::string& folderHost, const std::string& name, std::vector<WIN32_FIND_DATAA>* entries) {
    std::string base = folderHost == "/" ? "" : folderHost;
    std::string host = base + "/" + name;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return false;
    // A host file system that folds case itself opens the name in every case
    // but keeps the case it was made with: only the listing tells that one.
    std::string other = OtherCase(name, CodePage());
    struct stat self, otherSt;
    if (other != name && ::lstat(host.c_str(), &self) == 0 && ::lstat((base + "/" + other).c_str(), &otherSt) == 0 &&
        self.st_dev == otherSt.st_dev && self.st_ino == otherSt.st_ino)
        return false;
    std::vector<std::string> onTheWay;
    if (S_ISDIR(st.st_mode) && LinkLeadsBack(host, folderHost, &onTheWay)) return false;
    entries->push_back(Describe(name, AttributeStore::Attributes(host, st), st));
    return true;
}

// Lists the entries of `pattern`; false with the last error set.
bool List(LPCSTR pattern, std::vector<WIN32_FIND_DATAA>* entries) {
    std::string folder, mask;
    SplitLastComponent(pattern, &folder, &mask);
    if (folder.empty()) folder = ".";
    ResolvedPath path;
    if (!ResolvePath(folder.c_str(), &path)) return false;
    struct stat st;
    if (::stat(path.host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (FaultTable::Has(path.host, FileFault::Unreadable)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (IsPlainName(mask) && FindExactly(path.host, mask, entries)) return true;
    DIR* dir = ::opendir(path.host.c_str());
    if (!dir) {
        SetLastPathError(errno, path.host);
        return false;
    }
    unsigned codePage = CodePage();
    std::string base = path.host == "/" ? "" : path.host;
    bool root = IsRoot(path.windows);
    std::vector<std::string> onTheWay;
    // The folder's attribute store is read once for all its entries.
    std::map<std::string, DWORD> stored = AttributeStore::ReadFolder(path.host);
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        bool dots = name == "." || name == "..";
        if ((dots && root) || name == AttributeStore::kFileName || name.size() >= MAX_PATH) continue;
        if (!MatchesWildcard(name, mask, codePage)) continue;
        std::string host = dots ? path.host : base + "/" + entry->d_name;
        struct stat entrySt;
        if (::stat(host.c_str(), &entrySt) != 0) continue;  // a dangling link names nothing
        if (!dots && S_ISDIR(entrySt.st_mode) && entry->d_type != DT_DIR && LinkLeadsBack(host, path.host, &onTheWay))
            continue;
        DWORD attributes = dots ? AttributeStore::Attributes(host, entrySt)
                                : AttributeStore::Attributes(stored, entry->d_name, entrySt);
        entries->push_back(Describe(entry->d_name, attributes, entrySt));
    }
    ::closedir(dir);
    std::sort(entries->begin(), entries->end(), ListingOrder);
    if (entries->empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    return true;
}

}  // namespace

}  // namespace vpr::win

using vpr::win::FindObject;
using vpr::win::HandleTable;

extern "C" HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto find = std::make_shared<FindObject>();
    if (!vpr::win::List(lpFileName, &find->entries)) return INVALID_HANDLE_VALUE;
    *lpFindFileData = find->entries[0];
    find->next = 1;
    SetLastError(ERROR_SUCCESS);
    return vpr::win::HandleFromValue(HandleTable::Instance().Add(find));
}

extern "C" BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    auto find = HandleTable::Instance().GetAs<FindObject>(vpr::win::ValueFromHandle(hFindFile));
    if (!find || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(find->mutex);
    if (find->next >= find->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *lpFindFileData = find->entries[find->next++];
    return TRUE;
}

extern "C" BOOL WINAPI FindClose(HANDLE hFindFile) {
    auto& table = HandleTable::Instance();
    uint32_t value = vpr::win::ValueFromHandle(hFindFile);
    if (!table.GetAs<FindObject>(value) || !table.Remove(value)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
