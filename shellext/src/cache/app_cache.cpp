#include "cache/app_cache.h"

#include <cstring>

#include "cache/folder_node.h"
#include "items/app_folder_item.h"
#include "items/folder_item.h"
#include "items/group_folder_item.h"
#include "module/module_utilities.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "tray/tray_wnd.h"
#include "vpr/directory/client.h"
#include "vpr/directory/connections.h"
#include "vpr/directory/network_calls.h"

namespace {

const DWORD kNoFolderFlags = 0;
const DWORD kRefreshAnimation = 130;
const UINT kAnimationId = 0x7A30;

// The part of a key up to and including its first TAB, and the rest.
void SplitAtTab(LPCSTR key, CString& first, CString& second) {
    CString whole = key ? key : "";
    int tab = whole.Find('\t');
    if (tab < 0) {
        first.Empty();
        second = whole;
    } else {
        first = whole.Left(tab + 1);
        second = whole.Mid(tab + 1);
    }
}

BOOL InArray(const CStringArray& array, const CString& text) {
    for (int i = 0; i < array.GetSize(); ++i)
        if (array[i] == text) return TRUE;
    return FALSE;
}

void Append(CStringArray* keys, const CString& key) {
    if (keys) keys->Add(key);
}

// Handles what is waiting in the thread's queue.
void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The wait animation over a view's client area, for as long as it lives.
class CWaitAnimation {
public:
    explicit CWaitAnimation(HWND view) {
        if (!view || !IsWindow(view)) return;
        RECT client;
        GetClientRect(view, &client);
        if (m_animation.Create(WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT, client, CWnd::FromHandle(view),
                               kAnimationId) &&
            m_animation.Open(kRefreshAnimation))
            m_animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    }
    ~CWaitAnimation() {
        if (m_animation.m_hWnd && IsWindow(m_animation.m_hWnd)) m_animation.DestroyWindow();
    }

private:
    CAnimateCtrl m_animation;
};

}  // namespace

size_t CAppCache::KeyHash::operator()(const CString& key) const { return ItemKeyHash(key, 17); }

CAppCache::CAppCache(CShellAppLibrary* pLibrary) : m_pLibrary(pLibrary), m_items(17) {
    SvcInitialize(nullptr, nullptr);
    m_hRefreshed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hFirstRefreshed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hInterrupt = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CStringArray logins;
    ReadLoginList(logins);
    {
        CCacheLock::Scope scope(m_lock);
        m_logins.Copy(logins);
    }
    m_hThread = CreateThread(nullptr, 0, WorkerThread, this, 0, &m_dwThreadId);
    if (m_hThread) SetThreadPriority(m_hThread, THREAD_PRIORITY_BELOW_NORMAL);
}

CAppCache::~CAppCache() {
    Stop();
    CloseHandle(m_hRefreshed);
    CloseHandle(m_hFirstRefreshed);
    CloseHandle(m_hInterrupt);
}

void CAppCache::Stop() {
    // The worker may be inside the library with the node list it is
    // building; nothing is freed until it has ended.
    m_bStop = TRUE;
    SetEvent(m_hInterrupt);
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    // Waiters for a refresh that will not come go on.
    SetEvent(m_hFirstRefreshed);
    SetEvent(m_hRefreshed);
    CFolderNode* nodes;
    {
        CCacheLock::Scope scope(m_lock);
        nodes = m_pNodes;
        m_pNodes = nullptr;
        ClearItemMap();
    }
    DeleteNodes(nodes);
    if (m_bPersonalChanged.exchange(FALSE)) WriteNRDFolders();
}

void CAppCache::DeleteNodes(CFolderNode* first) {
    while (first) {
        CFolderNode* next = first->m_pNext;
        delete first;
        first = next;
    }
}

// ---- the worker --------------------------------------------------------------

DWORD WINAPI CAppCache::WorkerThread(LPVOID param) {
    // Texts and resources of this module, not of the host program.
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    static_cast<CAppCache*>(param)->RunWorker();
    return 0;
}

void CAppCache::RunWorker() {
    while (!m_bStop) {
        DWORD waitTime = INFINITE;
        BOOL completed = FALSE;
        try {
            completed = RunCycle(&waitTime);
        } catch (...) {
            completed = TRUE;  // wait as after a cycle, then try again
        }
        if (m_bStop) break;
        if (completed) WaitForSingleObject(m_hInterrupt, waitTime);
    }
}

