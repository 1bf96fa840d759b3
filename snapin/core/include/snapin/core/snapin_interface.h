// CSnapinInterface: the module's interface object. Init starts the module
// (language resources, help file, launcher support library, the trees'
// schema, then the three Tools items and the nine classes registered with
// the host); Term deletes them and frees the libraries. The exported
// functions of menus and classes find their objects in its fields.
#pragma once

#include "snapin/core/page_slot.h"
#include "snapin/core/snapin_interface_base.h"

class CExportAppObject;
class CShowAllAppsMenu;
class CMigrateAppsMenu;
class CApplication;
class CApplicationDOS;
class CApplication3x;
class CApplication95;
class CApplicationNT;
class CUser;
class CGroup;
class COU;
class COrganization;

// What InitSnapin answers when the launcher support library is missing or
// of a refused version.
constexpr LONG kSnapinNoLauncherLibrary = -931;

class CSnapinInterface : public CSnapinInterfaceBase {
public:
    // The page tables the classes are made with.
    CSnapinInterface(LPCSTR moduleName, const SnapinPageTables& pages);
    ~CSnapinInterface() override;

    LONG Init() override;
    LONG Term() override;
    // Sets the resource instance to the module's own when it is unset.
    virtual HINSTANCE EnsureResourceHandle();

    // The module's interface object, or null.
    static CSnapinInterface* Current();

    CExportAppObject* m_pExportAppObject = nullptr;
    CShowAllAppsMenu* m_pShowAllAppsMenu = nullptr;
    CMigrateAppsMenu* m_pMigrateAppsMenu = nullptr;
    CApplication* m_pApplication = nullptr;
    CApplicationDOS* m_pApplicationDOS = nullptr;
    CApplication3x* m_pApplication3x = nullptr;
    CApplication95* m_pApplication95 = nullptr;
    CApplicationNT* m_pApplicationNT = nullptr;
    CUser* m_pUser = nullptr;
    CGroup* m_pGroup = nullptr;
    COU* m_pOU = nullptr;
    COrganization* m_pOrganization = nullptr;
    DWORD m_bResourceLibrary = 0;  // 1: a language resource library was loaded
    CString m_strHelpFilePath;
    LPCSTR m_pszPreviousHelpFilePath = nullptr;

private:
    const SnapinPageTables& m_pages;
};
