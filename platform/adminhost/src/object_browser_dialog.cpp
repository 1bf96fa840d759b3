// The object browse dialog that snap-ins open through HostBrowseObjects(Ex):
// the objects of one context of the directory, the containers first (a
// double-click opens one, Up goes to the parent), then the objects of the
// classes the caller asked for. OK reports each selected object once.
#include <cstring>

#include "admin_host_dialogs.h"
#include "vpr/directory/client.h"
#include "vpr/directory/names.h"

namespace vpr::adminhost {
namespace {

constexpr char kBrowseProperty[] = "KMAdminBrowse";

struct ObjectBrowserDialog {
    AdminHost* host = nullptr;
    void* browser = nullptr;
    SnapinBrowseCallBack callBack = nullptr;
    bool several = false;
    std::vector<std::string> classes;  // empty: every class
    std::string context;
    std::vector<DirectoryObject> rows;
};

ObjectBrowserDialog* DialogOf(HWND dialog) {
    return reinterpret_cast<ObjectBrowserDialog*>(GetPropA(dialog, kBrowseProperty));
}

bool Wanted(const ObjectBrowserDialog& browse, const DirectoryObject& object) {
    if (browse.classes.empty()) return true;
    for (const std::string& cls : browse.classes)
        if (cls == object.className) return true;
    return false;
}

// Shows the context: its containers, then the wanted objects, each by its
// leaf name (a row's number indexes `rows`).
void Fill(HWND dialog, ObjectBrowserDialog& browse) {
    std::vector<DirectoryObject> objects;
    browse.host->ListObjects(browse.context, &objects);
    browse.rows.clear();
    for (const auto& object : objects)
        if (object.container) browse.rows.push_back(object);
    for (const auto& object : objects)
        if (!object.container && Wanted(browse, object)) browse.rows.push_back(object);
    HWND list = GetDlgItem(dialog, IDC_BROWSE_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const auto& row : browse.rows) {
        std::string leaf = row.name.substr(0, row.name.find('.'));
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(leaf.c_str()));
    }
    SetDlgItemTextA(dialog, IDC_BROWSE_CONTEXT, browse.context.c_str());
    EnableWindow(GetDlgItem(dialog, IDC_BROWSE_UP), browse.context != DIR_ROOT_NAME);
}

void Open(HWND dialog, ObjectBrowserDialog& browse, int row) {
    if (row < 0 || row >= static_cast<int>(browse.rows.size()) || !browse.rows[row].container) return;
    browse.context = browse.rows[row].name;
    Fill(dialog, browse);
}

void Report(HWND dialog, ObjectBrowserDialog& browse) {
    HWND list = GetDlgItem(dialog, IDC_BROWSE_LIST);
    std::vector<int> chosen;
    if (GetWindowLongA(list, GWL_STYLE) & LBS_EXTENDEDSEL) {
        int count = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
        chosen.resize(count > 0 ? count : 0);
        if (count > 0) SendMessageA(list, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(chosen.data()));
    } else if (int row = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); row >= 0) {
        chosen.push_back(row);
    }
    for (int row : chosen) {
        if (row < 0 || row >= static_cast<int>(browse.rows.size())) continue;
        const DirectoryObject& object = browse.rows[row];
        SnapinObjectRecord record{};
        std::strncpy(record.bytes + SNAPIN_RECORD_TREE, browse.host->Tree().c_str(), SNAPIN_CLASS_NAME_SIZE - 1);
        std::strncpy(record.bytes + SNAPIN_RECORD_CLASS, object.className.c_str(), SNAPIN_CLASS_NAME_SIZE - 1);
        std::strncpy(record.bytes + SNAPIN_RECORD_NAME, object.name.c_str(), SNAPIN_NAME_SIZE - 1);
        browse.callBack(browse.browser, BROWSE_OBJECT_CHOSEN, 0, reinterpret_cast<ULONG_PTR>(&record));
    }
}

INT_PTR CALLBACK BrowseProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* browse = reinterpret_cast<ObjectBrowserDialog*>(lParam);
        SetPropA(dialog, kBrowseProperty, browse);
        browse->callBack(browse->browser, BROWSE_HOST_VALUE, reinterpret_cast<ULONG_PTR>(dialog), 0);
        if (browse->several) {
            HWND list = GetDlgItem(dialog, IDC_BROWSE_LIST);
            SetWindowLongA(list, GWL_STYLE, GetWindowLongA(list, GWL_STYLE) | LBS_EXTENDEDSEL);
        }
        Fill(dialog, *browse);
        return TRUE;
    }
    ObjectBrowserDialog* browse = DialogOf(dialog);
    if (!browse) return FALSE;
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: Report(dialog, *browse); EndDialog(dialog, IDOK); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_BROWSE_UP: {
            directory::NameParts parts;
            if (directory::ParseName(browse->context, {}, &parts) == 0 && !parts.empty()) {
                parts.erase(parts.begin());
                browse->context = directory::FormatName(parts);
                Fill(dialog, *browse);
            }
            return TRUE;
        }
        case IDC_BROWSE_LIST:
            if (HIWORD(wParam) == LBN_DBLCLK)
                Open(dialog, *browse, static_cast<int>(SendDlgItemMessageA(dialog, IDC_BROWSE_LIST, LB_GETCARETINDEX, 0, 0)));
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY: RemovePropA(dialog, kBrowseProperty); return FALSE;
    }
    return FALSE;
}

}  // namespace

LONG RunBrowseDialog(AdminHost& host, HWND owner, void* browser, char* start, char* second, DWORD flags,
                     SnapinBrowseCallBack callBack) {
    if (!callBack || !start) return -1;
    ObjectBrowserDialog browse;
    browse.host = &host;
    browse.browser = browser;
    browse.callBack = callBack;
    DWORD count = 0;
    callBack(browser, BROWSE_FILTER_COUNT, reinterpret_cast<ULONG_PTR>(&count), 0);
    for (DWORD i = 0; i < count; ++i) {
        char name[SNAPIN_CLASS_NAME_SIZE] = {};
        callBack(browser, BROWSE_FILTER, i, reinterpret_cast<ULONG_PTR>(name));
        name[SNAPIN_CLASS_NAME_SIZE - 1] = 0;
        if (name[0]) browse.classes.push_back(name);
    }
    // Start where the caller asks when that is a container, else in the
    // host's current context.
    std::string wanted(start, strnlen(start, SNAPIN_BROWSE_BUFFER_SIZE - 1));
    DirectoryObject object;
    if (wanted == DIR_ROOT_NAME || (host.FindObject(wanted, &object) == 0 && object.container))
        browse.context = wanted == DIR_ROOT_NAME ? wanted : object.name;
    else
        browse.context = host.Context();
    browse.several = flags & BROWSE_MULTIPLE;
    INT_PTR result = DialogBoxParamA(win::ThisModule(), MAKEINTRESOURCEA(kBrowseDialogId), owner, BrowseProc,
                                     reinterpret_cast<LPARAM>(&browse));
    for (char* buffer : {start, second}) {
        if (!buffer) continue;
        std::memset(buffer, 0, SNAPIN_BROWSE_BUFFER_SIZE);
        std::strncpy(buffer, browse.context.c_str(), SNAPIN_BROWSE_BUFFER_SIZE - 1);
    }
    return result == IDOK ? 0 : -1;
}

}  // namespace vpr::adminhost
