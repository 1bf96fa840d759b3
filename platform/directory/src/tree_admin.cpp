#include "vpr/directory/tree_admin.h"

#include "vpr/directory/client.h"
#include "vpr/directory/value_codec.h"

namespace vpr::directory {

std::string StatusText(int status) {
    switch (status) {
        case DIR_SUCCESS: return "done";
        case DIR_ERR_BUFFER_FULL: return "request buffer full";
        case DIR_ERR_BAD_REQUEST: return "malformed request";
        case DIR_ERR_NO_MORE_ENTRIES: return "no more entries";
        case DIR_ERR_BAD_PARAMETER: return "bad parameter";
        case DIR_ERR_BAD_NAME: return "malformed name";
        case DIR_ERR_NO_SUCH_TREE: return "no such tree";
        case DIR_ERR_NOT_AUTHENTICATED: return "not authenticated";
        case DIR_ERR_NO_CONTEXT: return "no context";
        case DIR_ERR_BAD_CONTEXT: return "bad context";
        case DIR_ERR_BAD_ITERATION: return "bad iteration handle";
        case DIR_ERR_NO_SUCH_OBJECT: return "no such object";
        case DIR_ERR_NO_STREAM_VALUE: return "the stream has no value";
        case DIR_ERR_NO_SUCH_ATTRIBUTE: return "no such attribute";
        case DIR_ERR_NO_SUCH_CLASS: return "no such class";
        case DIR_ERR_BAD_SYNTAX: return "value of the wrong syntax";
        case DIR_ERR_OBJECT_EXISTS: return "the object exists already";
        case DIR_ERR_NOT_ALLOWED: return "not allowed by the schema";
        case DIR_ERR_NOT_EMPTY: return "the container is not empty";
        case DIR_ERR_SINGLE_VALUED: return "the attribute takes one value";
        case DIR_ERR_MANDATORY_MISSING: return "a mandatory attribute has no value";
        case DIR_ERR_SCHEMA_CONFLICT: return "defined differently already";
        case DIR_ERR_STORE: return "the store file is missing or cannot be opened";
        case DIR_ERR_STORE_DAMAGED: return "the store file is damaged or not a tree store";
        case DIR_ERR_STORE_LOCKED: return "the store is locked by another process";
        case DIR_ERR_DISK_FULL: return "the store cannot grow: the disk is full";
        case DIR_ERR_STORE_READ_ONLY: return "the store is read-only";
        case DIR_ERR_DAMAGED_VALUE: return "a stored value is damaged";
        case DIR_ERR_NO_ACCESS: return "the logged-in user lacks the rights for it";
        default: return "status " + std::to_string(status);
    }
}

int ParseFullName(const std::string& text, NameParts* name) {
    return ParseName(!text.empty() && text.front() == '.' ? text : "." + text, {}, name);
}

int ValuesFromText(Store& store, const TextValues& texts, std::vector<Change>* changes) {
    for (const auto& [attributeName, values] : texts) {
        AttributeDef attribute;
        int status = store.GetAttribute(attributeName, &attribute);
        if (status != DIR_SUCCESS) return status;
        Change change{DIR_CHANGE_ADD_VALUE, attribute.name, {}};
        for (const std::string& text : values) {
            Value value;
            status = attribute.syntax == DIR_SYNTAX_STREAM
                         ? DIR_ERR_BAD_SYNTAX  // streams get their content through SetStream
                         : ValueFromText(attribute.syntax, text, &value);
            if (status != DIR_SUCCESS) return status;
            change.values.push_back(std::move(value));
        }
        changes->push_back(std::move(change));
    }
    return DIR_SUCCESS;
}

int AddObjectFromText(Store& store, const std::string& name, const std::string& className,
                      const TextValues& values) {
    NameParts parts;
    std::vector<Change> changes;
    int status = ParseFullName(name, &parts);
    if (status == DIR_SUCCESS) status = ValuesFromText(store, values, &changes);
    return status != DIR_SUCCESS ? status : store.AddObject(parts, className, changes);
}

int SetValuesFromText(Store& store, const std::string& object, const std::string& attribute,
                      const std::vector<std::string>& texts) {
    NameParts parts;
    std::vector<Change> changes = {{DIR_CHANGE_REMOVE_ALL_VALUES, attribute, {}}};
    int status = ParseFullName(object, &parts);
    if (status == DIR_SUCCESS && !texts.empty())
        status = ValuesFromText(store, {{attribute, texts}}, &changes);
    return status != DIR_SUCCESS ? status : store.Modify(parts, changes);
}

int AddGroupMember(Store& store, const std::string& group, const std::string& member) {
    NameParts groupName, memberName;
    int status = ParseFullName(group, &groupName);
    if (status == DIR_SUCCESS) status = ParseFullName(member, &memberName);
    if (status != DIR_SUCCESS) return status;
    status = store.Modify(groupName, {{DIR_CHANGE_ADD_VALUE, "Member",
                                       {MakeText(DIR_SYNTAX_DIST_NAME, FormatName(memberName))}}});
    if (status != DIR_SUCCESS) return status;
    return store.Modify(memberName, {{DIR_CHANGE_ADD_VALUE, "Group Membership",
                                      {MakeText(DIR_SYNTAX_DIST_NAME, FormatName(groupName))}}});
}

int GrantRights(Store& store, const std::string& object, const std::string& trustee,
                const std::string& attribute, uint32_t rights) {
    NameParts objectName, trusteeName;
    int status = ParseFullName(object, &objectName);
    if (status != DIR_SUCCESS) return status;
    AclParts grant{attribute, DIR_PUBLIC_NAME, rights};
    if (trustee != DIR_PUBLIC_NAME) {
        status = ParseFullName(trustee, &trusteeName);
        if (status != DIR_SUCCESS) return status;
        grant.trustee = FormatName(trusteeName);
    }
    std::vector<AttributeValues> current;
    status = store.ReadValues(objectName, {"ACL"}, &current);
    if (status != DIR_SUCCESS) return status;
    Change removals{DIR_CHANGE_REMOVE_VALUE, "ACL", {}};
    for (const AttributeValues& acl : current) {
        for (const Value& value : acl.values) {
            AclParts parts;
            if (SplitAcl(value, &parts) && SameName(parts.attribute, grant.attribute) &&
                SameName(parts.trustee, grant.trustee))
                removals.values.push_back(value);
        }
    }
    std::vector<Change> changes = {removals};
    if (rights != 0) changes.push_back({DIR_CHANGE_ADD_VALUE, "ACL", {MakeAcl(grant)}});
    return store.Modify(objectName, changes);
}

int SetStream(Store& store, const std::string& object, const std::string& attribute,
              const std::vector<uint8_t>& content) {
    NameParts name;
    int status = ParseFullName(object, &name);
    if (status != DIR_SUCCESS) return status;
    status = store.Modify(name, {{DIR_CHANGE_ADD_VALUE, attribute,
                                  {MakeText(DIR_SYNTAX_STREAM, FormatName(name))}}});
    return status != DIR_SUCCESS ? status : store.WriteStream(name, attribute, content);
}

namespace {

const char* ListLabel(int list) {
    static const char* labels[] = {"super", "contained in", "naming", "mandatory", "optional"};
    return labels[list];
}

int DumpObject(Store& store, const NameParts& name, std::string* text) {
    ObjectRecord record;
    std::vector<AttributeValues> values;
    int status = store.FindObject(name, &record);
    if (status == DIR_SUCCESS) status = store.ReadValues(name, {}, &values);
    if (status != DIR_SUCCESS) return status;
    *text += "object " + FormatName(name) + " (" + record.className + ")\n";
    for (const AttributeValues& attribute : values) {
        for (const Value& value : attribute.values) {
            std::string shown = ValueToText(value);
            if (value.syntax == DIR_SYNTAX_STREAM) {
                std::vector<uint8_t> content;
                status = store.ReadStream(name, attribute.attribute.name, &content);
                shown = status == DIR_SUCCESS ? "stream of " + std::to_string(content.size()) + " bytes"
                                              : "stream (unreadable)";
            }
            *text += "  " + attribute.attribute.name + " = " + shown + "\n";
        }
    }
    std::vector<ObjectRecord> children;
    status = store.ListChildren(name, &children);
    for (const ObjectRecord& child : children) {
        if (status != DIR_SUCCESS) break;
        status = DumpObject(store, child.name, text);
    }
    return status;
}

}  // namespace

int DumpTree(Store& store, bool schema, std::string* text) {
    std::string tree;
    int status = store.TreeName(&tree);
    if (status != DIR_SUCCESS) return status;
    *text = "tree " + tree + "\n";
    if (schema) {
        std::vector<AttributeDef> attributes;
        std::vector<ClassDef> classes;
        status = store.ListAttributes(&attributes);
        if (status == DIR_SUCCESS) status = store.ListClasses(&classes);
        if (status != DIR_SUCCESS) return status;
        for (const AttributeDef& attribute : attributes)
            *text += "attribute " + attribute.name + " syntax " + std::to_string(attribute.syntax) +
                     (attribute.singleValued ? " single" : " multi") + "\n";
        for (const ClassDef& cls : classes) {
            *text += "class " + cls.name + (cls.container ? " container" : "") +
                     (cls.effective ? "" : " abstract") + "\n";
            const std::vector<std::string>* lists[] = {&cls.superClasses, &cls.containment,
                                                       &cls.naming, &cls.mandatory, &cls.optional};
            for (int list = 0; list < 5; ++list) {
                if (lists[list]->empty()) continue;
                *text += std::string("  ") + ListLabel(list) + ":";
                for (const std::string& name : *lists[list]) *text += " " + name + ";";
                *text += "\n";
            }
        }
    }
    return DumpObject(store, {}, text);
}

}  // namespace vpr::directory
