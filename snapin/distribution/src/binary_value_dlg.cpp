#include "snapin/distribution/binary_value_dlg.h"

#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/hex_edit_ctrl.h"

namespace {

constexpr int kBytesPerLine = 8;
constexpr int kSizeLimit = 1024;

}  // namespace

BEGIN_MESSAGE_MAP(CBinaryValueDlg, CDialog)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CBinaryValueDlg::CBinaryValueDlg(CWnd* pParent) : CDialog(IDD_BINARY_VALUE, pParent) {}

CBinaryValueDlg::~CBinaryValueDlg() { delete m_pHexEdit; }

BOOL CBinaryValueDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_BINARY_NAME, m_name);
    if (!m_pData) return TRUE;
    m_pHexEdit = new CHexEditCtrl(m_pData, kBytesPerLine, kSizeLimit, FALSE);
    if (!m_pHexEdit->CreateOverControl(this, IDC_BINARY_DATA)) {
        delete m_pHexEdit;
        m_pHexEdit = nullptr;
        return TRUE;
    }
    m_pHexEdit->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_BINARY_NAME)->SetFocus();
    return FALSE;  // the focus is set
}

void CBinaryValueDlg::OnOK() {
    GetDlgItemText(IDC_BINARY_NAME, m_name);
    EndDialog(IDOK);
}

void CBinaryValueDlg::OnDestroy() {
    delete m_pHexEdit;
    m_pHexEdit = nullptr;
    CDialog::OnDestroy();
}
