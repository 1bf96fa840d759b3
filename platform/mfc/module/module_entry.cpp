// The entry point of a module that uses the class library, compiled into the
// module itself (CMake target vprmfc_module): the module's application object
// starts when the module is loaded and ends when it is unloaded.
#include "afxwin.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    return vpr::mfc::RunModuleApp(module, reason);
}
