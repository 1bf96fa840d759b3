// Launching an application through the launcher library: the status dialog
// fed by the library's callback, the question before a file is replaced, and
// the message a failure selects, logged through the library before it is
// shown.
#include <cstring>
#include <ctime>

#include "cache/app_cache.h"
#include "cache/launch_status_dlg.h"
#include "cache/replace_file_dlg.h"
#include "items/folder_item.h"
#include "module/module_utilities.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "vpr/locale/locale.h"

namespace {

const DWORD kParameterChars = 1254;  // the library's size; the buffer holds one more

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// The last component of a path or registry text (after its last backslash).
CString LastComponent(LPCSTR text) {
    if (!text) return "";
    int last = LocFindLastChar(text, '\\');
    return last < 0 ? CString(text) : CString(LocNextChar(text + last));
}

// A file's date and time from the replace record, as the locale formats "%c".
CString FormatFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    std::tm tm = {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    char text[268] = {};
    LocFormat(text, sizeof text, "%c", &tm);
    return text;
}

DWORD AskReplace(CLaunchStatusDlg* status, const KmappReplaceStatus* record) {
    if (!record || (status && status->m_bReplaceAll)) return KMAPP_ANSWER_REPLACE;
    CReplaceFileDlg dialog;
    dialog.m_strMessage.Format(LoadText(10440), static_cast<LPCSTR>(LastComponent(record->path)));
    dialog.m_strSize1.Format(LoadText(10441), static_cast<long>(record->targetSize));
    dialog.m_strSize2.Format(LoadText(10441), static_cast<long>(record->sourceSize));
    dialog.m_strDate1 = FormatFileTime(record->targetYear, record->targetMonth, record->targetDay, record->targetHour,
                                       record->targetMinute, record->targetSecond);
    dialog.m_strDate2 = FormatFileTime(record->sourceYear, record->sourceMonth, record->sourceDay, record->sourceHour,
                                       record->sourceMinute, record->sourceSecond);
    switch (dialog.DoModal()) {
        case IDC_REPLACE_YES_ALL:
            if (status) status->m_bReplaceAll = TRUE;
            return KMAPP_ANSWER_REPLACE;
        case IDC_REPLACE_NO:
            return KMAPP_ANSWER_SKIP;
        default:
            return KMAPP_ANSWER_REPLACE;
    }
}

}  // namespace

LONG CShellAppLibrary::ProcessApplication(LPCSTR key, LPCSTR parameters) {
    if (!m_pfnProcessApplication) return -1;
    CShellExtApp* app = GetShellExtApp();
    CAppCache* cache = app ? app->m_pCache : nullptr;
    if (!cache) return -1;
    CFolderItem* item = cache->GetItem(key, kNoContext);
    if (!item) return -1;

    char buffer[kParameterChars + 1] = {};
    if (parameters) std::strncpy(buffer, parameters, kParameterChars);
    CString application, display, tree;
    item->SplitKey(nullptr, nullptr, &application);
    item->GetDisplayText(display);
    // The context is for the tree the application comes from: an item of a
    // personal folder names "Personal", which is no tree.
    DIR_CONTEXT context = cache->GetLaunchTree(key, tree) ? AllocContext(tree) : kNoContext;
    if (context == kNoContext) {
        item->Release();
        return -1;
    }

    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
    CLaunchStatusDlg status;
    status.CreateHidden();
    status.m_bReplaceAll = FALSE;
    DWORD detail = 0;
    LONG result;
    try {
        result = static_cast<LONG>(
            m_pfnProcessApplication(context, application, &detail, buffer, kParameterChars, OnLaunchStatus));
    } catch (...) {
        result = -1;
        detail = static_cast<DWORD>(-1);
    }
    status.Close();
    SetCursor(previous);

    if (result != 0) ReportLaunchError(context, application, display, static_cast<DWORD>(result), detail, buffer);
    FreeContext(context);
    item->Release();
    return result;
}

