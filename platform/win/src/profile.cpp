// The private profile calls: each reads or rewrites one ini file under a file
// lock. A change is written in place (so the file keeps its identity, mode and
// attributes) from the first byte that differs; room for a longer text is
// reserved before any byte is written, so a full disk leaves the file as it
// was.
#include "vpr/win/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "vpr/win/ini_text.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/path.h"

namespace {

using vpr::win::IniText;

constexpr const char* kWinIni = "win.ini";

// Closes the descriptor (and so drops its lock) on every path out.
class LockedFile {
public:
    LockedFile() = default;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    // Opens and locks the file; returns errno, 0 when it worked.
    int Open(const std::string& path, int flags, int lockMode) {
        fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
        if (fd_ < 0) return errno;
        while (::flock(fd_, lockMode) != 0) {
            if (errno != EINTR) return errno;
        }
        return 0;
    }
    int ReadAll(std::string* text) const {
        text->clear();
        char buffer[8192];
        off_t offset = 0;
        for (;;) {
            ssize_t n = ::pread(fd_, buffer, sizeof buffer, offset);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
            if (n == 0) return 0;
            text->append(buffer, static_cast<size_t>(n));
            offset += n;
        }
    }
    // Turns the file's content from `before` into `after`.
    int Rewrite(const std::string& before, const std::string& after) const {
        size_t same = 0;
        while (same < before.size() && same < after.size() && before[same] == after[same]) ++same;
        if (after.size() > before.size()) {
            int err = ::posix_fallocate(fd_, 0, static_cast<off_t>(after.size()));
            if (err != 0) {
                (void)!::ftruncate(fd_, static_cast<off_t>(before.size()));
                return err;
            }
        }
        for (size_t at = same; at < after.size();) {
            ssize_t n = ::pwrite(fd_, after.data() + at, after.size() - at, static_cast<off_t>(at));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
            at += static_cast<size_t>(n);
        }
        if (::ftruncate(fd_, static_cast<off_t>(after.size())) != 0) return errno;
        return 0;
    }

private:
    int fd_ = -1;
};

// A name without a folder lies in the machine's Windows folder.
bool ProfileHostPath(LPCSTR fileName, std::string* host) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::string name = fileName;
    auto machine = vpr::machine::CurrentMachine();
    if (machine && name.find_first_of("\\/:") == std::string::npos) {
        name = machine->windowsDirectory + "\\" + name;
    }
    return vpr::win::ResolveHostPath(name.c_str(), host);
}

// Reads the file's text; a missing file reads as empty. Sets the last error
// and returns false when the file exists but cannot be read.
bool ReadProfile(LPCSTR fileName, std::string* text) {
    text->clear();
    std::string host;
    if (!ProfileHostPath(fileName, &host)) return false;
    LockedFile file;
    int err = file.Open(host, O_RDONLY, LOCK_SH);
    if (err == 0) err = file.ReadAll(text);
    if (err != 0) vpr::win::SetLastPathError(err, host);
    if (err == ENOENT || err == ENOTDIR) return true;  // a missing file reads as empty
    if (err != 0) return false;
    SetLastError(ERROR_SUCCESS);
    return true;
}

// Applies `edit` to the file under an exclusive lock. A missing file is
// created only when `create` is set; otherwise there is nothing to change.
template <class Edit>
BOOL UpdateProfile(LPCSTR fileName, bool create, Edit edit) {
    std::string host;
    if (!ProfileHostPath(fileName, &host)) return FALSE;
    LockedFile file;
    int err = file.Open(host, O_RDWR | (create ? O_CREAT : 0), LOCK_EX);
    if (err == ENOENT && !create) {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    std::string before;
    if (err == 0) err = file.ReadAll(&before);
    if (err == 0) {
        IniText ini(before);
        edit(ini);
        if (ini.Text() != before) err = file.Rewrite(before, ini.Text());
    }
    if (err != 0) {
        vpr::win::SetLastPathError(err, host);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// Copies a NUL-separated list ending in a second NUL; a list that does not
// fit is cut and still ends in two NULs, and the count is then nSize - 2.
DWORD CopyList(const std::vector<std::string>& names, LPSTR out, DWORD nSize) {
    std::string list;
    for (const auto& name : names) {
        list += name;
        list += '\0';
    }
    list += '\0';
    if (list.size() <= nSize) {
        std::memcpy(out, list.data(), list.size());
        return static_cast<DWORD>(list.size() - 1);
    }
    if (nSize < 2) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, list.data(), nSize - 2);
    out[nSize - 2] = '\0';
    out[nSize - 1] = '\0';
    return nSize - 2;
}

// Copies a NUL-separated list ending in a second NUL, as the section calls
// do: a list that does not fit keeps the whole entries that do, the rest of
// the buffer NULs, and the count is then nSize - 2. No buffer takes nothing.
DWORD CopyWholeEntries(const std::vector<std::string>& entries, LPSTR out, DWORD nSize) {
    if (out == nullptr || nSize == 0) return 0;
    if (nSize == 1) {
        out[0] = '\0';
        return 0;
    }
    size_t at = 0;
    for (const std::string& entry : entries) {
        if (at + entry.size() + 1 > nSize - 1) {
            std::memset(out + at, 0, nSize - at);
            return nSize - 2;
        }
        std::memcpy(out + at, entry.data(), entry.size());
        at += entry.size();
        out[at++] = '\0';
    }
    out[at] = '\0';
    if (at == 0) out[1] = '\0';
    return static_cast<DWORD>(at);
}

// Copies a string; one that does not fit is cut to nSize - 1 characters.
DWORD CopyString(const std::string& value, LPSTR out, DWORD nSize) {
    size_t n = value.size() < nSize ? value.size() : nSize - 1;
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// The integer reading of a profile value (see profile.h).
UINT ParseProfileInt(const std::string& value) {
    size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    uint32_t result = 0;
    if (i + 1 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X')) {
        for (i += 2; i < value.size(); ++i) {
            char c = value[i];
            int digit = c >= '0' && c <= '9' ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) break;
            result = result * 16 + static_cast<uint32_t>(digit);
        }
    } else {
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
            result = result * 10 + static_cast<uint32_t>(value[i] - '0');
        }
    }
    return negative ? 0u - result : result;
}

}  // namespace

