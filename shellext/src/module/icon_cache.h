// The module's one store of item icons: a large and a small image list side
// by side, one slot per icon at the same index in both, with a use count per
// slot so that slots of icons no longer shown are reused. CIconRef is the
// counted handle to one slot. Every operation is serialised by the cache's
// lock: items are built on the browsers' threads and on the cache's worker.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "afxwin.h"
#include "commctrl.h"

class CIconCache;

class CIconRef {
public:
    CIconRef() = default;
    CIconRef(const CIconRef& other);
    CIconRef& operator=(const CIconRef& other);
    ~CIconRef();

    // Releases the slot's use and empties the ref.
    void Clear();
    BOOL IsValid() const { return m_pCache != nullptr; }
    int GetIndex() const { return m_nIndex; }
    CIconCache* GetCache() const { return m_pCache; }

private:
    friend class CIconCache;
    int m_nIndex = -1;
    CIconCache* m_pCache = nullptr;
};

class CIconCache {
public:
    CIconCache();
    virtual ~CIconCache();
    CIconCache(const CIconCache&) = delete;
    CIconCache& operator=(const CIconCache&) = delete;

    // Puts a copy of `icon` in a free slot (or a new one) with one use;
    // the handle stays the caller's.
    BOOL AddIcon(CIconRef& ref, HICON icon);
    // A new icon from the large (size 0) or small (size 1) list; the caller
    // destroys it. Null for another size, an invalid ref or a failure.
    HICON GetIcon(const CIconRef& ref, int size);
    // Add or take one use of the ref's slot; the count before the change.
    int AddUse(const CIconRef& ref);
    int ReleaseUse(const CIconRef& ref);
    // The lowest slot nobody uses; -1 when every slot is in use.
    int FindFreeSlot();
    // Loads icons 104, 100 and 102 of the module's resources into the
    // default refs that are not valid yet; whether all three are valid.
    BOOL LoadDefaultIcons();
    CIconRef GetDefaultAppIcon();
    // Icon 102 for a non-zero kind (personal), else 100.
    CIconRef GetDefaultFolderIcon(int kind);
    // The shared image lists, for the list controls (which must not destroy them).
    HIMAGELIST GetLargeImageList();
    HIMAGELIST GetSmallImageList();
    // The use count of a slot (-1 outside the lists), for the tests.
    int GetUseCount(int slot);
    // The module whose icons 100, 102 and 104 are the defaults (null: the
    // current resource handle).
    void SetIconResources(HINSTANCE resources) { m_hIconResources = resources; }

private:
    // Makes the image lists on first use. Requires m_lock held.
    void EnsureLists();
    int FindFreeSlotLocked();

    // Recursive: the default icons are added while the lock is held.
    std::recursive_mutex m_lock;
    std::atomic<HINSTANCE> m_hIconResources{nullptr};
    HIMAGELIST m_hLarge = nullptr;   // GUARDED_BY(m_lock)
    HIMAGELIST m_hSmall = nullptr;   // GUARDED_BY(m_lock)
    std::vector<LONG> m_useCounts;   // GUARDED_BY(m_lock): one per slot
    CIconRef m_defaultApp;           // GUARDED_BY(m_lock): icon 104
    CIconRef m_defaultFolder;        // GUARDED_BY(m_lock): icon 100
    CIconRef m_defaultOtherFolder;   // GUARDED_BY(m_lock): icon 102
};
