#include "items/pidl_list.h"

void CPidlList::Add(LPCITEMIDLIST list) {
    IShellFolder* desktop = nullptr;
    if (!list || FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return;
    {
        // Held across the comparisons, so that two threads adding the same
        // folder store it once.
        std::lock_guard<std::mutex> hold(m_lock);
        bool known = false;
        for (const CItemIdList& stored : m_lists) {
            if (desktop->CompareIDs(0, stored.GetList(), list) == 0) {
                known = true;
                break;
            }
        }
        if (!known) m_lists.emplace_back(list);
    }
    desktop->Release();
}

int CPidlList::NotifyAll(LONG event, LPCITEMIDLIST relative) {
    // The shell is told outside the lock: a shell that answers on another
    // thread may add a folder meanwhile.
    std::vector<CItemIdList> lists;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        lists = m_lists;
    }
    const CItemIdList tail(relative);
    for (const CItemIdList& stored : lists) {
        const CItemIdList full = tail.IsEmpty() ? stored : stored + tail;
        SHChangeNotify(event, SHCNF_IDLIST | SHCNF_FLUSH, full.GetList(), nullptr);
    }
    return static_cast<int>(lists.size()) - 1;
}

int CPidlList::GetCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_lists.size());
}
