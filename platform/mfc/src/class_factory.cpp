#include "vpr/mfc/class_factory.h"

HRESULT AfxDllGetClassObject(REFCLSID, REFIID, LPVOID* object) {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT AfxDllCanUnloadNow() { return S_OK; }

HRESULT AfxDllRegisterServer() { return COleObjectFactory::UpdateRegistryAll(TRUE) ? S_OK : E_FAIL; }

BOOL COleObjectFactory::RegisterAll() { return TRUE; }

BOOL COleObjectFactory::UpdateRegistryAll(BOOL) { return TRUE; }
