#include "module/shell_ext_app.h"

#include <cstring>

#include "cache/app_cache.h"
#include "module/module_resource.h"
#include "module/module_utilities.h"
#include "module/shell_app_library.h"
#include "module/splash_wnd.h"
#include "namespace/item_id_list.h"
#include "namespace/item_pages.h"
#include "namespace/prop_sheet.h"
#include "namespace/shell_folder.h"
#include "shellapi.h"
#include "tray/link_manager.h"
#include "tray/tray_wnd.h"
#include "vpr/locale/locale.h"

namespace {

std::atomic<CShellExtApp*> s_app{nullptr};

// {C8E7C1A4-BE26-11CF-AE84-008029EF2ECB}
constexpr GUID kViewStateSignature = {0xC8E7C1A4, 0xBE26, 0x11CF, {0xAE, 0x84, 0x00, 0x80, 0x29, 0xEF, 0x2E, 0xCB}};
constexpr const char* kJunctionSuffix = ".{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";
constexpr const char* kResourceLibrary = "VprExpRs.dll";
constexpr const char* kResourceVersionText = "97,09,30,0";
constexpr const char* kLibraryVersionText = "970603";
constexpr DWORD kStartMenuMask = 0x4;
// Shell32.dll 4.0 opens folders when its build and revision, read as one
// 32-bit number (build in the high word), are at least 951; older shells do not.
constexpr ULONGLONG kShell40 = 0x0004000000000000ull;
constexpr DWORD kShell40Update = 951;

struct Broadcast {
    UINT message;
    BOOL send;
};

void Deliver(HWND window, const Broadcast* broadcast) {
    if (broadcast->send)
        SendMessageA(window, broadcast->message, 0, 0);
    else
        PostMessageA(window, broadcast->message, 0, 0);
}

BOOL CALLBACK DeliverToChild(HWND window, LPARAM parameter) {
    Deliver(window, reinterpret_cast<const Broadcast*>(parameter));
    return TRUE;
}

BOOL CALLBACK DeliverToTopLevel(HWND window, LPARAM parameter) {
    Deliver(window, reinterpret_cast<const Broadcast*>(parameter));
    EnumChildWindows(window, DeliverToChild, parameter);
    return TRUE;
}

}  // namespace

CShellExtApp* GetShellExtApp() { return s_app.load(); }

CShellExtApp::CShellExtApp() {
    std::memset(&m_lastViewState, 0, sizeof m_lastViewState);
    m_lastViewState.signature = kViewStateSignature;
    m_lastViewState.version = 3;
    m_lastViewState.columnCount = 4;
    const LONG widths[4] = {160, 100, 150, 150};
    std::memcpy(m_lastViewState.columnWidths, widths, sizeof widths);
    m_hTrayClosed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    s_app.store(this);
}

CShellExtApp::~CShellExtApp() {
    if (m_hTrayClosed) CloseHandle(m_hTrayClosed);
    CShellExtApp* self = this;
    s_app.compare_exchange_strong(self, nullptr);
}

HINSTANCE CShellExtApp::GetResources() const {
    return m_hResources ? m_hResources : vpr::win::ThisModule();
}

CString CShellExtApp::LoadText(UINT id) const {
    CString text;
    text.LoadStringFrom(GetResources(), id);
    return text;
}

