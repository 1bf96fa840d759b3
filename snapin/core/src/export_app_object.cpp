#include "snapin/core/export_app_object.h"

#include <cstring>
#include <string>

#include "afxwin.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_interface.h"
#include "vpr/directory/client.h"

namespace {

// The class name and full name of selected object `index`; false when the
// host has none.
bool SelectedObject(DWORD index, std::string* className, std::string* name) {
    SnapinObjectRecord record{};
    if (HostGetSelectedObject(index, &record)) return false;
    if (className) *className = record.bytes + SNAPIN_RECORD_CLASS;
    if (name) *name = record.bytes + SNAPIN_RECORD_NAME;
    return true;
}

// One selected object of the class: enabled; anything else grayed.
unsigned OneSelectedOfClass(const char* wanted) {
    DWORD count = 0;
    HostGetSelectionCount(&count);
    if (count > 1) return SNAPIN_MENU_GRAYED;
    std::string className;
    if (!SelectedObject(0, &className, nullptr)) return SNAPIN_MENU_GRAYED;
    return className == wanted ? SNAPIN_MENU_ENABLED : SNAPIN_MENU_GRAYED;
}

bool IsOldApplicationClass(const std::string& className) {
    for (const char* old : {snapin::kClassApplicationNT, snapin::kClassApplication95, snapin::kClassApplication3x,
                            snapin::kClassApplicationDOS})
        if (className == old) return true;
    return false;
}

CSnapinInterface* Interface() { return CSnapinInterface::Current(); }

}  // namespace

// ---- export ----------------------------------------------------------------

CExportAppObject::CExportAppObject() : CSnapinMenu("ListMenu", IDS_EXPORT_TEXT, IDS_EXPORT_HINT) {}

void CExportAppObject::BindExports() {
    if (CSnapinInterface* snapin = Interface()) snapin->m_pExportAppObject = this;
    SetMenuValid(MenuValid);
    SetMenuAction(MenuAction);
}

unsigned CExportAppObject::QueryState() { return OneSelectedOfClass(snapin::kClassApplication); }

void CExportAppObject::Execute() {
    std::string name;
    if (!SelectedObject(0, nullptr, &name)) return;
    CString extension, filter;
    extension.LoadString(IDS_QMT_EXTENSION);
    filter.LoadString(IDS_QMT_FILTER);
    CFileDialog dialog(FALSE, extension, nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, filter, nullptr);
    if (dialog.DoModal() != IDOK) return;
    // The template progress dialog writes the template from here.
}

void CALLBACK CExportAppObject::MenuValid(unsigned* state) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DispatchMenuValid(Interface() ? Interface()->m_pExportAppObject : nullptr, state);
}

void CALLBACK CExportAppObject::MenuAction() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DispatchMenuAction(Interface() ? Interface()->m_pExportAppObject : nullptr);
}

// ---- inherited applications ------------------------------------------------

CShowAllAppsMenu::CShowAllAppsMenu() : CSnapinMenu("ListMenu", IDS_SHOW_ALL_TEXT, IDS_SHOW_ALL_HINT) {}

void CShowAllAppsMenu::BindExports() {
    if (CSnapinInterface* snapin = Interface()) snapin->m_pShowAllAppsMenu = this;
    SetMenuValid(MenuValid);
    SetMenuAction(MenuAction);
}

unsigned CShowAllAppsMenu::QueryState() { return OneSelectedOfClass("User"); }

void CShowAllAppsMenu::Execute() {
    // The inherited applications view (dialog 358) runs from here.
}

void CALLBACK CShowAllAppsMenu::MenuValid(unsigned* state) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DispatchMenuValid(Interface() ? Interface()->m_pShowAllAppsMenu : nullptr, state);
}

void CALLBACK CShowAllAppsMenu::MenuAction() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DispatchMenuAction(Interface() ? Interface()->m_pShowAllAppsMenu : nullptr);
}

// ---- migration -------------------------------------------------------------

CMigrateAppsMenu::CMigrateAppsMenu() : CSnapinMenu("ListMenu", IDS_MIGRATE_TEXT, IDS_MIGRATE_HINT) {}

void CMigrateAppsMenu::BindExports() {
    if (CSnapinInterface* snapin = Interface()) snapin->m_pMigrateAppsMenu = this;
    SetMenuValid(MenuValid);
    SetMenuAction(MenuAction);
}

unsigned CMigrateAppsMenu::QueryState() {
    DWORD count = 0;
    if (HostGetSelectionCount(&count) || count == 0) return SNAPIN_MENU_GRAYED;
    std::string name;
    if (!SelectedObject(0, nullptr, &name)) return SNAPIN_MENU_GRAYED;
    size_t dot = name.find('.');
    if (dot == std::string::npos) return SNAPIN_MENU_GRAYED;
    std::string container = name.substr(dot + 1);
    DIR_CONTEXT context = CDirectoryHelper().CreateContext();
    if (context < 0) return SNAPIN_MENU_GRAYED;
    char user[DIR_MAX_NAME] = {};
    uint32_t rights = 0;
    bool allowed = DirGetCurrentUserName(context, user) == 0 &&
                   DirGetEffectiveRights(context, user, container.c_str(), DIR_ENTRY_RIGHTS, &rights) == 0 &&
                   (rights & DIR_ENTRY_ADD) && (rights & DIR_ENTRY_DELETE);
    DirFreeContext(context);
    if (!allowed) return SNAPIN_MENU_GRAYED;
    for (DWORD i = 0; i < count; ++i) {
        std::string className;
        if (!SelectedObject(i, &className, nullptr) || !IsOldApplicationClass(className)) return SNAPIN_MENU_GRAYED;
    }
    return SNAPIN_MENU_ENABLED;
}

void CMigrateAppsMenu::Execute() {
    // The migration dialog (dialog 393) runs from here.
}

void CALLBACK CMigrateAppsMenu::MenuValid(unsigned* state) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DispatchMenuValid(Interface() ? Interface()->m_pMigrateAppsMenu : nullptr, state);
}

void CALLBACK CMigrateAppsMenu::MenuAction() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    DispatchMenuAction(Interface() ? Interface()->m_pMigrateAppsMenu : nullptr);
}
