#include "snapin/core/template_progress_dlg.h"

#include <cstring>
#include <string>

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/worker_thread.h"
#include "snapin/core/snapin_utilities.h"

using namespace snapin;

BEGIN_MESSAGE_MAP(CTemplateProgressDlg, CDialog)
ON_MESSAGE(WM_TEMPLATE_DONE, OnWorkerDone)
END_MESSAGE_MAP()

namespace {

constexpr DWORD kScheduleSize = 1444;
constexpr int kRequestSize = 0x4000;
constexpr DWORD kCopyBlock = 1024;

// The streams that hold template records, in the order creation opens them,
// with the record kinds each takes. The schedule takes no records: its
// stream gets the schedule's bytes, and no signature.
struct RecordStream {
    const char* attribute;
    DWORD kinds[4];
};
constexpr RecordStream kRecordStreams[] = {
    {kAttrRegistrySettings, {TEMPLATE_KIND_VALUE, TEMPLATE_KIND_KEY}},
    {kAttrIniSettings, {TEMPLATE_KIND_IDENT, TEMPLATE_KIND_SECTION}},
    {kAttrCopyFiles, {TEMPLATE_KIND_FILE, TEMPLATE_KIND_DIR}},
    {kAttrMacros, {TEMPLATE_KIND_MACRO}},
    {kAttrSchedule, {}},
    {kAttrTextFiles, {TEMPLATE_KIND_TEXT_ADD, TEMPLATE_KIND_TEXT_FIND}},
    {kAttrInventory, {TEMPLATE_KIND_INV_RAM, TEMPLATE_KIND_INV_DISK, TEMPLATE_KIND_INV_PROCESSOR,
                      TEMPLATE_KIND_INV_OS_VERSION}},
    {kAttrProgramGroups, {TEMPLATE_KIND_PM_GROUP, TEMPLATE_KIND_USER_ICON}},
};
constexpr int kStreamCount = sizeof kRecordStreams / sizeof kRecordStreams[0];
constexpr int kMacroStream = 3;
constexpr int kScheduleStream = 4;

// Index of the stream that takes records of the kind; -1 for none.
int StreamOfKind(DWORD kind) {
    for (int i = 0; i < kStreamCount; ++i)
        for (DWORD taken : kRecordStreams[i].kinds)
            if (taken && taken == kind) return i;
    return -1;
}

// The first failure is the one reported.
void KeepFirst(int& result, int status) {
    if (result == 0 && status != 0) result = status;
}

// Writes the bytes to the stream handle and stores them.
int WriteWhole(HFILE file, const void* data, DWORD length) {
    int status = 0;
    if (length && _lwrite(file, static_cast<LPCSTR>(data), length) != length) status = kStreamWriteFailed;
    if (_lclose(file) == HFILE_ERROR) KeepFirst(status, kStreamWriteFailed);
    return status;
}

// A stream attribute of the new object written whole with the bytes.
int WriteStreamAttribute(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, const void* data, DWORD length) {
    HFILE file = HFILE_ERROR;
    int status = theDirectoryHelper.OpenStreamAttribute(context, object, attribute, DIR_STREAM_WRITE, &file);
    if (status != 0) return status;
    return WriteWhole(file, data, length);
}

// A stream value of an attribute list, read whole; empty when it has none.
std::string ReadWholeStream(HFILE file) {
    LONG size = _llseek(file, 0, FILE_END);
    std::string bytes;
    if (size <= 0 || _llseek(file, 0, FILE_BEGIN) != 0) return bytes;
    bytes.resize(static_cast<size_t>(size));
    UINT read = _lread(file, bytes.data(), static_cast<UINT>(size));
    bytes.resize(read == static_cast<UINT>(HFILE_ERROR) ? 0 : read);
    return bytes;
}

HFILE StreamHandle(const KmappValue* value) {
    return value && value->syntax == DIR_SYNTAX_STREAM ? *static_cast<HFILE*>(value->data) : HFILE_ERROR;
}

std::string OctetText(const KmappValue* value, DWORD size) {
    std::string text(size, '\0');
    theAppLibrary.OctetToString(value, text.data(), size);
    text.resize(std::strlen(text.c_str()));
    return text;
}

}  // namespace

