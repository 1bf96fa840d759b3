// Modules of a process: one record per module file, found by its canonical
// host path, so that the same file loaded under two names is one module with
// one load count. Handles are values looked up in the table, never pointers,
// so a stale or made-up handle gives an error instead of a crash.
#include "vpr/win/module.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "module_files.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"
#include "vpr/win/resource_format.h"

namespace vpr::win {
namespace {

struct Module {
    uintptr_t handle = 0;
    std::string hostPath;  // canonical
    void* dl = nullptr;    // dlopen handle; null for a data module
    link_map* map = nullptr;
    bool dataOnly = false;
    bool pinned = false;  // the program, or a library linked at start: never unloaded here
    int loadCount = 0;
    // Resources, read from the file on first use.
    bool resourcesRead = false;
    DWORD resourceError = ERROR_SUCCESS;
    std::vector<ResourceEntry> resources;
};

class ModuleTable {
public:
    static ModuleTable& Instance() {
        static ModuleTable* table = new ModuleTable;  // lives as long as any module code may run
        return *table;
    }
    std::mutex mutex;
    std::map<uintptr_t, std::unique_ptr<Module>> byHandle;
    uintptr_t nextHandle = 0x10000000;

    Module* Find(HMODULE handle) {
        auto it = byHandle.find(reinterpret_cast<uintptr_t>(handle));
        return it == byHandle.end() ? nullptr : it->second.get();
    }
    Module* FindPath(const std::string& hostPath) {
        for (auto& [h, m] : byHandle)
            if (m->hostPath == hostPath) return m.get();
        return nullptr;
    }
    Module* Add(std::unique_ptr<Module> module) {
        module->handle = nextHandle;
        nextHandle += 0x10000;
        Module* raw = module.get();
        byHandle[raw->handle] = std::move(module);
        return raw;
    }
};

HMODULE HandleOf(const Module* m) { return reinterpret_cast<HMODULE>(m->handle); }

std::string CanonicalPath(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

std::string ProgramHostPath() {
    static const std::string path = CanonicalPath("/proc/self/exe");
    return path;
}

// The program's record, made on first use. Caller holds the table's mutex.
Module* ProgramModule(ModuleTable& table) {
    if (Module* m = table.FindPath(ProgramHostPath())) return m;
    auto m = std::make_unique<Module>();
    m->hostPath = ProgramHostPath();
    m->dl = ::dlopen(nullptr, RTLD_NOW);
    if (m->dl) ::dlinfo(m->dl, RTLD_DI_LINKMAP, &m->map);
    m->pinned = true;
    return table.Add(std::move(m));
}

// A library the dynamic linker loaded (at start or through another module),
// found by its link map. Caller holds the table's mutex.
Module* LinkedModule(ModuleTable& table, link_map* map) {
    if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0')
        return ProgramModule(table);
    std::string path = CanonicalPath(map->l_name);
    if (path.empty()) return nullptr;
    if (path == ProgramHostPath()) return ProgramModule(table);
    if (Module* m = table.FindPath(path)) return m;
    auto m = std::make_unique<Module>();
    m->hostPath = path;
    m->dl = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    m->map = map;
    m->pinned = true;
    return table.Add(std::move(m));
}

std::string HostFolderOf(const std::string& path) {
    size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The host file of a Windows name when it is an existing file (names are
// matched without regard to case); empty otherwise.
std::string ExistingFile(const std::string& windowsName) {
    std::string host;
    return ResolveHostPath(windowsName.c_str(), &host) && IsRegularFile(host) ? host : std::string();
}

// The Windows search order for a bare module name: the program's folder, the
// current folder, the system folder, the Windows folder, then PATH.
std::string SearchModule(const std::string& name) {
    std::vector<std::string> folders = {WindowsPathFromHost(HostFolderOf(ProgramHostPath()))};
    char current[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof current, current);
    if (n > 0 && n < sizeof current) folders.push_back(current);
    if (auto machine = vpr::machine::CurrentMachine()) {
        folders.push_back(machine->SystemDirectory());
        folders.push_back(machine->windowsDirectory);
    }
    if (const char* path = std::getenv("PATH")) {
        std::string list = path;
        size_t start = 0;
        while (start < list.size()) {
            size_t end = std::min(list.find(';', start), list.size());
            if (end > start) folders.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    for (std::string folder : folders) {
        if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
        std::string found = ExistingFile(folder + name);
        if (!found.empty()) return found;
    }
    return {};
}

// The host file a LoadLibrary name stands for; empty (last error set) when
// there is none.
std::string LocateModule(const char* fileName) {
    std::string name = fileName;
    size_t slash = name.find_last_of("/\\");
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    // No extension means ".DLL"; a trailing dot means none at all.
    if (base.find('.') == std::string::npos)
        name += ".DLL";
    else if (name.back() == '.')
        name.pop_back();
    bool bareName = slash == std::string::npos && name.find(':') == std::string::npos;
    std::string found = bareName ? SearchModule(name) : ExistingFile(name);
    if (found.empty()) SetLastError(ERROR_MOD_NOT_FOUND);
    return found;
}

// Reads and decodes the module's container once. Caller holds the mutex.
void ReadResources(Module* m) {
    if (m->resourcesRead) return;
    m->resourcesRead = true;
    std::vector<uint8_t> bytes;
    if (!ReadModuleContainer(m->hostPath, &bytes, &m->resourceError)) return;
    if (!DecodeContainer(bytes.data(), bytes.size(), &m->resources))
        m->resourceError = ERROR_INVALID_DATA;
}

ResourceId IdFromName(LPCSTR name) {
    if (IS_INTRESOURCE(name)) return ResourceId::Number(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(name)));
    // "#123" names the number 123.
    if (name[0] == '#' && name[1] != '\0') {
        char* end = nullptr;
        unsigned long v = std::strtoul(name + 1, &end, 10);
        if (*end == '\0' && v <= 0xFFFF) return ResourceId::Number(static_cast<uint16_t>(v));
    }
    return ResourceId::Name(name);
}

Module* ModuleOrProgram(ModuleTable& table, HMODULE handle) {
    if (handle == nullptr) return ProgramModule(table);
    Module* m = table.Find(handle);
    if (!m) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return m;
}

// A resource entry by type and name, or null with the last error set.
const ResourceEntry* FindEntry(HMODULE handle, const ResourceId& type, const ResourceId& name) {
    ModuleTable& table = ModuleTable::Instance();
    std::lock_guard<std::mutex> lock(table.mutex);
    Module* m = ModuleOrProgram(table, handle);
    if (!m) return nullptr;
    ReadResources(m);
    if (m->resourceError != ERROR_SUCCESS) {
        SetLastError(m->resourceError);
        return nullptr;
    }
    bool typeSeen = false;
    for (const ResourceEntry& e : m->resources) {
        if (!e.type.Matches(type)) continue;
        typeSeen = true;
        if (e.name.Matches(name)) return &e;
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

const uint8_t kEmptyResource[1] = {0};

bool ModuleResource(HMODULE module, const ResourceId& type, const ResourceId& name,
                    const uint8_t** data, size_t* size) {
    const ResourceEntry* e = FindEntry(module, type, name);
    if (!e) return false;
    *data = e->data.empty() ? kEmptyResource : e->data.data();
    *size = e->data.size();
    return true;
}

bool ModuleHostPath(HMODULE module, std::string* hostPath) {
    ModuleTable& table = ModuleTable::Instance();
    std::lock_guard<std::mutex> lock(table.mutex);
    Module* m = module == nullptr ? ProgramModule(table) : table.Find(module);
    if (!m) return false;
    *hostPath = m->hostPath;
    return true;
}

}  // namespace

bool IsModuleFileLoaded(const std::string& hostPath) {
    std::string path = CanonicalPath(hostPath);
    ModuleTable& table = ModuleTable::Instance();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (path.empty()) return false;
    if (table.FindPath(path)) return true;
    for (link_map* map = ProgramModule(table)->map; map; map = map->l_next)
        if (map->l_name && map->l_name[0] && CanonicalPath(map->l_name) == path) return true;
    return false;
}

HMODULE ModuleFromAddress(const void* address) {
    Dl_info info{};
    link_map* map = nullptr;
    if (!::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP)) return nullptr;
    ModuleTable& table = ModuleTable::Instance();
    std::lock_guard<std::mutex> lock(table.mutex);
    Module* m = LinkedModule(table, map);
    return m ? HandleOf(m) : nullptr;
}

}  // namespace vpr::win

using vpr::win::Module;
using vpr::win::ModuleTable;

namespace {

// Module entry points run under one loader lock, as on Windows: no other
// thread loads or unloads a module while an entry point runs, and an entry
// point may itself load modules on its own thread.
std::recursive_mutex& LoaderLock() {
    static auto* lock = new std::recursive_mutex;  // used by unloading at exit too
    return *lock;
}

// An export of the module's own file; dlsym alone would also search the
// module's dependencies.
void* OwnExport(void* dl, link_map* map, const char* name) {
    void* symbol = dl ? ::dlsym(dl, name) : nullptr;
    Dl_info info{};
    link_map* owner = nullptr;
    if (symbol && (!::dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) ||
                   owner != map))
        return nullptr;
    return symbol;
}

using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

EntryPoint EntryPointOf(const Module* m) {
    return reinterpret_cast<EntryPoint>(OwnExport(m->dl, m->map, "DllMain"));
}

// Takes a module out of the table and closes it. Closing runs the module's
// destructors, which may call back into us, so it happens without the lock.
void Unload(ModuleTable& table, HMODULE handle) {
    std::unique_ptr<Module> unloaded;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        auto it = table.byHandle.find(reinterpret_cast<uintptr_t>(handle));
        if (it == table.byHandle.end()) return;
        unloaded = std::move(it->second);
        table.byHandle.erase(it);
    }
    if (unloaded->dl) ::dlclose(unloaded->dl);
}

}  // namespace

extern "C" HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string found = vpr::win::LocateModule(lpLibFileName);
    if (found.empty()) return nullptr;
    std::string path = vpr::win::CanonicalPath(found);
    std::lock_guard<std::recursive_mutex> loader(LoaderLock());
    ModuleTable& table = ModuleTable::Instance();
    HMODULE handle = nullptr;
    EntryPoint entry = nullptr;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        if (path == vpr::win::ProgramHostPath()) vpr::win::ProgramModule(table);
        if (Module* m = table.FindPath(path)) {
            ++m->loadCount;
            return vpr::win::HandleOf(m);
        }
        auto m = std::make_unique<Module>();
        m->hostPath = path;
        m->loadCount = 1;
        static const char kElf[4] = {0x7f, 'E', 'L', 'F'};
        uint8_t head[8] = {};
        {
            int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                (void)::read(fd, head, sizeof head);
                ::close(fd);
            }
        }
        if (vpr::win::HasContainerMagic(head, sizeof head)) {
            // A resource-only library: its container must be whole to load.
            m->dataOnly = true;
            vpr::win::ReadResources(m.get());
            if (m->resourceError != ERROR_SUCCESS) {
                SetLastError(ERROR_BAD_EXE_FORMAT);
                return nullptr;
            }
        } else if (std::memcmp(head, kElf, 4) == 0) {
            // Our modules find the platform's libraries beside them.
            m->dl = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!m->dl) {
                const char* why = ::dlerror();
                bool missingDependency = why && std::strstr(why, "cannot open shared object file");
                SetLastError(missingDependency ? ERROR_MOD_NOT_FOUND : ERROR_BAD_EXE_FORMAT);
                return nullptr;
            }
            ::dlinfo(m->dl, RTLD_DI_LINKMAP, &m->map);
            entry = EntryPointOf(m.get());
        } else {
            SetLastError(ERROR_BAD_EXE_FORMAT);
            return nullptr;
        }
        handle = vpr::win::HandleOf(table.Add(std::move(m)));
    }
    // The entry point runs once the module can be found, so that it may ask
    // for its own file name and resources. A refusal unloads the module again,
    // after telling it, as Windows does.
    if (entry && !entry(handle, DLL_PROCESS_ATTACH, nullptr)) {
        entry(handle, DLL_PROCESS_DETACH, nullptr);
        Unload(table, handle);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    return handle;
}

