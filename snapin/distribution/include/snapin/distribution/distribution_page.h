// CDistributionPage: what the six distribution pages do alike with the
// template stream of their attribute. A page reads its stream when its
// window is initialised, saves it when it was modified, and merges a
// template file into what it shows when the person imports one. The page
// says which entries become which rows (AddEntry), writes its rows (WriteRows)
// and switches its controls (DisableForReading, OnReadFinished, ApplyRights).
//
// Large streams and files (over 1024 bytes, or always for a page that says
// so) are parsed on a worker thread behind the wait dialog. The worker only
// parses and frees: it works on a state it shares with the page (the open
// file, the parsed list, a cancel flag under a lock) and hands the list over
// with message WM_READER_DONE (0x401); the rows are built on the user
// interface thread, which alone touches the page, its windows and its rows,
// and which then hands the list back for the worker to free. From the
// start of a worker read until its rows are built the page answers 0 to
// CanClose. When the page's window is destroyed first, the page cancels and
// waits for the worker at most 30 seconds; a worker still running after that
// sees the cancel flag, frees its list and ends without touching the page.
#pragma once

#include <memory>
#include <string_view>

#include "afxwin.h"
#include "snapin/core/snapin_page.h"
#include "template/template_library.h"

class CReadingRegistryDlg;

// The message a reader posts to its page when the list is parsed.
constexpr UINT WM_READER_DONE = WM_USER + 1;
// Streams and files up to this size are parsed at once.
constexpr DWORD kReadAtOnceLimit = 1024;

class CDistributionPage : public CDialog {
public:
    struct Description {
        UINT titleId;
        UINT dialogId;
        DWORD helpId;
        LPCSTR attribute;       // the stream attribute
        int listId;             // the control that shows the rows
        UINT readingTextId;     // 0: reading is never on the worker
        UINT importingTextId;
        bool importAlwaysOnWorker;
        UINT importFilterId;    // file-open filter of Import
    };

    explicit CDistributionPage(const Description& description);
    ~CDistributionPage() override;

    // The host's messages: 0 while the reader runs, else 1.
    BOOL CanClose();
    BOOL OnHelpPage();
    // Writes the stream when the page was modified: 0, or the first failure.
    LONG Save();

    BOOL IsModified() const { return m_bModified; }
    BOOL CanWrite() const { return m_bCanWrite; }
    BOOL IsReaderRunning() const { return m_bReaderRunning; }
    // Editing may be enabled: the write right, or not yet tested.
    BOOL MayEdit() const { return !m_bRightsChecked || m_bCanWrite; }
    // Marks the page changed, for the host too.
    void SetModified();

protected:
    // Reading at initialisation: the stream, CheckRights, modified flag 0.
    void ReadStream();
    // The Import button.
    void OnImport();

    // ---- what the page supplies
    // One entry of the stream or file; only the page's own kinds become rows.
    virtual void AddEntry(const TemplateEntry& entry) = 0;
    // Before the first and after the last entry of one read.
    virtual void BeginEntries() {}
    virtual void EndEntries() {}
    // Disables the list and the editing controls while a read runs.
    virtual void DisableForReading() = 0;
    // After a read: enables what reading disabled (editing controls and
    // Import only with the write right) and finishes the display.
    virtual void OnReadFinished() = 0;
    // Without the write right: disables the editing controls and Import.
    virtual void ApplyRights() = 0;
    // Writes the rows in their order: 0, or the first failing writer's code.
    virtual LONG WriteRows(HFILE file) = 0;

    // A counted template field as a text; an empty field {0, null} included.
    // A zero byte inside the field ends the text.
    static CString FieldText(const TemplateField& field);
    // The same bytes, without a copy.
    static std::string_view FieldBytes(const TemplateField& field);

    afx_msg void OnDestroy();
    afx_msg LRESULT OnReaderDone(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    class CPart : public CSnapinPage {
    public:
        CPart(const Description& d, CDistributionPage* owner)
            : CSnapinPage(d.titleId, d.dialogId, owner), m_pPage(owner) {}
        DLGPROC GetDialogProc() override { return SnapinPageDialogProc; }
        BOOL CanClose() override { return m_pPage->CanClose(); }
        BOOL OnHelp() override { return m_pPage->OnHelpPage(); }
        LONG Save() override { return m_pPage->Save(); }

    private:
        CDistributionPage* m_pPage;
    };
    struct ReaderState;
    static DWORD WINAPI ReaderThreadProc(LPVOID param);

    // Reads the open file: at once, or on the worker behind the wait dialog.
    void Read(HFILE file, bool onWorker, UINT textId);
    // Parses the file and builds rows on this thread: 0, a template code, or
    // -1 when the list control is gone.
    LONG ReadEntries(HFILE file);
    // Builds the rows of a parsed list (the caller frees it).
    LONG AddEntries(EntryList* list);
    void StartReader(HFILE file, UINT textId);
    void WaitForReader();
    void RemoveWaitDialog();
    bool ListExists() const;

    Description m_description;
    CPart m_part;
    BOOL m_bModified = FALSE;
    BOOL m_bCanWrite = FALSE;
    BOOL m_bRightsChecked = FALSE;
    BOOL m_bReaderRunning = FALSE;
    HANDLE m_hReaderThread = nullptr;
    std::shared_ptr<ReaderState> m_reader;
    CReadingRegistryDlg* m_pWaitDialog = nullptr;
};