CTemplateProgressDlg::CTemplateProgressDlg(CWnd* pParent) : CDialog(IDD_TEMPLATE_PROGRESS, pParent) {}

void CTemplateProgressDlg::SetParameters(LPCSTR objectName, LPCSTR templatePath, LPCSTR targetPath,
                                         LPCSTR sourcePath, ULONG_PTR reserved, DIR_CONTEXT context) {
    m_strObjectName = objectName;
    m_strTemplatePath = templatePath;
    m_strTargetPath = targetPath;
    m_strSourcePath = sourcePath;
    m_reserved = reserved;
    m_context = context;
}

void CTemplateProgressDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TEMPLATE_PROGRESS_TEXT, m_text);
    DDX_Control(pDX, IDC_TEMPLATE_PROGRESS_CLIP, m_clip);
}

BOOL CTemplateProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bRunning = FALSE;
    m_clip.Open(IDR_PROGRESS_CLIP);
    m_clip.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    m_nResult = 0;
    CString format, text;
    format.LoadString(m_bExport ? IDS_WRITING_TEMPLATE : IDS_CREATING_OBJECT);
    text.Format(format, static_cast<LPCSTR>(m_strObjectName));
    m_text.SetWindowText(text);
    if (!m_bRunning) {
        m_pThread = StartWorkerThread(Worker, this);
        if (!m_pThread) EndDialog(IDOK);
    }
    return TRUE;
}

// The worker's one run; whatever happens, the dialog is told.
UINT CTemplateProgressDlg::Worker(LPVOID self) {
    auto* dialog = static_cast<CTemplateProgressDlg*>(self);
    dialog->m_bRunning = TRUE;
    int result;
    try {
        result = dialog->m_bExport ? dialog->ExportObject() : dialog->CreateFromTemplate();
    } catch (...) {
        result = -1;
    }
    dialog->m_nResult = result;
    dialog->m_bRunning = FALSE;
    if (::IsWindow(dialog->m_hWnd))
        dialog->PostMessage(WM_TEMPLATE_DONE);
    else
        dialog->EndDialog(IDOK);
    return 0;
}

CTemplateProgressDlg::~CTemplateProgressDlg() { JoinWorkerThread(m_pThread); }

LRESULT CTemplateProgressDlg::OnWorkerDone(WPARAM, LPARAM) {
    JoinWorkerThread(m_pThread);
    EndDialog(IDOK);
    return 0;
}

// Neither Esc nor the close box stops the worker.
void CTemplateProgressDlg::OnCancel() {}

// ---- export ---------------------------------------------------------------

// A template stream of the object copied into the template past its
// signature. An empty stream holds nothing; one whose signature is wrong is
// not copied (the template stays sound) and its status is reported.
int CTemplateProgressDlg::CopyTemplateStream(HFILE from, HFILE to, bool* fileWhole) {
    if (from == HFILE_ERROR || _llseek(from, 0, FILE_END) <= 0) return 0;
    int status = theAppLibrary.TemplateVerifySignature(from);
    if (status != 0) return status;
    if (theSnapinUtilities.CopyFileContents(from, to)) return 0;
    *fileWhole = false;
    return TEMPLATE_ERR_WRITE;
}