extern "C" BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    std::lock_guard<std::recursive_mutex> loader(LoaderLock());
    ModuleTable& table = ModuleTable::Instance();
    EntryPoint entry = nullptr;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        Module* m = table.Find(hLibModule);
        if (!m) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (m->loadCount > 0) --m->loadCount;
        if (m->loadCount > 0 || m->pinned) return TRUE;
        entry = EntryPointOf(m);
    }
    if (entry) entry(hLibModule, DLL_PROCESS_DETACH, nullptr);
    Unload(table, hLibModule);
    return TRUE;
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (lpProcName == nullptr || IS_INTRESOURCE(lpProcName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);  // no module of ours exports by ordinal
        return nullptr;
    }
    void* dl = nullptr;
    link_map* map = nullptr;
    {
        ModuleTable& table = ModuleTable::Instance();
        std::lock_guard<std::mutex> lock(table.mutex);
        Module* m = hModule == nullptr ? vpr::win::ProgramModule(table) : table.Find(hModule);
        if (!m) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        dl = m->dl;
        map = m->map;
    }
    void* symbol = OwnExport(dl, map, lpProcName);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    ModuleTable& table = ModuleTable::Instance();
    if (lpModuleName == nullptr) {
        std::lock_guard<std::mutex> lock(table.mutex);
        return vpr::win::HandleOf(vpr::win::ProgramModule(table));
    }
    // A name without extension means ".DLL"; a name is compared with the file
    // names of the loaded modules, a path with their paths.
    std::string name = lpModuleName;
    size_t slash = name.find_last_of("/\\");
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    if (base.find('.') == std::string::npos) base += ".DLL";
    std::string wantedPath;
    if (slash != std::string::npos) {
        std::string host;
        if (vpr::win::ResolveHostPath(name.c_str(), &host)) wantedPath = vpr::win::CanonicalPath(host);
    }
    std::lock_guard<std::mutex> lock(table.mutex);
    vpr::win::ProgramModule(table);
    auto matches = [&](const std::string& hostPath) {
        if (slash != std::string::npos) return !wantedPath.empty() && hostPath == wantedPath;
        return vpr::win::SameFileName(hostPath.substr(hostPath.find_last_of('/') + 1), base);
    };
    for (auto& [h, m] : table.byHandle)
        if (matches(m->hostPath)) return vpr::win::HandleOf(m.get());
    // Libraries linked at start count as loaded modules too.
    for (link_map* map = vpr::win::ProgramModule(table)->map; map; map = map->l_next) {
        if (map->l_name && map->l_name[0] && matches(vpr::win::CanonicalPath(map->l_name))) {
            if (Module* m = vpr::win::LinkedModule(table, map)) return vpr::win::HandleOf(m);
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

extern "C" DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string host;
    if (!vpr::win::ModuleHostPath(hModule, &host)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (lpFilename == nullptr || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::string path = vpr::win::WindowsPathFromHost(host);
    // A short buffer gets what fits, terminated, and the buffer's size back.
    if (path.size() >= nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

extern "C" HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    if (lpName == nullptr || lpType == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const vpr::win::ResourceEntry* e =
        vpr::win::FindEntry(hModule, vpr::win::IdFromName(lpType), vpr::win::IdFromName(lpName));
    return reinterpret_cast<HRSRC>(const_cast<vpr::win::ResourceEntry*>(e));
}

extern "C" HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
    if (hResInfo == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto e = reinterpret_cast<const vpr::win::ResourceEntry*>(hResInfo);
    const uint8_t* data = e->data.empty() ? vpr::win::kEmptyResource : e->data.data();
    return const_cast<uint8_t*>(data);
}

extern "C" DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
    if (hResInfo == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(reinterpret_cast<const vpr::win::ResourceEntry*>(hResInfo)->data.size());
}

extern "C" LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

extern "C" BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }  // resources live with their module

extern "C" int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lpBuffer[0] = '\0';
    if (uID > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::array<std::string, 16> block;
    if (!vpr::win::ModuleResource(hInstance, vpr::win::ResourceId::Number(vpr::win::kResString),
                                  vpr::win::ResourceId::Number(static_cast<uint16_t>(uID / 16 + 1)),
                                  &data, &size))
        return 0;
    if (!vpr::win::DecodeStringBlock(data, size, &block)) {
        SetLastError(ERROR_INVALID_DATA);
        return 0;
    }
    const std::string& text = block[uID % 16];
    if (text.empty()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    // A short buffer gets the beginning of the text, terminated.
    size_t count = std::min(text.size(), static_cast<size_t>(cchBufferMax - 1));
    std::memcpy(lpBuffer, text.data(), count);
    lpBuffer[count] = '\0';
    return static_cast<int>(count);
}
