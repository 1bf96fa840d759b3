// VPRADM32.DLL: the administration module as the host loads it. The host
// calls InitSnapin once after loading and ShutDown once before unloading;
// everything else reaches the module through the class callbacks and the
// Tools items' exports that InitSnapin registered.
#include "afxwin.h"
#include "page_slots.h"
#include "vpr/mfc/class_factory.h"
#include "snapin/core/snapin_interface.h"
#include "snapin/core/snapin_module.h"
#include "snapin/pages/calendar_ctrl.h"

namespace {

// The module's application object: loading the module registers the
// calendar class that the date dialogs place in their templates.
class CAdminModule : public CSnapinModule {
public:
    BOOL InitInstance() override {
        RegisterCalendarClass(AfxGetInstanceHandle());
        return CSnapinModule::InitInstance();
    }
};

CAdminModule theModule;
CSnapinInterface theInterface("Veltrix Pellior Snap-in Module 2.01", kModulePageTables);

}  // namespace

extern "C" {

LONG InitSnapin() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CSnapinInterface* snapin = CSnapinInterface::Current();
    if (!snapin) return -1;
    snapin->EnsureResourceHandle();
    return snapin->Init();
}

LONG ShutDown() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CSnapinInterface* snapin = CSnapinInterface::Current();
    if (!snapin) return 0;
    snapin->Term();
    return 0;
}

// The module serves no class object of its own: the class library's
// handlers answer.
HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxDllGetClassObject(clsid, iid, object);
}

HRESULT DllCanUnloadNow() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxDllCanUnloadNow();
}

HRESULT DllRegisterServer() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    AfxDllRegisterServer();
    return 0;
}

}  // extern "C"
