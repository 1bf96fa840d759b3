// The directory's own schema: the classes and attributes every new tree has.
// Applications of this system extend it with their own "App:" names later.
#include "vpr/directory/client.h"
#include "vpr/directory/store.h"

namespace vpr::directory {

std::vector<AttributeDef> BaseAttributes() {
    constexpr bool kSingle = true, kMulti = false;
    return {
        {"ACL", DIR_SYNTAX_OBJECT_ACL, kMulti},
        {"Aliased Object Name", DIR_SYNTAX_DIST_NAME, kSingle},
        {"Description", DIR_SYNTAX_CI_STRING, kSingle},
        {"Email Address", DIR_SYNTAX_CI_STRING, kMulti},
        {"Full Name", DIR_SYNTAX_CI_STRING, kSingle},
        {"Given Name", DIR_SYNTAX_CI_STRING, kSingle},
        {"Group Membership", DIR_SYNTAX_DIST_NAME, kMulti},
        {"Host Resource Name", DIR_SYNTAX_CI_STRING, kSingle},
        {"Host Server", DIR_SYNTAX_DIST_NAME, kSingle},
        {"Language", DIR_SYNTAX_CI_STRING, kSingle},
        {"Login Script", DIR_SYNTAX_STREAM, kSingle},
        {"Mailbox ID", DIR_SYNTAX_CI_STRING, kSingle},
        {"Mailbox Location", DIR_SYNTAX_DIST_NAME, kSingle},
        {"Member", DIR_SYNTAX_DIST_NAME, kMulti},
        {"Object Class", DIR_SYNTAX_CLASS_NAME, kSingle},
        {"Owner", DIR_SYNTAX_DIST_NAME, kMulti},
        {"Queue", DIR_SYNTAX_DIST_NAME, kMulti},
        {"Queue Directory", DIR_SYNTAX_CI_STRING, kSingle},
        {"See Also", DIR_SYNTAX_DIST_NAME, kMulti},
        {"Surname", DIR_SYNTAX_CI_STRING, kSingle},
        {"Telephone Number", DIR_SYNTAX_TEL_NUMBER, kMulti},
        {"Title", DIR_SYNTAX_CI_STRING, kSingle},
        // Attributes of the old application objects.
        {"App Blurb", DIR_SYNTAX_CI_STRING, kSingle},
        {"App Contacts", DIR_SYNTAX_DIST_NAME, kMulti},
        {"App Drive Mappings", DIR_SYNTAX_CI_STRING, kMulti},
        {"App Flags", DIR_SYNTAX_INTEGER, kSingle},
        {"App Icon", DIR_SYNTAX_STREAM, kSingle},
        {"App Parameters", DIR_SYNTAX_CI_STRING, kSingle},
        {"App Path", DIR_SYNTAX_CI_STRING, kSingle},
        {"App Printer Ports", DIR_SYNTAX_CI_STRING, kMulti},
        {"App Shutdown Script", DIR_SYNTAX_STREAM, kSingle},
        {"App Startup Script", DIR_SYNTAX_STREAM, kSingle},
        {"App Working Directory", DIR_SYNTAX_CI_STRING, kSingle},
    };
}

std::vector<ClassDef> BaseClasses() {
    const std::vector<std::string> inContainers = {"Organization", "Organizational Unit"};
    const std::vector<std::string> oldAppAttributes = {
        "App Blurb",  "App Contacts",        "App Drive Mappings",  "App Flags",
        "App Icon",   "App Parameters",      "App Path",            "App Printer Ports",
        "App Shutdown Script", "App Startup Script", "App Working Directory"};
    auto oldApp = [&](const char* name) {
        return ClassDef{name, false, true, {"Top"}, inContainers, {}, {}, oldAppAttributes};
    };
    return {
        {"Top", false, false, {}, {}, {}, {}, {"ACL", "Description", "See Also"}},
        {"Tree Root", true, false, {"Top"}, {}, {}, {}, {}},
        {"Organization", true, true, {"Top"}, {"Tree Root"}, {}, {},
         {"Email Address", "Login Script", "Telephone Number"}},
        {"Organizational Unit", true, true, {"Top"}, inContainers, {}, {},
         {"Email Address", "Login Script", "Telephone Number"}},
        {"User", false, true, {"Top"}, inContainers, {}, {},
         {"Email Address", "Full Name", "Given Name", "Group Membership", "Language",
          "Login Script", "Mailbox ID", "Mailbox Location", "Surname", "Telephone Number",
          "Title"}},
        {"Group", false, true, {"Top"}, inContainers, {}, {},
         {"Email Address", "Full Name", "Mailbox ID", "Mailbox Location", "Member", "Owner"}},
        {"Alias", false, true, {"Top"}, inContainers, {}, {"Aliased Object Name"}, {}},
        {"Volume", false, true, {"Top"}, inContainers, {}, {},
         {"Host Resource Name", "Host Server"}},
        {"Queue", false, true, {"Top"}, inContainers, {}, {}, {"Host Server", "Queue Directory"}},
        {"Printer", false, true, {"Top"}, inContainers, {}, {}, {"Host Server", "Queue"}},
        oldApp("Application (DOS)"),
        oldApp("Application (Windows 3.x)"),
        oldApp("Application (Windows 95)"),
        oldApp("Application (Windows NT)"),
    };
}

}  // namespace vpr::directory