BOOL CAppCache::RunCycle(DWORD* waitTime) {
    ResetEvent(m_hInterrupt);
    if (m_bStop) return FALSE;
    if (m_bPersonalChanged) m_bNRDRead = TRUE;
    if (!m_bNRDRead) {
        CStringArray trees;
        ReadTreeList(trees);
        BOOL read = FALSE;
        for (int i = 0; i < trees.GetSize(); ++i) {
            CString tree = trees[i].Left(trees[i].GetLength() - 1);
            DIR_CONTEXT context = m_pLibrary->AllocContext(tree);
            if (m_pLibrary->ReadNRDFolders(context, tree)) read = TRUE;
            if (context != CACHE_NO_CONTEXT) m_pLibrary->FreeContext(context);
        }
        m_bNRDRead = read;
    }
    ReadConfig();
    DWORD flags, interval;
    {
        CCacheLock::Scope scope(m_lock);
        flags = KmappConfigGet(m_config, KMAPP_CONFIG_OFFSET_FLAGS);
        interval = KmappConfigGet(m_config, KMAPP_CONFIG_OFFSET_INTERVAL);
    }
    *waitTime = (flags & CACHE_CONFIG_NO_TIMED_REFRESH) || interval == 0 ? INFINITE : interval * 1000;
    if (IsInterrupted()) return FALSE;

    CFolderNode* fresh = BuildFolderTree();
    CFolderNode* old;
    {
        CCacheLock::Scope scope(m_lock);
        ClearItemMap();
        RebuildItemMap(fresh);
        old = m_pNodes;
        m_pNodes = fresh;
    }
    DeleteNodes(old);
    if (IsInterrupted()) return FALSE;

    ++m_nRebuildCount;
    SetEvent(m_hFirstRefreshed);
    PulseEvent(m_hRefreshed);
    // The tray window runs the schedule check at once (the worker only posts
    // to its handle); the views refill.
    if (CShellExtApp* app = GetShellExtApp()) {
        CTrayWnd::PostCheck(app->GetTrayWindow());
        app->BroadcastRefill(FALSE);
    }
    if (m_bPersonalChanged) {
        WriteNRDFolders();
        m_bPersonalChanged = FALSE;
    }
    PreloadItems();
    return TRUE;
}

void CAppCache::ReadConfig() {
    BYTE config[KMAPP_CONFIG_SIZE] = {};
    DIR_CONTEXT context = m_pLibrary->AllocContext(nullptr);
    m_pLibrary->ReadLauncherConfig(context, config);
    if (context != CACHE_NO_CONTEXT) m_pLibrary->FreeContext(context);
    CCacheLock::Scope scope(m_lock);
    std::memcpy(m_config, config, sizeof config);
}

void CAppCache::WriteNRDFolders() {
    CStringArray trees;
    ReadTreeList(trees);
    for (int i = 0; i < trees.GetSize(); ++i) {
        CString tree = trees[i].Left(trees[i].GetLength() - 1);
        DIR_CONTEXT context = m_pLibrary->AllocContext(tree);
        m_pLibrary->WriteNRDFolders(context, tree);
        if (context != CACHE_NO_CONTEXT) m_pLibrary->FreeContext(context);
    }
}

void CAppCache::PreloadItems() {
    CStringArray nodeKeys;
    CountFolders(KMAPP_ASSOC_ALL, &nodeKeys);
    for (int n = 0; n < nodeKeys.GetSize(); ++n) {
        if (IsInterrupted()) return;
        DIR_CONTEXT context = AllocContextForKey(nodeKeys[n]);
        if (context == CACHE_NO_CONTEXT) continue;
        CStringArray keys;
        ListFolders(KMAPP_ASSOC_ALL, nodeKeys[n], &keys);
        ListNodeApps(KMAPP_ASSOC_ALL, nodeKeys[n], &keys);
        for (int k = 0; k < keys.GetSize() && !IsInterrupted(); ++k)
            if (CFolderItem* item = GetItem(keys[k], context)) item->Release();
        m_pLibrary->FreeContext(context);
    }
}

BOOL CAppCache::IsInterrupted() const {
    return m_bStop || WaitForSingleObject(m_hInterrupt, 0) == WAIT_OBJECT_0;
}

// ---- trees, logins, nodes and the item map -------------------------------------

