// The item factory of the cache: every component that needs the object
// behind an item key asks CAppCache::GetItem, which hands out a fresh copy
// of the cache's own instance (building and storing that instance on the
// first request), so that no caller ever shares an item with another.
#include "cache/app_cache.h"
#include "items/app_folder_item.h"
#include "items/app_tree.h"
#include "items/group_folder_item.h"
#include "module/shell_app_library.h"

namespace {

// A copy of the cache's instance by its class; null for any other class.
CFolderItem* CopyInstance(CFolderItem* instance) {
    if (instance->IsKindOf(RUNTIME_CLASS(CGroupFolderItem)))
        return new CGroupFolderItem(*static_cast<CGroupFolderItem*>(instance));
    if (instance->IsKindOf(RUNTIME_CLASS(CAppFolderItem)))
        return new CAppFolderItem(*static_cast<CAppFolderItem*>(instance));
    if (instance->IsKindOf(RUNTIME_CLASS(CAppTree))) return new CAppTree(*static_cast<CAppTree*>(instance));
    return nullptr;
}

}  // namespace

CFolderItem* CAppCache::GetItem(LPCSTR key, DIR_CONTEXT context) {
    if (!key || !*key) {
        CString name;
        name.LoadString(10240);
        return new CFolderItem(nullptr, nullptr, 0, name, nullptr);
    }
    try {
        CCacheLock::Scope hold(m_lock);
        const CString wanted(key);
        if (CFolderItem* instance = FindMapItem(wanted)) return CopyInstance(instance);

        // A key is split at its first TAB: the first part keeps the TAB; a
        // key without one is all second part.
        const int tab = wanted.Find('\t');
        const CString first = tab < 0 ? CString() : wanted.Left(tab + 1);
        const CString second = tab < 0 ? wanted : wanted.Mid(tab + 1);
        CFolderItem* instance = nullptr;
        if (!second.IsEmpty()) {
            instance = CreateAppItem(first, second, context);
        } else {
            const CString tree = wanted.Left(tab);
            BOOL known = IsPersonalTreeKey(first);
            if (!known && m_pLibrary) {
                const DIR_CONTEXT treeContext = m_pLibrary->AllocContext(tree);
                if (treeContext != kNoContext) {
                    m_pLibrary->FreeContext(treeContext);
                    known = TRUE;
                }
            }
            if (known) instance = new CAppTree(wanted, tree);
        }
        if (!instance) return nullptr;
        CFolderItem* copy = CopyInstance(instance);
        StoreMapItem(wanted, instance);
        return copy;
    } catch (...) {
        return nullptr;
    }
}
