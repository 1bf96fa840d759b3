// The private profile calls: each reads or rewrites one ini file under a file
// lock. A change is written in place (so the file keeps its identity, mode and
// attributes) from the first byte that differs, before the call returns; room
// for a longer text is reserved before any byte is written, so a full disk
// leaves the file as it was. The process keeps one parsed copy of each file
// it read or wrote (ParsedFiles), so a read costs a look-up, not a parse, and
// a look at the file's facts or, for a file read more than once, only at the
// queue of changes the kernel reports.
#include "vpr/win/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vpr/machine/ini_text.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/path.h"
#include "file_change_counter.h"

namespace {

using vpr::machine::IniText;
using ParsedText = std::shared_ptr<const IniText>;

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
    int Stat(struct stat* st) const { return ::fstat(fd_, st) == 0 ? 0 : errno; }
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

// The parsed copies of the ini files this process read or wrote, one per
// file, and the host paths of the names callers gave for them.
//
// A copy answers while the file is the same file (device and inode) with the
// same size and modification time as when the copy was made, and that time
// lay clearly before the copy was made: a change by another process in the
// same tick of the file system's clock as our read would otherwise keep
// both, so such a copy is read again until the tick has passed. This
// process's own writes leave their result as the copy.
//
// A file read more than once is also watched (FileChangeCounter): its copy
// then answers without a look at the file's facts while no change to the
// file, its folder or the folders above has been reported since the copy
// was known good. Whatever is reported, the facts above decide again.
//
// A name's host path is kept when the name means the same file whatever the
// current folder (a full Windows name, a bare name in the Windows folder, an
// absolute host path) and while the machine is the same; resolving looks at
// every folder on the way. A kept path is used while the file is there
// (ReadProfile forgets one that is gone).
class ParsedFiles {
public:
    static ParsedFiles& Instance() {
        static auto* files = new ParsedFiles;  // outlives every caller at exit
        return *files;
    }

    // The copy for a name as the caller gave it, when its host path is kept
    // for this machine and the copy is watched with nothing reported since.
    ParsedText Unchanged(std::string_view fileName, unsigned long generation) {
        std::lock_guard lock(mutex_);
        auto it = names_.find(fileName);
        if (it == names_.end() || it->second.generation != generation) return nullptr;
        Name& name = it->second;
        if (name.copy == nullptr) {
            auto file = files_.find(name.host);
            if (file == files_.end()) return nullptr;
            name.copy = &file->second;
        }
        const Copy& copy = *name.copy;
        if (!copy.watched || copy.codePage != name.codePage) return nullptr;
        if (vpr::win::FileChangeCounter::Instance().Count() != copy.moment) return nullptr;
        return copy.text;
    }

    bool Known(const std::string& host) {
        std::lock_guard lock(mutex_);
        return files_.contains(host);
    }

    // The copy when the file's facts `st` say it is still the file's. A
    // watched copy counts from `moment` on (see Unchanged).
    ParsedText Find(const std::string& host, const struct stat& st, unsigned codePage, bool watched = false,
                    uint64_t moment = 0) {
        std::lock_guard lock(mutex_);
        auto it = files_.find(host);
        if (it == files_.end()) return nullptr;
        Copy& copy = it->second;
        bool same = copy.settled && copy.codePage == codePage && copy.dev == st.st_dev && copy.ino == st.st_ino &&
                    copy.size == st.st_size && copy.mtime.tv_sec == st.st_mtim.tv_sec &&
                    copy.mtime.tv_nsec == st.st_mtim.tv_nsec;
        if (!same) return nullptr;
        copy.watched = watched;
        copy.moment = moment;
        return copy.text;
    }

    // Keeps `text` as the copy of the file whose facts are `st`, made now;
    // `watched` as for Find.
    void Keep(const std::string& host, const struct stat& st, unsigned codePage, ParsedText text,
              bool watched = false, uint64_t moment = 0) {
        struct timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        // A time without nanoseconds comes from a file system that counts
        // whole seconds (two, for some): wait out two of them.
        int64_t tickNs = st.st_mtim.tv_nsec == 0 ? 2'000'000'000 : 20'000'000;
        int64_t age = (now.tv_sec - st.st_mtim.tv_sec) * 1'000'000'000 + (now.tv_nsec - st.st_mtim.tv_nsec);
        std::lock_guard lock(mutex_);
        files_[host] = Copy{st.st_dev, st.st_ino, st.st_size, st.st_mtim, codePage, age > tickNs,
                            watched, moment, std::move(text)};
    }