DIR_CONTEXT CAppCache::AllocContextForKey(LPCSTR key) {
    CString first, second;
    SplitAtTab(key, first, second);
    if (first.IsEmpty()) return CACHE_NO_CONTEXT;
    return m_pLibrary->AllocContext(first.Left(first.GetLength() - 1));
}

int CAppCache::ReadTreeList(CStringArray& trees) {
    trees.RemoveAll();
    uint32_t scan = 0, connection = 0;
    while (ConnScanConnections(&scan, &connection) == CONN_SUCCESS) {
        char name[66] = {};
        if (ConnGetConnectionInfo(connection, CONN_INFO_TREE_NAME, sizeof name, name) != CONN_SUCCESS) continue;
        name[sizeof name - 1] = '\0';
        if (!name[0]) continue;
        TrimTreeName(name);
        CString entry = CString(name) + "\t";
        if (InArray(trees, entry)) continue;
        DIR_CONTEXT context = m_pLibrary->AllocContext(name);
        if (context == CACHE_NO_CONTEXT) continue;
        m_pLibrary->FreeContext(context);
        trees.Add(entry);
    }
    return static_cast<int>(trees.GetSize());
}

namespace {

// "tree\tabbreviated user" of a usable context; empty when it says nothing.
CString LoginEntry(DIR_CONTEXT context, const CString& knownTree) {
    CString tree = knownTree;
    if (tree.IsEmpty()) {
        char name[DIR_MAX_NAME] = {};
        if (DirGetContextInfo(context, DIR_KEY_TREE_NAME, name) != DIR_SUCCESS) return "";
        name[sizeof name - 1] = '\0';
        TrimTreeName(name);
        tree = name;
    }
    char user[514] = {}, abbreviated[514] = {};
    if (DirGetCurrentUserName(context, user) != DIR_SUCCESS) return "";
    if (DirAbbreviateName(context, user, abbreviated) != DIR_SUCCESS) return "";
    return tree + "\t" + abbreviated;
}

}  // namespace

void CAppCache::ReadLoginList(CStringArray& logins) {
    logins.RemoveAll();
    DIR_CONTEXT context = m_pLibrary->AllocContext(nullptr);
    if (context != CACHE_NO_CONTEXT) {
        CString entry = LoginEntry(context, "");
        if (!entry.IsEmpty()) logins.Add(entry);
        m_pLibrary->FreeContext(context);
    }
    uint32_t scan = 0, connection = 0;
    while (ConnScanConnections(&scan, &connection) == CONN_SUCCESS) {
        char name[67] = {};
        if (ConnGetConnectionInfo(connection, CONN_INFO_TREE_NAME, sizeof name, name) != CONN_SUCCESS) continue;
        name[sizeof name - 1] = '\0';
        if (!name[0]) continue;
        TrimTreeName(name);
        CString prefix = CString(name) + "\t";
        BOOL known = FALSE;
        for (int i = 0; i < logins.GetSize() && !known; ++i) known = logins[i].Find(prefix) >= 0;
        if (known) continue;
        DIR_CONTEXT tree = m_pLibrary->AllocContext(name);
        if (tree == CACHE_NO_CONTEXT) continue;
        CString entry = LoginEntry(tree, name);
        if (!entry.IsEmpty()) logins.Add(entry);
        m_pLibrary->FreeContext(tree);
    }
}

CFolderNode* CAppCache::BuildFolderTree() {
    CStringArray trees;
    if (ReadTreeList(trees) == 0) return nullptr;
    CFolderNode* first = nullptr;
    CFolderNode** link = &first;
    for (int i = 0; i < trees.GetSize(); ++i) {
        *link = new CFolderNode(this, trees[i], FALSE);
        link = &(*link)->m_pNext;
    }
    BOOL noPersonal;
    {
        CCacheLock::Scope scope(m_lock);
        noPersonal = (KmappConfigGet(m_config, KMAPP_CONFIG_OFFSET_FLAGS) & CACHE_CONFIG_NO_PERSONAL) != 0;
    }
    if (!noPersonal) *link = new CFolderNode(this, nullptr, TRUE);
    return first;
}

void CAppCache::ClearItemMap() {
    for (auto& entry : m_items) entry.second->Release();
    m_items.clear();
}

