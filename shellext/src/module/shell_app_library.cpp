#include "module/shell_app_library.h"

#include <cstring>

#include "cache/app_cache.h"
#include "module/module_resource.h"
#include "module/module_utilities.h"
#include "module/shell_ext_app.h"
#include "module/shell_utilities.h"
#include "vpr/locale/locale.h"

namespace {

// The client's install folder on Windows 95.
constexpr const char* kInstallKey = "Network\\Veltrix\\System Config\\Install\\Target Path";
constexpr DWORD kAllAssociations = 0x2F;
constexpr DWORD kFoldersOptions = 15;
constexpr DWORD kContextFlags = 5;
constexpr DWORD kConfigInherit = 0x80000000u;

// Calls `call` and gives `fallback` when it throws: the library's faults
// never reach the extension.
template <typename Result, typename Call>
Result Guarded(Result fallback, Call call) {
    try {
        return call();
    } catch (...) {
        return fallback;
    }
}

template <typename Call>
void GuardedVoid(Call call) {
    try {
        call();
    } catch (...) {
    }
}

template <typename Pointer>
void Bind(HMODULE library, LPCSTR name, Pointer& entry) {
    entry = reinterpret_cast<Pointer>(GetProcAddress(library, name));
}

DWORD ReadDword(const BYTE* record, size_t offset) {
    DWORD value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

void WriteDword(BYTE* record, size_t offset, DWORD value) { std::memcpy(record + offset, &value, sizeof value); }

}  // namespace

CShellAppLibrary::CShellAppLibrary() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, sizeof system);
        m_strPath.Format("%s\\KmApp32.dll", system);
    } else {
        char folder[MAX_PATH] = {};
        LONG size = sizeof folder;
        // A key without the value answers an empty text: no folder either.
        if (RegQueryValueA(HKEY_LOCAL_MACHINE, kInstallKey, folder, &size) == ERROR_SUCCESS && folder[0] != '\0')
            m_strPath.Format("%s\\KmApp32.dll", folder);
        else
            m_strPath = "KmApp32.dll";
    }
    // A bare name is looked for on the search path, as loading would.
    CString versionPath = m_strPath;
    if (LocFindChar(m_strPath, '\\') < 0) {
        OFSTRUCT found = {};
        found.cBytes = sizeof found;
        if (OpenFile(m_strPath, &found, OF_EXIST) != HFILE_ERROR) versionPath = found.szPathName;
    }
    m_ullVersion = GetFileVersion(versionPath);
    if (m_ullVersion < kLibraryVersionNeeded) return;
    m_hLibrary = LoadLibraryA(m_strPath);
    if (!m_hLibrary) return;
    Bind(m_hLibrary, "KMAPPAllocContextHandle", m_pfnAllocContextHandle);
    Bind(m_hLibrary, "KMAPPFreeContextHandle", m_pfnFreeContextHandle);
    Bind(m_hLibrary, "KMAPPGetFoldersEx", m_pfnGetFoldersEx);
    Bind(m_hLibrary, "KMAPPFreeGetFoldersEx", m_pfnFreeGetFoldersEx);
    Bind(m_hLibrary, "KMAPPGetObjectAttributes", m_pfnGetObjectAttributes);
    Bind(m_hLibrary, "KMAPPFreeGetObjectAttributes", m_pfnFreeGetObjectAttributes);
    Bind(m_hLibrary, "KMAPPProcessApplication", m_pfnProcessApplication);
    Bind(m_hLibrary, "KMAPPGetIconFromHandle", m_pfnGetIconFromHandle);
    Bind(m_hLibrary, "KMAPPMonitorApplications", m_pfnMonitorApplications);
    Bind(m_hLibrary, "KMAPPGetPersonalFolders", m_pfnGetPersonalFolders);
    Bind(m_hLibrary, "KMAPPCreatePersonalFolder", m_pfnCreatePersonalFolder);
    Bind(m_hLibrary, "KMAPPDeletePersonalFolder", m_pfnDeletePersonalFolder);
    Bind(m_hLibrary, "KMAPPRenamePersonalFolder", m_pfnRenamePersonalFolder);
    Bind(m_hLibrary, "KMAPPAddPersonalFolderItem", m_pfnAddPersonalFolderItem);
    Bind(m_hLibrary, "KMAPPDeletePersonalFolderItem", m_pfnDeletePersonalFolderItem);
    Bind(m_hLibrary, "KMAPPReadNRDFolders", m_pfnReadNRDFolders);
    Bind(m_hLibrary, "KMAPPWriteNRDFolders", m_pfnWriteNRDFolders);
    Bind(m_hLibrary, "KMAPPReadLauncherConfig", m_pfnReadLauncherConfig);
    Bind(m_hLibrary, "KMAPPCheckSchedule", m_pfnCheckSchedule);
    Bind(m_hLibrary, "KMAPPRecordLaunch", m_pfnRecordLaunch);
    Bind(m_hLibrary, "KMAPPIsInstalled", m_pfnIsInstalled);
    Bind(m_hLibrary, "KMAPPMarkNotInstalled", m_pfnMarkNotInstalled);
    Bind(m_hLibrary, "KMAPPLogString", m_pfnLogString);
}

