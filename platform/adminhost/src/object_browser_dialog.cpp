// The object browse dialog that snap-ins open through HostBrowseObjects(Ex):
// the objects of one context of the directory, the containers first (a
// double-click opens one, Up goes to the parent), then the objects of the
// classes the caller asked for. OK reports each selected object once.
//
// Asked for "File" or "Directory", it browses the machine's network volumes
// instead: first the UNC shares of machine.ini as volumes "SERVER/VOLUME:",
// then the folders of one (and its files, for "File"); a chosen one is
// reported as "SERVER/VOLUME:PATH" of class "Directory" or "File", and the
// context it ends in is "SERVER/VOLUME:PATH" too.
#include <algorithm>
#include <cstring>

#include "admin_host_dialogs.h"
#include "vpr/directory/client.h"
#include "vpr/directory/names.h"
#include "vpr/machine/machine.h"

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
    // Browsing volumes: the volume ("SERVER/VOLUME:", empty at the list of
    // volumes) and the path within it (no leading backslash).
    bool volumes = false;
    std::string volume;
    std::string path;
};

constexpr char kFileClass[] = "File";
constexpr char kDirectoryClass[] = "Directory";

bool WantsClass(const ObjectBrowserDialog& browse, const char* className) {
    return std::find(browse.classes.begin(), browse.classes.end(), className) != browse.classes.end();
}

// "SERVER/VOLUME:" for the machine's share "\\SERVER\VOLUME".
std::vector<std::string> Volumes() {
    std::vector<std::string> names;
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) return names;
    for (const auto& [share, folder] : machine->uncShares) {
        std::string rest = share.substr(share.find_first_not_of('\\'));
        size_t slash = rest.find('\\');
        if (slash == std::string::npos) continue;
        names.push_back(rest.substr(0, slash) + "/" + rest.substr(slash + 1) + ":");
    }
    return names;
}

// The Windows name of a folder of a volume: \\SERVER\VOLUME\PATH.
std::string UncFolder(const std::string& volume, const std::string& path) {
    std::string server = volume.substr(0, volume.find('/'));
    std::string share = volume.substr(volume.find('/') + 1, volume.size() - volume.find('/') - 2);
    return "\\\\" + server + "\\" + share + (path.empty() ? "" : "\\" + path);
}

// The volume rows, or the folders (then the files, when files are wanted)
// of the folder shown, each by its name.
void FillVolumes(ObjectBrowserDialog& browse) {
    if (browse.volume.empty()) {
        for (const std::string& volume : Volumes())
            browse.rows.push_back(DirectoryObject{volume, kDirectoryClass, true});
        browse.context.clear();
        return;
    }
    std::vector<DirectoryObject> folders, files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((UncFolder(browse.volume, browse.path) + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back({name, kDirectoryClass, true});
            else if (WantsClass(browse, kFileClass)) files.push_back({name, kFileClass, false});
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    auto byName = [](const DirectoryObject& a, const DirectoryObject& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    browse.rows = folders;
    browse.rows.insert(browse.rows.end(), files.begin(), files.end());
    browse.context = browse.volume + browse.path;
}

// What a row of the volumes names: "SERVER/VOLUME:PATH".
std::string VolumeName(const ObjectBrowserDialog& browse, const DirectoryObject& row) {
    if (browse.volume.empty()) return row.name;
    return browse.volume + (browse.path.empty() ? "" : browse.path + "\\") + row.name;
}

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
    browse.rows.clear();
    if (browse.volumes) {
        FillVolumes(browse);
    } else {
        std::vector<DirectoryObject> objects;
        browse.host->ListObjects(browse.context, &objects);
        for (const auto& object : objects)
            if (object.container) browse.rows.push_back(object);
        for (const auto& object : objects)
            if (!object.container && Wanted(browse, object)) browse.rows.push_back(object);
    }
    HWND list = GetDlgItem(dialog, IDC_BROWSE_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const auto& row : browse.rows) {
        std::string leaf = browse.volumes ? row.name : row.name.substr(0, row.name.find('.'));
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(leaf.c_str()));
    }
    SetDlgItemTextA(dialog, IDC_BROWSE_CONTEXT, browse.context.c_str());
    EnableWindow(GetDlgItem(dialog, IDC_BROWSE_UP),
                 browse.volumes ? !browse.volume.empty() : browse.context != DIR_ROOT_NAME);
}

void Open(HWND dialog, ObjectBrowserDialog& browse, int row) {
    if (row < 0 || row >= static_cast<int>(browse.rows.size()) || !browse.rows[row].container) return;
    if (!browse.volumes) browse.context = browse.rows[row].name;
    else if (browse.volume.empty()) browse.volume = browse.rows[row].name;
    else browse.path = browse.path.empty() ? browse.rows[row].name : browse.path + "\\" + browse.rows[row].name;
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
        DirectoryObject object = browse.rows[row];
        if (browse.volumes) {
            if (!WantsClass(browse, object.className.c_str())) continue;
            object.name = VolumeName(browse, object);
        }
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
            if (browse->volumes) {
                size_t slash = browse->path.rfind('\\');
                if (!browse->path.empty()) browse->path = slash == std::string::npos ? "" : browse->path.substr(0, slash);
                else browse->volume.clear();
                Fill(dialog, *browse);
                return TRUE;
            }
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
    browse.volumes = WantsClass(browse, kFileClass) || WantsClass(browse, kDirectoryClass);
    size_t slash = wanted.find('/'), colon = wanted.find(':');
    DirectoryObject object;
    if (browse.volumes) {
        // A context this browse handed out before: "SERVER/VOLUME:PATH".
        if (slash != std::string::npos && colon != std::string::npos && slash < colon) {
            browse.volume = wanted.substr(0, colon + 1);
            browse.path = wanted.substr(colon + 1);
            if (!browse.path.empty() && browse.path[0] == '\\') browse.path.erase(0, 1);
        }
    } else if (wanted == DIR_ROOT_NAME || (host.FindObject(wanted, &object) == 0 && object.container))
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
