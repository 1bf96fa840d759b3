#include "snapin/distribution/reading_registry_dlg.h"

#include "snapin/core/common_resource.h"
#include "snapin/distribution/distribution_resource.h"

CReadingRegistryDlg::CReadingRegistryDlg(CWnd* pParent)
    : CDialog(IDD_READING_REGISTRY, pParent), m_pParentWnd(pParent) {}

BOOL CReadingRegistryDlg::Create() { return CDialog::Create(IDD_READING_REGISTRY, m_pParentWnd); }

BOOL CReadingRegistryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_animation.SubclassDlgItem(IDC_READING_ANIMATION, this);
    m_animation.Open(IDR_PROGRESS_CLIP);
    m_animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    if (!m_message.IsEmpty()) SetDlgItemText(IDC_READING_TEXT, m_message);
    return TRUE;
}
