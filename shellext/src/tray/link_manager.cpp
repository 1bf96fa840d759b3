#include "tray/link_manager.h"

#include <cstring>
#include <vector>

#include "cache/app_cache.h"
#include "items/folder_item.h"
#include "items/shortcut_path.h"
#include "module/module_utilities.h"
#include "module/shell_ext_app.h"
#include "tray/shortcut_link.h"

namespace {

constexpr DWORD kDesktopMask = 0x8;  // Desktop association
constexpr DWORD kNameSize = 261;     // registry names up to 260 bytes

CAppCache* Cache() {
    CShellExtApp* app = GetShellExtApp();
    return app ? app->m_pCache : nullptr;
}

void AddOnce(CStringArray& keys, const CString& key) {
    for (int i = 0; i < keys.GetSize(); ++i)
        if (keys[i] == key) return;
    keys.Add(key);
}

// Whether the file name of `path` is "base.lnk" or "base (n).lnk" (n from 2),
// the names a shortcut for `base` may take.
BOOL IsNameOf(LPCSTR path, const CString& base) {
    LPCSTR slash = std::strrchr(path, '\\');
    CString name = slash ? slash + 1 : path;
    if (name.CompareNoCase(base + ".lnk") == 0) return TRUE;
    const CString prefix = base + " (";
    const CString suffix = ").lnk";
    if (name.GetLength() <= prefix.GetLength() + suffix.GetLength()) return FALSE;
    if (name.Left(prefix.GetLength()).CompareNoCase(prefix) != 0 ||
        name.Right(suffix.GetLength()).CompareNoCase(suffix) != 0)
        return FALSE;
    const CString number = name.Mid(prefix.GetLength(), name.GetLength() - prefix.GetLength() - suffix.GetLength());
    if (number.GetLength() > 4 || number[0] == '0') return FALSE;
    for (int i = 0; i < number.GetLength(); ++i)
        if (number[i] < '0' || number[i] > '9') return FALSE;
    return std::atoi(number) >= 2;
}

}  // namespace

CLinkManager::CLinkManager() : m_rootList(RootIdList()) { GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY, m_strDesktop); }

CLinkManager::~CLinkManager() {
    SaveRecords();
    DeleteLinks();
}

template <class Visit>
void CLinkManager::ForEachLink(Visit visit) {
    if (m_strDesktop.IsEmpty()) return;
    // The names are taken first: a visit may delete or rename files.
    std::vector<CString> paths;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA(m_strDesktop + "\\*.lnk", &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        paths.push_back(m_strDesktop + "\\" + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    for (const CString& path : paths) visit(path);
}

BOOL CLinkManager::ResolveLink(LPCSTR path, CString& key, BOOL* own) {
    CString description;
    const BOOL into = ReadNameSpaceLink(path, key, own ? &description : nullptr);
    if (own) *own = into && std::strcmp(description, kOwnLinkDescription) == 0;
    return into;
}

void CLinkManager::UpdateLinks() {
    CAppCache* cache = Cache();
    // Before the cache's first rebuild every item would look gone: nothing
    // is judged until it holds what the user may run.
    if (!cache || cache->GetRebuildCount() == 0 || m_strDesktop.IsEmpty()) return;

    // Stale shortcuts: to an item that is gone, or own ones whose
    // application lost the Desktop association.
    ForEachLink([&](const CString& path) {
        CString key;
        BOOL own = FALSE;
        if (!ResolveLink(path, key, &own)) return;
        CFolderItem* item = cache->GetItem(key, CACHE_NO_CONTEXT);
        if (item) item->Release();
        if (!item || (own && !(cache->GetFlagsForKey(key) & kDesktopMask))) DeleteFileA(path);
    });

    SaveRecords();

    // What belongs on the desktop: the Desktop applications, then what the
    // user had placed.
    CStringArray keys, nodes;
    cache->CountFolders(kDesktopMask, &nodes);
    for (int n = 0; n < nodes.GetSize(); ++n) {
        CStringArray folders;
        cache->ListFolders(kDesktopMask, nodes[n], &folders);
        for (int f = 0; f < folders.GetSize(); ++f) {
            CStringArray apps;
            cache->ListFolderChildren(kDesktopMask, folders[f], apps);
            for (int a = 0; a < apps.GetSize(); ++a) AddOnce(keys, apps[a]);
        }
    }
    CStringArray records;
    LoadRecords(records);
    for (int r = 0; r < records.GetSize(); ++r) AddOnce(keys, records[r]);

    std::vector<CFolderItem*> items;
    std::vector<CString> names;
    for (int i = 0; i < keys.GetSize(); ++i) {
        items.push_back(cache->GetItem(keys[i], CACHE_NO_CONTEXT));
        names.push_back(items.back() ? CleanFileName(items.back()->GetName()) : CString());
    }

    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i] || names[i].IsEmpty()) continue;
        const CString key = keys[static_cast<int>(i)];
        // Two items of one name are told apart by the first context text.
        CString text = items[i]->GetName();
        BOOL shared = FALSE;
        for (size_t j = 0; j < items.size() && !shared; ++j)
            shared = j != i && items[j] && names[j].CompareNoCase(names[i]) == 0;
        CString context, second;
        if (shared && cache->GetRecordTexts(key, context, second)) text.Format("%s (%s)", static_cast<LPCSTR>(text),
                                                                              static_cast<LPCSTR>(context));
        const CString base = CleanFileName(text);
        auto isThisKey = [&key](LPCSTR candidate) {
            CString found;
            return ResolveLink(candidate, found) && found == key ? TRUE : FALSE;
        };
        CString wanted;
        BOOL inPlace = FALSE;
        if (!FindShortcutPath(m_strDesktop, text, isThisKey, wanted, inPlace) || inPlace) continue;
        if (FindLink(key, base, wanted)) continue;
        const BOOL own = (cache->GetFlagsForKey(key) & kDesktopMask) != 0;
        items[i]->CreateShortcut(m_rootList, own ? kOwnLinkDescription : nullptr, wanted);
    }
    for (CFolderItem* item : items)
        if (item) item->Release();
    m_bRecordsPlaced = TRUE;
}