extern "C" DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                                 LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text;
    bool readable = ReadProfile(lpFileName, &text);
    DWORD error = GetLastError();
    IniText ini(readable ? std::move(text) : std::string());
    DWORD count;
    if (lpAppName == nullptr) {
        count = CopyList(ini.SectionNames(), lpReturnedString, nSize);
    } else if (lpKeyName == nullptr) {
        count = CopyList(ini.KeyNames(lpAppName), lpReturnedString, nSize);
    } else if (auto value = ini.Value(lpAppName, lpKeyName)) {
        count = CopyString(*value, lpReturnedString, nSize);
    } else {
        // The default loses its trailing blanks.
        std::string fallback = lpDefault ? lpDefault : "";
        while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
        count = CopyString(fallback, lpReturnedString, nSize);
    }
    SetLastError(error);
    return count;
}

extern "C" BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                                  LPCSTR lpFileName) {
    if (lpAppName == nullptr) {
        // A file with nothing in it has nothing to flush or name.
        std::string text;
        if (!ReadProfile(lpFileName, &text)) return FALSE;
        if (text.empty()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        // All three missing asks to flush a cache; files are written at once.
        if (lpKeyName == nullptr && lpString == nullptr) return TRUE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (lpKeyName == nullptr) {
        return UpdateProfile(lpFileName, false, [&](IniText& ini) { ini.DeleteSection(lpAppName); });
    }
    if (lpString == nullptr) {
        return UpdateProfile(lpFileName, false, [&](IniText& ini) { ini.DeleteKey(lpAppName, lpKeyName); });
    }
    return UpdateProfile(lpFileName, true,
                         [&](IniText& ini) { ini.SetValue(lpAppName, lpKeyName, lpString); });
}

extern "C" UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                             LPCSTR lpFileName) {
    std::string text;
    if (lpAppName == nullptr || lpKeyName == nullptr || !ReadProfile(lpFileName, &text)) {
        return static_cast<UINT>(nDefault);
    }
    auto value = IniText(std::move(text)).Value(lpAppName, lpKeyName);
    return value ? ParseProfileInt(*value) : static_cast<UINT>(nDefault);
}

extern "C" DWORD WINAPI GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                          LPSTR lpReturnedString, DWORD nSize) {
    return GetPrivateProfileStringA(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, kWinIni);
}

extern "C" BOOL WINAPI WriteProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString) {
    return WritePrivateProfileStringA(lpAppName, lpKeyName, lpString, kWinIni);
}

extern "C" UINT WINAPI GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault) {
    return GetPrivateProfileIntA(lpAppName, lpKeyName, nDefault, kWinIni);
}

extern "C" DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                                  LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text;
    bool readable = lpAppName != nullptr && ReadProfile(lpFileName, &text);
    DWORD error = lpAppName == nullptr ? ERROR_INVALID_PARAMETER : GetLastError();
    std::vector<std::string> lines;
    if (readable) lines = IniText(std::move(text)).SectionLines(lpAppName);
    DWORD count = CopyWholeEntries(lines, lpReturnedString, nSize);
    SetLastError(error);
    return count;
}

extern "C" DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName) {
    if (lpszReturnBuffer == nullptr || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text;
    bool readable = ReadProfile(lpFileName, &text);
    DWORD error = GetLastError();
    std::vector<std::string> names;
    if (readable) names = IniText(std::move(text)).SectionNames();
    DWORD count = CopyWholeEntries(names, lpszReturnBuffer, nSize);
    SetLastError(error);
    return count;
}

extern "C" BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
    if (lpAppName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (lpString == nullptr) {
        return UpdateProfile(lpFileName, false, [&](IniText& ini) { ini.DeleteSection(lpAppName); });
    }
    // "key=value" strings, each ending in a NUL, the list in a second one.
    std::vector<std::string> lines;
    for (const char* at = lpString; *at != '\0'; at += std::strlen(at) + 1) lines.emplace_back(at);
    return UpdateProfile(lpFileName, true, [&](IniText& ini) { ini.ReplaceSection(lpAppName, lines); });
}
