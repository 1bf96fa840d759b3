// Personal folders: the user's own folders of granted applications, kept in
// the registry per tree (KMAPP_FOLDERS_KEY), and their copy in the NRD file.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "../directory_calls.h"
#include "../well_known_folders.h"
#include "app_records.h"
#include "grants.h"
#include "reg_key.h"
#include "text_file.h"
#include "vpr/directory/names.h"
#include "vpr/locale/locale.h"
#include "vpr/machine/machine.h"

using namespace vpr::launcher;

namespace {

std::string TreeKey(const std::string& tree) { return std::string(KMAPP_FOLDERS_KEY) + "\\" + tree; }
std::string FolderKey(const std::string& tree, const std::string& folder) { return TreeKey(tree) + "\\" + folder; }

bool IsPersonalNode(LPCSTR tree) { return KMLstricmp(tree, KMAPP_PERSONAL_NODE) == 0; }

bool Valid(LPCSTR text) { return text && *text; }

// The trees that hold personal folders in the registry.
std::vector<std::string> FolderTrees() {
    RegKey key;
    if (key.Open(HKEY_CURRENT_USER, KMAPP_FOLDERS_KEY) != ERROR_SUCCESS) return {};
    return key.SubkeyNames();
}

// The applications the context's user was granted, as folded complete names.
std::set<std::string> GrantedNames(DIR_CONTEXT context, const std::string& user) {
    std::set<std::string> names;
    for (const SourceFolder& folder : ReadFolders(context, user, InheritLevels(context, user), ~DWORD{0}))
        for (const Association& association : folder.associations)
            names.insert(vpr::directory::FoldCase(association.application));
    return names;
}

// The attached tree whose logged-in user was granted the application; empty
// when none was.
std::string GrantingTree(const std::string& application) {
    auto machine = vpr::machine::CurrentMachine();
    if (!machine) return "";
    for (const auto& attached : machine->trees) {
        DIR_CONTEXT context = ContextForTree(attached.name);
        if (context < 0) continue;
        bool granted = IsGranted(context, application);
        KMAPPFreeContextHandle(context);
        if (granted) return attached.name;
    }
    return "";
}

bool GrantedInTree(const std::string& tree, const std::string& application) {
    DIR_CONTEXT context = ContextForTree(tree);
    if (context < 0) return false;
    bool granted = IsGranted(context, application);
    KMAPPFreeContextHandle(context);
    return granted;
}

bool DeleteItemUnder(const std::string& tree, const std::string& folder, const std::string& application) {
    RegKey key;
    return key.Open(HKEY_CURRENT_USER, FolderKey(tree, folder)) == ERROR_SUCCESS &&
           key.DeleteValue(application) == ERROR_SUCCESS;
}

// The NRD file of the context's user: lines "tree TAB folder [TAB application
// TAB flags in hex]", an empty folder standing alone.
std::string NrdPath(const std::string& user) {
    return WellKnownFolderPath(WellKnownFolder::Windows) + "\\" + FileNameOf(user) + ".NRD";
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        parts.push_back(line.substr(start, tab - start));
    parts.push_back(line.substr(start));
    return parts;
}

}  // namespace

extern "C" void KMAPPGetPersonalFolders(DIR_CONTEXT context, LPCSTR tree, DWORD mask, KmappFolder** list) {
    if (!Valid(tree) || !list) return;
    std::string user = CurrentUser(context);
    if (user.empty()) return;
    std::set<std::string> granted = GrantedNames(context, user);
    RegKey treeKey;
    if (treeKey.Open(HKEY_CURRENT_USER, TreeKey(tree)) != ERROR_SUCCESS) return;
    for (const std::string& folderName : treeKey.SubkeyNames()) {
        // A name listed already (from another tree) takes this tree's items too.
        KmappFolder** link = list;
        while (*link && KMLstricmp((*link)->name, folderName.c_str()) != 0) link = &(*link)->next;
        KmappFolder* folder = *link;
        if (!folder) {
            folder = new KmappFolder{NewText("", 1), NewText(folderName), 0, nullptr, nullptr};
            *link = folder;
        }
        KmappApplication** appLink = &folder->applications;
        while (*appLink) appLink = &(*appLink)->next;
        RegKey key;
        if (key.Open(treeKey.get(), folderName) != ERROR_SUCCESS) continue;
        for (const auto& [application, stored] : key.DwordValues()) {
            // An item counts only while its application is granted.
            if ((stored & mask) == 0 || !granted.count(vpr::directory::FoldCase(application))) continue;
            KmappApplication* record = NewApplicationRecord(
                context, tree, user, {application, stored & (mask | KMAPP_ASSOC_PERSONAL), 0});
            if (!record) continue;
            folder->flags |= record->flags;
            *appLink = record;
            appLink = &record->next;
        }
    }
}

extern "C" BYTE KMAPPCreatePersonalFolder(LPCSTR tree, LPCSTR folder) {
    if (!Valid(tree) || !Valid(folder)) return 0;
    RegKey key;
    return key.Create(HKEY_CURRENT_USER, FolderKey(tree, folder)) == ERROR_SUCCESS ? 1 : 0;
}

