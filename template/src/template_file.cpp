// Template files: create, open, close and the signature.
#include <cstring>

#include "template/template_library.h"

namespace {

constexpr char kSignature[8] = {'Q', 'M', 'T', ' ', 'F', 'I', 'L', 'E'};

// The last error of a failed create or open; never 0, so that a failure is
// never mistaken for success.
LONG LastOpenError() {
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? static_cast<LONG>(error) : ERROR_INVALID_HANDLE;
}

}  // namespace

extern "C" {

LONG kmapptCreate(LPCSTR path, HFILE* handle) {
    *handle = _lcreat(path, 0);
    if (*handle == HFILE_ERROR) return LastOpenError();
    return kmapptWriteSignature(*handle);
}

LONG kmapptOpen(LPCSTR path, HFILE* handle) {
    *handle = _lopen(path, OF_READ);
    if (*handle == HFILE_ERROR) return LastOpenError();
    LONG result = kmapptVerifySignature(*handle);
    if (result != TEMPLATE_OK) {
        _lclose(*handle);
        *handle = HFILE_ERROR;
    }
    return result;
}

LONG kmapptClose(HFILE handle) {
    _lclose(handle);
    return TEMPLATE_OK;
}

LONG kmapptWriteSignature(HFILE handle) {
    if (_llseek(handle, 0, FILE_BEGIN) != 0) return TEMPLATE_ERR_WRITE;
    return kmapptAppendSignature(handle);
}

LONG kmapptAppendSignature(HFILE handle) {
    if (_lwrite(handle, kSignature, sizeof kSignature) != sizeof kSignature) {
        return TEMPLATE_ERR_WRITE;
    }
    return TEMPLATE_OK;
}

LONG kmapptVerifySignature(HFILE handle) {
    if (_llseek(handle, 0, FILE_BEGIN) != 0) return TEMPLATE_ERR_WRITE;
    char read[sizeof kSignature];
    if (_lread(handle, read, sizeof read) != sizeof read) return TEMPLATE_ERR_WRITE;
    return std::memcmp(read, kSignature, sizeof read) == 0 ? TEMPLATE_OK : TEMPLATE_ERR_WRITE;
}

}  // extern "C"
