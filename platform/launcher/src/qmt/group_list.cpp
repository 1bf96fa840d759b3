// KMQMT32's program groups and shortcut reading: the folders of the Programs
// menus as groups, their shortcut files as items, read with the shortcut
// codec.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../well_known_folders.h"
#include "kmqmt32.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/machine/machine.h"

using vpr::launcher::WellKnownFolder;

namespace {

struct FolderListing {
    std::vector<std::string> folders;
    std::vector<std::string> files;
};

// The folder's sub-folders and files, each in name order.
FolderListing List(const std::string& folder) {
    FolderListing listing;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return listing;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listing.folders.push_back(name);
        else
            listing.files.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(listing.folders.begin(), listing.folders.end());
    std::sort(listing.files.begin(), listing.files.end());
    return listing;
}

LPSTR Copy(const std::string& text) {
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

KMAPP_GROUP_ITEM* MakeItem(const std::string& path, const std::string& fileName) {
    vpr::com::ShellLink link;
    std::string error;
    if (!vpr::com::ReadShellLinkFile(path, &link, &error)) return nullptr;
    auto* item = new KMAPP_GROUP_ITEM{};
    item->text1 = Copy(vpr::com::ShellLinkTargetPath(link));
    item->text2 = Copy(link.arguments.value_or(""));
    item->text3 = Copy(fileName.substr(0, fileName.size() - 4));
    item->text4 = Copy(link.iconLocation.value_or(""));
    item->integer1 = link.iconIndex;
    item->text5 = Copy(link.workingDirectory.value_or(""));
    item->integer2 = static_cast<LONG>(link.showCommand);
    return item;
}

// Appends a group for `folder` (named `name`) and for each folder below it.
void AddGroups(const std::string& folder, const std::string& name, KMAPP_GROUP*** tail) {
    FolderListing listing = List(folder);
    if (!name.empty()) {
        auto* group = new KMAPP_GROUP{Copy(name), nullptr, nullptr};
        KMAPP_GROUP_ITEM** itemTail = &group->items;
        for (const std::string& file : listing.files) {
            if (!vpr::launcher::IsShortcutFileName(file)) continue;
            // A file that is no readable shortcut is no item.
            if (KMAPP_GROUP_ITEM* item = MakeItem(folder + "\\" + file, file)) {
                *itemTail = item;
                itemTail = &item->next;
            }
        }
        **tail = group;
        *tail = &group->next;
    }
    for (const std::string& sub : listing.folders)
        AddGroups(folder + "\\" + sub, name.empty() ? sub : name + "\\" + sub, tail);
}

void CopyText(char (&field)[KMQMT_LINK_TEXT_SIZE], const std::string& text) {
    size_t size = std::min(text.size(), sizeof field - 1);
    std::memcpy(field, text.data(), size);
    field[size] = 0;
}

}  // namespace

extern "C" KMAPP_GROUP* KMAPPGetGroupList(void) {
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) return nullptr;
    KMAPP_GROUP* head = nullptr;
    KMAPP_GROUP** tail = &head;
    AddGroups(vpr::launcher::WellKnownFolderPath(WellKnownFolder::Programs), "", &tail);
    // Windows 95 has no common menu: its common folder is the user's own.
    if (machine->platform == vpr::machine::Platform::NT4)
        AddGroups(vpr::launcher::WellKnownFolderPath(WellKnownFolder::CommonPrograms), "", &tail);
    return head;
}

extern "C" void KMAPPFreeGetGroupList(KMAPP_GROUP* head) {
    while (head) {
        KMAPP_GROUP* group = head;
        head = head->next;
        for (KMAPP_GROUP_ITEM* item = group->items; item;) {
            KMAPP_GROUP_ITEM* next = item->next;
            for (LPSTR text : {item->text1, item->text2, item->text3, item->text4, item->text5}) delete[] text;
            delete item;
            item = next;
        }
        delete[] group->name;
        delete group;
    }
}

extern "C" LONG KMAPPGetShellLinkInfo(LPCSTR linkPath, KMAPP_SHELL_LINK_INFO* block) {
    if (!block) return ERROR_INVALID_PARAMETER;
    std::memset(block, 0, sizeof *block);
    if (!linkPath) return ERROR_INVALID_PARAMETER;
    vpr::com::ShellLink link;
    std::string error;
    if (GetFileAttributesA(linkPath) == INVALID_FILE_ATTRIBUTES) return static_cast<LONG>(GetLastError());
    if (!vpr::com::ReadShellLinkFile(linkPath, &link, &error)) return ERROR_INVALID_DATA;
    CopyText(block->description, link.name.value_or(""));
    CopyText(block->program, vpr::com::ShellLinkTargetPath(link));
    CopyText(block->arguments, link.arguments.value_or(""));
    CopyText(block->workingDirectory, link.workingDirectory.value_or(""));
    CopyText(block->iconFile, link.iconLocation.value_or(""));
    block->iconIndex = link.iconIndex;
    block->showCommand = static_cast<LONG>(link.showCommand);
    return 0;
}
