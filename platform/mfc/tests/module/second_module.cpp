// A module loaded by the tests: its exports select its own module state, as
// every module of the system does, and answer from its own resources.
#include <cstdio>

#include "../test_ids.h"
#include "afxwin.h"

namespace {

class CSecondModuleApp : public CWinApp {
public:
    CSecondModuleApp() : CWinApp("second module") {}
    BOOL InitInstance() override {
        ++starts;
        m_pszHelpFilePath = "MFCMOD32.HLP";
        return TRUE;
    }
    // Closes the module's help as it ends.
    int ExitInstance() override {
        WinHelp(0, HELP_QUIT);
        return 0;
    }
    int starts = 0;
};

CSecondModuleApp theApp;

void Copy(const CString& text, char* buffer, int size) { std::snprintf(buffer, static_cast<size_t>(size), "%s", (LPCSTR)text); }

}  // namespace

extern "C" {

// String `id` loaded through the class library's current resource handle.
BOOL SecondLoadString(UINT id, char* buffer, int size) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CString text;
    BOOL loaded = text.LoadString(id);
    Copy(text, buffer, size);
    return loaded;
}

// The application name of the module's application object.
void SecondAppName(char* buffer, int size) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CWinApp* app = AfxGetApp();
    Copy(app && app->m_pszAppName ? app->m_pszAppName : "", buffer, size);
}

// Makes `resource` the module's resource handle, as a module does when it
// finds a language library.
void SecondSetResourceHandle(HINSTANCE resource) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    AfxSetResourceHandle(resource);
}

// How often the module's application object was started.
int SecondStarts() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return theApp.starts;
}

HINSTANCE SecondInstanceHandle() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxGetInstanceHandle();
}

}  // extern "C"

namespace {

// A dialog class of this module: it reads its template from the module's
// resources wherever it is run from.
class CSecondDialog : public CDialog {
public:
    CSecondDialog() : CDialog(IDD_NAME) {}
    CString m_name;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_NAME_EDIT, m_name); }
};

}  // namespace

extern "C" {

// Runs the module's own dialog; the text typed into it goes to `buffer`.
INT_PTR SecondRunDialog(char* buffer, int size) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CSecondDialog dialog;
    INT_PTR result = dialog.DoModal();
    Copy(dialog.m_name, buffer, size);
    return result;
}

// A message box with string `id` of the module, captioned with its name.
int SecondMessageBox(UINT id) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxMessageBox(id, MB_OKCANCEL);
}

}  // extern "C"
