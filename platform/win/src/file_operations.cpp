// Attributes, folders, deleting, moving and copying files by name.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "attribute_store.h"
#include "fault_table.h"
#include "file_open.h"
#include "pending_file_operations.h"
#include "share_table.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/handle_table.h"
#include "vpr/win/path.h"

using vpr::win::AttributeStore;
using vpr::win::FaultTable;
using vpr::win::FileFault;

namespace {

// Resolves a name and looks at what it names; false with the last error set.
bool Look(LPCSTR name, std::string* host, struct stat* st) {
    if (!vpr::win::ResolveHostPath(name, host)) return false;
    if (::stat(host->c_str(), st) != 0) {
        vpr::win::SetLastPathError(errno, *host);
        return false;
    }
    return true;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL Succeed() {
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// A file some handle of this process holds without allowing deletion, or
// that a test made busy, cannot be deleted, moved or replaced.
bool IsBusy(const std::string& host, const struct stat& st) {
    return FaultTable::Has(host, FileFault::Busy) ||
           !vpr::win::ShareTable::Instance().MayDelete({st.st_dev, st.st_ino});
}

// Folder entries other than the attribute store.
bool IsEmptyFolder(const std::string& host) {
    DIR* dir = ::opendir(host.c_str());
    if (!dir) return false;
    bool empty = true;
    while (dirent* entry = ::readdir(dir)) {
        const char* n = entry->d_name;
        if (std::strcmp(n, ".") != 0 && std::strcmp(n, "..") != 0 && std::strcmp(n, AttributeStore::kFileName) != 0) {
            empty = false;
            break;
        }
    }
    ::closedir(dir);
    return empty;
}

// The host path a new name gets when it names the existing file itself in
// another case ("a.txt" renamed to "A.TXT"): the folder found, the case given.
std::string WithGivenCase(const std::string& host, LPCSTR given) {
    std::string folder, name;
    vpr::win::SplitLastComponent(given, &folder, &name);
    size_t slash = host.find_last_of('/');
    return host.substr(0, slash + 1) + name;
}

bool CopyContents(LPCSTR from, LPCSTR to, DWORD disposition, DWORD attributes) {
    uint32_t source = vpr::win::OpenHostFile(from, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    if (source == 0) return false;
    uint32_t target = vpr::win::OpenHostFile(to, GENERIC_WRITE, 0, disposition, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (target == 0) {
        DWORD error = GetLastError();
        _lclose(static_cast<HFILE>(source));
        SetLastError(error);
        return false;
    }
    auto& table = vpr::win::HandleTable::Instance();
    auto in = table.GetAs<vpr::win::FileObject>(source);
    auto out = table.GetAs<vpr::win::FileObject>(target);
    DWORD error = ERROR_SUCCESS;
    static constexpr uint32_t kChunk = 64 * 1024;
    std::vector<char> buffer(kChunk);
    for (;;) {
        uint32_t got = 0, put = 0;
        error = in->Read(buffer.data(), kChunk, &got);
        if (error != ERROR_SUCCESS || got == 0) break;
        error = out->Write(buffer.data(), got, &put);
        if (error != ERROR_SUCCESS) break;
    }
    _lclose(static_cast<HFILE>(source));
    _lclose(static_cast<HFILE>(target));
    if (error != ERROR_SUCCESS) {
        // Leave no half copy behind.
        DeleteFileA(to);
        SetLastError(error);
        return false;
    }
    return true;
}

}  // namespace

extern "C" DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
    std::string host;
    struct stat st;
    if (!Look(lpFileName, &host, &st)) return INVALID_FILE_ATTRIBUTES;
    SetLastError(ERROR_SUCCESS);
    return AttributeStore::Attributes(host, st);
}

extern "C" BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    std::string host;
    struct stat st;
    if (!Look(lpFileName, &host, &st)) return FALSE;
    bool isFolder = S_ISDIR(st.st_mode);
    if (!isFolder) {
        // Read-only of a file is the host mode: no write permission for anyone.
        mode_t mode = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (st.st_mode & ~0222) : (st.st_mode | 0200);
        if ((mode & 07777) != (st.st_mode & 07777) && ::chmod(host.c_str(), mode & 07777) != 0)
            return Fail(vpr::win::ErrorFromErrno(errno));
    }
    if (!AttributeStore::Store(host, isFolder, dwFileAttributes)) return Fail(ERROR_ACCESS_DENIED);
    return Succeed();
}

extern "C" BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    std::string host;
    if (!vpr::win::ResolveHostPath(lpPathName, &host)) return FALSE;
    if (::mkdir(host.c_str(), 0777) != 0) {
        if (errno == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
        return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : vpr::win::ErrorFromErrno(errno));
    }
    return Succeed();
}

extern "C" BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
    std::string host;
    struct stat st;
    if (!Look(lpPathName, &host, &st)) return FALSE;
    if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    if (FaultTable::Has(host, FileFault::Busy)) return Fail(ERROR_SHARING_VIOLATION);
    if (!IsEmptyFolder(host)) return Fail(ERROR_DIR_NOT_EMPTY);
    std::string store = host + "/" + AttributeStore::kFileName;
    ::unlink(store.c_str());
    if (::rmdir(host.c_str()) != 0) return Fail(vpr::win::ErrorFromErrno(errno));
    AttributeStore::Forget(host);
    return Succeed();
}

