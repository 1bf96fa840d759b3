// Application records as the folder calls hand them out, and the two
// identification texts that key the library's records of an application.
#pragma once

#include <string>

#include "grants.h"
#include "kmapp32.h"

namespace vpr::launcher {

struct AppIdentity {
    std::string context;  // the application's container, legal in a file name
    std::string guid;     // its "App:GUID", else its complete name
};

AppIdentity MakeIdentity(const std::string& application, const std::string& guid);
// Reads the application's GUID; false when the object cannot be read.
bool IdentityOf(DIR_CONTEXT context, const std::string& application, AppIdentity* identity);

// A new record of an association for the user of `tree`, its state the last
// active set this process gave it; null when the application cannot be read.
KmappApplication* NewApplicationRecord(DIR_CONTEXT context, const std::string& tree, const std::string& user,
                                       const Association& association);
// Whether NewApplicationRecord is null for an application the user cannot
// see: it is while the schema defines an attribute the record reads (with
// none defined, it reads nothing).
bool RecordReadSeesApplication(DIR_CONTEXT context);
void FreeApplicationRecords(KmappApplication* first);
void FreeFolderRecords(KmappFolder* first);

}  // namespace vpr::launcher
