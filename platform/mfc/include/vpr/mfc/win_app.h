// The application object and module states.
//
// Every module that uses the class library (the program and each module it
// loads) has one module state: its instance handle, its current resource
// handle (the module itself until AfxSetResourceHandle changes it) and its
// CWinApp, if it defines one. Each thread has a current module state; it is
// the program's unless a guard has selected another:
//
//     extern "C" long InitSnapin() {
//         AFX_MANAGE_STATE(AfxGetStaticModuleState());  // this module's state
//         ...
//     }
//
// AfxGetStaticModuleState is compiled into each module, so it always names
// the module whose code calls it; the guard restores the previous state when
// it goes out of scope. A module's exported functions start with the guard.
// Window objects remember the state that was current when they were made and
// select it again whenever their window procedure runs, and threads started
// with AfxBeginThread start in the state of the thread that started them, so
// a module's windows and workers find their own resources without guards.
#pragma once

#include "vpr/mfc/object.h"
#include "vpr/mfc/string.h"

class CWinApp;
class CWnd;

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    CWinApp* m_pCurrentWinApp = nullptr;  // found on first use; see AfxGetApp
    bool m_bAppStarted = false;           // a loaded module's InitInstance succeeded
};

namespace vpr::mfc {
// The module state of a module (made on first use; lives for the process).
AFX_MODULE_STATE* ModuleStateOf(HMODULE module);
// A loaded module's entry point (DllMain, compiled into each module by
// linking vprmfc_module): in the module's state, DLL_PROCESS_ATTACH runs the
// module's InitInstance, whose FALSE refuses the load; DLL_PROCESS_DETACH
// runs ExitInstance when InitInstance succeeded. TRUE without an application.
BOOL RunModuleApp(HINSTANCE module, DWORD reason);
}  // namespace vpr::mfc

// The calling thread's current module state.
AFX_MODULE_STATE* AfxGetModuleState();
// The state of the module whose code calls this.
static inline AFX_MODULE_STATE* AfxGetStaticModuleState() {
    return vpr::mfc::ModuleStateOf(vpr::win::ThisModule());
}

class AFX_MAINTAIN_STATE {
public:
    explicit AFX_MAINTAIN_STATE(AFX_MODULE_STATE* state);
    ~AFX_MAINTAIN_STATE();
    AFX_MAINTAIN_STATE(const AFX_MAINTAIN_STATE&) = delete;
    AFX_MAINTAIN_STATE& operator=(const AFX_MAINTAIN_STATE&) = delete;

private:
    AFX_MODULE_STATE* previous_;
};

#define AFX_MANAGE_STATE(state) AFX_MAINTAIN_STATE afxManagedState_(state)

// All four answer for the current module state.
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resource);
CWnd* AfxGetMainWnd();

// The application object: one per module, a global object of the module.
// It belongs to the module whose file holds it.
class CWinApp : public CObject {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Shows the help file m_pszHelpFilePath (WinHelpA) for the main window.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    // An icon of the module's current resources.
    HICON LoadIcon(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCSTR lpszCursorName) const { return LoadCursorA(nullptr, lpszCursorName); }

    LPCSTR m_pszAppName = nullptr;
    LPCSTR m_pszHelpFilePath = nullptr;
    HINSTANCE m_hInstance = nullptr;  // set once the module state finds the object
    CWnd* m_pMainWnd = nullptr;

private:
    CString appName_;
};

// A message box owned by the main window, captioned with the application's
// name (the module's file name without extension when it has none);
// AfxMessageBox(id) loads the text through the current resource handle.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
// The caption AfxMessageBox uses.
CString AfxGetAppName();

// Shows the wait cursor while it lives; Restore shows it again after
// something else changed the cursor.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();

private:
    HCURSOR previous_;
};

// Runs a program's application object: InitInstance, then ExitInstance when
// InitInstance succeeded. Returns ExitInstance's result, or -1.
int AfxRunApp(CWinApp* app);
