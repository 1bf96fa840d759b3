// A row of the creation wizard's template list: one template file offered.
// The wizard keeps the file's full path as the name, the template's
// application name as the path and its description.
#pragma once

#include "afxwin.h"

class CTemplateItem : public CObject {
public:
    CTemplateItem() = default;
    ~CTemplateItem() override = default;

    CString GetName() const { return m_name; }
    void SetName(const CString& name) { m_name = name; }
    CString GetPath() const { return m_path; }
    void SetPath(const CString& path) { m_path = path; }
    CString GetDescription() const { return m_description; }
    void SetDescription(const CString& description) { m_description = description; }

private:
    CString m_name;
    CString m_path;
    CString m_description;
};
