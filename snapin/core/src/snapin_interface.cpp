#include "snapin/core/snapin_interface.h"

#include "afxwin.h"
#include "snapin/core/app_library.h"
#include "snapin/core/application.h"
#include "snapin/core/export_app_object.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/snapin_module.h"

namespace {

constexpr DWORD kSchemaBit = 8;

// The launcher support library's version word is accepted with a major part
// above 1 or a minor part of 2 or more.
bool VersionAccepted(DWORD version) { return HIWORD(version) > 1 || LOWORD(version) >= 2; }

void ShowStop(UINT textId) {
    CString text, caption;
    text.LoadString(textId);
    caption.LoadString(IDS_DRAVIK_ERROR);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONSTOP);
}

CSnapinModule* Module() { return static_cast<CSnapinModule*>(AfxGetApp()); }

template <class T>
void Delete(T*& object) {
    delete object;
    object = nullptr;
}

}  // namespace

CSnapinInterface::CSnapinInterface(LPCSTR moduleName, const SnapinPageTables& pages)
    : CSnapinInterfaceBase(moduleName), m_pages(pages) {}

CSnapinInterface::~CSnapinInterface() = default;

CSnapinInterface* CSnapinInterface::Current() { return dynamic_cast<CSnapinInterface*>(GetSnapinInterface()); }

HINSTANCE CSnapinInterface::EnsureResourceHandle() {
    if (!m_hResource) m_hResource = AfxGetInstanceHandle();
    return m_hResource;
}

LONG CSnapinInterface::Init() {
    CSnapinModule* module = Module();
    // 1. Language resources: from here on every string, dialog and bitmap.
    if (HINSTANCE library = module ? module->LoadResourceLibrary() : nullptr) {
        AfxSetResourceHandle(library);
        m_hResource = library;
        m_bResourceLibrary = 1;
    } else {
        AfxSetResourceHandle(m_hResource);
        m_bResourceLibrary = 0;
    }
    // 2. The help file every page's help opens.
    if (module) {
        m_pszPreviousHelpFilePath = module->m_pszHelpFilePath;
        m_strHelpFilePath = module->GetHelpFilePath();
        module->m_pszHelpFilePath = m_strHelpFilePath;
    }
    // 3. The launcher support library.
    DWORD version = theAppLibrary.Load();
    if (version == 0) {
        ShowStop(IDS_NO_KMAPP);
        return kSnapinNoLauncherLibrary;
    }
    if (!VersionAccepted(version)) {
        ShowStop(IDS_KMAPP_VERSION);
        theAppLibrary.Unload();
        return kSnapinNoLauncherLibrary;
    }
    // 4. The trees and their schema.
    CRefItemList* trees = CSnapinModule::GetConnectedTrees();
    CSnapinModule::CheckTreeSchemas(trees, kSchemaBit);
    while (!trees->IsEmpty()) delete static_cast<CRefItem*>(trees->RemoveHead());
    delete trees;
    // 5. The Tools items, each registered as soon as it is made.
    (m_pExportAppObject = new CExportAppObject)->Register();
    (m_pShowAllAppsMenu = new CShowAllAppsMenu)->Register();
    (m_pMigrateAppsMenu = new CMigrateAppsMenu)->Register();
    // 6. The classes, each kept in its field before it registers.
    (m_pApplication = new CApplication(m_pages.application))->Register();
    (m_pApplicationDOS = new CApplicationDOS(m_pages.applicationDOS))->Register();
    (m_pApplication3x = new CApplication3x(m_pages.application3x))->Register();
    (m_pApplication95 = new CApplication95(m_pages.application95))->Register();
    (m_pApplicationNT = new CApplicationNT(m_pages.applicationNT))->Register();
    (m_pUser = new CUser(m_pages.user))->Register();
    (m_pGroup = new CGroup(m_pages.group))->Register();
    (m_pOU = new COU(m_pages.ou))->Register();
    (m_pOrganization = new COrganization(m_pages.organization))->Register();
    return 0;
}

LONG CSnapinInterface::Term() {
    Delete(m_pExportAppObject);
    Delete(m_pShowAllAppsMenu);
    Delete(m_pMigrateAppsMenu);
    Delete(m_pApplication);
    Delete(m_pApplicationDOS);
    Delete(m_pApplication3x);
    Delete(m_pApplication95);
    Delete(m_pApplicationNT);
    Delete(m_pUser);
    Delete(m_pGroup);
    Delete(m_pOU);
    Delete(m_pOrganization);
    theAppLibrary.Unload();
    if (m_bResourceLibrary == 1) {
        FreeLibrary(AfxGetResourceHandle());
        m_bResourceLibrary = 0;
    }
    AfxSetResourceHandle(AfxGetInstanceHandle());
    // Unset again: a module the loader keeps mapped may be started anew
    // under another instance handle.
    m_hResource = nullptr;
    if (CSnapinModule* module = Module()) module->m_pszHelpFilePath = m_pszPreviousHelpFilePath;
    return 0;
}
