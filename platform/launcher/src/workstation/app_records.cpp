#include "app_records.h"

#include <cstring>
#include <vector>

#include "../directory_calls.h"
#include "../well_known_folders.h"
#include "app_attributes.h"
#include "library_state.h"

namespace vpr::launcher {

AppIdentity MakeIdentity(const std::string& application, const std::string& guid) {
    std::string name = application;
    if (!name.empty() && name.front() == '.') name.erase(0, 1);
    size_t dot = name.find('.');
    // Names may hold characters a file name may not.
    std::string container = FileNameOf(dot == std::string::npos ? "" : name.substr(dot + 1));
    return {container, guid.empty() ? name : guid};
}

bool IdentityOf(DIR_CONTEXT context, const std::string& application, AppIdentity* identity) {
    std::string complete = CompleteName(context, application);
    if (complete.empty()) return false;
    AppAttributes attributes;
    if (ReadAppAttributes(context, complete, {"App:GUID"}, &attributes) != DIR_SUCCESS) return false;
    *identity = MakeIdentity(complete, attributes.guid);
    return true;
}

namespace {

// What an application's record is made of.
const std::vector<std::string>& RecordAttributes() {
    static const std::vector<std::string> names = {"App:GUID", "App:Flags", "App:Platform", "App:Schedule"};
    return names;
}

}  // namespace

KmappApplication* NewApplicationRecord(DIR_CONTEXT context, const std::string& tree, const std::string& user,
                                       const Association& association) {
    AppAttributes attributes;
    if (ReadAppAttributes(context, association.application, RecordAttributes(), &attributes) != DIR_SUCCESS)
        return nullptr;
    AppIdentity identity = MakeIdentity(association.application, attributes.guid);
    auto record = new KmappApplication{};
    record->name = NewText(association.application);
    record->flags = association.flags;
    record->interval = association.interval;
    record->state = LibraryState::Instance().LastState(LibraryState::StateKey(tree, user, association.application));
    record->context = NewText(identity.context);
    record->guid = NewText(identity.guid);
    record->tree = NewText(tree);
    record->user = NewText(user);
    record->appFlags = attributes.flags;
    record->platforms = attributes.platforms;
    std::vector<BYTE> schedule;
    if (attributes.HasStream("App:Schedule") &&
        ReadStream(context, association.application, "App:Schedule", &schedule) &&
        schedule.size() >= KMAPP_SCHEDULE_SIZE) {
        record->schedule = new BYTE[KMAPP_SCHEDULE_SIZE];
        std::memcpy(record->schedule, schedule.data(), KMAPP_SCHEDULE_SIZE);
    }
    return record;
}

bool RecordReadSeesApplication(DIR_CONTEXT context) {
    uint32_t syntax = 0;
    for (const std::string& name : RecordAttributes())
        if (DirGetAttributeSyntax(context, name.c_str(), &syntax) == DIR_SUCCESS) return true;
    return false;
}

void FreeApplicationRecords(KmappApplication* first) {
    while (first) {
        KmappApplication* next = first->next;
        delete[] first->name;
        delete[] first->context;
        delete[] first->guid;
        delete[] first->tree;
        delete[] first->user;
        delete[] first->schedule;
        delete first;
        first = next;
    }
}

void FreeFolderRecords(KmappFolder* first) {
    while (first) {
        KmappFolder* next = first->next;
        FreeApplicationRecords(first->applications);
        delete[] first->sources;
        delete[] first->name;
        delete first;
        first = next;
    }
}

}  // namespace vpr::launcher
