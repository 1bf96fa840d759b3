#include "snapin/distribution/registry_value_item.h"

#include "snapin/distribution/registry_key_item.h"

CRegistryValueItem::CRegistryValueItem(const CString& name, LPCSTR text, int subtype, int flags, int type)
    : m_name(name), m_data(new CAttributeValue(text)), m_subtype(subtype), m_flags(flags), m_type(type) {}

CRegistryValueItem::CRegistryValueItem(const CString& name, DWORD number, int subtype, int flags, int type)
    : m_name(name), m_data(new CAttributeValue(number)), m_subtype(subtype), m_flags(flags), m_type(type) {}

CRegistryValueItem::CRegistryValueItem(const CString& name, std::unique_ptr<CAttributeValue> data, int subtype,
                                       int flags, int type)
    : m_name(name), m_data(data.release()), m_subtype(subtype), m_flags(flags), m_type(type) {}

CRegistryValueItem::~CRegistryValueItem() { delete m_data; }

CString CRegistryValueItem::GetDataAsText() const {
    return CString(reinterpret_cast<const char*>(m_data->GetData()), static_cast<int>(m_data->GetLength()));
}

DWORD CRegistryValueItem::GetDwordData() const {
    DWORD number = 0;
    const BYTE* bytes = m_data->GetData();
    for (DWORD i = 0; i < 4 && i < m_data->GetLength(); ++i) number |= static_cast<DWORD>(bytes[i]) << (8 * i);
    return number;
}

void CRegistryValueItem::SetData(const CAttributeValue& data) {
    auto* copy = new CAttributeValue(data.GetLength(), data.GetData());
    delete m_data;
    m_data = copy;
}

void CRegistryValueItem::SetStringData(LPCSTR text) { m_data->SetString(text); }

void CRegistryValueItem::SetDwordData(DWORD number) {
    delete m_data;
    m_data = new CAttributeValue(number);
}

CRegistryValueList::~CRegistryValueList() {
    while (!IsEmpty()) delete static_cast<CRegistryValueItem*>(RemoveHead());
}
