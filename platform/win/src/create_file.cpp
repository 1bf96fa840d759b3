// CreateFileA, ReadFile, WriteFile, SetFilePointer, GetFileSize.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "attribute_store.h"
#include "fault_table.h"
#include "file_open.h"
#include "host_file.h"
#include "share_table.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"

namespace vpr::win {

namespace {

uint32_t Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

std::shared_ptr<FileObject> FileFromHandle(HANDLE handle) {
    auto file = HandleTable::Instance().GetFile(ValueFromHandle(handle));
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

}  // namespace

uint32_t OpenHostFile(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return Fail(ERROR_INVALID_PARAMETER);
    bool writes = access & GENERIC_WRITE;
    if (disposition == TRUNCATE_EXISTING && !writes) return Fail(ERROR_INVALID_PARAMETER);
    ResolvedPath path;
    if (!ResolvePath(name, &path)) return 0;
    const std::string& host = path.host;
    if (FaultTable::Has(host, FileFault::Busy)) return Fail(ERROR_SHARING_VIOLATION);
    if (FaultTable::Has(host, FileFault::Unreadable)) return Fail(ERROR_ACCESS_DENIED);

    struct stat st;
    bool exists = ::stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (exists && disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS);
    if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
        return Fail(PathError(ENOENT, host));
    bool replaces = exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    // A read-only file refuses writers even to a host user (root) whom the
    // mode would not stop.
    if (exists && !(st.st_mode & S_IWUSR) && (writes || replaces)) return Fail(ERROR_ACCESS_DENIED);

    int flags = (writes ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY) | O_CLOEXEC;
    if (!exists) flags |= O_CREAT | O_EXCL;
    mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd = ::open(host.c_str(), flags, mode);
    if (fd < 0) return Fail(PathError(errno, host));

    struct stat opened;
    ::fstat(fd, &opened);
    auto token = ShareTable::Instance().Open({opened.st_dev, opened.st_ino}, access, share);
    if (!token) {
        ::close(fd);
        if (!exists) ::unlink(host.c_str());
        return Fail(ERROR_SHARING_VIOLATION);
    }
    if (replaces && ::ftruncate(fd, 0) != 0) {
        DWORD error = ErrorFromErrno(errno);
        ::close(fd);
        return Fail(error);
    }
    if (!exists || disposition == CREATE_ALWAYS) {
        // A new or replaced file takes the attributes asked for, and the
        // archive bit.
        AttributeStore::Store(host, false, attributes | FILE_ATTRIBUTE_ARCHIVE);
        if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) ::fchmod(fd, opened.st_mode & ~0222);
    }
    uint32_t value = HandleTable::Instance().Add(
        std::make_shared<HostFile>(fd, std::move(token), FaultTable::SpaceFor(host)));
    SetLastError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                        : ERROR_SUCCESS);
    return value;
}

}  // namespace vpr::win

using vpr::win::FileFromHandle;

extern "C" HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                     LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                                     DWORD dwFlagsAndAttributes, HANDLE) {
    uint32_t value = vpr::win::OpenHostFile(lpFileName, dwDesiredAccess, dwShareMode, dwCreationDisposition,
                                            dwFlagsAndAttributes);
    return value == 0 ? INVALID_HANDLE_VALUE : vpr::win::HandleFromValue(value);
}

extern "C" BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                LPDWORD lpNumberOfBytesRead, LPOVERLAPPED) {
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    auto file = FileFromHandle(hFile);
    if (!file) return FALSE;
    uint32_t done = 0;
    DWORD error = file->Read(lpBuffer, nNumberOfBytesToRead, &done);
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
    if (error != ERROR_SUCCESS) {
        // A handle opened for writing only refuses reads as Windows does.
        SetLastError(error == ERROR_INVALID_HANDLE ? ERROR_ACCESS_DENIED : error);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                 LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED) {
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    auto file = FileFromHandle(hFile);
    if (!file) return FALSE;
    if (nNumberOfBytesToWrite == 0) return TRUE;  // unlike _lwrite, nothing is cut
    uint32_t done = 0;
    DWORD error = file->Write(lpBuffer, nNumberOfBytesToWrite, &done);
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

extern "C" DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                       DWORD dwMoveMethod) {
    auto file = FileFromHandle(hFile);
    if (!file) return INVALID_SET_FILE_POINTER;
    int64_t distance = lpDistanceToMoveHigh
                           ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh))
                                                   << 32) |
                                                  static_cast<uint32_t>(lDistanceToMove))
                           : lDistanceToMove;
    uint64_t position = 0;
    DWORD error = file->Seek(distance, static_cast<int>(dwMoveMethod), &position);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(position >> 32);
    // The low half may itself be 0xFFFFFFFF: callers tell by the last error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

extern "C" DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    auto file = FileFromHandle(hFile);
    if (!file) return INVALID_FILE_SIZE;
    uint64_t size = 0;
    DWORD error = file->Size(&size);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_FILE_SIZE;
    }
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}