CShellAppLibrary::~CShellAppLibrary() {
    if (m_hLibrary) FreeLibrary(m_hLibrary);
}

DIR_CONTEXT CShellAppLibrary::AllocContext(LPCSTR tree) {
    if (!m_pfnAllocContextHandle) return kNoContext;
    DIR_CONTEXT context = Guarded(kNoContext, [&] { return m_pfnAllocContextHandle(); });
    if (context == kNoContext) return kNoContext;
    uint32_t flags = 0;
    DirGetContextInfo(context, DIR_KEY_FLAGS, &flags);
    flags |= kContextFlags;
    DirSetContextInfo(context, DIR_KEY_FLAGS, &flags);
    // A tree the workstation is not attached to gives no context: the
    // context would stay on the default tree and answer for the wrong one.
    bool treeSet = !tree || DirSetContextInfo(context, DIR_KEY_TREE_NAME, tree) == 0;
    if (!treeSet || !DirIsContextAuthenticated(context)) {
        FreeContext(context);
        return kNoContext;
    }
    return context;
}

void CShellAppLibrary::FreeContext(DIR_CONTEXT context) {
    if (m_pfnFreeContextHandle) GuardedVoid([&] { m_pfnFreeContextHandle(context); });
}

KmappFolder* CShellAppLibrary::GetFoldersEx(DIR_CONTEXT context, DWORD levels) {
    if (!m_pfnGetFoldersEx) return nullptr;
    return Guarded<KmappFolder*>(nullptr, [&] {
        return m_pfnGetFoldersEx(context, nullptr, levels, kAllAssociations, kFoldersOptions);
    });
}

void CShellAppLibrary::FreeGetFoldersEx(KmappFolder* list) {
    if (m_pfnFreeGetFoldersEx) GuardedVoid([&] { m_pfnFreeGetFoldersEx(list); });
}

KmappAttribute* CShellAppLibrary::GetObjectAttributes(DIR_CONTEXT context, LPCSTR object, const LPCSTR* names,
                                                      DWORD count) {
    if (!m_pfnGetObjectAttributes) return nullptr;
    return Guarded<KmappAttribute*>(nullptr, [&] { return m_pfnGetObjectAttributes(context, object, names, count); });
}

void CShellAppLibrary::FreeGetObjectAttributes(KmappAttribute* list) {
    if (m_pfnFreeGetObjectAttributes) GuardedVoid([&] { m_pfnFreeGetObjectAttributes(list); });
}

HICON CShellAppLibrary::GetIconFromHandle(HFILE file) {
    if (!m_pfnGetIconFromHandle) return nullptr;
    HINSTANCE instance = vpr::win::ThisModule();
    return Guarded<HICON>(nullptr, [&] { return m_pfnGetIconFromHandle(instance, file); });
}

void CShellAppLibrary::MonitorApplications() {
    if (m_pfnMonitorApplications) GuardedVoid([&] { m_pfnMonitorApplications(); });
}

void CShellAppLibrary::GetPersonalFolders(DIR_CONTEXT context, LPCSTR tree, KmappFolder** head) {
    if (m_pfnGetPersonalFolders)
        GuardedVoid([&] { m_pfnGetPersonalFolders(context, tree, kAllAssociations, head); });
}

BOOL CShellAppLibrary::CreatePersonalFolderKey(CString& name) {
    CString tree;
    GetDefaultTreeName(tree);
    CString base;
    base.LoadString(IDS_NEW_FOLDER);
    CString key, candidate = base;
    key.Format("Software\\Kalmora\\VPR\\1.0\\Folders\\%s\\%s", static_cast<LPCSTR>(tree), static_cast<LPCSTR>(base));
    HKEY handle = nullptr;
    for (int number = 2; RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) == ERROR_SUCCESS; ++number) {
        RegCloseKey(handle);
        candidate.Format("%s (%d)", static_cast<LPCSTR>(base), number);
        key.Format("Software\\Kalmora\\VPR\\1.0\\Folders\\%s\\%s", static_cast<LPCSTR>(tree),
                   static_cast<LPCSTR>(candidate));
    }
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, const_cast<LPSTR>(""), 0, KEY_ALL_ACCESS, nullptr, &handle,
                        &disposition) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(handle);
    name = candidate;
    return TRUE;
}

