// A test module with an entry point. It tells the test about each call
// through named events that the test holds open, and refuses to load while
// the test has set ENTRY32.refuse.
#include "windows.h"

namespace {

void Signal(const char* name) {
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (!event) return;
    SetEvent(event);
    CloseHandle(event);
}

bool IsSet(const char* name) {
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name);
    if (!event) return false;
    bool set = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    CloseHandle(event);
    return set;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) {
        Signal("ENTRY32.detach");
        return TRUE;
    }
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    // While it starts, the module can be found by name and may load others.
    HMODULE other = LoadLibraryA("PEERRS32.DLL");
    if (GetModuleHandleA("ENTRY32.DLL") == module && other) Signal("ENTRY32.attach");
    if (other) FreeLibrary(other);
    return IsSet("ENTRY32.refuse") ? FALSE : TRUE;
}
