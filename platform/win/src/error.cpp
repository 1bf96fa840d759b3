#include <cerrno>

#include "vpr/win/error.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

extern "C" DWORD WINAPI GetLastError(void) { return t_lastError; }
extern "C" void WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

namespace vpr::win {

DWORD ErrorFromErrno(int err) {
    switch (err) {
        case 0: return ERROR_SUCCESS;
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR: return ERROR_ACCESS_DENIED;
        case EROFS: return ERROR_WRITE_PROTECT;
        case EEXIST: return ERROR_ALREADY_EXISTS;
        case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
        case EMFILE:
        case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
        case EBADF: return ERROR_INVALID_HANDLE;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case EINVAL: return ERROR_INVALID_PARAMETER;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        case EBUSY:
        case ETXTBSY: return ERROR_SHARING_VIOLATION;
        case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
        case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
        case EIO: return ERROR_GEN_FAILURE;
        case ENOTSUP: return ERROR_NOT_SUPPORTED;
        default: return ERROR_GEN_FAILURE;
    }
}

DWORD SetLastErrorFromErrno(int err) {
    DWORD code = ErrorFromErrno(err);
    SetLastError(code);
    return code;
}

}  // namespace vpr::win
