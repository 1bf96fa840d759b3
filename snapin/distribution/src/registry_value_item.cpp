#include "snapin/distribution/registry_value_item.h"

#include "snapin/distribution/registry_key_item.h"

CRegistryValueItem::CRegistryValueItem(const CString& name, LPCSTR text, int subtype, int flags, int type)
    : m_name(name), m_data(text), m_subtype(subtype), m_flags(flags), m_type(type) {}

CRegistryValueItem::CRegistryValueItem(const CString& name, DWORD number, int subtype, int flags, int type)
    : m_name(name), m_data(number), m_subtype(subtype), m_flags(flags), m_type(type) {}

CRegistryValueItem::CRegistryValueItem(const CString& name, const CAttributeValue& data, int subtype, int flags,
                                       int type)
    : CRegistryValueItem(name, data.GetLength(), data.GetData(), subtype, flags, type) {}

CRegistryValueItem::CRegistryValueItem(const CString& name, DWORD length, const void* data, int subtype, int flags,
                                       int type)
    : m_name(name), m_data(length, data), m_subtype(subtype), m_flags(flags), m_type(type) {}

CString CRegistryValueItem::GetDataAsText() const {
    return CString(reinterpret_cast<const char*>(m_data.GetData()), static_cast<int>(m_data.GetLength()));
}

DWORD CRegistryValueItem::GetDwordData() const {
    DWORD number = 0;
    const BYTE* bytes = m_data.GetData();
    for (DWORD i = 0; i < 4 && i < m_data.GetLength(); ++i) number |= static_cast<DWORD>(bytes[i]) << (8 * i);
    return number;
}

void CRegistryValueItem::SetData(const CAttributeValue& data) { m_data.Assign(data.GetLength(), data.GetData()); }

void CRegistryValueItem::SetStringData(LPCSTR text) { m_data.SetString(text); }

void CRegistryValueItem::SetDwordData(DWORD number) {
    CAttributeValue bytes(number);
    m_data.Assign(bytes.GetLength(), bytes.GetData());
}

CRegistryValueList::~CRegistryValueList() {
    while (!IsEmpty()) delete static_cast<CRegistryValueItem*>(RemoveHead());
}