void CAppCache::RebuildItemMap(CFolderNode* first) {
    for (CFolderNode* node = first; node; node = node->m_pNext) {
        CFolderItem* nodeItem = GetItem(node->m_strKey, CACHE_NO_CONTEXT);
        if (!nodeItem) continue;
        CItemIdList nodeList = nodeItem->GetAbsoluteIdList();
        for (KmappFolder* folder = node->m_pFolders; folder; folder = folder->next) {
            CString key = node->m_strKey + folder->name;
            CFolderItem* item = new CGroupFolderItem(node->m_strKey, folder->name, folder->flags, nodeList);
            auto found = m_items.find(key);
            if (found != m_items.end()) {
                found->second->Release();
                found->second = item;
            } else {
                m_items.emplace(key, item);
            }
        }
        nodeItem->Release();
    }
}

CFolderItem* CAppCache::FindMapItem(const CString& key) const {
    auto found = m_items.find(key);
    return found == m_items.end() ? nullptr : found->second;
}

void CAppCache::StoreMapItem(const CString& key, CFolderItem* instance) {
    auto found = m_items.find(key);
    if (found != m_items.end()) {
        if (found->second != instance) instance->Release();
        return;
    }
    m_items.emplace(key, instance);
}

const CFolderNode* CAppCache::FindNode(const CString& nodeKey) const {
    for (const CFolderNode* node = m_pNodes; node; node = node->m_pNext)
        if (node->m_strKey == nodeKey) return node;
    return nullptr;
}

CFolderItem* CAppCache::CreateAppItem(LPCSTR nodeKey, LPCSTR appName, DIR_CONTEXT context) {
    // Without a context, one for the tree the application comes from (for an
    // item of a personal folder, the tree whose folder holds it).
    DIR_CONTEXT own = CACHE_NO_CONTEXT;
    CString tree;
    if (context == CACHE_NO_CONTEXT && GetLaunchTree(CString(nodeKey) + appName, tree))
        context = own = m_pLibrary->AllocContext(tree);
    CFolderItem* item = nullptr;
    HICON icon = nullptr;
    try {
        DirObjectInfo info = {};
        char objectName[DIR_MAX_NAME] = {};
        CString className;
        if (DirReadObjectInfo(context, appName, objectName, &info) == DIR_SUCCESS) className = info.baseClass;
        static const LPCSTR kNames[] = {"App Icon", "App:Icon", "Description", "App:Caption", "App:Platform",
                                        "Full Name"};
        CString caption;
        KmappAttribute* list = m_pLibrary->GetObjectAttributes(context, appName, kNames, 6);
        for (KmappAttribute* attribute = list; attribute; attribute = attribute->next) {
            if (!attribute->name || !attribute->values || !attribute->values->data) continue;
            CString name = attribute->name;
            if (name.CompareNoCase("App Icon") == 0 || name.CompareNoCase("App:Icon") == 0) {
                // A stream value: its first word is the open file handle.
                HICON next = m_pLibrary->GetIconFromHandle(*static_cast<HFILE*>(attribute->values->data));
                if (icon) DestroyIcon(icon);
                icon = next;
            } else if (name.CompareNoCase("Description") == 0 || name.CompareNoCase("App:Caption") == 0) {
                caption = static_cast<const char*>(attribute->values->data);
                int end = caption.Find("\r\n");
                if (end >= 0) caption = caption.Left(end);
            }
        }
        if (list) m_pLibrary->FreeGetObjectAttributes(list);
        if (caption.IsEmpty()) caption = appName;
        static const LPCSTR kClasses[] = {"Application (Windows NT)", "Application (Windows 95)",
                                          "Application (DOS)", "Application (Windows 3.x)", "App:Application"};
        for (LPCSTR cls : kClasses)
            if (className == cls) item = new CAppFolderItem(nodeKey, appName, caption, icon);
    } catch (...) {
        item = nullptr;
    }
    if (icon) DestroyIcon(icon);
    if (own != CACHE_NO_CONTEXT) m_pLibrary->FreeContext(own);
    return item;
}

// ---- lookups ------------------------------------------------------------------

int CAppCache::CountFolders(DWORD mask, CStringArray* keys) {
    CCacheLock::Scope scope(m_lock);
    int count = 0;
    try {
        for (const CFolderNode* node = m_pNodes; node; node = node->m_pNext) {
            BOOL counts = node->m_bPersonal && (mask & KMAPP_ASSOC_LAUNCHER);
            for (const KmappFolder* folder = node->m_pFolders; folder && !counts; folder = folder->next)
                counts = (folder->flags & mask) != 0;
            if (!counts) continue;
            ++count;
            Append(keys, node->m_strKey);
        }
    } catch (...) {
        return 0;
    }
    return count;
}

