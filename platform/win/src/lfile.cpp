// The _l* file calls over the handle table.
#include <cstring>
#include <string>

#include "file_open.h"
#include "vpr/win/handle_table.h"
#include "search_path.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"

using vpr::win::FileObject;
using vpr::win::HandleTable;

namespace {

std::shared_ptr<FileObject> FileFromHandle(HFILE hFile) {
    auto file = HandleTable::Instance().GetFile(static_cast<uint32_t>(hFile));
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

// Sharing of the 16-bit open modes.
DWORD ShareFromOpenMode(int mode) {
    switch (mode & 0x70) {
        case OF_SHARE_EXCLUSIVE: return 0;
        case OF_SHARE_DENY_WRITE: return FILE_SHARE_READ;
        case OF_SHARE_DENY_READ: return FILE_SHARE_WRITE;
        default: return FILE_SHARE_READ | FILE_SHARE_WRITE;  // compatibility, deny none
    }
}

DWORD AccessFromOpenMode(int mode) {
    int access = mode & 0x3;
    return access == OF_WRITE       ? GENERIC_WRITE
           : access == OF_READWRITE ? GENERIC_READ | GENERIC_WRITE
                                    : GENERIC_READ;
}

HFILE Open(LPCSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
    uint32_t value = vpr::win::OpenHostFile(path, access, share, disposition, attributes);
    if (value == 0) return HFILE_ERROR;
    SetLastError(ERROR_SUCCESS);
    return static_cast<HFILE>(value);
}

}  // namespace

extern "C" HFILE WINAPI _lcreat(LPCSTR lpPathName, int iAttribute) {
    DWORD attributes = static_cast<DWORD>(iAttribute) &
                       (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    return Open(lpPathName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                attributes);
}

extern "C" HFILE WINAPI _lopen(LPCSTR lpPathName, int iReadWrite) {
    return Open(lpPathName, AccessFromOpenMode(iReadWrite), ShareFromOpenMode(iReadWrite), OPEN_EXISTING, 0);
}

extern "C" HFILE WINAPI OpenFile(LPCSTR lpFileName, LPOFSTRUCT lpReOpenBuff, UINT uStyle) {
    OFSTRUCT ignored;
    OFSTRUCT* record = lpReOpenBuff ? lpReOpenBuff : &ignored;
    std::memset(record, 0, sizeof *record);
    record->cBytes = sizeof *record;
    record->fFixedDisk = 1;
    auto fail = [&](DWORD error) {
        record->nErrCode = static_cast<WORD>(error);
        SetLastError(error);
        return HFILE_ERROR;
    };
    if (lpFileName == nullptr || *lpFileName == '\0') return fail(ERROR_FILE_NOT_FOUND);
    // A bare name of a file to be read is looked for as Windows does; a file
    // to be made is made where the name says.
    std::string full;
    bool searches = !(uStyle & (OF_CREATE | OF_PARSE | OF_DELETE));
    if (searches ? !vpr::win::SearchFile(lpFileName, nullptr, vpr::win::SearchOrder::OpenFile, &full)
                 : !vpr::win::FullWindowsPath(lpFileName, &full))
        return fail(searches ? ERROR_FILE_NOT_FOUND : GetLastError());
    std::strncpy(record->szPathName, full.c_str(), OFS_MAXPATHNAME - 1);
    if (uStyle & OF_PARSE) return 0;
    if (uStyle & OF_DELETE) return DeleteFileA(full.c_str()) ? 1 : fail(GetLastError());
    DWORD access = AccessFromOpenMode(static_cast<int>(uStyle));
    if ((uStyle & OF_CREATE) && (uStyle & 0x3) == OF_READ) access = GENERIC_READ | GENERIC_WRITE;
    HFILE file = Open(full.c_str(), access, ShareFromOpenMode(static_cast<int>(uStyle)),
                      (uStyle & OF_CREATE) ? CREATE_ALWAYS : OPEN_EXISTING, 0);
    if (file == HFILE_ERROR) return fail(GetLastError());
    if (uStyle & OF_EXIST) {
        // Only a test that the file opens: it is closed again at once.
        _lclose(file);
        return 1;
    }
    return file;
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