    bool FindName(unsigned long generation, std::string_view name, std::string* host, unsigned* codePage) {
        std::lock_guard lock(mutex_);
        auto it = names_.find(name);
        if (it == names_.end() || it->second.generation != generation) return false;
        *host = it->second.host;
        *codePage = it->second.codePage;
        return true;
    }
    void KeepName(unsigned long generation, std::string_view name, const std::string& host, unsigned codePage) {
        std::lock_guard lock(mutex_);
        auto it = names_.find(name);
        if (it == names_.end()) it = names_.emplace(std::string(name), Name{}).first;
        it->second = Name{generation, codePage, host, nullptr};
    }
    void ForgetName(std::string_view name) {
        std::lock_guard lock(mutex_);
        if (auto it = names_.find(name); it != names_.end()) names_.erase(it);
    }

private:
    struct Copy {
        dev_t dev;
        ino_t ino;
        off_t size;
        struct timespec mtime;
        unsigned codePage;
        bool settled;      // the modification time lay a whole tick before the copy was made
        bool watched;      // changes to the file are counted from `moment` on
        uint64_t moment;
        ParsedText text;
    };
    struct Name {
        unsigned long generation = 0;  // of the machine the path was resolved on
        unsigned codePage = 65001;
        std::string host;
        Copy* copy = nullptr;  // the host's entry once there is one; entries are never removed
    };
    // Looks names up by a string_view without making a string.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::mutex mutex_;
    std::unordered_map<std::string, Copy> files_;                           // GUARDED_BY(mutex_): by host path; never shrinks
    std::unordered_map<std::string, Name, NameHash, std::equal_to<>> names_;  // GUARDED_BY(mutex_): by given name
};

// Whether a name means the same file whatever the current folder: a full
// Windows name, a bare name (in the Windows folder of the machine), or an
// absolute host path.
bool LastingName(const char* name, bool haveMachine) {
    size_t n = std::strlen(name);
    if (n > 2 && ((name[1] == ':' && name[2] == '\\') || (name[0] == '\\' && name[1] == '\\'))) return true;
    if (name[0] == '/') return name[1] != '/' && std::strchr(name, '\\') == nullptr;
    return haveMachine && std::strpbrk(name, "\\/:") == nullptr;
}

// A name without a folder lies in the machine's Windows folder. `codePage`
// gets the machine's, by which names in the file compare; `lasting` whether
// the name's host path is kept.
bool ProfileHostPath(LPCSTR fileName, std::string* host, unsigned* codePage, bool* lasting) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    auto machine = vpr::machine::CurrentMachine();
    unsigned long generation = vpr::machine::MachineGeneration();
    *lasting = LastingName(fileName, machine != nullptr);
    if (*lasting && ParsedFiles::Instance().FindName(generation, fileName, host, codePage)) return true;
    *codePage = machine ? machine->codePage : 65001;
    std::string name = fileName;
    if (machine && name.find_first_of("\\/:") == std::string::npos) name = machine->windowsDirectory + "\\" + name;
    if (!vpr::win::ResolveHostPath(name.c_str(), host)) return false;
    if (*lasting) ParsedFiles::Instance().KeepName(generation, fileName, *host, *codePage);
    return true;
}