extern "C" void KMAPPDeletePersonalFolder(LPCSTR folder) {
    if (!Valid(folder)) return;
    for (const std::string& tree : FolderTrees()) DeleteKeyTree(HKEY_CURRENT_USER, FolderKey(tree, folder));
}

extern "C" BYTE KMAPPRenamePersonalFolder(LPCSTR folder, LPCSTR newName) {
    if (!Valid(folder) || !Valid(newName)) return 0;
    std::vector<std::string> trees = FolderTrees();
    // A name taken under any tree is refused, and nothing changes.
    for (const std::string& tree : trees) {
        RegKey existing;
        if (existing.Open(HKEY_CURRENT_USER, FolderKey(tree, newName)) == ERROR_SUCCESS) return 0;
    }
    BYTE renamed = 0;
    for (const std::string& tree : trees) {
        RegKey old;
        if (old.Open(HKEY_CURRENT_USER, FolderKey(tree, folder)) != ERROR_SUCCESS) continue;
        RegKey fresh;
        if (fresh.Create(HKEY_CURRENT_USER, FolderKey(tree, newName)) != ERROR_SUCCESS) return 0;
        for (const auto& [application, flags] : old.DwordValues())
            if (fresh.SetDword(application, flags) != ERROR_SUCCESS) return 0;
        old.Close();
        if (DeleteKeyTree(HKEY_CURRENT_USER, FolderKey(tree, folder)) != ERROR_SUCCESS) return 0;
        renamed = 1;
    }
    return renamed;
}

extern "C" BYTE KMAPPAddPersonalFolderItem(LPCSTR tree, LPCSTR folder, LPCSTR application, DWORD flags) {
    if (!Valid(tree) || !Valid(folder) || !Valid(application)) return 0;
    std::string owner;
    if (IsPersonalNode(tree)) {
        owner = GrantingTree(application);
        if (owner.empty()) return 0;
        // The item lives under one tree only: the one that grants it.
        for (const std::string& other : FolderTrees()) DeleteItemUnder(other, folder, application);
    } else {
        if (!GrantedInTree(tree, application)) return 0;
        owner = tree;
    }
    RegKey key;
    return key.Create(HKEY_CURRENT_USER, FolderKey(owner, folder)) == ERROR_SUCCESS &&
                   key.SetDword(application, flags) == ERROR_SUCCESS
               ? 1
               : 0;
}

extern "C" BYTE KMAPPDeletePersonalFolderItem(LPCSTR tree, LPCSTR folder, LPCSTR application) {
    if (!Valid(tree) || !Valid(folder) || !Valid(application)) return 0;
    if (!IsPersonalNode(tree)) return DeleteItemUnder(tree, folder, application) ? 1 : 0;
    BYTE deleted = 0;
    for (const std::string& other : FolderTrees())
        if (DeleteItemUnder(other, folder, application)) deleted = 1;
    return deleted;
}

extern "C" BYTE KMAPPWriteNRDFolders(DIR_CONTEXT context, LPCSTR tree) {
    if (!Valid(tree)) return 0;
    std::string user = CurrentUser(context);
    if (user.empty()) return 0;
    std::string path = NrdPath(user);
    std::vector<std::string> kept, lines;
    if (ReadTextLines(path, &lines))
        for (const std::string& line : lines)
            if (!line.empty() && KMLstricmp(SplitTabs(line).front().c_str(), tree) != 0) kept.push_back(line);
    RegKey treeKey;
    if (treeKey.Open(HKEY_CURRENT_USER, TreeKey(tree)) == ERROR_SUCCESS) {
        for (const std::string& folder : treeKey.SubkeyNames()) {
            RegKey key;
            if (key.Open(treeKey.get(), folder) != ERROR_SUCCESS) continue;
            auto values = key.DwordValues();
            if (values.empty()) kept.push_back(std::string(tree) + "\t" + folder);
            for (const auto& [application, flags] : values) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "%lX", static_cast<unsigned long>(flags));
                kept.push_back(std::string(tree) + "\t" + folder + "\t" + application + "\t" + hex);
            }
        }
    }
    return WriteTextLines(path, kept) ? 1 : 0;
}

extern "C" BYTE KMAPPReadNRDFolders(DIR_CONTEXT context, LPCSTR tree) {
    if (!Valid(tree)) return 0;
    std::string user = CurrentUser(context);
    if (user.empty()) return 0;
    RegKey treeKey;
    if (treeKey.Open(HKEY_CURRENT_USER, TreeKey(tree)) == ERROR_SUCCESS && !treeKey.SubkeyNames().empty())
        return 0;  // the registry's own folders win
    std::vector<std::string> lines;
    if (!ReadTextLines(NrdPath(user), &lines)) return 0;
    BYTE restored = 0;
    for (const std::string& line : lines) {
        std::vector<std::string> parts = SplitTabs(line);
        if (parts.size() < 2 || KMLstricmp(parts[0].c_str(), tree) != 0 || parts[1].empty()) continue;
        RegKey key;
        if (key.Create(HKEY_CURRENT_USER, FolderKey(tree, parts[1])) != ERROR_SUCCESS) continue;
        restored = 1;
        if (parts.size() >= 4 && !parts[2].empty())
            key.SetDword(parts[2], static_cast<DWORD>(std::strtoul(parts[3].c_str(), nullptr, 16)));
    }
    return restored;
}