int CTemplateProgressDlg::ExportObject() {
    // The template is written beside its name and put in place once whole,
    // so that a failed export leaves any file of that name as it was.
    CString temporary = m_strTemplatePath + ".new";
    HFILE file = HFILE_ERROR;
    int result = theAppLibrary.TemplateCreate(temporary, &file);
    if (result == 0 && file == HFILE_ERROR) result = -1;
    if (result != 0) return result;
    result = theAppLibrary.TemplateWriteSignature(file);
    if (result != 0) {
        theAppLibrary.TemplateClose(file);
        DeleteFileA(temporary);
        return result;
    }
    // A short write leaves part of a record in the file, which is then not
    // put in place; a refused record (a field too long) writes nothing.
    bool fileWhole = true;
    auto write = [&](int status) {
        if (status == TEMPLATE_ERR_WRITE) fileWhole = false;
        KeepFirst(result, status);
    };

    int dot = m_strObjectName.Find('.');
    if (dot >= 0) write(theAppLibrary.TemplateWriteBaseString(file, 1, m_strObjectName.Left(dot)));

    KmappAttribute* list = theAppLibrary.GetObjectAttributes(m_context, m_strObjectName, nullptr, 0);
    // Caption and macros first, right after the name.
    bool caption = false, macros = false;
    for (KmappAttribute* node = list; node && !(caption && macros); node = node->next) {
        if (!node->values) continue;
        if (std::strcmp(node->name, kAttrCaption) == 0) {
            caption = true;
            write(theAppLibrary.TemplateWriteBaseString(file, 2, static_cast<LPCSTR>(node->values->data)));
        } else if (std::strcmp(node->name, kAttrMacros) == 0) {
            macros = true;
            KeepFirst(result, CopyTemplateStream(StreamHandle(node->values), file, &fileWhole));
        }
    }

    // The rest in list order.
    struct OctetRecord {
        const char* attribute;
        DWORD subtype;
        DWORD size;
    };
    static const OctetRecord kOctetRecords[] = {
        {kAttrPath, 3, 256},           {kAttrDriveMappings, 5, 256},  {kAttrParameters, 7, 100},
        {kAttrPrinterPorts, 8, 256},   {kAttrWorkingDirectory, 11, 256}, {kAttrErrorLogPath, 12, 256},
        {kAttrVersionString, 13, 128}, {kAttrMonitorModule, 14, 128},
    };
    static const char* const kTemplateStreams[] = {kAttrCopyFiles, kAttrIniSettings, kAttrRegistrySettings,
                                                   kAttrTextFiles, kAttrInventory,  kAttrProgramGroups};
    for (KmappAttribute* node = list; node; node = node->next) {
        KmappValue* value = node->values;
        if (!value) continue;
        const std::string name = node->name;
        bool done = false;
        for (const OctetRecord& record : kOctetRecords) {
            if (name != record.attribute) continue;
            // Drive mappings and printer ports give one record per value.
            for (KmappValue* each = value; each; each = each->next) {
                write(theAppLibrary.TemplateWriteBaseString(file, record.subtype, OctetText(each, record.size).c_str()));
                if (record.subtype != 5 && record.subtype != 8) break;
            }
            done = true;
        }
        if (done) continue;
        if (name == kAttrDescription) {
            write(theAppLibrary.TemplateWriteBaseString(file, 4, static_cast<LPCSTR>(value->data)));
        } else if (name == kAttrFlags || name == kAttrPlatform) {
            write(theAppLibrary.TemplateWriteBaseValue(file, name == kAttrFlags ? 3 : 4,
                                                       *static_cast<DWORD*>(value->data)));
        } else if (name == kAttrIcon) {
            std::string bytes = ReadWholeStream(StreamHandle(value));
            if (!bytes.empty())
                write(theAppLibrary.TemplateWriteBaseData(file, 1, reinterpret_cast<const BYTE*>(bytes.data()),
                                                          static_cast<DWORD>(bytes.size())));
        } else if (name == kAttrShutdownScript || name == kAttrStartupScript) {
            std::string text = ReadWholeStream(StreamHandle(value));
            if (!text.empty())
                write(theAppLibrary.TemplateWriteBaseString(file, name == kAttrShutdownScript ? 9 : 10,
                                                            text.c_str()));
        } else if (name == kAttrSchedule) {
            HFILE stream = StreamHandle(value);
            BYTE schedule[kScheduleSize];
            if (stream != HFILE_ERROR && _llseek(stream, 0, FILE_BEGIN) == 0 &&
                _lread(stream, schedule, kScheduleSize) == kScheduleSize)
                write(theAppLibrary.TemplateWriteBaseData(file, 2, schedule, kScheduleSize));
        } else {
            for (const char* stream : kTemplateStreams)
                if (name == stream) KeepFirst(result, CopyTemplateStream(StreamHandle(value), file, &fileWhole));
        }
    }
    theAppLibrary.FreeGetObjectAttributes(list);

    if (theAppLibrary.TemplateClose(file) != 0) fileWhole = false;
    if (!fileWhole) {
        DeleteFileA(temporary);
        KeepFirst(result, TEMPLATE_ERR_WRITE);
        return result;
    }
    // In place: a rename over the old file where the system has one, else
    // the old file goes first.
    if (!MoveFileExA(temporary, m_strTemplatePath, MOVEFILE_REPLACE_EXISTING) &&
        !(GetLastError() == ERROR_CALL_NOT_IMPLEMENTED && (DeleteFileA(m_strTemplatePath) || GetLastError() == ERROR_FILE_NOT_FOUND) &&
          MoveFileA(temporary, m_strTemplatePath))) {
        DeleteFileA(temporary);
        KeepFirst(result, static_cast<int>(GetLastError()) ? -static_cast<int>(GetLastError()) : -1);
    }
    return result;
}

