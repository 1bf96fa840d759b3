// CloseHandle: the one way to close a kernel object of any kind.
#include "vpr/win/error.h"
#include "vpr/win/thread.h"
#include "vpr/win/waitable.h"

using vpr::win::HandleTable;

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
    // The current process's pseudo handle (GetCurrentProcess) closes as a no-op.
    if (hObject == INVALID_HANDLE_VALUE) return TRUE;
    auto object = HandleTable::Instance().Remove(vpr::win::ValueFromHandle(hObject));
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // A file flushes and closes now and may fail; every other object goes
    // away with its last reference (a wait still running keeps it alive).
    if (auto file = std::dynamic_pointer_cast<vpr::win::FileObject>(object)) {
        DWORD error = file->Close();
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return FALSE;
        }
    }
    return TRUE;
}
