#include "snapin/distribution/distribution_page.h"

#include <condition_variable>
#include <cstring>
#include <mutex>

#include "commdlg.h"
#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/distribution/reading_registry_dlg.h"

namespace {

// How long a page whose window goes waits for its worker.
constexpr DWORD kReaderWaitMs = 30000;

// The size of an open file; the position goes back to 0.
LONG FileSize(HFILE file) {
    LONG size = _llseek(file, 0, FILE_END);
    _llseek(file, 0, FILE_BEGIN);
    return size;
}

}  // namespace

// What a worker shares with its page. The worker holds one reference, the
// page another, so that either may go first.
struct CDistributionPage::ReaderState {
    HFILE file = HFILE_ERROR;  // the worker's until it has closed it
    HWND page = nullptr;       // where the parsed list is announced
    std::mutex lock;
    std::condition_variable handedBack;  // cancelled or returned has become true
    bool cancelled = false;            // guarded by lock
    bool returned = false;             // guarded by lock: the page has built its rows
    EntryList* entries = nullptr;      // guarded by lock: parsed and not yet taken, or returned
    LONG result = 0;                   // guarded by lock

    ~ReaderState() {
        if (entries) theAppLibrary.TemplateFreeEntries(entries);
    }
};

BEGIN_MESSAGE_MAP(CDistributionPage, CDialog)
ON_WM_DESTROY()
ON_MESSAGE(WM_READER_DONE, OnReaderDone)
END_MESSAGE_MAP()

CDistributionPage::CDistributionPage(const Description& description)
    : CDialog(description.dialogId), m_description(description), m_part(description, this) {}

CDistributionPage::~CDistributionPage() {
    // The window is gone by now (WaitForReader ran); a reader it left
    // running keeps its own reference to the shared state.
    RemoveWaitDialog();
    if (m_hReaderThread) CloseHandle(m_hReaderThread);
}

std::string_view CDistributionPage::FieldBytes(const TemplateField& field) {
    if (!field.data || field.length == 0) return {};
    const char* text = reinterpret_cast<const char*>(field.data);
    return std::string_view(text, strnlen(text, field.length));
}

CString CDistributionPage::FieldText(const TemplateField& field) {
    std::string_view text = FieldBytes(field);
    return CString(text.data(), static_cast<int>(text.size()));
}

bool CDistributionPage::ListExists() const {
    return m_hWnd && ::IsWindow(::GetDlgItem(m_hWnd, m_description.listId));
}

void CDistributionPage::SetModified() {
    m_part.SetModified(TRUE);
    m_bModified = TRUE;
}

BOOL CDistributionPage::CanClose() { return m_bReaderRunning ? 0 : 1; }

BOOL CDistributionPage::OnHelpPage() {
    WinHelp(m_description.helpId, HELP_CONTEXT);
    return 1;
}

void CDistributionPage::ReadStream() {
    m_bModified = FALSE;
    m_bRightsChecked = FALSE;
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    HFILE file = HFILE_ERROR;
    // Without a stream value (-602), without the attribute (-603) or any
    // other failure: no rows, nothing said; the first save makes the stream.
    if (DirOpenStreamAttribute(context, GetCurrentObjectName(), m_description.attribute, DIR_STREAM_READ,
                               &file) == 0) {
        bool large = m_description.readingTextId != 0 && FileSize(file) > static_cast<LONG>(kReadAtOnceLimit);
        Read(file, large, m_description.readingTextId);
    }
    m_bCanWrite = theDirectoryHelper.CanWriteAttribute(context, GetCurrentObjectName(), m_description.attribute);
    m_bRightsChecked = TRUE;
    if (!m_bCanWrite) ApplyRights();
    DirFreeContext(context);
    m_bModified = FALSE;
}