void CShellAppLibrary::DeletePersonalFolder(LPCSTR folder) {
    if (m_pfnDeletePersonalFolder) GuardedVoid([&] { m_pfnDeletePersonalFolder(folder); });
}

BYTE CShellAppLibrary::RenamePersonalFolder(LPCSTR folder, LPCSTR newName) {
    if (!m_pfnRenamePersonalFolder) return 0;
    return Guarded<BYTE>(0, [&] { return m_pfnRenamePersonalFolder(folder, newName); });
}

BYTE CShellAppLibrary::AddPersonalFolderItem(LPCSTR tree, LPCSTR folder, LPCSTR application, DWORD flags) {
    if (!m_pfnAddPersonalFolderItem) return 0;
    return Guarded<BYTE>(0, [&] { return m_pfnAddPersonalFolderItem(tree, folder, application, flags); });
}

BYTE CShellAppLibrary::DeletePersonalFolderItem(LPCSTR tree, LPCSTR folder, LPCSTR application) {
    if (!m_pfnDeletePersonalFolderItem) return 0;
    return Guarded<BYTE>(0, [&] { return m_pfnDeletePersonalFolderItem(tree, folder, application); });
}

BYTE CShellAppLibrary::ReadNRDFolders(DIR_CONTEXT context, LPCSTR tree) {
    if (!m_pfnReadNRDFolders) return 0;
    return Guarded<BYTE>(0, [&] { return m_pfnReadNRDFolders(context, tree); });
}

BYTE CShellAppLibrary::WriteNRDFolders(DIR_CONTEXT context, LPCSTR tree) {
    if (!m_pfnWriteNRDFolders) return 0;
    return Guarded<BYTE>(0, [&] { return m_pfnWriteNRDFolders(context, tree); });
}

LONG CShellAppLibrary::ReadLauncherConfig(DIR_CONTEXT context, BYTE* record) {
    LONG result = kNoLauncherConfig;
    if (m_pfnReadLauncherConfig) {
        try {
            char user[514] = {};
            result = DirGetCurrentUserName(context, user);
            if (result == 0) {
                char abbreviated[514] = {};
                DirAbbreviateName(context, user, abbreviated);
                int dot = LocFindChar(abbreviated, '.');
                CString container = dot < 0 ? CString() : CString(abbreviated + dot);
                result = m_pfnReadLauncherConfig(context, user, record);
                BOOL inherit = result == 0 && (ReadDword(record, KMAPP_CONFIG_OFFSET_FLAGS) & kConfigInherit);
                if ((result != 0 || inherit) && !container.IsEmpty())
                    result = m_pfnReadLauncherConfig(context, container, record);
            }
        } catch (...) {
            // The value reached so far, without the defaults below.
            return result;
        }
    }
    if (result != 0) {
        WriteDword(record, KMAPP_CONFIG_OFFSET_LEVELS, 1);
        WriteDword(record, KMAPP_CONFIG_OFFSET_INTERVAL, 3600);
    }
    return result;
}

DWORD CShellAppLibrary::CheckSchedule(KmappApplication* record) {
    if (!m_pfnCheckSchedule) return 0;
    return Guarded<DWORD>(0, [&] { return m_pfnCheckSchedule(record); });
}

LONG CShellAppLibrary::RecordLaunch(KmappApplication* record, DWORD starting) {
    if (!m_pfnRecordLaunch) return 0;
    return Guarded<LONG>(0, [&] { return m_pfnRecordLaunch(record, starting); });
}

namespace {

// The tree part of an item key: up to its first TAB.
CString TreeOfKey(LPCSTR key) {
    int tab = LocFindChar(key, '\t');
    return tab < 0 ? CString(key) : CString(key).Left(tab);
}

}  // namespace

BYTE CShellAppLibrary::IsInstalled(LPCSTR key) {
    CShellExtApp* app = GetShellExtApp();
    CString first, second;
    if (!m_pfnIsInstalled || !app || !app->m_pCache || !app->m_pCache->GetRecordTexts(key, first, second)) return 0;
    CString tree = TreeOfKey(key);
    return Guarded<BYTE>(0, [&] { return m_pfnIsInstalled(tree, first, second); });
}

LONG CShellAppLibrary::MarkNotInstalled(LPCSTR key) {
    CShellExtApp* app = GetShellExtApp();
    CString first, second;
    if (!m_pfnMarkNotInstalled || !app || !app->m_pCache || !app->m_pCache->GetRecordTexts(key, first, second))
        return -1;
    CString tree = TreeOfKey(key);
    return Guarded<LONG>(-1, [&] { return m_pfnMarkNotInstalled(tree, first); });
}