BOOL CShellExtApp::InitInstance() {
    // The extension lives only in the shell's own process, never in safe mode.
    if (GetSystemMetrics(SM_CLEANBOOT)) return FALSE;
    char host[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, host, sizeof host);
    LocUpperCase(host);
    if (!KMLstrstr(host, "EXPLORER.EXE")) return FALSE;

    DWORD start = GetTickCount();

    CString resources;
    if (FindModuleFile(kResourceLibrary, resources)) {
        if (GetFileVersion(resources) == kResourceVersion) {
            m_hResources = LoadLibraryA(resources);
            if (m_hResources) AfxSetResourceHandle(m_hResources);
        } else {
            CString text;
            text.Format(LoadText(IDS_WRONG_RESOURCE_VERSION), static_cast<LPCSTR>(resources), kResourceVersionText);
            MessageBoxA(nullptr, text, LoadText(IDS_EXPLORER_CAPTION), MB_OK);
        }
    }
    SetIconResources(GetResources());

    CSplashWnd* splash = new CSplashWnd(IDB_SPLASH, IDS_LOADING);

    m_bOldShell = IsShellTooOld();

    OleInitialize(nullptr);
    m_hAccel = LoadAcceleratorsA(GetResources(), MAKEINTRESOURCEA(IDR_VIEW_ACCELERATORS));
    m_cfIdListArray = RegisterClipboardFormatA("Shell IDList Array");
    m_uRefillMessage = RegisterWindowMessageA("RefillViewMessage");

    m_hWakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hShutdownEvent = CreateEventA(nullptr, TRUE, FALSE, kShutdownEventName);
    m_hLeftEvent = CreateEventA(nullptr, TRUE, FALSE, kLeftEventName);

    m_pLibrary = new CShellAppLibrary;
    splash->DrawProgress(0);
    m_pCache = new CAppCache(m_pLibrary);
    splash->DrawProgress(33);
    m_pLinkManager = new CLinkManager;
    splash->DrawProgress(66);
    SetTrayWindow(new CTrayWnd);
    splash->DrawProgress(90);

    CString startMenu;
    if (GetSpecialFolderPath(CSIDL_STARTMENU, startMenu))
        m_strJunction.Format("%s\\%s%s", static_cast<LPCSTR>(startMenu),
                             static_cast<LPCSTR>(LoadText(IDS_JUNCTION_NAME)), kJunctionSuffix);

    StartWatcher();

    splash->DrawProgress(100);
    DWORD elapsed = GetTickCount() - start;
    if (elapsed < kSplashMs) Sleep(kSplashMs - elapsed);
    delete splash;
    return TRUE;
}

BOOL CShellExtApp::IsShellTooOld() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return TRUE;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) return FALSE;
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    CString shell32;
    shell32.Format("%s\\Shell32.dll", system);
    ULONGLONG shellVersion = GetFileVersion(shell32);
    ULONGLONG majorMinor = shellVersion & 0xFFFFFFFF00000000ull;
    if (majorMinor > kShell40) return FALSE;
    return !(majorMinor == kShell40 && (shellVersion & 0xFFFFFFFFull) >= kShell40Update);
}

BOOL CShellExtApp::StartWatcher() {
    // Counted as running before it starts, so that the module is never
    // taken to be free while the thread is on its way.
    m_bWatcherRunning = true;
    DWORD threadId = 0;
    m_hWatchThread = CreateThread(nullptr, 0, WatchThread, this, 0, &threadId);
    if (!m_hWatchThread) {
        m_bWatcherRunning = false;
        return FALSE;
    }
    SetThreadPriority(m_hWatchThread, THREAD_PRIORITY_LOWEST);
    return TRUE;
}

DWORD WINAPI CShellExtApp::WatchThread(LPVOID parameter) {
    static_cast<CShellExtApp*>(parameter)->WatchLoop();
    return 0;
}

void CShellExtApp::WatchLoop() {
    CString desktop;
    HANDLE notification = INVALID_HANDLE_VALUE;
    if (GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY, desktop))
        notification = FindFirstChangeNotificationA(desktop, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    HANDLE handles[3] = {m_hWakeEvent, m_hShutdownEvent, notification};
    DWORD count = notification != INVALID_HANDLE_VALUE ? 3 : 2;

    while (m_bRunning) {
        try {
            UpdateJunction();
            if (m_pCache) m_pCache->CheckLoginChange();
            if (m_pLibrary) m_pLibrary->MonitorApplications();
            DWORD signalled = WaitForMultipleObjects(count, handles, FALSE, kWatchCycleMs);
            if (signalled == WAIT_OBJECT_0 + 1) {
                OnShutdownEvent();
            } else if (signalled == WAIT_OBJECT_0 + 2) {
                // The tray window brings the shortcuts up to date.
                HWND tray = GetTrayWindow();
                if (tray && IsWindow(tray)) PostMessageA(tray, m_uRefillMessage, 0, 0);
                FindNextChangeNotification(notification);
            }
        } catch (...) {
            // A failing cycle does not end the watcher.
        }
    }
    if (notification != INVALID_HANDLE_VALUE) FindCloseChangeNotification(notification);
    // ExitInstance stopped waiting for this thread: what it left is freed here.
    if (m_bHandOver.exchange(true)) ReleaseServices();
    m_bWatcherRunning = false;
}