void CDistributionPage::OnImport() {
    CString filter, extension;
    filter.LoadString(m_description.importFilterId);
    extension.LoadString(IDS_QMT_EXTENSION);
    CFileDialog dialog(TRUE, extension, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter, nullptr);
    if (dialog.DoModal() != IDOK) return;
    HFILE file = HFILE_ERROR;
    // A file that cannot be opened or holds no template: nothing happens.
    // A library without the entry point opens nothing and says 0.
    if (theAppLibrary.TemplateOpen(dialog.GetPathName(), &file) != 0 || file == HFILE_ERROR) return;
    bool large = m_description.importAlwaysOnWorker || FileSize(file) > static_cast<LONG>(kReadAtOnceLimit);
    Read(file, large, m_description.importingTextId);
    SetModified();
}

void CDistributionPage::Read(HFILE file, bool onWorker, UINT textId) {
    DisableForReading();
    if (onWorker) {
        StartReader(file, textId);
        return;
    }
    ReadEntries(file);
    if (m_hWnd && ::IsWindow(m_hWnd)) OnReadFinished();
}

LONG CDistributionPage::ReadEntries(HFILE file) {
    EntryList* list = nullptr;
    LONG result = theAppLibrary.TemplateGetEntries(file, 0, 1, &list);
    theAppLibrary.TemplateClose(file);
    if (result == 0) result = AddEntries(list);
    if (list) theAppLibrary.TemplateFreeEntries(list);
    return result;
}

LONG CDistributionPage::AddEntries(EntryList* list) {
    LONG result = 0;
    BeginEntries();
    // Adding rows pumps no messages, so the list's window is looked up now
    // and then rather than for every entry.
    constexpr int kEntriesPerCheck = 256;
    int sinceCheck = 0;
    for (EntryList* node = list; node; node = node->next) {
        if (sinceCheck-- == 0) {
            if (!ListExists()) {
                result = -1;
                break;
            }
            sinceCheck = kEntriesPerCheck - 1;
        }
        if (node->entry) AddEntry(*node->entry);
    }
    EndEntries();
    return result;
}

void CDistributionPage::StartReader(HFILE file, UINT textId) {
    if (m_bReaderRunning) {
        theAppLibrary.TemplateClose(file);
        return;
    }
    if (m_hReaderThread) {
        // The last worker is freeing the list it read before.
        WaitForSingleObject(m_hReaderThread, INFINITE);
        CloseHandle(m_hReaderThread);
        m_hReaderThread = nullptr;
    }
    // Set before the thread starts, so that the sheet cannot close over it.
    m_bReaderRunning = TRUE;
    CString text;
    if (textId) text.LoadString(textId);
    m_pWaitDialog = new CReadingRegistryDlg(this);
    m_pWaitDialog->SetMessage(text);
    m_pWaitDialog->Create();
    m_reader = std::make_shared<ReaderState>();
    m_reader->file = file;
    m_reader->page = m_hWnd;
    auto* share = new std::shared_ptr<ReaderState>(m_reader);
    DWORD id = 0;
    m_hReaderThread = CreateThread(nullptr, 0, ReaderThreadProc, share, 0, &id);
    if (!m_hReaderThread) {
        // No thread: read here, as a small stream is read.
        delete share;
        m_reader.reset();
        m_bReaderRunning = FALSE;
        RemoveWaitDialog();
        ReadEntries(file);
        if (m_hWnd && ::IsWindow(m_hWnd)) OnReadFinished();
    }
}