// The file's parsed text; a missing file reads as empty. Sets the last error
// and returns null when the file exists but cannot be read.
ParsedText ReadProfile(LPCSTR fileName) {
    if (fileName != nullptr) {
        if (ParsedText text = ParsedFiles::Instance().Unchanged(fileName, vpr::machine::MachineGeneration())) {
            SetLastError(ERROR_SUCCESS);
            return text;
        }
    }
    std::string host;
    unsigned codePage = 65001;
    bool lasting = false;
    if (!ProfileHostPath(fileName, &host, &codePage, &lasting)) return nullptr;
    // A file read before is read again: watched, its copy answers the next
    // reads without a look at the file.
    uint64_t moment = 0;
    bool watched = lasting && ParsedFiles::Instance().Known(host) &&
                   vpr::win::FileChangeCounter::Instance().Watch(host, &moment);
    struct stat st {};
    if (::stat(host.c_str(), &st) == 0) {
        if (ParsedText text = ParsedFiles::Instance().Find(host, st, codePage, watched, moment)) {
            SetLastError(ERROR_SUCCESS);
            return text;
        }
    } else if (lasting) {
        // Gone, or never there: the name is resolved again, in case a file
        // of the name in another case is there now.
        ParsedFiles::Instance().ForgetName(fileName);
        if (!ProfileHostPath(fileName, &host, &codePage, &lasting)) return nullptr;
        watched = false;
    }
    LockedFile file;
    std::string text;
    int err = file.Open(host, O_RDONLY, LOCK_SH);
    if (err == 0) err = file.Stat(&st);
    if (err == 0) err = file.ReadAll(&text);
    if (err != 0) vpr::win::SetLastPathError(err, host);
    if (err == ENOENT || err == ENOTDIR) return std::make_shared<IniText>("", codePage);  // a missing file reads as empty
    if (err != 0) return nullptr;
    auto parsed = std::make_shared<const IniText>(std::move(text), codePage);
    ParsedFiles::Instance().Keep(host, st, codePage, parsed, watched, moment);
    SetLastError(ERROR_SUCCESS);
    return parsed;
}

// Applies `edit` to the file under an exclusive lock. A missing file is
// created only when `create` is set; otherwise there is nothing to change.
template <class Edit>
BOOL UpdateProfile(LPCSTR fileName, bool create, Edit edit) {
    std::string host;
    unsigned codePage = 65001;
    bool lasting = false;
    if (!ProfileHostPath(fileName, &host, &codePage, &lasting)) return FALSE;
    LockedFile file;
    int err = file.Open(host, O_RDWR | (create ? O_CREAT : 0), LOCK_EX);
    if (err == ENOENT && !create) {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    struct stat st {};
    std::string before;
    if (err == 0) err = file.Stat(&st);
    if (err == 0) {
        // Under the lock the file cannot change: a copy that is still the
        // file's saves the read and the parse.
        ParsedText copy = ParsedFiles::Instance().Find(host, st, codePage);
        std::shared_ptr<IniText> ini;
        if (copy) {
            ini = std::make_shared<IniText>(*copy);
        } else {
            err = file.ReadAll(&before);
            if (err == 0) ini = std::make_shared<IniText>(before, codePage);
        }
        if (err == 0) {
            if (copy) before = copy->Text();
            edit(*ini);
            if (ini->Text() != before) err = file.Rewrite(before, ini->Text());
            if (err == 0) err = file.Stat(&st);
            if (err == 0) ParsedFiles::Instance().Keep(host, st, codePage, std::move(ini));
        }
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
DWORD CopyString(std::string_view value, LPSTR out, DWORD nSize) {
    size_t n = value.size() < nSize ? value.size() : nSize - 1;
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// The integer reading of a profile value (see profile.h).
UINT ParseProfileInt(std::string_view value) {
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
    ParsedText text = ReadProfile(lpFileName);
    DWORD error = GetLastError();
    static const IniText kEmpty("");
    const IniText& ini = text ? *text : kEmpty;
    DWORD count;
    if (lpAppName == nullptr) {
        count = CopyList(ini.SectionNames(), lpReturnedString, nSize);
    } else if (lpKeyName == nullptr) {
        count = CopyList(ini.KeyNames(lpAppName), lpReturnedString, nSize);
    } else if (auto value = ini.ValueView(lpAppName, lpKeyName)) {
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
        ParsedText text = ReadProfile(lpFileName);
        if (!text) return FALSE;
        if (text->Text().empty()) {
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
    ParsedText text = lpAppName != nullptr && lpKeyName != nullptr ? ReadProfile(lpFileName) : nullptr;
    if (!text) return static_cast<UINT>(nDefault);
    auto value = text->ValueView(lpAppName, lpKeyName);
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
    ParsedText text = lpAppName != nullptr ? ReadProfile(lpFileName) : nullptr;
    DWORD error = lpAppName == nullptr ? ERROR_INVALID_PARAMETER : GetLastError();
    std::vector<std::string> lines;
    if (text) lines = text->SectionLines(lpAppName);
    DWORD count = CopyWholeEntries(lines, lpReturnedString, nSize);
    SetLastError(error);
    return count;
}

extern "C" DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName) {
    if (lpszReturnBuffer == nullptr || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ParsedText text = ReadProfile(lpFileName);
    DWORD error = GetLastError();
    std::vector<std::string> names;
    if (text) names = text->SectionNames();
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
