// CShowAllAppsDlg: "All Associated Application Objects" (dialog 358), the
// read-only view of every directory object through which the user selected
// in the host receives applications (the user, its groups and containers),
// each with the applications associated with it sorted into the five
// association categories.
#pragma once

#include "afxwin.h"
#include "snapin/core/show_all_apps_resource.h"
#include "vpr/directory/client.h"

class CShowAllAppsDlg : public CDialog {
public:
    explicit CShowAllAppsDlg(CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    void LoadImages();
    // The user's launcher configuration, or its container's when the user's
    // says so (the top bit of its flags).
    void ReadConfiguration(DIR_CONTEXT context, const CString& fullName, BYTE* record) const;

    CTreeCtrl m_tree;
    CImageList m_images;
};
