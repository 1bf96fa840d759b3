// The class library's handlers of a module's class-object exports
// (DllGetClassObject, DllCanUnloadNow, DllRegisterServer) and its list of
// object factories. The modules built on the class library define no
// factory, so the list is empty: no class is available through it, the
// module may be unloaded whenever COM asks, and registering writes nothing.
#pragma once

#include "windows.h"

HRESULT AfxDllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object);
HRESULT AfxDllCanUnloadNow();
HRESULT AfxDllRegisterServer();

class COleObjectFactory {
public:
    // Registers every factory of the (empty) list as a running class object.
    static BOOL RegisterAll();
    // Writes (or removes) every factory's registry entries: none.
    static BOOL UpdateRegistryAll(BOOL registerThem = TRUE);
};
