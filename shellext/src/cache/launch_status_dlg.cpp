#include "cache/launch_status_dlg.h"

std::atomic<CLaunchStatusDlg*> CLaunchStatusDlg::s_pCurrent{nullptr};

CLaunchStatusDlg::CLaunchStatusDlg() : CDialog(IDD_LAUNCH_STATUS) {}

CLaunchStatusDlg::~CLaunchStatusDlg() { Close(); }

BOOL CLaunchStatusDlg::IsOpen() { return s_pCurrent.load() != nullptr; }

CLaunchStatusDlg* CLaunchStatusDlg::Current() { return s_pCurrent.load(); }

BOOL CLaunchStatusDlg::CreateHidden() {
    // The dialog counts as open from here, also when its window cannot be
    // made: a second launch is refused either way.
    s_pCurrent = this;
    return Create(IDD_LAUNCH_STATUS, nullptr);
}

void CLaunchStatusDlg::Close() {
    CLaunchStatusDlg* self = this;
    if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
    s_pCurrent.compare_exchange_strong(self, nullptr);
}

BOOL CLaunchStatusDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The clip plays over the template's placeholder, in its place and with
    // its identifier.
    if (CWnd* placeholder = GetDlgItem(IDC_LAUNCH_ANIMATION)) {
        RECT rect;
        ::GetWindowRect(placeholder->m_hWnd, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        placeholder->DestroyWindow();
        if (m_animation.Create(WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT, rect, this, IDC_LAUNCH_ANIMATION) &&
            m_animation.Open(IDR_LAUNCH_ANIMATION))
            m_animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    }
    if (HWND progress = ::GetDlgItem(m_hWnd, IDC_LAUNCH_PROGRESS)) m_progress.Attach(progress);
    return TRUE;
}

void CLaunchStatusDlg::SetStatus(LPCSTR title, LPCSTR detail, DWORD position, DWORD total) {
    m_strTitle = title ? title : "";
    m_strDetail = detail ? detail : "";
    if (!m_hWnd) return;
    if (m_progress.m_hWnd) {
        if (position == 1) m_progress.SetRange32(0, static_cast<int>(total));
        m_progress.SetPos(static_cast<int>(position));
    }
    SetDlgItemText(IDC_LAUNCH_TITLE, m_strTitle);
    SetDlgItemText(IDC_LAUNCH_DETAIL, m_strDetail);
}
