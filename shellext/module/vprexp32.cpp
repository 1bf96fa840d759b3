// VprExp32.dll: the shell name-space extension as the shell loads it. Its
// DllMain (from the class library) runs the module object's InitInstance,
// whose FALSE refuses the load, and its ExitInstance when the shell unloads
// it; the shell reaches the extension through the two COM exports.
#include "afxwin.h"
#include "module/shell_ext_app.h"

namespace {

CShellExtApp theApp;

}  // namespace

extern "C" {

HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return theApp.GetClassObject(clsid, iid, object);
}

HRESULT DllCanUnloadNow() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return theApp.CanUnloadNow();
}

}  // extern "C"
