// CContactsPage: the Contacts page of an application object: the users whom
// a user may ask for help with the application ("App:Contacts"). A new
// contact gives everybody ("[Public]") the read right on the attributes the
// workstation shows of it.
#pragma once

#include "snapin/distribution/ref_item.h"
#include "snapin/pages/attribute_page.h"
#include "snapin/pages/ref_list_kit.h"
#include "vpr/directory/client.h"

class CContactsPage : public CAttributePage {
public:
    CContactsPage();
    LONG Save() override;

    // Writes the marked rows: 0, else the first failure.
    int WriteContacts(DIR_CONTEXT context, LPCSTR application);

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnAdd();
    afx_msg void OnDelete();
    afx_msg void OnSelChange();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CObjectList m_contacts;
    CString m_browseContext;
};