DWORD WINAPI CDistributionPage::ReaderThreadProc(LPVOID param) {
    std::shared_ptr<ReaderState> state = std::move(*static_cast<std::shared_ptr<ReaderState>*>(param));
    delete static_cast<std::shared_ptr<ReaderState>*>(param);
    EntryList* list = nullptr;
    LONG result = theAppLibrary.TemplateGetEntries(state->file, 0, 1, &list);
    theAppLibrary.TemplateClose(state->file);
    {
        std::unique_lock<std::mutex> lock(state->lock);
        if (!state->cancelled) {
            state->entries = list;
            state->result = result;
            list = nullptr;
            // Posted under the lock: once the page has cancelled, nothing
            // more reaches its window.
            ::PostMessageA(state->page, WM_READER_DONE, 0, 0);
            // The page builds its rows and hands the list back, so that it
            // is freed here rather than while the person waits for the
            // rows. A page that cancels first leaves it in the state.
            state->handedBack.wait(lock, [&] { return state->cancelled || state->returned; });
            list = state->entries;
            state->entries = nullptr;
        }
    }
    // Returned, or cancelled: the page may be gone; the list is the
    // worker's to free.
    if (list) theAppLibrary.TemplateFreeEntries(list);
    return 0;
}

LRESULT CDistributionPage::OnReaderDone(WPARAM, LPARAM) {
    std::shared_ptr<ReaderState> state = m_reader;
    if (!state) return 0;
    EntryList* list = nullptr;
    LONG result = 0;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        if (state->cancelled) return 0;
        list = state->entries;
        state->entries = nullptr;
        result = state->result;
    }
    if (result == 0) AddEntries(list);
    {
        // The worker frees the list and ends; the page waits for it only
        // when it reads again or goes.
        std::lock_guard<std::mutex> guard(state->lock);
        state->entries = list;
        state->returned = true;
    }
    state->handedBack.notify_one();
    m_reader.reset();
    m_bReaderRunning = FALSE;
    RemoveWaitDialog();
    if (m_hWnd && ::IsWindow(m_hWnd)) OnReadFinished();
    return 0;
}

void CDistributionPage::OnDestroy() {
    WaitForReader();
    CDialog::OnDestroy();
}

void CDistributionPage::WaitForReader() {
    if (m_reader) {
        {
            std::lock_guard<std::mutex> guard(m_reader->lock);
            m_reader->cancelled = true;
        }
        m_reader->handedBack.notify_one();
    }
    if (m_hReaderThread) {
        // Messages keep flowing while the page waits, at most 30 seconds.
        DWORD start = GetTickCount();
        for (;;) {
            DWORD waited = GetTickCount() - start;
            if (waited >= kReaderWaitMs) break;
            DWORD wake = MsgWaitForMultipleObjects(1, &m_hReaderThread, FALSE, kReaderWaitMs - waited, QS_ALLINPUT);
            if (wake == WAIT_OBJECT_0 || wake == WAIT_FAILED) break;
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        }
        CloseHandle(m_hReaderThread);
        m_hReaderThread = nullptr;
    }
    m_reader.reset();
    m_bReaderRunning = FALSE;
    RemoveWaitDialog();
}

void CDistributionPage::RemoveWaitDialog() {
    if (!m_pWaitDialog) return;
    if (m_pWaitDialog->m_hWnd && ::IsWindow(m_pWaitDialog->m_hWnd)) m_pWaitDialog->DestroyWindow();
    delete m_pWaitDialog;
    m_pWaitDialog = nullptr;
}

LONG CDistributionPage::Save() {
    if (!m_bModified || !ListExists()) return 0;
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    HFILE file = HFILE_ERROR;
    // Creates the stream value first when there is none; the first failing
    // step's status comes back.
    LONG result = theDirectoryHelper.OpenStreamAttribute(context, GetCurrentObjectName(), m_description.attribute,
                                                         DIR_STREAM_WRITE, &file);
    if (result != 0) {
        DirFreeContext(context);
        return result;
    }
    _llseek(file, 0, FILE_BEGIN);
    _lwrite(file, "", 0);  // empties the stream
    result = theAppLibrary.TemplateWriteSignature(file);
    if (result == 0) result = WriteRows(file);
    // The stream is stored when its handle closes.
    if (_lclose(file) == HFILE_ERROR && result == 0) result = static_cast<LONG>(GetLastError() ? GetLastError() : -1);
    DirFreeContext(context);
    if (result == 0) m_bModified = FALSE;
    return result;
}
