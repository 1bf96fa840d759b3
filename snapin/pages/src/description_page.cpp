#include "snapin/pages/description_page.h"

#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/pages/object_attributes.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

constexpr int kDescriptionLimit = 4095;

}  // namespace

BEGIN_MESSAGE_MAP(CDescriptionPage, CAttributePage)
ON_EN_CHANGE(IDC_DESCRIPTION_EDIT, OnChangeDescription)
END_MESSAGE_MAP()

CDescriptionPage::CDescriptionPage() : CAttributePage(IDS_DESCRIPTION_TITLE, IDD_DESCRIPTION, HID_DESCRIPTION) {}

BOOL CDescriptionPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    SendDlgItemMessage(IDC_DESCRIPTION_EDIT, EM_LIMITTEXT, kDescriptionLimit, 0);
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    if (context >= 0) {
        LPCSTR object = GetCurrentObjectName();
        {
            CObjectAttributes read(context, object, {snapin::kAttrDescription});
            SetDlgItemText(IDC_DESCRIPTION_EDIT, read.Text(snapin::kAttrDescription, kDescriptionLimit + 1).c_str());
        }
        if (!theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrDescription)) {
            GetDlgItem(IDC_DESCRIPTION_LABEL)->EnableWindow(FALSE);
            SendDlgItemMessage(IDC_DESCRIPTION_EDIT, EM_SETREADONLY, TRUE, 0);
        }
        DirFreeContext(context);
    }
    m_bModified = FALSE;
    return TRUE;
}

void CDescriptionPage::OnChangeDescription() {
    m_bModified = TRUE;
    TellHostModified();
}

LONG CDescriptionPage::Save() {
    if (!m_bModified || !::IsWindow(::GetDlgItem(m_hWnd, IDC_DESCRIPTION_EDIT))) return 0;
    CString text;
    GetDlgItemText(IDC_DESCRIPTION_EDIT, text);
    LONG status = WriteCurrentObject([&text](DIR_CONTEXT context, LPCSTR object) {
        CRequestBuffer request;
        int result = request.Alloc(kPageRequestSize);
        if (result == DIR_SUCCESS) result = DirInitRequest(context, DIR_OP_MODIFY, request.get());
        if (result == DIR_SUCCESS)
            result = theDirectoryHelper.PutStringValue(context, object, request.get(), snapin::kAttrDescription, text);
        if (result == DIR_SUCCESS) result = DirModifyObject(context, object, nullptr, 0, request.get());
        return result;
    });
    if (status == 0) m_bModified = FALSE;
    return status;
}
