// The _l* file calls over the handle table.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "host_file.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"

using vpr::win::FileObject;
using vpr::win::HandleTable;

namespace {

std::shared_ptr<FileObject> FileFromHandle(HFILE hFile) {
    auto file = HandleTable::Instance().GetAs<FileObject>(static_cast<uint32_t>(hFile));
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

HFILE OpenHost(LPCSTR path, int flags, mode_t mode) {
    std::string host;
    if (!vpr::win::ResolveHostPath(path, &host)) return HFILE_ERROR;
    int fd = ::open(host.c_str(), flags | O_CLOEXEC, mode);
    if (fd < 0) {
        vpr::win::SetLastErrorFromErrno(errno);
        return HFILE_ERROR;
    }
    SetLastError(ERROR_SUCCESS);
    return vpr::win::OpenFileObject(std::make_shared<vpr::win::HostFile>(fd));
}

}  // namespace

extern "C" HFILE WINAPI _lcreat(LPCSTR lpPathName, int iAttribute) {
    mode_t mode = (iAttribute & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    return OpenHost(lpPathName, O_RDWR | O_CREAT | O_TRUNC, mode);
}

extern "C" HFILE WINAPI _lopen(LPCSTR lpPathName, int iReadWrite) {
    int access = iReadWrite & 0x3;
    int flags = access == OF_WRITE ? O_WRONLY : access == OF_READWRITE ? O_RDWR : O_RDONLY;
    return OpenHost(lpPathName, flags, 0);
}

extern "C" UINT WINAPI _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes) {
    auto file = FileFromHandle(hFile);
    if (!file) return static_cast<UINT>(HFILE_ERROR);
    uint32_t done = 0;
    DWORD error = file->Read(lpBuffer, uBytes, &done);
    if (error != ERROR_SUCCESS && done == 0) {
        SetLastError(error);
        return static_cast<UINT>(HFILE_ERROR);
    }
    return done;
}

extern "C" UINT WINAPI _lwrite(HFILE hFile, LPCSTR lpBuffer, UINT uBytes) {
    auto file = FileFromHandle(hFile);
    if (!file) return static_cast<UINT>(HFILE_ERROR);
    // A write of zero bytes cuts the file at the current position.
    if (uBytes == 0) {
        DWORD error = file->Truncate();
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return static_cast<UINT>(HFILE_ERROR);
        }
        return 0;
    }
    uint32_t done = 0;
    DWORD error = file->Write(lpBuffer, uBytes, &done);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        if (done == 0) return static_cast<UINT>(HFILE_ERROR);
    }
    return done;
}

extern "C" LONG WINAPI _llseek(HFILE hFile, LONG lOffset, int iOrigin) {
    auto file = FileFromHandle(hFile);
    if (!file) return HFILE_ERROR;
    uint64_t position = 0;
    DWORD error = file->Seek(lOffset, iOrigin, &position);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return HFILE_ERROR;
    }
    return static_cast<LONG>(position);
}

extern "C" HFILE WINAPI _lclose(HFILE hFile) {
    if (!FileFromHandle(hFile)) return HFILE_ERROR;
    auto file = std::dynamic_pointer_cast<FileObject>(
        HandleTable::Instance().Remove(static_cast<uint32_t>(hFile)));
    if (!file) {  // closed by another thread meanwhile
        SetLastError(ERROR_INVALID_HANDLE);
        return HFILE_ERROR;
    }
    DWORD error = file->Close();
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return HFILE_ERROR;
    }
    return 0;
}
