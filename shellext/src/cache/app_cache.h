// CAppCache: the extension's picture of what the logged-in user may run. A
// list of folder nodes (one per connected tree, the personal node last), each
// holding the folder and application records the launcher library returned,
// and a map from item keys to the cache's own item instances. A worker thread
// below normal priority rebuilds it at start, on a view's refresh, on a login
// change and on the configured timer; every other thread reads it through the
// lookups below, each of which holds the lock for its whole run.
#pragma once

#include <atomic>
#include <unordered_map>

#include "afxwin.h"
#include "cache/cache_lock.h"
#include "kmapp32.h"

class CShellAppLibrary;
class CFolderItem;
class CFolderNode;

// No directory context (the launcher library's "none").
#define CACHE_NO_CONTEXT (-328)

// Launcher configuration flags (dword at offset 4) the cache reads.
#define CACHE_CONFIG_NO_USER_REFRESH 0x2u    // the user may not ask for a refresh
#define CACHE_CONFIG_NO_TIMED_REFRESH 0x4u   // no refresh on the timer
#define CACHE_CONFIG_NO_PERSONAL 0x400u      // no personal folders

class CAppCache {
public:
    // Reads the login list and starts the worker; `pLibrary` is the binding
    // every library call goes through and outlives the cache.
    explicit CAppCache(CShellAppLibrary* pLibrary);
    // Stops the cache (see Stop) and closes its events.
    virtual ~CAppCache();
    // Stops the worker and waits for it to end before anything it may use is
    // freed; then frees the nodes and releases the map's items. The object
    // stays usable: lookups find nothing and waits for a refresh return, so
    // a user-interface thread still inside a lookup is safe. Runs once.
    void Stop() EXCLUDES(m_lock);
    CAppCache(const CAppCache&) = delete;
    CAppCache& operator=(const CAppCache&) = delete;

    // ---- lookups (keys are item keys: "tree\t", "tree\tname"; "" the root)
    int CountFolders(DWORD mask, CStringArray* keys) EXCLUDES(m_lock);
    // The keys of every node the cache holds now ("tree\t", "Personal\t").
    int ListNodes(CStringArray& keys) EXCLUDES(m_lock);
    int ListFolders(DWORD mask, LPCSTR nodeKey, CStringArray* keys) EXCLUDES(m_lock);
    int ListNodeApps(DWORD mask, LPCSTR nodeKey, CStringArray* keys) EXCLUDES(m_lock);
    int ListChildren(DWORD mask, LPCSTR nodeKey, LPCSTR folderName, CStringArray* keys) EXCLUDES(m_lock);
    int ListFolderChildren(DWORD mask, LPCSTR folderKey, CStringArray& keys) EXCLUDES(m_lock);
    DWORD GetFlagsForKey(LPCSTR key) EXCLUDES(m_lock);
    DWORD GetItemAttributes(LPCSTR key) EXCLUDES(m_lock);
    // The first folder record of the node so keyed; the records stay valid
    // only while the caller holds the lock (GetLock).
    KmappFolder* FindFolderList(LPCSTR nodeKey) REQUIRES(m_lock);
    // The two identification texts of the application so keyed.
    BOOL GetRecordTexts(LPCSTR key, CString& first, CString& second) EXCLUDES(m_lock);
    // Appends the name list of the folder so keyed; the number appended.
    int GetFolderObjectNames(LPCSTR folderKey, CStringArray& names) EXCLUDES(m_lock);
    // The tree an application key's launch needs a context for: the key's
    // tree part, or for an item of a personal folder the tree whose personal
    // folder record holds the application. FALSE when none is known.
    BOOL GetLaunchTree(LPCSTR key, CString& tree) EXCLUDES(m_lock);

    // ---- the item factory (defined with the items)
    // A fresh copy of the cache's instance for the key, one reference that
    // the caller releases; null when there is none.
    CFolderItem* GetItem(LPCSTR key, DIR_CONTEXT context);
    // A new cache instance of the application object (one reference), or null.
    CFolderItem* CreateAppItem(LPCSTR nodeKey, LPCSTR appName, DIR_CONTEXT context);

