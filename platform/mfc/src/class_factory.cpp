#include "vpr/mfc/class_factory.h"

HRESULT AfxDllGetClassObject(REFCLSID, REFIID, LPVOID* object) {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT AfxDllCanUnloadNow() { return S_OK; }

HRESULT AfxDllRegisterServer() { return S_OK; }