DWORD CShellAppLibrary::OnLaunchStatus(DWORD status, void* record) {
    CLaunchStatusDlg* dialog = CLaunchStatusDlg::Current();
    if (dialog && dialog->m_hWnd && !dialog->IsWindowVisible()) {
        dialog->ShowWindow(SW_SHOW);
        dialog->UpdateWindow();
    }
    if (status == KMAPP_STATUS_REPLACE_FILE) return AskReplace(dialog, static_cast<const KmappReplaceStatus*>(record));
    if (!dialog) return 0;
    const auto* item = static_cast<const KmappItemStatus*>(record);
    const auto* path = static_cast<const KmappPathStatus*>(record);
    switch (record ? status : 0) {
        case KMAPP_STATUS_FILE_COPIED:
            dialog->SetStatus(LoadText(10438), LastComponent(item->text), item->position, item->total);
            break;
        case KMAPP_STATUS_DIR_MADE:
        case KMAPP_STATUS_DIR_REMOVED:
            dialog->SetStatus(LoadText(10435), LastComponent(path->path), path->position, path->total);
            break;
        case KMAPP_STATUS_FILE_DELETED:
            dialog->SetStatus(LoadText(10438), LastComponent(path->path), path->position, path->total);
            break;
        case KMAPP_STATUS_REGISTRY:
            dialog->SetStatus(LoadText(10436), LastComponent(item->text), item->position, item->total);
            break;
        case KMAPP_STATUS_INI:
            dialog->SetStatus(LoadText(10437), item->text ? item->text : "", item->position, item->total);
            break;
        default:
            dialog->SetStatus("", "", 0, 0);
            break;
    }
    return 0;
}

void CShellAppLibrary::ReportLaunchError(DIR_CONTEXT context, LPCSTR application, LPCSTR display, DWORD result,
                                         DWORD detail, LPSTR buffer) {
    try {
        // The library fills at most 1254 characters; the buffer ends there
        // whatever it wrote.
        if (buffer) buffer[kParameterChars] = '\0';
        LPCSTR name = display ? display : "";
        LPCSTR text = buffer ? buffer : "";
        long id = static_cast<long>(detail);
        CString main, problem;
        UINT caption = 10129;
        DWORD code = result & 0xFFFF;
        switch (code) {
            case 0xD000:
                main.Format(LoadText(10121), name);
                break;
            case 0xD001: case 0xD002: case 0xD003: case 0xD004: case 0xD005:
            case 0xD006: case 0xD007: case 0xD008: case 0xD00A: {
                main.Format(LoadText(10118), name, id);
                UINT problems[] = {10142, 10143, 10137, 10138, 10139, 10140, 10141, 10144, 0, 10145};
                UINT which = problems[code - 0xD001];
                if (code == 0xD004 && detail == 85) which = 10146;
                problem.Format(LoadText(which), text);
                caption = 10127;
                break;
            }
            case 0xD009:
                switch (detail & 0xFFFF) {
                    case 0: case 8: problem = LoadText(10150); break;
                    case 2: case 1157: problem = LoadText(10148); break;
                    case 3: case 267: problem = LoadText(10149); break;
                    case 20: case 1154: problem = LoadText(10151); break;
                    default: break;
                }
                // 1152: the program could not start in a way the user
                // already saw; no message at all.
                if ((detail & 0xFFFF) != 1152) main.Format(LoadText(10120), name, text, id);
                break;
            case 0xD010:
                main.Format(LoadText(10120), name, text, id);
                problem = LoadText(10155);
                caption = 10127;
                break;
            case 0xD012:
                main.Format(LoadText(10120), name, text, id);
                problem.Format(LoadText(10154), text);
                caption = 10127;
                break;
            case 0xD013: case 0xD014: case 0xD015:
                main.Format(LoadText(10156), name, id);
                problem.Format(LoadText(10157 + (code - 0xD013)), static_cast<unsigned long>(result));
                caption = 10147;
                break;
            case 0xD016: case 0xD017: case 0xD018: case 0xD019: case 0xD01A: case 0xD01C:
                main.Format(LoadText(10156), name, id);
                problem.Format(LoadText(code == 0xD01C ? 10165 : 10160 + (code - 0xD016)), text,
                               static_cast<unsigned long>(result));
                caption = 10147;
                break;
            case 0xD01B:
                if (MessageBoxA(nullptr, LoadText(10443), LoadText(10442), MB_ICONQUESTION | MB_YESNO) == IDYES)
                    RestartWindows();
                return;
            default:
                main.Format(LoadText(10119), id, static_cast<long>(result));
                break;
        }
        if (main.IsEmpty()) return;
        CString message = main + problem;
        if (m_pfnLogString) m_pfnLogString(context, application, 0, message);
        MessageBoxA(GetDesktopWindow(), message, LoadText(caption), MB_ICONWARNING);
    } catch (...) {
    }
}
