// The class library's handlers of a module's class-object exports
// (DllGetClassObject, DllCanUnloadNow, DllRegisterServer). Modules built on
// the class library serve no class objects through it: it answers that no
// class is available, that the module may be unloaded, and registers nothing.
#pragma once

#include "windows.h"

HRESULT AfxDllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object);
HRESULT AfxDllCanUnloadNow();
HRESULT AfxDllRegisterServer();
