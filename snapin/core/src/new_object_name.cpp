#include "snapin/core/new_object_name.h"

#include <cstring>
#include <memory>

#include "snapin/core/app_library.h"
#include "snapin/core/create_wizard_pages.h"
#include "snapin/core/creation_error_dlg.h"
#include "snapin/core/creation_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/template_progress_dlg.h"

CNewObjectName::CNewObjectName() : m_context(theDirectoryHelper.CreateContext()) {}

CNewObjectName::~CNewObjectName() {
    if (m_context > 0) DirFreeContext(m_context);
}

int CNewObjectName::CreateApplicationObject(CString fullName, CString path, CString caption) {
    const bool installOnly = path.IsEmpty();
    if (installOnly) path = snapin::kInstallOnlyPath;
    int result = theAppLibrary.CreateObject(m_context, fullName, snapin::kClassApplication, path, caption, 0);

    // An install-only object carries the install-only bit and no other.
    if (result == 0 && installOnly) {
        DirBuffer* request = nullptr;
        result = DirAllocBuffer(0x1000, &request);
        if (result == 0) result = DirInitRequest(m_context, DIR_OP_MODIFY, request);
        if (result == 0) result = theDirectoryHelper.ReplaceValue(m_context, fullName, request, snapin::kAttrFlags, snapin::kFlagInstallOnly);
        if (result == 0) result = DirModifyObject(m_context, fullName, nullptr, 0, request);
        if (request) DirFreeBuffer(request);
    }

    if (result != 0) {
        CString boxCaption;
        boxCaption.LoadString(IDS_DRAVIK_ERROR);
        CString format;
        CString text;
        if (result == DIR_ERR_OBJECT_EXISTS) {
            format.LoadString(IDS_OBJECT_EXISTS);
            text.Format(format, static_cast<LPCSTR>(fullName));
        } else {
            format.LoadString(IDS_CREATE_FAILED);
            text.Format(format, result);
        }
        MessageBoxA(nullptr, text, boxCaption, MB_OK | MB_ICONERROR);
    }
    return result;
}

void CNewObjectName::GetFullName(LPSTR buffer, size_t size) const {
    if (!buffer || size == 0) return;
    CString full = FullName(m_strName);
    std::strncpy(buffer, full, size - 1);
    buffer[size - 1] = 0;
}

int CNewObjectName::RunWizard() {
    auto namePage = std::make_unique<CCreateWizardNamePage>(m_context, &m_windowRect);
    auto templatePage = std::make_unique<CCreateWizardTemplatePage>(&m_windowRect);
    auto targetPage = std::make_unique<CCreateWizardTargetPage>(&m_windowRect);
    auto reviewPage = std::make_unique<CCreateWizardReviewPage>(&m_windowRect);
    auto errorDialog = std::make_unique<CCreationErrorDlg>();
    CString report;
    int state = kWizardStateName;
    for (;;) {
        switch (state) {
            case kWizardStateTemplate:
                if (templatePage->DoModal() != IDOK) return 0;
                state = templatePage->m_nNextState;
                break;
            case kWizardStateTarget:
                targetPage->m_strTemplatePath = templatePage->m_strTemplatePath;
                if (targetPage->DoModal() != IDOK) return 0;
                state = targetPage->m_nNextState;
                break;
            case kWizardStateReview: {
                // The review shows string 197 for a value the template does
                // not use; the template itself gets the empty value.
                CString notUsed, format;
                notUsed.LoadString(IDS_VALUE_NOT_USED);
                format.LoadString(IDS_WIZARD_REVIEW);
                const CString& target = targetPage->m_strTarget;
                const CString& source = targetPage->m_strSource;
                reviewPage->m_strReview.Format(format, static_cast<LPCSTR>(templatePage->m_strName),
                                               static_cast<LPCSTR>(templatePage->m_strDescription),
                                               static_cast<LPCSTR>(templatePage->m_strTemplatePath),
                                               static_cast<LPCSTR>(target.IsEmpty() ? notUsed : target),
                                               static_cast<LPCSTR>(source.IsEmpty() ? notUsed : source));
                if (reviewPage->DoModal() != IDOK) return 0;
                if (!reviewPage->m_bCreate) {
                    state = kWizardStateTarget;
                    break;
                }
                CString fullName = FullName(templatePage->m_strName);
                const CString& caption = templatePage->m_strDescription.IsEmpty() ? templatePage->m_strName
                                                                                  : templatePage->m_strDescription;
                if (CreateApplicationObject(fullName, templatePage->m_strTemplatePath, caption) != 0) break;
                CTemplateProgressDlg progress;
                progress.SetParameters(fullName, templatePage->m_strTemplatePath, target, source,
                                       reinterpret_cast<ULONG_PTR>(&report), m_context);
                progress.DoModal();
                m_strName = templatePage->m_strName;
                if (progress.GetResult() == 0) return 1;
                format.LoadString(IDS_CREATION_REPORT);
                report.Format(format, static_cast<LPCSTR>(fullName), progress.GetResult());
                errorDialog->SetWindowRect(&m_windowRect);
                errorDialog->SetReportText(report);
                errorDialog->DoModal();
                return 1;
            }
            default:
                if (namePage->DoModal() != IDOK) return 0;
                m_bCreateAnother = namePage->m_bCreateAnother;
                m_bMoreProperties = namePage->m_bMoreProperties;
                if (namePage->m_bUseTemplate) {
                    state = kWizardStateTemplate;
                    break;
                }
                m_strName = namePage->m_strName;
                m_strPath = namePage->m_strPath;
                if (CreateApplicationObject(FullName(m_strName), m_strPath, m_strName) == 0) return 1;
                state = kWizardStateName;
                break;
        }
    }
}