int CAppCache::ListNodes(CStringArray& keys) {
    CCacheLock::Scope scope(m_lock);
    int count = 0;
    for (const CFolderNode* node = m_pNodes; node; node = node->m_pNext, ++count) keys.Add(node->m_strKey);
    return count;
}

int CAppCache::ListFolders(DWORD mask, LPCSTR nodeKey, CStringArray* keys) {
    CCacheLock::Scope scope(m_lock);
    int count = 0;
    try {
        const CFolderNode* node = FindNode(nodeKey);
        if (!node) return 0;
        for (const KmappFolder* folder = node->m_pFolders; folder; folder = folder->next) {
            if (!(folder->flags & mask)) continue;
            ++count;
            Append(keys, node->m_strKey + folder->name);
        }
    } catch (...) {
        return 0;
    }
    return count;
}

int CAppCache::ListNodeApps(DWORD mask, LPCSTR nodeKey, CStringArray* keys) {
    CCacheLock::Scope scope(m_lock);
    int count = 0;
    try {
        const CFolderNode* node = FindNode(nodeKey);
        if (!node) return 0;
        for (const KmappFolder* folder = node->m_pFolders; folder; folder = folder->next)
            for (const KmappApplication* app = folder->applications; app; app = app->next) {
                if (!(app->flags & app->state & mask)) continue;
                ++count;
                Append(keys, node->m_strKey + app->name);
            }
    } catch (...) {
        return 0;
    }
    return count;
}

int CAppCache::ListChildren(DWORD mask, LPCSTR nodeKey, LPCSTR folderName, CStringArray* keys) {
    if (!nodeKey || !*nodeKey) return CountFolders(mask, keys);
    if (!folderName || !*folderName) return ListFolders(mask, nodeKey, keys);
    CCacheLock::Scope scope(m_lock);
    int count = 0;
    try {
        const CFolderNode* node = FindNode(nodeKey);
        if (!node) return 0;
        for (const KmappFolder* folder = node->m_pFolders; folder; folder = folder->next) {
            if (std::strcmp(folder->name, folderName) != 0) continue;
            for (const KmappApplication* app = folder->applications; app; app = app->next) {
                if (!(app->flags & app->state & mask)) continue;
                ++count;
                Append(keys, node->m_strKey + app->name);
            }
            break;
        }
    } catch (...) {
        return 0;
    }
    return count;
}

int CAppCache::ListFolderChildren(DWORD mask, LPCSTR folderKey, CStringArray& keys) {
    CString nodeKey, folderName;
    SplitAtTab(folderKey, nodeKey, folderName);
    return ListChildren(mask, nodeKey, folderName, &keys);
}

DWORD CAppCache::GetFlagsForKey(LPCSTR key) {
    if (!key || !*key) return KMAPP_ASSOC_LAUNCHER;
    CString nodeKey, rest;
    SplitAtTab(key, nodeKey, rest);
    CCacheLock::Scope scope(m_lock);
    try {
        const CFolderNode* node = FindNode(nodeKey);
        if (!node) return 0;
        if (rest.IsEmpty()) {
            DWORD flags = kNoFolderFlags;
            for (const KmappFolder* folder = node->m_pFolders; folder; folder = folder->next) flags |= folder->flags;
            return flags;
        }
        for (const KmappFolder* folder = node->m_pFolders; folder; folder = folder->next) {
            if (rest == folder->name) return folder->flags;
            for (const KmappApplication* app = folder->applications; app; app = app->next)
                if (rest == app->name) return app->flags & app->state;
        }
    } catch (...) {
    }
    return 0;
}

DWORD CAppCache::GetItemAttributes(LPCSTR key) {
    if (!key || !*key) return 0x21040044;
    CCacheLock::Scope scope(m_lock);
    try {
        CFolderItem* item = GetItem(key, CACHE_NO_CONTEXT);
        if (!item) return 0x01000000;
        DWORD attributes = item->GetAttributes();
        item->Release();
        return attributes;
    } catch (...) {
        return 0;
    }
}

