// Module states, the thread's current state and the application objects.
#include "vpr/mfc/win_app.h"

#include "vpr/mfc/wnd.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct Registry {
    std::mutex mutex;
    std::map<HMODULE, std::unique_ptr<AFX_MODULE_STATE>> states;
    // Application objects in the order they were constructed. Constructors
    // run inside LoadLibraryA, where the module table cannot be asked which
    // module holds an address, so each object is matched to its module on
    // first use instead.
    std::vector<CWinApp*> apps;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // outlives every module's destructors
    return *registry;
}

thread_local AFX_MODULE_STATE* currentState = nullptr;

}  // namespace

namespace vpr::mfc {

AFX_MODULE_STATE* ModuleStateOf(HMODULE module) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto& state = registry.states[module];
    if (!state) {
        state = std::make_unique<AFX_MODULE_STATE>();
        state->m_hCurrentInstanceHandle = module;
        state->m_hCurrentResourceHandle = module;
    }
    return state.get();
}

}  // namespace vpr::mfc

AFX_MODULE_STATE* AfxGetModuleState() {
    if (!currentState) currentState = vpr::mfc::ModuleStateOf(GetModuleHandleA(nullptr));
    return currentState;
}

AFX_MAINTAIN_STATE::AFX_MAINTAIN_STATE(AFX_MODULE_STATE* state) : previous_(AfxGetModuleState()) {
    currentState = state;
}

AFX_MAINTAIN_STATE::~AFX_MAINTAIN_STATE() { currentState = previous_; }

CWinApp* AfxGetApp() {
    AFX_MODULE_STATE* state = AfxGetModuleState();
    Registry& registry = TheRegistry();
    std::vector<CWinApp*> apps;
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        if (state->m_pCurrentWinApp) return state->m_pCurrentWinApp;
        apps = registry.apps;
    }
    // Which module holds an object is asked without the registry's lock: the
    // module table's lock is held while a loading module constructs its objects.
    for (CWinApp* app : apps) {
        if (vpr::win::ModuleFromAddress(app) != state->m_hCurrentInstanceHandle) continue;
        std::lock_guard<std::mutex> lock(registry.mutex);
        if (std::find(registry.apps.begin(), registry.apps.end(), app) == registry.apps.end())
            return nullptr;  // its module was unloaded meanwhile
        app->m_hInstance = state->m_hCurrentInstanceHandle;
        state->m_pCurrentWinApp = app;
        return app;
    }
    return nullptr;
}

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE resource) { AfxGetModuleState()->m_hCurrentResourceHandle = resource; }

CWnd* AfxGetMainWnd() {
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

IMPLEMENT_DYNAMIC(CWinApp, CObject)

CWinApp::CWinApp(LPCSTR appName) : appName_(appName) {
    if (appName) m_pszAppName = appName_;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.apps.push_back(this);
}

CWinApp::~CWinApp() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::erase(registry.apps, this);
    for (auto& [module, state] : registry.states)
        if (state->m_pCurrentWinApp == this) state->m_pCurrentWinApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

void CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd) {
    ::WinHelpA(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, m_pszHelpFilePath, nCmd, dwData);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

CString AfxGetAppName() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pszAppName) return app->m_pszAppName;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(AfxGetInstanceHandle(), path, sizeof path);
    CString name = path;
    name = name.Mid(name.ReverseFind('\\') + 1);
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
    CWnd* main = AfxGetMainWnd();
    return MessageBoxA(main ? main->m_hWnd : nullptr, lpszText, AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

CWaitCursor::CWaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
CWaitCursor::~CWaitCursor() { SetCursor(previous_); }
void CWaitCursor::Restore() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

BOOL vpr::mfc::RunModuleApp(HINSTANCE module, DWORD reason) {
    AFX_MODULE_STATE* state = ModuleStateOf(module);
    AFX_MANAGE_STATE(state);
    CWinApp* app = AfxGetApp();
    if (!app) return TRUE;
    if (reason == DLL_PROCESS_ATTACH) {
        state->m_bAppStarted = app->InitInstance() != FALSE;
        return state->m_bAppStarted;
    }
    if (reason == DLL_PROCESS_DETACH && state->m_bAppStarted) {
        state->m_bAppStarted = false;
        app->ExitInstance();
    }
    return TRUE;
}

int AfxRunApp(CWinApp* app) {
    if (!app || !app->InitInstance()) return -1;
    return app->ExitInstance();
}
