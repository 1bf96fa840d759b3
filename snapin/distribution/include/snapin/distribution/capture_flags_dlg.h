// CCaptureFlagsDlg: the "Set Capture Flags" dialog that edits the printer
// capture options of one printer port: for Notify, Banner and Form Feed,
// whether the workstation's own setting is overridden and, if so, whether
// the option is on. While the user edits, the option text of the current
// flags is shown in a window of the caller.
#pragma once

#include "afxwin.h"
#include "snapin/distribution/capture_flags_ids.h"

// Capture flag bits: an override bit says the workstation's setting is
// overridden, its value bit that the option is then on.
constexpr DWORD kCaptureNotifyOverride = 0x01;
constexpr DWORD kCaptureBannerOverride = 0x02;
constexpr DWORD kCaptureFormFeedOverride = 0x04;
constexpr DWORD kCaptureNotifyOn = 0x08;
constexpr DWORD kCaptureBannerOn = 0x10;
constexpr DWORD kCaptureFormFeedOn = 0x20;

class CCaptureFlagsDlg : public CDialog {
public:
    explicit CCaptureFlagsDlg(CWnd* pParent = nullptr);
    ~CCaptureFlagsDlg() override = default;

    // The flags to edit; set before the dialog runs.
    void SetFlags(DWORD flags) { m_flags = flags; }
    // The edited flags; what the user chose once the dialog ended with IDOK.
    DWORD GetFlags() const { return m_flags; }
    // The caller's window whose text shows the options at every change.
    void SetPreviewWindow(CWnd* preview) { m_pPreview = preview; }

protected:
    BOOL OnInitDialog() override;
    void UpdatePreview();

    afx_msg void OnOverrideNotify() { OnOverride(0); }
    afx_msg void OnOverrideBanner() { OnOverride(1); }
    afx_msg void OnOverrideFormFeed() { OnOverride(2); }
    afx_msg void OnCaptureNotify() { OnCapture(0); }
    afx_msg void OnCaptureBanner() { OnCapture(1); }
    afx_msg void OnCaptureFormFeed() { OnCapture(2); }
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    void OnOverride(int row);
    void OnCapture(int row);
    void Changed();

    DWORD m_flags = 0;
    CWnd* m_pPreview = nullptr;
    // Per row (Notify, Banner, Form Feed): its override and setting boxes.
    CButton m_override[3];
    CButton m_capture[3];
    CButton m_ok;
};