    // ---- schedules and launching
    // Runs the schedule check and starts what became active for Force Run;
    // TRUE when any application's state changed. A check running on this
    // thread (a launch inside it) is not entered again.
    BOOL CheckSchedules() EXCLUDES(m_lock);
    // Records and runs one launch, then checks the schedules; the check's
    // result. While another launch runs, nothing is launched or recorded.
    BOOL Launch(LPCSTR key, LPCSTR parameters) EXCLUDES(m_lock);
    void RecordLaunch(LPCSTR key, DWORD value) EXCLUDES(m_lock);
    BOOL IsLaunching() const { return m_bLaunching.load(); }

    // ---- rebuilding and waiting
    void Rebuild(BOOL broadcast) EXCLUDES(m_lock);
    // Both wait on the calling (view's) thread.
    void WaitForRefresh(HWND view) EXCLUDES(m_lock);
    void WaitForFirstRefresh(HWND view) EXCLUDES(m_lock);
    void CheckLoginChange() EXCLUDES(m_lock);
    BOOL IsInterrupted() const;
    LONG GetRebuildCount() const { return m_nRebuildCount.load(); }
    // The flags word of the launcher configuration record the cache holds
    // (CACHE_CONFIG_*).
    DWORD GetConfigFlags() EXCLUDES(m_lock);

    // ---- folder tree (worker side, also used by the tests)
    int ReadTreeList(CStringArray& trees);
    void ReadLoginList(CStringArray& logins);
    CFolderNode* BuildFolderTree();
    // A context for the tree part of a key, or CACHE_NO_CONTEXT.
    DIR_CONTEXT AllocContextForKey(LPCSTR key);

    CShellAppLibrary* GetLibrary() const { return m_pLibrary; }
    CCacheLock& GetLock() RETURN_CAPABILITY(m_lock) { return m_lock; }

private:
    friend class CFolderNode;
    struct KeyHash {
        size_t operator()(const CString& key) const;
    };
    typedef std::unordered_map<CString, CFolderItem*, KeyHash> ItemMap;

    static DWORD WINAPI WorkerThread(LPVOID param);
    void RunWorker() EXCLUDES(m_lock);
    // One worker cycle; FALSE when it was interrupted before completing.
    BOOL RunCycle(DWORD* waitTime) EXCLUDES(m_lock);
    void ReadConfig() EXCLUDES(m_lock);
    void PreloadItems() EXCLUDES(m_lock);
    // Fills the map for a node list (tree and folder items); the caller
    // holds the lock.
    void RebuildItemMap(CFolderNode* first) REQUIRES(m_lock);
    void ClearItemMap() REQUIRES(m_lock);
    // Map helpers for the item factory, under the lock: the instance stored
    // under the key (no new reference), and storing a new instance (the map
    // takes its reference; an existing entry keeps its instance and the new
    // one is released).
    CFolderItem* FindMapItem(const CString& key) const REQUIRES(m_lock);
    void StoreMapItem(const CString& key, CFolderItem* instance) REQUIRES(m_lock);
    const CFolderNode* FindNode(const CString& nodeKey) const REQUIRES(m_lock);
    void WriteNRDFolders() EXCLUDES(m_lock);
    static void DeleteNodes(CFolderNode* first);

    CShellAppLibrary* const m_pLibrary;
    mutable CCacheLock m_lock;
    CFolderNode* m_pNodes GUARDED_BY(m_lock) = nullptr;
    ItemMap m_items GUARDED_BY(m_lock);
    BYTE m_config[KMAPP_CONFIG_SIZE] GUARDED_BY(m_lock) = {};
    CStringArray m_logins GUARDED_BY(m_lock);

    HANDLE m_hThread = nullptr;
    DWORD m_dwThreadId = 0;
    HANDLE m_hRefreshed = nullptr;       // pulsed after every completed rebuild
    HANDLE m_hFirstRefreshed = nullptr;  // set by the first completed rebuild; stays set
    HANDLE m_hInterrupt = nullptr;       // makes the worker start a new cycle (and stop)

    std::atomic<BOOL> m_bStop{FALSE};
    std::atomic<BOOL> m_bPersonalChanged{FALSE};
    std::atomic<BOOL> m_bNRDRead{FALSE};
    std::atomic<LONG> m_nRebuildCount{0};
    std::atomic<BOOL> m_bLaunching{FALSE};
    std::atomic<BOOL> m_bChecking{FALSE};
};