KmappFolder* CAppCache::FindFolderList(LPCSTR nodeKey) {
    const CFolderNode* node = FindNode(nodeKey);
    return node ? node->m_pFolders : nullptr;
}

BOOL CAppCache::GetRecordTexts(LPCSTR key, CString& first, CString& second) {
    CString nodeKey, name;
    SplitAtTab(key, nodeKey, name);
    CCacheLock::Scope scope(m_lock);
    try {
        const CFolderNode* node = FindNode(nodeKey);
        if (!node) return FALSE;
        for (const KmappFolder* folder = node->m_pFolders; folder; folder = folder->next)
            for (const KmappApplication* app = folder->applications; app; app = app->next)
                if (name == app->name) {
                    first = app->context ? app->context : "";
                    second = app->guid ? app->guid : "";
                    return TRUE;
                }
    } catch (...) {
    }
    return FALSE;
}

int CAppCache::GetFolderObjectNames(LPCSTR folderKey, CStringArray& names) {
    CString nodeKey, name;
    SplitAtTab(folderKey, nodeKey, name);
    CCacheLock::Scope scope(m_lock);
    int count = 0;
    try {
        const CFolderNode* node = FindNode(nodeKey);
        if (!node) return 0;
        for (const KmappFolder* folder = node->m_pFolders; folder; folder = folder->next) {
            if (name != folder->name) continue;
            for (const char* text = folder->sources; text && *text; text += std::strlen(text) + 1) {
                names.Add(text);
                ++count;
            }
            break;
        }
    } catch (...) {
        return 0;
    }
    return count;
}

BOOL CAppCache::GetLaunchTree(LPCSTR key, CString& tree) {
    CString nodeKey, name;
    SplitAtTab(key, nodeKey, name);
    if (nodeKey.IsEmpty() || name.IsEmpty()) return FALSE;
    CCacheLock::Scope scope(m_lock);
    try {
        const CFolderNode* node = FindNode(nodeKey);
        if (!node || !node->m_bPersonal) {
            if (nodeKey == PersonalNodeKey()) return FALSE;
            tree = nodeKey.Left(nodeKey.GetLength() - 1);
            return TRUE;
        }
        for (const KmappFolder* folder = node->m_pFolders; folder; folder = folder->next)
            for (const KmappApplication* app = folder->applications; app; app = app->next)
                if (name == app->name) {
                    tree = node->TreeOf(app);
                    return !tree.IsEmpty();
                }
    } catch (...) {
    }
    return FALSE;
}

// ---- schedules and launching -------------------------------------------------------

BOOL CAppCache::CheckSchedules() {
    // One check at a time, and none while a launch runs: a check that a
    // message loop inside a launch (or inside this check's own launches)
    // would start is not run, so its state changes wait for the next one.
    BOOL idle = FALSE;
    if (m_bLaunching || !m_bChecking.compare_exchange_strong(idle, TRUE)) return FALSE;
    BOOL changed = FALSE;
    CStringArray started;
    try {
        for (;;) {
            CStringArray toStart;
            {
                CCacheLock::Scope scope(m_lock);
                for (CFolderNode* node = m_pNodes; node; node = node->m_pNext)
                    for (KmappFolder* folder = node->m_pFolders; folder; folder = folder->next) {
                        folder->flags = (folder->flags & KMAPP_ASSOC_PERSONAL) ? KMAPP_ASSOC_PERSONAL | KMAPP_ASSOC_LAUNCHER
                                                                               : 0;
                        for (KmappApplication* app = folder->applications; app; app = app->next) {
                            DWORD value = m_pLibrary->CheckSchedule(app);
                            folder->flags |= app->flags & app->state;
                            if (value == app->state) continue;
                            changed = TRUE;
                            if (!(app->flags & app->state & KMAPP_ASSOC_FORCE_RUN)) continue;
                            CString key = node->m_strKey + app->name;
                            // An application starts at most once per check.
                            if (!InArray(toStart, key) && !InArray(started, key)) toStart.Add(key);
                        }
                    }
            }
            if (toStart.GetSize() == 0) break;
            try {
                for (int i = 0; i < toStart.GetSize(); ++i) {
                    started.Add(toStart[i]);
                    Launch(toStart[i], nullptr);
                }
            } catch (...) {
            }
        }
    } catch (...) {
    }
    m_bChecking = FALSE;
    return changed;
}

