// Rows of the INI Settings page: one section of one ini file with its
// identifiers (template entries of kinds 4 and 3).
#pragma once

#include "afxwin.h"

// One identifier of a section: its value, Create (1) or Delete (2), flags.
class CIniValueItem : public CObject {
public:
    CIniValueItem(const CString& identifier, const CString& value, int subtype, int flags)
        : m_identifier(identifier), m_value(value), m_subtype(subtype), m_flags(flags) {}
    ~CIniValueItem() override = default;

    CString GetIdentifier() const { return m_identifier; }
    void SetIdentifier(const CString& identifier) { m_identifier = identifier; }
    CString GetValue() const { return m_value; }
    void SetValue(const CString& value) { m_value = value; }
    int GetSubtype() const { return m_subtype; }
    void SetSubtype(int subtype) { m_subtype = subtype; }
    int GetFlags() const { return m_flags; }
    void SetFlags(int flags) { m_flags = flags; }

private:
    CString m_identifier;
    CString m_value;
    int m_subtype;
    int m_flags;
};

// The identifiers of one section, in their order; the list owns them.
class CIniValueList : public CObList {
public:
    CIniValueList() : CObList(10) {}
    ~CIniValueList() override;
    CIniValueList(const CIniValueList&) = delete;
    CIniValueList& operator=(const CIniValueList&) = delete;
};

class CIniSectionItem : public CObject {
public:
    explicit CIniSectionItem(const CString& name) : m_name(name) {}
    ~CIniSectionItem() override = default;

    CString GetName() const { return m_name; }
    void SetName(const CString& name) { m_name = name; }
    CIniValueList& GetValues() { return m_values; }
    const CIniValueList& GetValues() const { return m_values; }

private:
    CString m_name;
    CIniValueList m_values;
};
