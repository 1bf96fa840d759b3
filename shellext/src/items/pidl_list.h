// CPidlList: the absolute identifier lists of the folders the shell opened
// through the extension, one per distinct folder, which receive change
// notifications. One per module (a base of the module object); every browser
// thread adds to it and the tray's refresh walks it, so it is locked.
#pragma once

#include <mutex>
#include <vector>

#include "namespace/item_id_list.h"
#include "shlobj.h"

class CPidlList {
public:
    CPidlList() = default;
    CPidlList(const CPidlList&) = delete;
    CPidlList& operator=(const CPidlList&) = delete;
    virtual ~CPidlList() = default;

    // Stores a copy of the list unless the desktop folder finds it equal to a
    // stored one; nothing without the desktop folder.
    void Add(LPCITEMIDLIST list);
    // SHChangeNotify (event, SHCNF_IDLIST | SHCNF_FLUSH) for every stored
    // list followed by the relative list (none adds nothing); returns the
    // number of stored lists minus 1.
    int NotifyAll(LONG event, LPCITEMIDLIST relative);
    // The number of stored lists.
    int GetCount() const;

private:
    mutable std::mutex m_lock;
    std::vector<CItemIdList> m_lists;  // GUARDED_BY(m_lock)
};