extern "C" BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    std::string host;
    struct stat st;
    if (!Look(lpFileName, &host, &st)) return FALSE;
    if (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
    if (IsBusy(host, st)) return Fail(ERROR_SHARING_VIOLATION);
    if (::unlink(host.c_str()) != 0) return Fail(vpr::win::PathError(errno, host));
    AttributeStore::Forget(host);
    return Succeed();
}

namespace vpr::win {

BOOL MoveFileNow(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, bool replace, bool copyAllowed) {
    std::string from, to;
    struct stat source, target;
    if (!Look(lpExistingFileName, &from, &source)) return FALSE;
    if (!ResolveHostPath(lpNewFileName, &to)) return FALSE;
    if (::lstat(to.c_str(), &target) == 0) {
        if (target.st_dev == source.st_dev && target.st_ino == source.st_ino) {
            to = WithGivenCase(to, lpNewFileName);  // the same file under another case
        } else if (!replace) {
            return Fail(ERROR_ALREADY_EXISTS);
        } else if (S_ISDIR(source.st_mode) || S_ISDIR(target.st_mode) || !(target.st_mode & S_IWUSR)) {
            return Fail(ERROR_ACCESS_DENIED);  // only a file replaces, and only a writable one
        } else if (IsBusy(to, target)) {
            return Fail(ERROR_SHARING_VIOLATION);
        }
    }
    if (IsBusy(from, source)) return Fail(ERROR_SHARING_VIOLATION);
    if (::rename(from.c_str(), to.c_str()) == 0) {
        AttributeStore::Move(from, to);
        return Succeed();
    }
    if (errno != EXDEV || S_ISDIR(source.st_mode) || !copyAllowed) {
        if (errno == EXDEV) return Fail(ERROR_NOT_SAME_DEVICE);
        return Fail(PathError(errno, to));
    }
    // Another host file system: a file moves as a copy and a delete.
    if (!CopyFileA(lpExistingFileName, lpNewFileName, !replace)) return FALSE;
    if (!DeleteFileA(lpExistingFileName)) return FALSE;
    return Succeed();
}

}  // namespace vpr::win

extern "C" BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    return vpr::win::MoveFileNow(lpExistingFileName, lpNewFileName, false, true);
}

extern "C" BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    // Windows 95 has the entry point but not the function; its programs list
    // renames for the next start in WININIT.INI themselves.
    auto machine = vpr::machine::CurrentMachine();
    if (machine && machine->platform == vpr::machine::Platform::Win95) return Fail(ERROR_CALL_NOT_IMPLEMENTED);
    bool replace = (dwFlags & MOVEFILE_REPLACE_EXISTING) != 0;
    if (dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        if (dwFlags & MOVEFILE_COPY_ALLOWED) return Fail(ERROR_INVALID_PARAMETER);
        return vpr::win::SchedulePendingMove(lpExistingFileName, lpNewFileName, replace);
    }
    if (lpNewFileName == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    return vpr::win::MoveFileNow(lpExistingFileName, lpNewFileName, replace, (dwFlags & MOVEFILE_COPY_ALLOWED) != 0);
}

extern "C" BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    std::string from, to;
    struct stat source, target;
    if (!Look(lpExistingFileName, &from, &source)) return FALSE;
    if (S_ISDIR(source.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (!vpr::win::ResolveHostPath(lpNewFileName, &to)) return FALSE;
    bool exists = ::stat(to.c_str(), &target) == 0;
    if (exists && bFailIfExists) return Fail(ERROR_FILE_EXISTS);
    if (exists && target.st_dev == source.st_dev && target.st_ino == source.st_ino)
        return Fail(ERROR_SHARING_VIOLATION);
    DWORD attributes = AttributeStore::Attributes(from, source);
    if (!CopyContents(lpExistingFileName, lpNewFileName, CREATE_ALWAYS, attributes)) return FALSE;
    // The copy keeps the source's time of last write and its attributes.
    struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::utimensat(AT_FDCWD, to.c_str(), times, 0);
    AttributeStore::Copy(from, to);
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        ::chmod(to.c_str(), source.st_mode & 07555);
    } else if (source.st_mode & 0111) {
        ::chmod(to.c_str(), (source.st_mode & 0777) | S_IWUSR);  // a copied program still runs
    }
    return Succeed();
}
