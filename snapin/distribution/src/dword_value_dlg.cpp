#include "snapin/distribution/dword_value_dlg.h"

#include <cstdio>

#include "snapin/distribution/distribution_resource.h"

namespace {

constexpr int kHexLimit = 8;
constexpr int kDecimalLimit = 50;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDwordValueDlg, CDialog)
ON_EN_CHANGE(IDC_DWORD_NAME, UpdateOkButton)
ON_EN_CHANGE(IDC_DWORD_DATA, UpdateOkButton)
ON_BN_CLICKED(IDC_DWORD_HEX, OnHexadecimal)
ON_BN_CLICKED(IDC_DWORD_DECIMAL, OnDecimal)
END_MESSAGE_MAP()

CDwordValueDlg::CDwordValueDlg(CWnd* pParent) : CDialog(IDD_DWORD_VALUE, pParent) {}

void CDwordValueDlg::SetValue(DWORD value) { m_data.Format("%lx", static_cast<unsigned long>(value)); }

DWORD CDwordValueDlg::ParseValue(const CString& text, BOOL hexadecimal) {
    const char* chars = text;
    int length = text.GetLength();
    DWORD number = 0;
    if (hexadecimal) {
        int first = length > kHexLimit ? length - kHexLimit : 0;
        for (int i = first; i < length; ++i) number = number * 16 + static_cast<DWORD>(HexDigit(chars[i]));
        return number;
    }
    int i = 0;
    while (i < length && (chars[i] == ' ' || chars[i] == '\t' || chars[i] == '\n' || chars[i] == '\r' ||
                          chars[i] == '\v' || chars[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < length && (chars[i] == '+' || chars[i] == '-')) negative = chars[i++] == '-';
    for (; i < length && chars[i] >= '0' && chars[i] <= '9'; ++i)
        number = number * 10 + static_cast<DWORD>(chars[i] - '0');  // modulo 2^32
    return negative ? 0u - number : number;
}

BOOL CDwordValueDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_DWORD_NAME, m_name);
    SetDlgItemText(IDC_DWORD_DATA, m_data);
    GetDlgItem(IDOK)->EnableWindow(FALSE);
    CheckDlgButton(IDC_DWORD_HEX, BST_CHECKED);
    CheckDlgButton(IDC_DWORD_DECIMAL, BST_UNCHECKED);
    m_bHex = TRUE;
    SendDlgItemMessage(IDC_DWORD_DATA, EM_LIMITTEXT, kHexLimit, 0);
    return TRUE;
}

void CDwordValueDlg::UpdateOkButton() {
    if (!GetDlgItem(IDOK)) return;
    GetDlgItem(IDOK)->EnableWindow(GetDlgItem(IDC_DWORD_NAME)->GetWindowTextLength() > 0 &&
                                   GetDlgItem(IDC_DWORD_DATA)->GetWindowTextLength() > 0);
}

void CDwordValueDlg::ShowNumber(BOOL hexadecimal) {
    CString text;
    GetDlgItemText(IDC_DWORD_DATA, text);
    DWORD number = ParseValue(text, m_bHex);
    if (hexadecimal)
        text.Format("%lx", static_cast<unsigned long>(number));
    else
        text.Format("%u", static_cast<unsigned>(number));
    // The new limit first, so that a decimal text of 10 digits fits.
    SendDlgItemMessage(IDC_DWORD_DATA, EM_LIMITTEXT, hexadecimal ? kHexLimit : kDecimalLimit, 0);
    SetDlgItemText(IDC_DWORD_DATA, text);
}

void CDwordValueDlg::OnHexadecimal() {
    if (!m_bHex) ShowNumber(TRUE);
    m_bHex = TRUE;
}

void CDwordValueDlg::OnDecimal() {
    if (m_bHex) ShowNumber(FALSE);
    m_bHex = FALSE;
}

void CDwordValueDlg::OnOK() {
    GetDlgItemText(IDC_DWORD_DATA, m_data);
    m_result = ParseValue(m_data, m_bHex);
    GetDlgItemText(IDC_DWORD_NAME, m_name);
    EndDialog(IDOK);
}

void CDwordValueDlg::OnCancel() {
    m_result = 0;
    EndDialog(IDCANCEL);
}