void CShellExtApp::OnShutdownEvent() {
    m_bRunning = FALSE;
    CleanUp();
    CItemIdList root = RootIdList();
    SHChangeNotify(SHCNE_RMDIR, SHCNF_IDLIST | SHCNF_FLUSH, root.GetList(), nullptr);
    ResetEvent(m_hShutdownEvent);
}

void CShellExtApp::UpdateJunction() {
    if (m_strJunction.IsEmpty()) return;
    int slash = LocFindLastChar(m_strJunction, '\\');
    CString startMenu = m_strJunction.Left(slash);
    WIN32_FIND_DATAA entry = {};
    CString pattern;
    pattern.Format("%s\\*%s", static_cast<LPCSTR>(startMenu), kJunctionSuffix);
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            CString path;
            path.Format("%s\\%s", static_cast<LPCSTR>(startMenu), entry.cFileName);
            if (std::strcmp(path, m_strJunction) != 0) RemoveDirectoryA(path);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    if (!m_pCache || m_pCache->CountFolders(kStartMenuMask, nullptr) == 0)
        RemoveDirectoryA(m_strJunction);
    else if (GetFileAttributesA(m_strJunction) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryA(m_strJunction, nullptr);
}

void CShellExtApp::CleanUp() {
    // The watcher runs this on the shutdown event and ExitInstance at the
    // end; only the first call does the work, but a tray whose thread did
    // not answer then is asked again.
    if (m_bCleanedUp.exchange(true)) {
        StopTray();
        return;
    }
    BroadcastRefill(FALSE);
    if (!m_strJunction.IsEmpty()) RemoveDirectoryA(m_strJunction);
    // The shortcut manager and the tray window are used on the tray's
    // thread only (refills, the timer, drops): they are torn down there,
    // while the cache they read still runs.
    StopTray();
    // The cache stops its worker and waits for it before it frees anything
    // the worker uses. The object itself stays until the module is released
    // (ReleaseServices): a user-interface thread may still be inside one of
    // its lookups, which now find nothing.
    if (m_pCache) m_pCache->Stop();
}

void CShellExtApp::StopTray() {
    const HWND tray = GetTrayWindow();
    if (tray && IsWindow(tray) && GetWindowThreadProcessId(tray, nullptr) != GetCurrentThreadId()) {
        // What the tray's thread does not finish in time stays with it.
        if (m_hTrayClosed) ResetEvent(m_hTrayClosed);
        if (PostMessageA(tray, WM_CLOSE, 0, 0) && m_hTrayClosed) WaitForSingleObject(m_hTrayClosed, kTrayCloseMs);
        return;
    }
    CloseTray();
}

void CShellExtApp::SetTrayWindow(CTrayWnd* tray) {
    m_pTrayWnd = tray;
    m_hTrayWindow = tray ? tray->GetSafeHwnd() : nullptr;
}

void CShellExtApp::CloseTray() {
    CLinkManager* links = m_pLinkManager;
    m_pLinkManager = nullptr;
    delete links;
    CTrayWnd* tray = m_pTrayWnd;
    m_pTrayWnd = nullptr;
    m_hTrayWindow = nullptr;
    if (tray) {
        // A window deletes its object when destroyed; one never made does not.
        if (tray->GetSafeHwnd() && IsWindow(tray->GetSafeHwnd()))
            tray->DestroyWindow();
        else if (!tray->GetSafeHwnd())
            delete tray;
    }
    if (m_hTrayClosed) SetEvent(m_hTrayClosed);
}

int CShellExtApp::ExitInstance() {
    m_bRunning = FALSE;
    if (m_hWakeEvent) SetEvent(m_hWakeEvent);
    if (m_hWatchThread) {
        WaitForSingleObject(m_hWatchThread, kWatchCycleMs);
        CloseHandle(m_hWatchThread);
        m_hWatchThread = nullptr;
    }
    // A watcher that has not ended keeps what it uses and frees it itself
    // when it ends; otherwise (or when there was none) it is freed now.
    if (m_bHandOver.exchange(true) || !m_bWatcherRunning) ReleaseServices();
    if (m_hAccel) DestroyAcceleratorTable(m_hAccel);
    m_hAccel = nullptr;
    if (m_hLeftEvent) {
        SetEvent(m_hLeftEvent);
        CloseHandle(m_hLeftEvent);
        m_hLeftEvent = nullptr;
    }
    return CWinApp::ExitInstance();
}

void CShellExtApp::ReleaseServices() {
    CleanUp();
    CAppCache* cache = m_pCache;
    m_pCache = nullptr;
    delete cache;
    CShellAppLibrary* library = m_pLibrary;
    m_pLibrary = nullptr;
    delete library;
    if (m_hWakeEvent) CloseHandle(m_hWakeEvent);
    if (m_hShutdownEvent) CloseHandle(m_hShutdownEvent);
    m_hWakeEvent = m_hShutdownEvent = nullptr;
}

HRESULT CShellExtApp::GetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    if (std::memcmp(&clsid, &CLSID_VprExplorer, sizeof(CLSID)) != 0) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    CClassFactory* factory = new CClassFactory;
    HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}

