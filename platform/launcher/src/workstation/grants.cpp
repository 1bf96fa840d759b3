#include "grants.h"

#include <cstring>

#include "../directory_calls.h"
#include "vpr/directory/names.h"

namespace vpr::launcher {

namespace {

// The objects whose associations the user receives, in this order: the user,
// its groups, then its containers from the nearest up to `levels` of them.
std::vector<std::string> Sources(DIR_CONTEXT context, const std::string& user, DWORD levels) {
    std::vector<std::string> sources = {user};
    for (const std::string& group : ReadNames(context, user, "Group Membership")) sources.push_back(group);
    // Name components hold no period, so the containers are the name's tails.
    std::string container = user;
    for (DWORD level = 0; level < levels; ++level) {
        size_t dot = container.find('.');
        if (dot == std::string::npos) break;
        container = container.substr(dot + 1);
        sources.push_back(container);
    }
    return sources;
}

// A launcher configuration record of `object`; false when none can be read.
bool ReadConfig(DIR_CONTEXT context, const std::string& object, BYTE* record) {
    return KMAPPReadLauncherConfig(context, object.c_str(), record) == 0;
}

}  // namespace

std::string CompleteName(DIR_CONTEXT context, const std::string& object) {
    DirObjectInfo info;
    char name[DIR_MAX_NAME] = {};
    return DirReadObjectInfo(context, object.c_str(), name, &info) == DIR_SUCCESS ? name : "";
}

std::string CurrentUser(DIR_CONTEXT context) {
    char user[DIR_MAX_NAME] = {};
    if (DirGetCurrentUserName(context, user) != DIR_SUCCESS) return "";
    return CompleteName(context, user);
}

std::string TreeOf(DIR_CONTEXT context) {
    char tree[DIR_MAX_NAME] = {};
    if (DirGetContextInfo(context, DIR_KEY_TREE_NAME, tree) != DIR_SUCCESS) return "";
    KMAPPStripTreeName(tree);
    return tree;
}

DWORD InheritLevels(DIR_CONTEXT context, const std::string& user) {
    BYTE record[KMAPP_CONFIG_SIZE] = {};
    bool read = ReadConfig(context, user, record);
    size_t dot = user.find('.');
    std::string container = dot == std::string::npos ? "" : user.substr(dot + 1);
    bool inherit = read && (KmappConfigGet(record, KMAPP_CONFIG_OFFSET_FLAGS) & KMAPP_CONFIG_USE_INHERITED);
    if ((!read || inherit) && !container.empty()) read = ReadConfig(context, container, record);
    else if (!read) return KMAPP_CONFIG_DEFAULT_LEVELS;
    return read ? KmappConfigGet(record, KMAPP_CONFIG_OFFSET_LEVELS) : KMAPP_CONFIG_DEFAULT_LEVELS;
}

std::vector<SourceFolder> ReadFolders(DIR_CONTEXT context, const std::string& user, DWORD levels, DWORD mask,
                                      Unseen unseen) {
    std::vector<SourceFolder> folders;
    for (const std::string& source : Sources(context, user, levels)) {
        std::vector<ReadAttribute> read;
        if (ReadAttributes(context, source, {"App:Associations"}, &read) != DIR_SUCCESS || read.empty()) continue;
        SourceFolder folder{source, {}};
        for (const auto& decoded : read.front().values) {
            DirTypedName typed;
            std::memcpy(&typed, decoded.data(), sizeof typed);
            DWORD flags = typed.level & mask;
            // An association naming an object the user cannot see grants nothing.
            if (flags == 0) continue;
            if (unseen == Unseen::kLookedUp && CompleteName(context, typed.name).empty()) continue;
            folder.associations.push_back({typed.name, flags, typed.interval});
        }
        if (!folder.associations.empty()) folders.push_back(std::move(folder));
    }
    return folders;
}

bool IsGranted(DIR_CONTEXT context, const std::string& application) {
    std::string user = CurrentUser(context);
    std::string wanted = CompleteName(context, application);
    if (user.empty() || wanted.empty()) return false;
    for (const SourceFolder& folder : ReadFolders(context, user, InheritLevels(context, user), ~DWORD{0}))
        for (const Association& association : folder.associations)
            if (vpr::directory::SameName(association.application, wanted)) return true;
    return false;
}

}  // namespace vpr::launcher

namespace vpr::launcher {

DIR_CONTEXT ContextForTree(const std::string& tree) {
    DIR_CONTEXT context = DirCreateContext();
    if (context < 0) return DIR_ERR_NO_CONTEXT;
    char user[DIR_MAX_NAME];
    if (DirSetContextInfo(context, DIR_KEY_TREE_NAME, tree.c_str()) != DIR_SUCCESS ||
        DirGetCurrentUserName(context, user) != DIR_SUCCESS) {
        DirFreeContext(context);
        return DIR_ERR_NO_CONTEXT;
    }
    return context;
}

}  // namespace vpr::launcher
