// CEnvironmentPage: the Environment page of an application object: its
// command line parameters, working directory, monitor module and error log
// path (octet strings; an empty text removes the values) and the bits 0x447
// of "App:Flags": how the window is shown, the 16-bit session on Windows
// NT, the clean-up of network resources and error logging.
#pragma once

#include "snapin/pages/attribute_page.h"
#include "vpr/directory/client.h"

class CEnvironmentPage : public CAttributePage {
public:
    CEnvironmentPage();
    LONG Save() override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnChangeParameters();
    afx_msg void OnChangeWorkingDirectory();
    afx_msg void OnChangeMonitorModule();
    afx_msg void OnChangeErrorLog();
    afx_msg void OnFlagClicked();
    afx_msg void OnCleanUpClicked();
    afx_msg void OnErrorLoggingClicked();
    afx_msg void OnBrowseWorkingDirectory();
    afx_msg void OnBrowseErrorLog();
    DECLARE_MESSAGE_MAP()

private:
    enum Mark { kParameters, kWorkingDirectory, kFlags, kMonitorModule, kErrorLog, kMarks };

    void ApplyRights(DIR_CONTEXT context, LPCSTR object);
    void SetMark(Mark mark);
    // The page's bits of "App:Flags" as the controls show them.
    DWORD PageFlags();
    // Puts the marked changes into the request: the first failing status.
    int PutChanges(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, bool* put);

    BOOL m_marks[kMarks] = {};
};
