// CTemplateProgressDlg: "Application Creation" (dialog 361), the small modal
// dialog behind which one worker thread either writes an application object
// out as a template file (export) or fills a newly created application object
// from a template (creation). It plays a looping clip, names the object, and
// ends itself when the worker posts WM_USER+1; Esc and the close box do
// nothing meanwhile. Template files are reached only through CAppLibrary,
// the directory only through CDirectoryHelper and the directory client.
#pragma once

#include <vector>

#include "afxwin.h"
#include "snapin/core/creation_resource.h"
#include "template/template_library.h"
#include "vpr/directory/client.h"

// The message with which the worker ends the dialog.
constexpr UINT WM_TEMPLATE_DONE = WM_USER + 1;

class CTemplateProgressDlg : public CDialog {
public:
    explicit CTemplateProgressDlg(CWnd* pParent = nullptr);
    // Waits for a worker still running (a dialog ended from outside).
    ~CTemplateProgressDlg() override;

    // The object's full name, the template's path, the values the macros
    // TARGET_PATH and SOURCE_PATH receive, a value kept and never read, and
    // the context to work in (the caller's, freed by the caller).
    void SetParameters(LPCSTR objectName, LPCSTR templatePath, LPCSTR targetPath, LPCSTR sourcePath,
                       ULONG_PTR reserved, DIR_CONTEXT context);
    void SetExportMode() { m_bExport = TRUE; }
    // After the run: 0, or the first failing status (of a creation: reading
    // the template, a stream or attribute write, the note; of an export:
    // creating the file, a record write, a stream whose signature is wrong).
    int GetResult() const { return m_nResult; }

    // The two operations, run by the worker (and callable directly).
    int ExportObject();
    int CreateFromTemplate();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCancel() override;
    afx_msg LRESULT OnWorkerDone(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    static UINT Worker(LPVOID self);
    int WriteStreamEntries(EntryList* entries);
    int WriteObjectAttributes(EntryList* entries);
    int WriteNote();
    // Export: a template stream of the object copied past its signature.
    int CopyTemplateStream(HFILE from, HFILE to, bool* fileWhole);

    CString m_strObjectName;
    CString m_strTemplatePath;
    CString m_strTargetPath;
    CString m_strSourcePath;
    ULONG_PTR m_reserved = 0;
    DIR_CONTEXT m_context = 0;
    BOOL m_bExport = FALSE;
    BOOL m_bRunning = FALSE;
    CWinThread* m_pThread = nullptr;
    int m_nResult = 0;
    CStatic m_text;
    CAnimateCtrl m_clip;
};
