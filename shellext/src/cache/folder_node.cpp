#include "cache/folder_node.h"

#include "cache/app_cache.h"
#include "module/shell_app_library.h"

#define IDS_PERSONAL 10256

CString PersonalNodeKey() {
    CString name;
    name.LoadString(IDS_PERSONAL);
    return name + "\t";
}

CFolderNode::CFolderNode(CAppCache* cache, LPCSTR key, BOOL bPersonal)
    : m_bPersonal(bPersonal), m_pLibrary(cache->GetLibrary()) {
    if (!bPersonal) {
        m_strKey = key;
        DIR_CONTEXT context = cache->AllocContextForKey(key);
        if (context != CACHE_NO_CONTEXT) {
            BYTE config[KMAPP_CONFIG_SIZE] = {};
            m_pLibrary->ReadLauncherConfig(context, config);
            m_pFolders = m_pLibrary->GetFoldersEx(context, KmappConfigGet(config, KMAPP_CONFIG_OFFSET_LEVELS));
            m_pLibrary->FreeContext(context);
        }
    } else {
        CStringArray trees;
        cache->ReadTreeList(trees);
        for (int i = 0; i < trees.GetSize(); ++i) {
            CString tree = trees[i].Left(trees[i].GetLength() - 1);  // without its TAB
            DIR_CONTEXT context = m_pLibrary->AllocContext(tree);
            if (context == CACHE_NO_CONTEXT) continue;
            m_pLibrary->GetPersonalFolders(context, tree, &m_pFolders);
            m_pLibrary->FreeContext(context);
            // The records this call added came from this tree: a launch of
            // one of them needs a context for it.
            for (KmappFolder* folder = m_pFolders; folder; folder = folder->next)
                for (KmappApplication* app = folder->applications; app; app = app->next)
                    m_appTrees.emplace(app, tree);
        }
        m_strKey = PersonalNodeKey();
        for (KmappFolder* folder = m_pFolders; folder; folder = folder->next) {
            if (folder->flags == 0) folder->flags = KMAPP_ASSOC_LAUNCHER;
            folder->flags |= KMAPP_ASSOC_PERSONAL;
        }
    }
    for (KmappFolder* folder = m_pFolders; folder; folder = folder->next)
        if (folder->flags & KMAPP_ASSOC_PERSONAL)
            for (KmappApplication* app = folder->applications; app; app = app->next) app->flags |= KMAPP_ASSOC_PERSONAL;
}

CFolderNode::~CFolderNode() {
    if (m_pFolders) m_pLibrary->FreeGetFoldersEx(m_pFolders);
}

CString CFolderNode::TreeOf(const KmappApplication* app) const {
    auto found = m_appTrees.find(app);
    return found == m_appTrees.end() ? CString() : found->second;
}
