// The row of one key of the registry tree: Create (subtype 1), Delete (2)
// or an intermediate key written only through what lies below it (0), and
// the key's values, which the row owns.
#pragma once

#include "afxwin.h"
#include "snapin/distribution/registry_value_item.h"

// The values of one key, in their order. The list owns its rows: it deletes
// every one when it is destroyed.
class CRegistryValueList : public CObList {
public:
    CRegistryValueList() : CObList(10) {}
    ~CRegistryValueList() override;
    CRegistryValueList(const CRegistryValueList&) = delete;
    CRegistryValueList& operator=(const CRegistryValueList&) = delete;
};

class CRegistryKeyItem : public CObject {
public:
    CRegistryKeyItem() = default;
    ~CRegistryKeyItem() override = default;

    int GetSubtype() const { return m_subtype; }
    void SetSubtype(int subtype) { m_subtype = subtype; }
    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }
    CRegistryValueList& GetValues() { return m_values; }
    const CRegistryValueList& GetValues() const { return m_values; }

private:
    int m_subtype = 0;
    int m_flags = 0;
    CRegistryValueList m_values;
};
