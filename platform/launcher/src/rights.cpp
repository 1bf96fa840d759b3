// Rights as ACL values in the directory: grants, removals, and the rights an
// application holds on the objects it is associated with.
#include <cstring>
#include <string>
#include <vector>

#include "directory_calls.h"
#include "kmapp32.h"
#include "vpr/directory/names.h"

using namespace vpr::launcher;
using vpr::directory::NameParts;

namespace {

// What an application gets on an object it is associated with: it may see
// the object and read its attributes.
constexpr DWORD kAssociationEntryRights = DIR_ENTRY_BROWSE;
constexpr DWORD kAssociationAttributeRights = DIR_ATTR_COMPARE | DIR_ATTR_READ;

// A name in the form the directory stores (complete, no leading period), so
// that names given in any form compare.
std::string StoredName(DIR_CONTEXT context, const std::string& name) {
    if (name == DIR_PUBLIC_NAME) return name;
    char nameContext[DIR_MAX_NAME] = {};
    NameParts within, parts;
    if (DirGetContextInfo(context, DIR_KEY_NAME_CONTEXT, nameContext) != DIR_SUCCESS ||
        vpr::directory::ParseName(std::string(".") + nameContext, {}, &within) != DIR_SUCCESS)
        within.clear();
    if (std::string(nameContext) == DIR_ROOT_NAME) within.clear();
    if (vpr::directory::ParseName(name, within, &parts) != DIR_SUCCESS) return name;
    return vpr::directory::FormatName(parts);
}

bool SameName(DIR_CONTEXT context, const std::string& a, const std::string& b) {
    return vpr::directory::SameName(StoredName(context, a), StoredName(context, b));
}

struct Acl {
    std::vector<uint8_t> decoded;  // DirAclValue with its texts
    const DirAclValue& value() const { return *reinterpret_cast<const DirAclValue*>(decoded.data()); }
};

int ReadAcl(DIR_CONTEXT context, const std::string& object, std::vector<Acl>* out) {
    std::vector<ReadAttribute> read;
    int status = ReadAttributes(context, object, {"ACL"}, &read);
    for (ReadAttribute& attribute : read)
        for (auto& value : attribute.values) out->push_back({std::move(value)});
    return status;
}

// Adds `rights` (attribute name → rights) for the trustee to what it holds.
int AddRights(DIR_CONTEXT context, const std::string& object, const std::string& trustee,
              const std::vector<std::pair<std::string, DWORD>>& rights) {
    std::vector<Acl> acl;
    int status = ReadAcl(context, object, &acl);
    if (status != DIR_SUCCESS) return status;
    std::string stored = StoredName(context, trustee);
    std::vector<Put> puts;
    std::vector<DirAclValue> added;
    added.reserve(rights.size());
    for (const auto& [attribute, mask] : rights) {
        DWORD held = 0;
        for (const Acl& entry : acl) {
            if (!vpr::directory::SameName(entry.value().protectedAttribute, attribute) ||
                !SameName(context, entry.value().trustee, stored))
                continue;
            held |= entry.value().privileges;
            puts.push_back({DIR_CHANGE_REMOVE_VALUE, "ACL", DIR_SYNTAX_OBJECT_ACL, entry.decoded.data()});
        }
        added.push_back({const_cast<char*>(attribute.c_str()), stored.data(), held | mask});
        puts.push_back({DIR_CHANGE_ADD_VALUE, "ACL", DIR_SYNTAX_OBJECT_ACL, &added.back()});
    }
    return Modify(context, object, puts);
}

int RemoveRights(DIR_CONTEXT context, const std::string& object, const std::string& trustee) {
    std::vector<Acl> acl;
    int status = ReadAcl(context, object, &acl);
    if (status != DIR_SUCCESS) return status;
    std::vector<Put> puts;
    for (const Acl& entry : acl)
        if (SameName(context, entry.value().trustee, trustee))
            puts.push_back({DIR_CHANGE_REMOVE_VALUE, "ACL", DIR_SYNTAX_OBJECT_ACL, entry.decoded.data()});
    return puts.empty() ? DIR_SUCCESS : Modify(context, object, puts);
}

bool Names(DIR_CONTEXT context, const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& entry : names)
        if (SameName(context, entry, name)) return true;
    return false;
}

// Whether the associated object still needs the link to the application once
// `leaving` no longer makes it: it is associated with the application itself,
// or with another application that lists this one for fault tolerance or load
// balancing.
bool StillLinked(DIR_CONTEXT context, const std::string& object, const std::string& application,
                 const std::string& leaving) {
    std::vector<std::string> associated = ReadNames(context, object, "App:Associations");
    if (!SameName(context, application, leaving) && Names(context, associated, application))
        return true;
    for (const std::string& lister : ReadNames(context, application, "App:Alt Back Link"))
        if (!SameName(context, lister, leaving) && Names(context, associated, lister)) return true;
    return false;
}

bool Valid(LPCSTR text) { return text && *text; }

}  // namespace

extern "C" LONG kmappGrantRightsToDSObject(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute,
                                           LPCSTR trustee, DWORD rights) {
    if (!Valid(object) || !Valid(attribute) || !Valid(trustee)) return KMAPP_ERR_BAD_PARAMETER;
    return AddRights(context, object, trustee, {{attribute, rights}});
}

extern "C" void kmappRemoveAllRightsFromDSObject(DIR_CONTEXT context, LPCSTR object, LPCSTR trustee) {
    if (Valid(object) && Valid(trustee)) RemoveRights(context, object, trustee);
}

extern "C" LONG kmappGrantAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application) {
    if (!Valid(object) || !Valid(application)) return KMAPP_ERR_BAD_PARAMETER;
    return AddRights(context, object, application,
                     {{DIR_ENTRY_RIGHTS, kAssociationEntryRights},
                      {DIR_ALL_ATTRIBUTES_RIGHTS, kAssociationAttributeRights}});
}

extern "C" BOOL kmappCanRevokeAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application,
                                        LPCSTR leaving) {
    if (!Valid(object) || !Valid(application)) return FALSE;
    return !StillLinked(context, object, application, leaving ? leaving : "");
}

extern "C" LONG kmappRevokeAllRights(DIR_CONTEXT context, LPCSTR object, LPCSTR application,
                                     LPCSTR leaving) {
    if (!Valid(object) || !Valid(application)) return KMAPP_ERR_BAD_PARAMETER;
    if (StillLinked(context, object, application, leaving ? leaving : "")) return 0;
    return RemoveRights(context, object, application);
}