// ---- creation from a template ---------------------------------------------

// The template's records into the new object, then the note saying where it
// came from. The first failing step's status is the result, so that the
// wizard can tell the administrator.
int CTemplateProgressDlg::CreateFromTemplate() {
    HFILE file = HFILE_ERROR;
    EntryList* entries = nullptr;
    int result = theAppLibrary.TemplateOpen(m_strTemplatePath, &file);
    if (result == 0 && file == HFILE_ERROR) result = -1;
    if (result == 0) {
        result = theAppLibrary.TemplateGetEntries(file, 0, 1, &entries);
        theAppLibrary.TemplateClose(file);
    }
    if (result == 0) {
        KeepFirst(result, WriteStreamEntries(entries));
        KeepFirst(result, WriteObjectAttributes(entries));
    }
    theAppLibrary.TemplateFreeEntries(entries);
    KeepFirst(result, WriteNote());
    return result;
}

int CTemplateProgressDlg::WriteStreamEntries(EntryList* entries) {
    HFILE streams[kStreamCount];
    int opened = 0;
    int result = 0;
    for (; opened < kStreamCount; ++opened) {
        streams[opened] = HFILE_ERROR;
        result = theDirectoryHelper.OpenStreamAttribute(m_context, m_strObjectName, kRecordStreams[opened].attribute,
                                                        DIR_STREAM_WRITE, &streams[opened]);
        if (result != 0) break;
    }
    if (result == 0) {
        for (int i = 0; i < kStreamCount; ++i)
            if (kRecordStreams[i].attribute != kAttrSchedule)
                KeepFirst(result, theAppLibrary.TemplateWriteSignature(streams[i]));
        CString sourceMacro, targetMacro;
        sourceMacro.LoadString(IDS_SOURCE_PATH_MACRO);
        targetMacro.LoadString(IDS_TARGET_PATH_MACRO);
        for (EntryList* node = entries; node; node = node->next) {
            const TemplateEntry* entry = node->entry;
            if (!entry) continue;
            const TemplateField& data = entry->fields[0];
            if (entry->kind == TEMPLATE_KIND_MACRO) {
                // The path macros take the values the administrator gave;
                // one whose value was not asked for stays as it is.
                std::string name = FieldText(entry->fields[0]);
                CString value = name == static_cast<LPCSTR>(sourceMacro)   ? m_strSourcePath
                                : name == static_cast<LPCSTR>(targetMacro) ? m_strTargetPath
                                                                            : CString();
                if (!value.IsEmpty())
                    KeepFirst(result, theAppLibrary.TemplateWriteMacroEntry(streams[kMacroStream], 1, name.c_str(), value));
                else
                    KeepFirst(result, theAppLibrary.TemplateWriteEntryToFile(streams[kMacroStream], entry));
            } else if (int stream = StreamOfKind(entry->kind); stream >= 0) {
                KeepFirst(result, theAppLibrary.TemplateWriteEntryToFile(streams[stream], entry));
            } else if (entry->kind == TEMPLATE_KIND_BASE_STRING && (entry->subtype == 9 || entry->subtype == 10)) {
                KeepFirst(result, WriteStreamAttribute(m_context, m_strObjectName,
                                                       entry->subtype == 9 ? kAttrShutdownScript : kAttrStartupScript,
                                                       data.data, data.length));
            } else if (entry->kind == TEMPLATE_KIND_BASE_DATA && entry->subtype == 1) {
                KeepFirst(result, WriteStreamAttribute(m_context, m_strObjectName, kAttrIcon, data.data, data.length));
            } else if (entry->kind == TEMPLATE_KIND_BASE_DATA && entry->subtype == 2 && data.length >= kScheduleSize) {
                // A field shorter than a schedule record is no schedule.
                if (_lwrite(streams[kScheduleStream], reinterpret_cast<LPCSTR>(data.data), kScheduleSize) != kScheduleSize)
                    KeepFirst(result, kStreamWriteFailed);
            }
        }
    }
    for (int i = 0; i < opened; ++i)
        if (_lclose(streams[i]) == HFILE_ERROR) KeepFirst(result, kStreamWriteFailed);
    return result;
}

