// Folders: the applications a user receives, one folder per directory object
// they come through (the user, its groups, its containers).
#include <string>

#include "directory_calls.h"
#include "kmapp32.h"
#include "workstation/app_records.h"
#include "workstation/grants.h"

using namespace vpr::launcher;

extern "C" KmappFolder* KMAPPGetFoldersEx(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask,
                                          DWORD /*options*/) {
    std::string complete = user && *user ? CompleteName(context, user) : CurrentUser(context);
    if (complete.empty()) return nullptr;
    std::string tree = TreeOf(context);
    KmappFolder* first = nullptr;
    KmappFolder** link = &first;
    // Each record reads its application, which drops the ones the user cannot see.
    Unseen unseen = RecordReadSeesApplication(context) ? Unseen::kLeftToCallersRead : Unseen::kLookedUp;
    for (const SourceFolder& source : ReadFolders(context, complete, levels, mask, unseen)) {
        auto folder = new KmappFolder{NewText(source.source, 1), NewText(source.source), 0, nullptr, nullptr};
        KmappApplication** appLink = &folder->applications;
        for (const Association& association : source.associations) {
            KmappApplication* record = NewApplicationRecord(context, tree, complete, association);
            if (!record) continue;
            folder->flags |= record->flags;
            *appLink = record;
            appLink = &record->next;
        }
        if (!folder->applications) {
            FreeFolderRecords(folder);
            continue;
        }
        *link = folder;
        link = &folder->next;
    }
    return first;
}

extern "C" void KMAPPFreeGetFoldersEx(KmappFolder* list) { FreeFolderRecords(list); }

extern "C" KmappFolder* KMAPPGetFolders(DIR_CONTEXT context, LPCSTR user, DWORD levels, DWORD mask) {
    return KMAPPGetFoldersEx(context, user, levels, mask, 0);
}

extern "C" void KMAPPFreeGetFolders(KmappFolder* list) { KMAPPFreeGetFoldersEx(list); }
