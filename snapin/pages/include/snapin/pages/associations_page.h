// CAssociationsPage: the Associations page of an application object. It
// lists the users, groups and containers associated with the application
// (its "App:Back Link") and on save writes both sides of every change: the
// back link on the application, the typed name {application, 0x01, 0} in
// the object's "App:Associations", and the rights that go with them.
#pragma once

#include "snapin/distribution/ref_item.h"
#include "snapin/pages/attribute_page.h"
#include "snapin/pages/ref_list_kit.h"
#include "vpr/directory/client.h"

class CAssociationsPage : public CAttributePage {
public:
    CAssociationsPage();
    LONG Save() override;

    // Writes the marked rows for the application: 0, else the first failure.
    int WriteAssociations(DIR_CONTEXT context, LPCSTR application);
    // 1 when the current user may change the association on the object.
    static BOOL CanChangeTarget(DIR_CONTEXT context, LPCSTR object);

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnAdd();
    afx_msg void OnDelete();
    afx_msg void OnSelChange();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void SetRights(DIR_CONTEXT context, LPCSTR application);

    CObjectList m_objects;
    CString m_browseContext;
};

// The rights a newly associated object gets on itself: mask 3 on its own
// "Full Name" (a User) or "Description" (other classes), then on its own
// "App:Associations". The results are not looked at.
void GrantAssociatedObjectRights(DIR_CONTEXT context, LPCSTR object);
