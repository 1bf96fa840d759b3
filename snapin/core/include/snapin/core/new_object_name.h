// CNewObjectName: the application creation wizard's object. So far it holds
// the directory context the wizard works in and the one operation that
// creates the new application object.
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

    // Creates the application object `fullName` (name.context) with the
    // path and caption. An empty path makes an install-only object: the
    // path kInstallOnlyPath and "App:Flags" exactly the install-only bit.
    // 0 on success; else the first failing status, after a message box
    // telling the administrator (nothing already written is undone).
    int CreateApplicationObject(CString fullName, CString path, CString caption);

private:
    DIR_CONTEXT m_context;
};
