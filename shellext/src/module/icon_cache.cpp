#include "module/icon_cache.h"

#include <algorithm>

#include "module/module_resource.h"

CIconRef::CIconRef(const CIconRef& other) : m_nIndex(other.m_nIndex), m_pCache(other.m_pCache) {
    if (m_pCache) m_pCache->AddUse(*this);
}

CIconRef& CIconRef::operator=(const CIconRef& other) {
    // Release first, then take the source's slot: assigning a ref to itself
    // leaves the count as it was.
    if (m_pCache) m_pCache->ReleaseUse(*this);
    m_nIndex = other.m_nIndex;
    m_pCache = other.m_pCache;
    if (m_pCache) m_pCache->AddUse(*this);
    return *this;
}

CIconRef::~CIconRef() { Clear(); }

void CIconRef::Clear() {
    if (m_pCache) m_pCache->ReleaseUse(*this);
    m_pCache = nullptr;
    m_nIndex = -1;
}

CIconCache::CIconCache() = default;

CIconCache::~CIconCache() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_defaultApp.Clear();
    m_defaultFolder.Clear();
    m_defaultOtherFolder.Clear();
    if (m_hLarge) ImageList_Destroy(m_hLarge);
    if (m_hSmall) ImageList_Destroy(m_hSmall);
    m_hLarge = m_hSmall = nullptr;
}

void CIconCache::EnsureLists() {
    constexpr int kInitial = 6, kGrow = 2;
    if (!m_hLarge)
        m_hLarge = ImageList_Create(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), ILC_MASK, kInitial, kGrow);
    if (!m_hSmall)
        m_hSmall =
            ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ILC_MASK, kInitial, kGrow);
}

int CIconCache::FindFreeSlotLocked() {
    for (size_t slot = 0; slot < m_useCounts.size(); ++slot)
        if (m_useCounts[slot] == 0) return static_cast<int>(slot);
    return -1;
}

int CIconCache::FindFreeSlot() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return FindFreeSlotLocked();
}

BOOL CIconCache::AddIcon(CIconRef& ref, HICON icon) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    try {
        EnsureLists();
        if (!m_hLarge || !m_hSmall || !icon) return FALSE;
        int index = FindFreeSlotLocked();
        if (index >= 0) {
            if (ImageList_ReplaceIcon(m_hLarge, index, icon) < 0) return FALSE;
            ImageList_ReplaceIcon(m_hSmall, index, icon);
            m_useCounts[index] = 1;
        } else {
            index = ImageList_ReplaceIcon(m_hLarge, -1, icon);
            if (index < 0) return FALSE;
            ImageList_ReplaceIcon(m_hSmall, -1, icon);
            // The counts grow by an eighth of their number, 4 to 1024 at a time.
            if (m_useCounts.size() == m_useCounts.capacity()) {
                size_t step = std::clamp<size_t>(m_useCounts.size() / 8, 4, 1024);
                m_useCounts.reserve(m_useCounts.size() + step);
            }
            if (static_cast<size_t>(index) >= m_useCounts.size()) m_useCounts.resize(index + 1, 0);
            m_useCounts[index] = 1;
        }
        ref.Clear();
        ref.m_nIndex = index;
        ref.m_pCache = this;
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

HICON CIconCache::GetIcon(const CIconRef& ref, int size) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!ref.IsValid() || (size != 0 && size != 1)) return nullptr;
    HIMAGELIST list = size == 0 ? m_hLarge : m_hSmall;
    return list ? ImageList_GetIcon(list, ref.m_nIndex, 0) : nullptr;
}

int CIconCache::AddUse(const CIconRef& ref) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (ref.m_nIndex < 0 || static_cast<size_t>(ref.m_nIndex) >= m_useCounts.size()) return -1;
    return m_useCounts[ref.m_nIndex]++;
}

int CIconCache::ReleaseUse(const CIconRef& ref) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (ref.m_nIndex < 0 || static_cast<size_t>(ref.m_nIndex) >= m_useCounts.size()) return -1;
    LONG before = m_useCounts[ref.m_nIndex];
    if (before > 0) m_useCounts[ref.m_nIndex] = before - 1;
    return before;
}

int CIconCache::GetUseCount(int slot) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (slot < 0 || static_cast<size_t>(slot) >= m_useCounts.size()) return -1;
    return m_useCounts[slot];
}

BOOL CIconCache::LoadDefaultIcons() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    HINSTANCE resources = m_hIconResources.load();
    if (!resources) resources = AfxGetResourceHandle();
    const struct {
        CIconRef* ref;
        UINT id;
    } defaults[] = {{&m_defaultApp, IDI_APPLICATION_ITEM},
                    {&m_defaultFolder, IDI_FOLDER_CLOSED},
                    {&m_defaultOtherFolder, IDI_PERSONAL_CLOSED}};
    for (const auto& d : defaults) {
        if (d.ref->IsValid()) continue;
        HICON icon = LoadIconA(resources, MAKEINTRESOURCEA(d.id));
        if (!icon) continue;
        AddIcon(*d.ref, icon);
        DestroyIcon(icon);
    }
    return m_defaultApp.IsValid() && m_defaultFolder.IsValid() && m_defaultOtherFolder.IsValid();
}

CIconRef CIconCache::GetDefaultAppIcon() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    LoadDefaultIcons();
    return m_defaultApp;
}

CIconRef CIconCache::GetDefaultFolderIcon(int kind) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    LoadDefaultIcons();
    return kind ? m_defaultOtherFolder : m_defaultFolder;
}

HIMAGELIST CIconCache::GetLargeImageList() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    EnsureLists();
    return m_hLarge;
}

HIMAGELIST CIconCache::GetSmallImageList() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    EnsureLists();
    return m_hSmall;
}
