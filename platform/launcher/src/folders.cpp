// Folders: the applications a user receives, one folder per directory object
// they come through (the user, its groups, its containers).
#include <cstring>
#include <string>
#include <vector>

#include "directory_calls.h"
#include "kmapp32.h"

using namespace vpr::launcher;

namespace {

// The complete name of an object as the directory keeps it; empty when it
// cannot be read.
std::string CompleteName(DIR_CONTEXT context, const std::string& object) {
    DirObjectInfo info;
    char name[DIR_MAX_NAME] = {};
    return DirReadObjectInfo(context, object.c_str(), name, &info) == DIR_SUCCESS ? name : "";
}

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

std::string GuidOf(DIR_CONTEXT context, const std::string& application) {
    std::vector<ReadAttribute> read;
    if (ReadAttributes(context, application, {"App:GUID"}, &read) != DIR_SUCCESS || read.empty() ||
        read.front().values.empty())
        return "";
    DirOctetString octets;
    std::memcpy(&octets, read.front().values.front().data(), sizeof octets);
    return std::string(reinterpret_cast<const char*>(octets.data), octets.length);
}

// The folder of one source, or null when none of its associations matches.
KmappFolder* FolderOf(DIR_CONTEXT context, const std::string& source, DWORD mask) {
    std::vector<ReadAttribute> read;
    if (ReadAttributes(context, source, {"App:Associations"}, &read) != DIR_SUCCESS || read.empty())
        return nullptr;
    KmappFolder* folder = nullptr;
    KmappApplication** link = nullptr;
    for (const auto& decoded : read.front().values) {
        DirTypedName typed;
        std::memcpy(&typed, decoded.data(), sizeof typed);
        DWORD flags = typed.level & mask;
        if (flags == 0) continue;
        if (!folder) {
            folder = new KmappFolder{NewText(source, 1), NewText(source), 0, nullptr, nullptr};
            link = &folder->applications;
        }
        auto application = new KmappApplication{};
        application->name = NewText(typed.name);
        application->flags = flags;
        application->interval = typed.interval;
        application->state = flags;
        application->identification = NewText(typed.name);
        application->guid = NewText(GuidOf(context, typed.name));
        folder->flags |= flags;
        *link = application;
        link = &application->next;
    }
    return folder;
}

}  // namespace

extern "C" KmappFolder* KMAPPGetFoldersEx(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask,
                                          DWORD /*options*/) {
    char current[DIR_MAX_NAME] = {};
    if (!user || !*user) {
        if (DirGetCurrentUserName(context, current) != DIR_SUCCESS) return nullptr;
        user = current;
    }
    std::string complete = CompleteName(context, user);
    if (complete.empty()) return nullptr;
    KmappFolder* first = nullptr;
    KmappFolder** link = &first;
    for (const std::string& source : Sources(context, complete, levels)) {
        if (KmappFolder* folder = FolderOf(context, source, mask)) {
            *link = folder;
            link = &folder->next;
        }
    }
    return first;
}

extern "C" void KMAPPFreeGetFoldersEx(KmappFolder* list) {
    while (list) {
        KmappFolder* next = list->next;
        for (KmappApplication* application = list->applications; application;) {
            KmappApplication* following = application->next;
            delete[] application->name;
            delete[] application->identification;
            delete[] application->guid;
            delete application;
            application = following;
        }
        delete[] list->sources;
        delete[] list->name;
        delete list;
        list = next;
    }
}

extern "C" KmappFolder* KMAPPGetFolders(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask) {
    return KMAPPGetFoldersEx(context, user, levels, mask, 0);
}

extern "C" void KMAPPFreeGetFolders(KmappFolder* list) { KMAPPFreeGetFoldersEx(list); }
