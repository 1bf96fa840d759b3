// CEditFilesDlg: dialog 335 "Edit Files", the source and target of one file
// entry of the Application Files page, or the target alone of a file to
// delete.
#pragma once

#include "afxwin.h"

class CEditFilesDlg : public CDialog {
public:
    explicit CEditFilesDlg(CWnd* pParent = nullptr);

    void SetSource(const CString& source) { m_source = source; }
    CString GetSource() const { return m_source; }
    void SetTarget(const CString& target) { m_target = target; }
    CString GetTarget() const { return m_target; }
    // The target is a file to delete: no source.
    void SetDelete(BOOL deleteTarget) { m_bDelete = deleteTarget; }
    BOOL GetDelete() const { return m_bDelete; }
    // Whether the person may say so (the box is hidden otherwise).
    void SetOfferDelete(BOOL offer) { m_bOfferDelete = offer; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnChange();
    afx_msg void OnDeleteBox();
    afx_msg void OnBrowseSource();
    afx_msg void OnBrowseTarget();
    DECLARE_MESSAGE_MAP()

private:
    void EnableSource(BOOL enable);
    void UpdateOkButton();

    CString m_source;
    CString m_target;
    BOOL m_bDelete = FALSE;
    BOOL m_bOfferDelete = FALSE;
    CString m_browseContext;
};
