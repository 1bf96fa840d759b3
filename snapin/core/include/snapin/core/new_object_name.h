// CNewObjectName: the application creation wizard. It owns a directory
// context and runs its pages one after another as a small state machine:
// the name page creates an object from a name and a path; in template mode
// the template, target and review pages lead to an object created with the
// template's path and caption and then filled from the template by the
// template progress dialog. The host then gets the new object's full name
// and what the administrator wants next.
#pragma once

#include "afxwin.h"
#include "vpr/directory/client.h"

class CNewObjectName {
public:
    // Creates the wizard's context on the administrator's current tree.
    CNewObjectName();
    ~CNewObjectName();
    CNewObjectName(const CNewObjectName&) = delete;
    CNewObjectName& operator=(const CNewObjectName&) = delete;

    // The container the object is created in (the host's context text).
    void SetContextName(LPCSTR contextName) { m_strContextName = contextName; }
    // 1 when an application object was created (also when filling it from
    // its template failed afterwards, which the error dialog reported), 0
    // when the administrator cancelled.
    int RunWizard();
    // name.context into the buffer of `size` bytes, cut to fit.
    void GetFullName(LPSTR buffer, size_t size) const;
    BOOL WantsAnotherObject() const { return m_bCreateAnother; }
    BOOL WantsMoreProperties() const { return m_bMoreProperties; }

    // Creates the application object `fullName` (name.context) with the
    // path and caption. An empty path makes an install-only object: the
    // path kInstallOnlyPath and "App:Flags" exactly the install-only bit.
    // 0 on success; else the first failing status, after a message box
    // telling the administrator (nothing already written is undone).
    int CreateApplicationObject(CString fullName, CString path, CString caption);

private:
    CString FullName(const CString& name) const { return name + "." + m_strContextName; }

    DIR_CONTEXT m_context;
    BOOL m_bCreateAnother = FALSE;
    BOOL m_bMoreProperties = FALSE;
    CString m_strContextName;
    CString m_strPath;
    CString m_strName;
    RECT m_windowRect = {0, 0, 0, 0};
};
