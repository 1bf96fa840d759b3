// Program groups and shortcuts of "App:Program Groups": a group is a folder
// of the user's Programs menu, an item or shortcut a shortcut file written
// with the shortcut codec. The shell hears of each folder that changed.
#include <string>

#include "distributor.h"
#include "restart_files.h"
#include "../well_known_folders.h"
#include "shlobj.h"
#include "vpr/com/shell_link_file.h"

namespace vpr::launcher {

namespace {

constexpr DWORD kCreate = 1;          // group create; item add
constexpr DWORD kItemDelete = 2;
constexpr DWORD kShortcutAdd = 3;
constexpr DWORD kShortcutDelete = 4;

// The four numbers of a user icon entry.
constexpr int kIconIndex = 1;
constexpr int kShowCommand = 2;

bool IsAbsolute(const std::string& path) {
    return path.find(':') != std::string::npos || (path.size() > 1 && path[0] == '\\' && path[1] == '\\');
}

// A group or link named relative to the Programs menu lies in the user's.
std::string InPrograms(const std::string& path) {
    if (path.empty() || IsAbsolute(path)) return path;
    return WellKnownFolderPath(WellKnownFolder::Programs) + "\\" + path;
}

void NotifyFolder(const std::string& folder) {
    if (!folder.empty()) SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATH, folder.c_str(), nullptr);
}

// Removes a group's shortcut files and then the folder when nothing else is
// in it; other files stay. False with the last error set.
bool RemoveGroupFolder(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    bool othersLeft = false;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsShortcutFileName(name)) {
            if (!DeleteFileA((folder + "\\" + name).c_str())) {
                DWORD error = GetLastError();
                FindClose(find);
                SetLastError(error);
                return false;
            }
        } else {
            othersLeft = true;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return othersLeft || RemoveDirectoryA(folder.c_str());
}

bool DeleteLink(const std::string& path) {
    if (DeleteFileA(path.c_str())) return true;
    return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool Distributor::ApplyGroups(const std::vector<TemplateEntry*>& entries) {
    for (const TemplateEntry* entry : entries) {
        if (entry->kind == TEMPLATE_KIND_PM_GROUP) {
            std::string folder = InPrograms(Text(*entry, 0));
            bool done = entry->subtype == kCreate ? CreateFolders(folder) : RemoveGroupFolder(folder);
            if (!done) return Fail(KMAPP_LAUNCH_GROUP_FAILED, GetLastError(), folder);
            NotifyFolder(FolderOf(folder));
            continue;
        }
        if (entry->kind != TEMPLATE_KIND_USER_ICON) continue;
        // Items name their group and themselves; shortcuts carry their path.
        const bool item = entry->subtype == kCreate || entry->subtype == kItemDelete;
        std::string linkPath = item ? InPrograms(Text(*entry, 0)) + "\\" + Text(*entry, 1) + ".lnk"
                                    : InPrograms(Text(*entry, 0));
        if (entry->subtype == kItemDelete || entry->subtype == kShortcutDelete) {
            if (!DeleteLink(linkPath)) return Fail(KMAPP_LAUNCH_GROUP_FAILED, GetLastError(), linkPath);
            NotifyFolder(FolderOf(linkPath));
            continue;
        }
        if (entry->subtype != kShortcutAdd && entry->subtype != kCreate) continue;
        vpr::com::ShellLink link = vpr::com::ShellLinkToPath(Text(*entry, 2));
        if (!item && !Text(*entry, 1).empty()) link.name = Text(*entry, 1);
        if (!Text(*entry, 3).empty()) link.arguments = Text(*entry, 3);
        if (!Text(*entry, 4).empty()) link.iconLocation = Text(*entry, 4);
        if (!Text(*entry, 5).empty()) link.workingDirectory = Text(*entry, 5);
        link.iconIndex = static_cast<int32_t>(entry->values[kIconIndex]);
        // An entry that names no show command opens the program normally.
        if (entry->values[kShowCommand] != 0) link.showCommand = entry->values[kShowCommand];
        std::string error;
        if (!CreateFolders(FolderOf(linkPath)) || !vpr::com::WriteShellLinkFile(linkPath, link, &error))
            return Fail(KMAPP_LAUNCH_GROUP_FAILED, GetLastError() ? GetLastError() : ERROR_WRITE_FAULT, linkPath);
        NotifyFolder(FolderOf(linkPath));
    }
    return true;
}

}  // namespace vpr::launcher
