// The property pages of the extension's items: the general page (every item
// and the About sheet), Information and System (trees and folders),
// Description and Contacts (applications). Every page but the general one
// holds one reference to its item from construction until its window goes;
// Information, Description and Contacts then delete themselves.
#pragma once

#include "afxwin.h"

class CFolderItem;

// Dialog templates and controls of the pages.
constexpr UINT IDD_GENERAL_PAGE = 123;
constexpr UINT IDD_INFORMATION_PAGE = 1501;
constexpr UINT IDD_SYSTEM_PAGE = 1502;
constexpr UINT IDD_DESCRIPTION_PAGE = 1100;
constexpr UINT IDD_CONTACTS_PAGE = 1200;
constexpr int IDC_INFO_TYPE = 1010;
constexpr int IDC_INFO_NAME = 1011;
constexpr int IDC_SYSTEM_TREE = 1101;
constexpr int IDC_SYSTEM_NAMES = 1014;
constexpr int IDC_SYSTEM_TYPE = 1013;
constexpr int IDC_DESCRIPTION_TEXT = 1100;
constexpr int IDC_DESCRIPTION_TREE = 1101;
constexpr int IDC_DESCRIPTION_NAME = 1102;
constexpr int IDC_CONTACTS_LIST = 1200;
constexpr int IDC_CONTACTS_PHONE = 1201;
constexpr int IDC_CONTACTS_MAIL = 1202;
constexpr int IDC_CONTACTS_SEND = 1203;

// Every page deletes itself when the sheet it was given to lets it go
// (PSPCB_RELEASE, sent for each page when the sheet's window goes, whether
// or not the page was ever shown). A page never handed to a sheet, or
// refused by a sheet's add function, is deleted by whoever made it.
class CGeneralPage : public CPropertyPage {
public:
    CGeneralPage();
};

// A page that describes one item and holds one reference to it while it lives.
class CItemPage : public CPropertyPage {
public:
    CItemPage(UINT nIDTemplate, CFolderItem* item);
    ~CItemPage() override;

protected:
    CFolderItem* m_pItem;
};

class CInformationPage : public CItemPage {
public:
    explicit CInformationPage(CFolderItem* item);
    BOOL OnInitDialog() override;
};

class CSystemPage : public CItemPage {
public:
    explicit CSystemPage(CFolderItem* item);
    BOOL OnInitDialog() override;
    // Selection of the names list: the object type of the chosen name.
    void OnSelectName();

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

class CItemDescriptionPage : public CItemPage {
public:
    explicit CItemDescriptionPage(CFolderItem* item);
    BOOL OnInitDialog() override;
};

// One contact of the Contacts page.
struct CContact {
    CString name;
    CString phone;
    CString mailbox;
};

class CItemContactsPage : public CItemPage {
public:
    explicit CItemContactsPage(CFolderItem* item);
    ~CItemContactsPage() override;
    BOOL OnInitDialog() override;
    void OnSelectContact();
    void OnSendMail();

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void FreeContacts();
    CPtrArray m_contacts;  // CContact*, owned
};

// Mail is available: win.ini [MAIL] MAPI non-zero and MAPI32.DLL on the path.
BOOL IsMailAvailable();
