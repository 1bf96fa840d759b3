#include "snapin/core/export_app_object.h"

#include <cstring>
#include <string>

#include "afxwin.h"
#include "snapin/core/creation_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/migrate_apps_dlg.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/show_all_apps_dlg.h"
#include "snapin/core/snapin_interface.h"
#include "snapin/core/template_progress_dlg.h"
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

// A Tools item keeps itself in its field of the interface object, where its
// two exports find it.
#define SNAPIN_MENU_EXPORTS(Class, field)                                    \
    void Class::BindExports() {                                              \
        if (CSnapinInterface* snapin = Interface()) snapin->field = this;    \
        SetMenuValid(MenuValid);                                             \
        SetMenuAction(MenuAction);                                           \
    }                                                                        \
    void CALLBACK Class::MenuValid(unsigned* state) {                        \
        AFX_MANAGE_STATE(AfxGetStaticModuleState());                         \
        DispatchMenuValid(Interface() ? Interface()->field : nullptr, state); \
    }                                                                        \
    void CALLBACK Class::MenuAction() {                                      \
        AFX_MANAGE_STATE(AfxGetStaticModuleState());                         \
        DispatchMenuAction(Interface() ? Interface()->field : nullptr);      \
    }

// ---- export ----------------------------------------------------------------

CExportAppObject::CExportAppObject() : CSnapinMenu("ListMenu", IDS_EXPORT_TEXT, IDS_EXPORT_HINT) {}

unsigned CExportAppObject::QueryState() { return OneSelectedOfClass(snapin::kClassApplication); }

void CExportAppObject::Execute() {
    std::string name;
    if (!SelectedObject(0, nullptr, &name)) return;
    CString extension, filter;
    extension.LoadString(IDS_QMT_EXTENSION);
    filter.LoadString(IDS_QMT_FILTER);
    CFileDialog dialog(FALSE, extension, nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, filter, nullptr);
    if (dialog.DoModal() != IDOK) return;
    CString path = dialog.GetPathName();
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    CTemplateProgressDlg progress;
    progress.SetParameters(name.c_str(), path, "", "", 0, context);
    progress.SetExportMode();
    progress.DoModal();
    if (context > 0) DirFreeContext(context);
    // A failed export is told, never passed over.
    if (progress.GetResult() != 0) {
        CString caption, format, text;
        caption.LoadString(IDS_DRAVIK_ERROR);
        format.LoadString(IDS_EXPORT_FAILED);
        text.Format(format, static_cast<LPCSTR>(path), progress.GetResult());
        MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
    }
}

SNAPIN_MENU_EXPORTS(CExportAppObject, m_pExportAppObject)

// ---- inherited applications ------------------------------------------------

CShowAllAppsMenu::CShowAllAppsMenu() : CSnapinMenu("ListMenu", IDS_SHOW_ALL_TEXT, IDS_SHOW_ALL_HINT) {}

unsigned CShowAllAppsMenu::QueryState() { return OneSelectedOfClass("User"); }

void CShowAllAppsMenu::Execute() {
    CShowAllAppsDlg dialog;
    dialog.DoModal();
}

SNAPIN_MENU_EXPORTS(CShowAllAppsMenu, m_pShowAllAppsMenu)

// ---- migration -------------------------------------------------------------

CMigrateAppsMenu::CMigrateAppsMenu() : CSnapinMenu("ListMenu", IDS_MIGRATE_TEXT, IDS_MIGRATE_HINT) {}

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
    CMigrateAppsDlg dialog;
    dialog.DoModal();
}

SNAPIN_MENU_EXPORTS(CMigrateAppsMenu, m_pMigrateAppsMenu)