int CTemplateProgressDlg::WriteObjectAttributes(EntryList* entries) {
    DirBuffer* request = nullptr;
    int status = DirAllocBuffer(kRequestSize, &request);
    if (status == 0) status = DirInitRequest(m_context, DIR_OP_MODIFY, request);
    LPCSTR object = m_strObjectName;
    bool havePath = false, haveFlags = false;
    for (EntryList* node = entries; node && status == 0; node = node->next) {
        const TemplateEntry* entry = node->entry;
        if (!entry) continue;
        std::string text = FieldText(entry->fields[0]);
        if (entry->kind == TEMPLATE_KIND_BASE_VALUE) {
            if (entry->subtype == 3 || entry->subtype == 4) {
                haveFlags = haveFlags || entry->subtype == 3;
                status = theDirectoryHelper.ReplaceValue(m_context, object, request,
                                                         entry->subtype == 3 ? kAttrFlags : kAttrPlatform,
                                                         entry->values[0]);
            }
            continue;
        }
        if (entry->kind != TEMPLATE_KIND_BASE_STRING) continue;
        switch (entry->subtype) {
            case 2:
                if (!text.empty())
                    status = theDirectoryHelper.PutStringValue(m_context, object, request, kAttrCaption, text.c_str());
                break;
            case 4:
                status = theDirectoryHelper.PutStringValue(m_context, object, request, kAttrDescription, text.c_str());
                break;
            case 5:
            case 8: {
                // One further value per record.
                LPCSTR attribute = entry->subtype == 5 ? kAttrDriveMappings : kAttrPrinterPorts;
                DirOctetString octets{static_cast<uint32_t>(text.size()),
                                      reinterpret_cast<unsigned char*>(text.data())};
                status = theDirectoryHelper.PutChange(m_context, object, request, DIR_CHANGE_ADD_VALUE, attribute);
                if (status == 0)
                    status = theDirectoryHelper.PutValue(m_context, object, request, DIR_CHANGE_ADD_VALUE, attribute,
                                                         DIR_SYNTAX_OCTET_STRING, &octets);
                break;
            }
            case 3:
                havePath = true;
                [[fallthrough]];
            case 7:
            case 11:
            case 12:
            case 13:
            case 14: {
                static const char* const kOctetAttributes[15] = {
                    nullptr, nullptr, nullptr, kAttrPath, nullptr, nullptr, nullptr, kAttrParameters, nullptr,
                    nullptr, nullptr, kAttrWorkingDirectory, kAttrErrorLogPath, kAttrVersionString,
                    kAttrMonitorModule};
                status = theDirectoryHelper.PutOctetStringValue(m_context, object, request,
                                                                kOctetAttributes[entry->subtype], text.c_str());
                break;
            }
            default:
                break;
        }
    }
    // An object without a path installs only.
    if (status == 0 && !havePath) {
        status = theDirectoryHelper.PutOctetStringValue(m_context, object, request, kAttrPath, kInstallOnlyPath);
        if (status == 0 && !haveFlags)
            status = theDirectoryHelper.ReplaceValue(m_context, object, request, kAttrFlags, kFlagInstallOnly);
    }
    if (status == 0) status = DirModifyObject(m_context, object, nullptr, 0, request);
    if (request) DirFreeBuffer(request);
    return status;
}

int CTemplateProgressDlg::WriteNote() {
    CString format, note;
    format.LoadString(IDS_CREATED_FROM_TEMPLATE);
    note.Format(format, static_cast<LPCSTR>(m_strTemplatePath));
    return WriteStreamAttribute(m_context, m_strObjectName, kAttrAdministratorNotes, static_cast<LPCSTR>(note),
                                static_cast<DWORD>(note.GetLength()));
}