HRESULT CShellExtApp::CanUnloadNow() {
    // A thread of the module that has not ended keeps it loaded too.
    return m_nLiveObjects == 0 && !m_bRunning && !m_bWatcherRunning ? S_OK : S_FALSE;
}

void CShellExtApp::BroadcastRefill(BOOL send) {
    Broadcast broadcast{m_uRefillMessage, send};
    if (broadcast.message) EnumWindows(DeliverToTopLevel, reinterpret_cast<LPARAM>(&broadcast));
}

void CShellExtApp::RunProgram(LPCITEMIDLIST list, UINT flags) {
    if (m_bOldShell) {
        if (!m_bOldShellShown.exchange(true))
            MessageBoxA(nullptr, LoadText(IDS_OLD_SHELL), LoadText(IDS_EXPLORER_CAPTION), MB_OK | MB_ICONSTOP);
        return;
    }
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_IDLIST | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = (flags & 0x20) ? "Explore" : "Open";
    info.lpFile = "";
    info.lpParameters = "";
    info.lpDirectory = "";
    info.nShow = SW_SHOWNORMAL;
    info.lpIDList = const_cast<LPITEMIDLIST>(list);
    ShellExecuteExA(&info);
}

BOOL CShellExtApp::GetProblems(CString* text) {
    ULONGLONG version = m_pLibrary ? m_pLibrary->GetVersion() : 0;
    if (!m_bOldShell && version >= kLibraryVersionNeeded) return TRUE;
    if (text) {
        *text = LoadText(IDS_PROBLEMS) + "\r\n";
        if (version == 0) {
            *text += "\r\n" + LoadText(IDS_LIBRARY_MISSING);
        } else if (version < kLibraryVersionNeeded) {
            CString outOfDate;
            outOfDate.Format(LoadText(IDS_LIBRARY_OUT_OF_DATE), kLibraryVersionText);
            *text += "\r\n" + outOfDate;
        }
        if (m_bOldShell) *text += "\r\n" + LoadText(IDS_OLD_SHELL);
    }
    return FALSE;
}

void CShellExtApp::ShowAbout(CWnd* parent) {
    CPropSheet* sheet = new CPropSheet(LoadText(IDS_ABOUT_TITLE), parent);
    sheet->AddPage(new CGeneralPage);
    sheet->Create(parent);
}

void CShellExtApp::WinHelp(DWORD_PTR data, UINT command) {
    CString path;
    if (FindModuleFile("VprExp32.hlp", path)) {
        m_strHelpFile = path;
        m_pszHelpFilePath = m_strHelpFile;
    }
    CWinApp::WinHelp(data, command);
}

void CShellExtApp::GetLastViewState(ViewStateRecord* record) const {
    std::memcpy(record, &m_lastViewState, sizeof m_lastViewState);
}

void CShellExtApp::SetLastViewState(const ViewStateRecord* record) {
    std::memcpy(&m_lastViewState, record, sizeof m_lastViewState);
}