BOOL CLinkManager::FindLink(LPCSTR key, LPCSTR baseName, LPCSTR wantedPath) {
    BOOL found = FALSE;
    const CString base = baseName;
    ForEachLink([&](const CString& path) {
        CString target;
        if (found || !ResolveLink(path, target) || target != key) return;
        if (path.CompareNoCase(wantedPath) == 0 || IsNameOf(path, base)) {
            found = TRUE;
        } else if (MoveFileA(path, wantedPath)) {
            found = TRUE;
        } else {
            // It goes, and a fresh one is written at the wanted name.
            DeleteFileA(path);
        }
    });
    return found;
}

void CLinkManager::CollectUserLinks(CStringArray& keys) {
    ForEachLink([&](const CString& path) {
        CString key;
        BOOL own = FALSE;
        if (ResolveLink(path, key, &own) && !own) AddOnce(keys, key);
    });
}

void CLinkManager::SaveRecords() {
    CStringArray keys;
    CollectUserLinks(keys);
    HKEY records = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kLinkRecordsKey, 0, const_cast<LPSTR>(""), 0, KEY_ALL_ACCESS, nullptr,
                        &records, nullptr) != ERROR_SUCCESS)
        return;
    // Every tree the cache holds now starts empty, so that a shortcut the
    // user deleted is not placed again; trees not present keep theirs.
    // Until the recorded shortcuts were placed once, none of them is on the
    // desktop (the last exit removed them): the records then only grow.
    CStringArray nodes;
    CAppCache* cache = Cache();
    if (cache && m_bRecordsPlaced) cache->ListNodes(nodes);
    for (int i = 0; i < nodes.GetSize(); ++i) {
        const CString& node = nodes[i];
        DeleteRegistryValues(records, node.Left(node.GetLength() - 1));
    }
    for (int i = 0; i < keys.GetSize(); ++i) {
        const int tab = keys[i].Find('\t');
        if (tab < 0) continue;
        HKEY tree = nullptr;
        if (RegCreateKeyExA(records, keys[i].Left(tab), 0, const_cast<LPSTR>(""), 0, KEY_ALL_ACCESS, nullptr, &tree,
                            nullptr) != ERROR_SUCCESS)
            continue;
        RegSetValueExA(tree, keys[i].Mid(tab + 1), 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 0);
        RegCloseKey(tree);
    }
    RegCloseKey(records);
}

void CLinkManager::LoadRecords(CStringArray& keys) {
    HKEY records = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kLinkRecordsKey, 0, KEY_ALL_ACCESS, &records) != ERROR_SUCCESS) return;
    for (DWORD t = 0;; ++t) {
        char tree[kNameSize] = {};
        DWORD treeLength = sizeof tree;
        if (RegEnumKeyExA(records, t, tree, &treeLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY subkey = nullptr;
        if (RegOpenKeyExA(records, tree, 0, KEY_ALL_ACCESS, &subkey) != ERROR_SUCCESS) continue;
        for (DWORD v = 0;; ++v) {
            char value[kNameSize] = {};
            DWORD valueLength = sizeof value;
            if (RegEnumValueA(subkey, v, value, &valueLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            keys.Add(CString(tree) + "\t" + value);
        }
        RegCloseKey(subkey);
    }
    RegCloseKey(records);
}

void CLinkManager::DeleteLinks() {
    ForEachLink([&](const CString& path) {
        CString key;
        if (ResolveLink(path, key)) DeleteFileA(path);
    });
}
