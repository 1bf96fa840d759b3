#include "module/shell_utilities.h"

#include <cstring>

#include "commctrl.h"
#include "module/module_utilities.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"

void GetDefaultTreeName(CString& tree) {
    tree.Empty();
    CShellExtApp* app = GetShellExtApp();
    if (!app || !app->m_pLibrary) return;
    DIR_CONTEXT context = app->m_pLibrary->AllocContext(nullptr);
    if (context == kNoContext) return;
    char name[DIR_TREE_NAME_CHARS * 4 + 1] = {};
    // The directory pads the name with underscores; the registry's personal
    // folders and the cache's nodes use the name itself.
    if (DirGetContextInfo(context, DIR_KEY_TREE_NAME, name) == 0) {
        TrimTreeName(name);
        tree = name;
    }
    app->m_pLibrary->FreeContext(context);
}

BOOL SetShellStatusText(LPCSTR text) {
    // The status bar shows the text after this call returns: it lives in one
    // module-wide buffer, which a later call replaces.
    static char s_text[256];
    HWND shell = FindWindowExA(nullptr, nullptr, "ExploreWClass", nullptr);
    if (!shell) return 0;
    HWND status = FindWindowExA(shell, nullptr, "msctls_statusbar32", nullptr);
    if (!status) return 0;
    std::strncpy(s_text, text ? text : "", sizeof s_text - 1);
    s_text[sizeof s_text - 1] = '\0';
    PostMessageA(status, SB_SIMPLE, TRUE, 0);
    return PostMessageA(status, SB_SETTEXTA, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>(s_text));
}

HMENU GetSubMenuById(HMENU menu, UINT id) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    if (!GetMenuItemInfoA(menu, id, FALSE, &info)) return nullptr;
    return info.hSubMenu;
}

BOOL HasIdListFormat(IDataObject* data) {
    CShellExtApp* app = GetShellExtApp();
    if (!data || !app) return FALSE;
    FORMATETC format = {};
    format.cfFormat = static_cast<CLIPFORMAT>(app->m_cfIdListArray);
    format.ptd = nullptr;
    format.dwAspect = DVASPECT_CONTENT;
    format.lindex = -1;
    format.tymed = TYMED_HGLOBAL;
    return data->QueryGetData(&format) == S_OK;
}
