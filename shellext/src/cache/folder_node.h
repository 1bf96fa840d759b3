// CFolderNode: one node of the cache's list, the folder records of one tree
// (or of the user's personal folders) as the launcher library returned them.
// The records are the library's own (kmapp32.h); the node frees them.
#pragma once

#include <map>

#include "afxwin.h"
#include "kmapp32.h"

class CAppCache;
class CShellAppLibrary;

class CFolderNode {
public:
    // A tree node ("tree\t") reads the tree's folders for its logged-in user;
    // a personal node reads the personal folders of every tree of the tree
    // list and takes the key "Personal\t".
    CFolderNode(CAppCache* cache, LPCSTR key, BOOL bPersonal);
    virtual ~CFolderNode();
    CFolderNode(const CFolderNode&) = delete;
    CFolderNode& operator=(const CFolderNode&) = delete;

    CString m_strKey;
    BOOL m_bPersonal = FALSE;
    KmappFolder* m_pFolders = nullptr;
    CFolderNode* m_pNext = nullptr;

    // The tree whose personal folders an application record of the personal
    // node was read from; empty for a tree node's records.
    CString TreeOf(const KmappApplication* app) const;

private:
    CShellAppLibrary* m_pLibrary;
    std::map<const KmappApplication*, CString> m_appTrees;
};

// The personal node's key: string 10256 followed by a TAB.
CString PersonalNodeKey();