BOOL CAppCache::Launch(LPCSTR key, LPCSTR parameters) {
    BOOL idle = FALSE;
    if (!m_bLaunching.compare_exchange_strong(idle, TRUE)) return FALSE;
    LONG result = -1;
    try {
        RecordLaunch(key, 1);
        result = m_pLibrary->ProcessApplication(key, parameters);
        DWORD code = static_cast<DWORD>(result) & 0xFFFF;
        if (code != 0 && code != 1152) RecordLaunch(key, 0);
    } catch (...) {
    }
    m_bLaunching = FALSE;
    return CheckSchedules();
}

void CAppCache::RecordLaunch(LPCSTR key, DWORD value) {
    CString nodeKey, name;
    SplitAtTab(key, nodeKey, name);
    CCacheLock::Scope scope(m_lock);
    try {
        const CFolderNode* node = FindNode(nodeKey);
        if (!node) return;
        for (KmappFolder* folder = node->m_pFolders; folder; folder = folder->next)
            for (KmappApplication* app = folder->applications; app; app = app->next)
                if (name == app->name) {
                    m_pLibrary->RecordLaunch(app, value);
                    break;
                }
    } catch (...) {
    }
}

// ---- rebuilding and waiting ------------------------------------------------------

void CAppCache::Rebuild(BOOL broadcast) {
    m_bPersonalChanged = TRUE;
    CFolderNode* old = nullptr;
    {
        CCacheLock::Scope scope(m_lock);
        CFolderNode* fresh = nullptr;
        if (!(KmappConfigGet(m_config, KMAPP_CONFIG_OFFSET_FLAGS) & CACHE_CONFIG_NO_PERSONAL)) {
            fresh = new CFolderNode(this, nullptr, TRUE);
            RebuildItemMap(fresh);
        }
        CFolderNode** link = &m_pNodes;
        while (*link && !(*link)->m_bPersonal) link = &(*link)->m_pNext;
        if (*link) {
            old = *link;
            *link = old->m_pNext;
            old->m_pNext = nullptr;
        }
        if (fresh) {
            fresh->m_pNext = *link;
            *link = fresh;
        }
    }
    delete old;
    if (broadcast) {
        CheckSchedules();
        if (CShellExtApp* app = GetShellExtApp()) app->BroadcastRefill(TRUE);
    }
}

DWORD CAppCache::GetConfigFlags() {
    CCacheLock::Scope scope(m_lock);
    return KmappConfigGet(m_config, KMAPP_CONFIG_OFFSET_FLAGS);
}

void CAppCache::WaitForRefresh(HWND view) {
    ReadConfig();
    if (GetConfigFlags() & CACHE_CONFIG_NO_USER_REFRESH) return;
    LONG before = m_nRebuildCount;
    SetEvent(m_hInterrupt);
    CWaitAnimation animation(view);
    // The pulse only wakes the loop: a rebuild that was ending when this
    // refresh was asked pulses too, so the count decides when it is done.
    while (m_nRebuildCount == before && !m_bStop) {
        if (view && !IsWindow(view)) break;
        WaitForSingleObject(m_hRefreshed, 100);
        if (view) PumpMessages();
    }
}

void CAppCache::WaitForFirstRefresh(HWND view) {
    if (m_nRebuildCount == 0) {
        if (!view) {
            // The event stays set once the first rebuild is done, so a
            // waiter that comes after it does not wait.
            WaitForSingleObject(m_hFirstRefreshed, INFINITE);
        } else {
            CWaitAnimation animation(view);
            while (m_nRebuildCount == 0 && IsWindow(view)) {
                if (WaitForSingleObject(m_hFirstRefreshed, 100) == WAIT_OBJECT_0) break;
                PumpMessages();
            }
        }
    }
}

void CAppCache::CheckLoginChange() {
    CStringArray fresh;
    ReadLoginList(fresh);
    BOOL differs = FALSE;
    {
        CCacheLock::Scope scope(m_lock);
        if (fresh.GetSize() != m_logins.GetSize())
            differs = TRUE;
        else if (fresh.GetSize() > 0 && fresh[0] != m_logins[0])
            differs = TRUE;
        for (int i = 1; i < m_logins.GetSize() && !differs; ++i) differs = !InArray(fresh, m_logins[i]);
        m_logins.Copy(fresh);
    }
    if (differs) SetEvent(m_hInterrupt);
}
