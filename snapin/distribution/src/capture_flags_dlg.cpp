#include "snapin/distribution/capture_flags_dlg.h"

#include "snapin/core/app_library.h"

namespace {

struct CaptureRow {
    int overrideId;
    int captureId;
    DWORD overrideBit;
    DWORD onBit;
};

constexpr CaptureRow kRows[3] = {
    {IDC_OVERRIDE_NOTIFY, IDC_CAPTURE_NOTIFY, kCaptureNotifyOverride, kCaptureNotifyOn},
    {IDC_OVERRIDE_BANNER, IDC_CAPTURE_BANNER, kCaptureBannerOverride, kCaptureBannerOn},
    {IDC_OVERRIDE_FORM_FEED, IDC_CAPTURE_FORM_FEED, kCaptureFormFeedOverride, kCaptureFormFeedOn},
};

}  // namespace

BEGIN_MESSAGE_MAP(CCaptureFlagsDlg, CDialog)
ON_BN_CLICKED(IDC_OVERRIDE_NOTIFY, OnOverrideNotify)
ON_BN_CLICKED(IDC_OVERRIDE_BANNER, OnOverrideBanner)
ON_BN_CLICKED(IDC_OVERRIDE_FORM_FEED, OnOverrideFormFeed)
ON_BN_CLICKED(IDC_CAPTURE_NOTIFY, OnCaptureNotify)
ON_BN_CLICKED(IDC_CAPTURE_BANNER, OnCaptureBanner)
ON_BN_CLICKED(IDC_CAPTURE_FORM_FEED, OnCaptureFormFeed)
ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

CCaptureFlagsDlg::CCaptureFlagsDlg(CWnd* pParent) : CDialog(IDD_CAPTURE_FLAGS, pParent) {}

BOOL CCaptureFlagsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (int row = 0; row < 3; ++row) {
        m_override[row].SubclassDlgItem(kRows[row].overrideId, this);
        m_capture[row].SubclassDlgItem(kRows[row].captureId, this);
    }
    m_ok.SubclassDlgItem(IDOK, this);
    // A value bit without its override bit means nothing: it is dropped, so
    // that the flags handed back never carry one.
    for (int row = 0; row < 3; ++row) {
        bool overridden = (m_flags & kRows[row].overrideBit) != 0;
        if (!overridden) m_flags &= ~kRows[row].onBit;
        m_override[row].SetCheck(overridden ? BST_CHECKED : BST_UNCHECKED);
        m_capture[row].SetCheck(overridden && (m_flags & kRows[row].onBit) ? BST_CHECKED : BST_UNCHECKED);
        m_capture[row].EnableWindow(overridden);
    }
    m_ok.EnableWindow(FALSE);
    return TRUE;
}

void CCaptureFlagsDlg::OnOverride(int row) {
    const CaptureRow& r = kRows[row];
    if (m_override[row].GetCheck() == BST_CHECKED) {
        m_flags |= r.overrideBit;
        m_capture[row].EnableWindow(TRUE);
    } else {
        m_flags &= ~(r.overrideBit | r.onBit);
        m_capture[row].SetCheck(BST_UNCHECKED);
        m_capture[row].EnableWindow(FALSE);
    }
    Changed();
}

void CCaptureFlagsDlg::OnCapture(int row) {
    if (m_capture[row].GetCheck() == BST_CHECKED)
        m_flags |= kRows[row].onBit;
    else
        m_flags &= ~kRows[row].onBit;
    Changed();
}

void CCaptureFlagsDlg::Changed() {
    UpdatePreview();
    m_ok.EnableWindow(TRUE);
}

void CCaptureFlagsDlg::UpdatePreview() {
    if (m_pPreview) m_pPreview->SetWindowText(CAppLibrary::FormatCaptureFlags(m_flags).c_str());
}

void CCaptureFlagsDlg::OnHelp() { WinHelp(HID_CAPTURE_FLAGS, HELP_CONTEXT); }
