// Apartments (a count per thread) and the activation of in-process servers.
// Each server module is loaded once for the process and kept until
// CoFreeUnusedLibraries finds that it may go.
#include <mutex>
#include <string>
#include <vector>

#include "objbase.h"
#include "ole2.h"
#include "vpr/com/guid.h"
#include "vpr/com/servers.h"

namespace vpr::com {

namespace {

thread_local int t_comInits = 0;
thread_local int t_oleInits = 0;

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowFunction = HRESULT (*)();

struct Server {
    LoadedServer info;
    GetClassObjectFunction getClassObject = nullptr;
    CanUnloadNowFunction canUnloadNow = nullptr;
};

std::mutex g_serversLock;
std::vector<Server> g_servers;               // GUARDED_BY(g_serversLock)
ServerFreedHandler g_freedHandler = nullptr;  // GUARDED_BY(g_serversLock)

HRESULT ServerPath(REFCLSID clsid, std::string* path) {
    std::string key = "CLSID\\" + GuidText(clsid) + "\\InProcServer32";
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return REGDB_E_CLASSNOTREG;
    }
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    LONG result = RegQueryValueExA(handle, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || !value[0]) return CO_E_DLLNOTFOUND;
    *path = value;
    return S_OK;
}

// The server of a module, loading it when it is not loaded yet.
HRESULT FindOrLoadServer(const std::string& path, REFCLSID clsid, GetClassObjectFunction* getClassObject) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        DWORD error = GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_MOD_NOT_FOUND;
        return missing ? CO_E_DLLNOTFOUND : CO_E_ERRORINDLL;
    }
    std::unique_lock lock(g_serversLock);
    for (Server& server : g_servers) {
        if (server.info.module != module) continue;
        lock.unlock();
        FreeLibrary(module);  // the server keeps the one load it took first
        lock.lock();
        bool known = false;
        for (const CLSID& c : server.info.classes) known = known || IsEqualCLSID(c, clsid);
        if (!known) server.info.classes.push_back(clsid);
        *getClassObject = server.getClassObject;
        return S_OK;
    }
    Server server;
    server.getClassObject = reinterpret_cast<GetClassObjectFunction>(GetProcAddress(module, "DllGetClassObject"));
    server.canUnloadNow = reinterpret_cast<CanUnloadNowFunction>(GetProcAddress(module, "DllCanUnloadNow"));
    if (!server.getClassObject) {
        lock.unlock();
        FreeLibrary(module);
        return CO_E_ERRORINDLL;
    }
    server.info.path = path;
    server.info.module = module;
    server.info.classes.push_back(clsid);
    *getClassObject = server.getClassObject;
    g_servers.push_back(std::move(server));
    return S_OK;
}

// Frees the servers `mayGo` picks; the calls into the modules run without
// the lock, since a module's DllCanUnloadNow or exit may use COM.
template <typename Pick>
void FreeServers(Pick mayGo) {
    std::vector<Server> candidates;
    {
        std::lock_guard lock(g_serversLock);
        candidates = g_servers;
    }
    for (const Server& server : candidates) {
        if (!mayGo(server)) continue;
        ServerFreedHandler handler = nullptr;
        {
            std::lock_guard lock(g_serversLock);
            auto it = g_servers.begin();
            while (it != g_servers.end() && it->info.module != server.info.module) ++it;
            if (it == g_servers.end()) continue;  // freed meanwhile by another thread
            g_servers.erase(it);
            handler = g_freedHandler;
        }
        FreeLibrary(server.info.module);
        if (handler) handler(server.info);
    }
}

}  // namespace

std::vector<LoadedServer> LoadedServers() {
    std::lock_guard lock(g_serversLock);
    std::vector<LoadedServer> out;
    for (const Server& server : g_servers) out.push_back(server.info);
    return out;
}

void SetServerFreedHandler(ServerFreedHandler handler) {
    std::lock_guard lock(g_serversLock);
    g_freedHandler = handler;
}

bool ThreadInitialized() { return t_comInits > 0; }

}  // namespace vpr::com

using namespace vpr::com;

STDAPI CoInitialize(LPVOID) { return ++t_comInits == 1 ? S_OK : S_FALSE; }

STDAPI CoInitializeEx(LPVOID reserved, DWORD flags) {
    if (!(flags & COINIT_APARTMENTTHREADED)) return RPC_E_CHANGED_MODE;  // one threading model only
    return CoInitialize(reserved);
}

STDAPI_(void) CoUninitialize() {
    if (t_comInits > 0) --t_comInits;
}

STDAPI OleInitialize(LPVOID reserved) {
    CoInitialize(reserved);
    return ++t_oleInits == 1 ? S_OK : S_FALSE;
}

STDAPI_(void) OleUninitialize() {
    if (t_oleInits == 0) return;
    --t_oleInits;
    CoUninitialize();
}

STDAPI CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID, REFIID iid, LPVOID* object) {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (!ThreadInitialized()) return CO_E_NOTINITIALIZED;
    if (!(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER))) return REGDB_E_CLASSNOTREG;
    std::string path;
    HRESULT hr = ServerPath(clsid, &path);
    if (FAILED(hr)) return hr;
    GetClassObjectFunction getClassObject = nullptr;
    hr = FindOrLoadServer(path, clsid, &getClassObject);
    if (FAILED(hr)) return hr;
    return getClassObject(clsid, iid, object);
}

STDAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<LPVOID*>(&factory));
    if (FAILED(hr)) return hr;
    if (!factory) return E_NOINTERFACE;
    hr = factory->CreateInstance(outer, iid, object);
    factory->Release();
    return hr;
}

STDAPI_(void) CoFreeUnusedLibraries() {
    FreeServers([](const Server& server) { return server.canUnloadNow && server.canUnloadNow() == S_OK; });
}

STDAPI_(void) CoFreeAllLibraries() {
    FreeServers([](const Server&) { return true; });
}
