// The row of one registry value (a template registry value entry): its
// name, its data, Create (subtype 1) or Delete (2), the flags and the
// template registry type (1 Binary, 2 String, 3 DWORD, 4 Default, 5 to 12
// the other registry types, kept byte for byte).
#pragma once

#include "afxwin.h"
#include "snapin/core/attribute_value.h"

class CRegistryValueItem : public CObject {
public:
    // The text's characters without a terminator.
    CRegistryValueItem(const CString& name, LPCSTR text, int subtype, int flags, int type);
    // The number's 4 bytes, little-endian.
    CRegistryValueItem(const CString& name, DWORD number, int subtype, int flags, int type);
    // A copy of the value.
    CRegistryValueItem(const CString& name, const CAttributeValue& data, int subtype, int flags, int type);
    // A copy of `length` bytes (none when `data` is null).
    CRegistryValueItem(const CString& name, DWORD length, const void* data, int subtype, int flags, int type);
    CRegistryValueItem(const CRegistryValueItem&) = delete;
    CRegistryValueItem& operator=(const CRegistryValueItem&) = delete;

    CString GetName() const { return m_name; }
    void SetName(const CString& name) { m_name = name; }
    int GetSubtype() const { return m_subtype; }
    void SetSubtype(int subtype) { m_subtype = subtype; }
    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }
    int GetType() const { return m_type; }

    const CAttributeValue* GetData() const { return &m_data; }
    // The data bytes as a string of the value's length.
    CString GetDataAsText() const;
    // The first 4 data bytes, little-endian; bytes the data lacks count as 0.
    DWORD GetDwordData() const;
    // Replaces the data by a copy of the value.
    void SetData(const CAttributeValue& data);
    // Replaces the data by the text and its terminating zero byte.
    void SetStringData(LPCSTR text);
    // Replaces the data by the number's 4 bytes.
    void SetDwordData(DWORD number);

private:
    CString m_name;
    CAttributeValue m_data;
    int m_subtype;
    int m_flags;
    int m_type;
};
