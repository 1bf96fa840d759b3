// The module object of VprExp32.dll: whether the module agrees to run in the
// process that loads it, the shared services it builds at start (the launcher
// library binding, the application cache), the watcher thread that keeps the
// Start Menu junction, the login check and application monitoring going, the
// shortcut manager and the tray window, the three events through which the loader stops it, and the refresh broadcast
// every view listens to. One instance per module; everything else reaches
// the shared services through it (GetShellExtApp).
#pragma once

#include <atomic>

#include "afxwin.h"
#include "items/pidl_list.h"
#include "module/icon_cache.h"
#include "shlobj.h"

class CShellAppLibrary;
class CAppCache;
class CLinkManager;
class CTrayWnd;

// {5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}, the extension's class, is
// CLSID_VprExplorer of namespace/item_id_list.h.

// The state record every view starts from and saves to (44 bytes, the
// stored layout of the browser's view-state stream).
#pragma pack(push, 1)
struct ViewStateRecord {
    GUID signature;       // {C8E7C1A4-BE26-11CF-AE84-008029EF2ECB}
    WORD version;         // 3
    BYTE reserved[6];
    DWORD columnCount;    // 4
    LONG columnWidths[4];
};
#pragma pack(pop)
static_assert(sizeof(ViewStateRecord) == 44, "the stored view-state record is 44 bytes");

// The names of the two named events the loader and the extension meet by.
constexpr const char* kShutdownEventName = "Shutdown VPR Explorer, please";
constexpr const char* kLeftEventName = "VPR Explorer has left the building";
// The lowest launcher library version the extension works with: 97.6.3.0.
constexpr ULONGLONG kLibraryVersionNeeded = (0x00610006ull << 32) | 0x00030000ull;
// The one resource library version the module takes its texts from: 97.9.30.0.
constexpr ULONGLONG kResourceVersion = (0x00610009ull << 32) | 0x001E0000ull;
// The longest wait of the watcher between cycles, and the splash's least time.
constexpr DWORD kWatchCycleMs = 2000;
constexpr DWORD kSplashMs = 2000;
// The longest wait of the shutdown for the tray window's thread to tear
// down the tray and the shortcut manager.
constexpr DWORD kTrayCloseMs = 5000;

class CShellExtApp : public CWinApp, public CPidlList, public CIconCache {
public:
    CShellExtApp();
    ~CShellExtApp() override;

    // Start-up: FALSE refuses the load (safe mode, a process that is not the
    // shell). Shut-down: stops the watcher, cleans up, sets the "left" event.
    BOOL InitInstance() override;
    int ExitInstance() override;

    // The two COM entry points the module exports.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object);
    HRESULT CanUnloadNow();

    // Delivers m_uRefillMessage to every top-level window and each of its
    // descendants: sent (waiting for each) when `send`, else posted.
    void BroadcastRefill(BOOL send);
    // Opens an absolute ID list in the shell (flags 0x20: explore).
    void RunProgram(LPCITEMIDLIST list, UINT flags);
    // Keeps exactly one junction directory in the Start Menu, and only while
    // some application has the Start Menu association.
    void UpdateJunction();
    // Tells the views to refill, removes the junction, has the shortcut
    // manager and the tray window torn down on the tray window's thread and
    // stops the cache. Runs once: on the shutdown event or at the module's
    // exit, whichever comes first (the tray part again at the exit when the
    // tray's thread did not answer the first time).
    void CleanUp();
    // Deletes the shortcut manager (which records the user's shortcuts and
    // clears the desktop) and destroys the tray window. Runs on the tray
    // window's thread, or anywhere once that window is gone.
    void CloseTray();
    // The tray window's handle, for threads that may only post to it (null
    // when there is none).
    HWND GetTrayWindow() const { return m_hTrayWindow.load(); }
    // Takes the tray window made on the calling thread as the module's.
    void SetTrayWindow(CTrayWnd* tray);
    // TRUE when the extension can work; else FALSE and, when `text` is
    // given, the problems as the view shows them.
    BOOL GetProblems(CString* text);
    // The modeless About sheet, owned by `parent`.
    void ShowAbout(CWnd* parent);
    void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT) override;
    void GetLastViewState(ViewStateRecord* record) const;
    void SetLastViewState(const ViewStateRecord* record);

    // Whether the shell is too old to open folders: never on NT; on 95 when
    // the system folder's Shell32.dll is older than 4.0 with the update
    // (build and revision together at least 951). Old when the system
    // cannot tell.
    static BOOL IsShellTooOld();

    // The watcher thread (argument: the module object), and its start at
    // the lowest priority; FALSE when no thread could be made.
    static DWORD WINAPI WatchThread(LPVOID parameter);
    BOOL StartWatcher();

    // The module holding the texts and icons: the language library when one
    // was taken, else the module's own; and one text of it.
    HINSTANCE GetResources() const;
    CString LoadText(UINT id) const;

    // Whether the watcher thread is still running (it may outlive ExitInstance
    // when it did not end in time; the module then stays loaded).
    BOOL IsWatcherRunning() const { return m_bWatcherRunning.load(); }

    CShellAppLibrary* m_pLibrary = nullptr;
    std::atomic<LONG> m_nLiveObjects{0};
    UINT m_cfIdListArray = 0;
    UINT m_uRefillMessage = 0;
    BOOL m_bOldShell = TRUE;
    std::atomic<BOOL> m_bRunning{TRUE};
    HANDLE m_hWakeEvent = nullptr;
    HANDLE m_hShutdownEvent = nullptr;
    HANDLE m_hLeftEvent = nullptr;
    HACCEL m_hAccel = nullptr;
    std::atomic<UINT> m_idCmdFirst{0};
    CAppCache* m_pCache = nullptr;
    // Both belong to the tray window's thread (see CloseTray).
    CLinkManager* m_pLinkManager = nullptr;
    CTrayWnd* m_pTrayWnd = nullptr;
    ViewStateRecord m_lastViewState;
    CString m_strJunction;
    HINSTANCE m_hResources = nullptr;
    HANDLE m_hWatchThread = nullptr;

private:
    // One watcher cycle's work, and what the watcher does on the shutdown event.
    void WatchLoop();
    void OnShutdownEvent();
    // What the module frees last: the cache (through CleanUp), the library
    // binding and the watcher's events. Run by ExitInstance, or by the
    // watcher when it ends after ExitInstance stopped waiting for it.
    void ReleaseServices();
    // CloseTray on the tray window's thread: posted there and waited for
    // (at most kTrayCloseMs) from any other thread.
    void StopTray();

    // CleanUp has run (or is running) and must not run again.
    std::atomic<bool> m_bCleanedUp{false};
    // The watcher thread has started and not yet returned.
    std::atomic<bool> m_bWatcherRunning{false};
    // The old-shell message was shown once in this process.
    std::atomic<bool> m_bOldShellShown{false};
    // Set by the first of the watcher (at its end) and ExitInstance (once it
    // stops waiting); the second one releases the services.
    std::atomic<bool> m_bHandOver{false};
    // The tray window's handle, and the event CloseTray sets when done.
    std::atomic<HWND> m_hTrayWindow{nullptr};
    HANDLE m_hTrayClosed = nullptr;
    // The help file's path, which m_pszHelpFilePath points to.
    CString m_strHelpFile;
};

// The module object of this module (null before one is constructed).
CShellExtApp* GetShellExtApp();
