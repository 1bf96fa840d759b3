// The store of one directory tree: one SQLite file holding the schema, the
// objects in their containers, every attribute value, stream contents and the
// access control lists. Several processes may open one file at once; each
// change request runs in one transaction, so it is applied whole or not at
// all. Every call returns DIR_SUCCESS or a negative DIR_ERR_* status.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "vpr/directory/names.h"

namespace vpr::win {
class SqliteDatabase;
}

namespace vpr::directory {

struct AttributeDef {
    std::string name;
    uint32_t syntax = 0;
    bool singleValued = false;
};

struct ClassDef {
    std::string name;
    bool container = false;
    bool effective = true;  // objects may be made of it
    std::vector<std::string> superClasses;
    std::vector<std::string> containment;  // classes whose objects may hold it
    std::vector<std::string> naming;
    std::vector<std::string> mandatory;
    std::vector<std::string> optional;
};

// A value in its stored form: the syntax and its little-endian bytes
// (value_codec.h says how each syntax is laid out).
struct Value {
    uint32_t syntax = 0;
    std::vector<uint8_t> bytes;
};

struct Change {
    int kind = 0;  // DIR_CHANGE_*
    std::string attribute;
    std::vector<Value> values;
};

struct AttributeValues {
    AttributeDef attribute;
    std::vector<Value> values;
};

// Who rights are asked for: an object of the tree (a user, group or
// container), or nobody in particular ("[Public]").
struct Trustee {
    NameParts name;
    bool isPublic = false;
    // A trustee that is not in the tree counts as "[Public]" instead of
    // failing with DIR_ERR_NO_SUCH_OBJECT (a logged-in user removed since).
    bool missingIsPublic = false;
};

// What a trustee holds on one object, widened as the directory grants
// rights: supervisor holds everything, read holds compare, write add-self.
struct ObjectRights {
    uint32_t entry = 0;          // "[Entry Rights]"
    uint32_t allAttributes = 0;  // "[All Attributes Rights]"
    std::map<std::string, uint32_t> attributes;  // folded name: granted on that attribute alone
    // The rights on one attribute: all-attribute rights and its own.
    uint32_t Attribute(const std::string& name) const;
};

struct ObjectRecord {
    NameParts name;
    std::string className;
    uint32_t modified = 0;
    uint32_t subordinates = 0;
    bool container = false;
};

class Store {
public:
    // Makes a new store file holding the base schema and the tree root, on
    // which everybody ("[Public]") may browse. `administrator`, the complete
    // name of the user who administers the tree (the user object may be
    // added later), holds every right on every object.
    static int Create(const std::string& path, const std::string& treeName,
                      std::shared_ptr<Store>* out, const std::string& administrator = "");
    // Opens an existing store; a process shares one connection per file.
    static int Open(const std::string& path, std::shared_ptr<Store>* out);
    ~Store();

    const std::string& path() const { return path_; }
    int TreeName(std::string* name);
    // The tree's administrator as a complete name; empty when it has none.
    int Administrator(std::string* name);

    // Schema.
    int DefineAttribute(const AttributeDef& attribute);
    int DefineClass(const ClassDef& cls);
    int AddOptionalAttribute(const std::string& className, const std::string& attribute);
    int GetAttribute(const std::string& name, AttributeDef* out);
    int GetClass(const std::string& name, ClassDef* out);
    int ListAttributes(std::vector<AttributeDef>* out);
    int ListClasses(std::vector<ClassDef>* out);

    // Objects. `values` of AddObject are add-value changes.
    int AddObject(const NameParts& name, const std::string& className,
                  const std::vector<Change>& values);
    int Modify(const NameParts& name, const std::vector<Change>& changes);
    // Removes an object without subordinates, and every value elsewhere that
    // names it (distinguished names, typed names, ACL trustees).
    int RemoveObject(const NameParts& name);
    int FindObject(const NameParts& name, ObjectRecord* out);
    int ListChildren(const NameParts& name, std::vector<ObjectRecord>* out);
    // Values of the named attributes (all when `names` is empty), in schema
    // name order; attributes without values are left out. Unknown names give
    // DIR_ERR_NO_SUCH_ATTRIBUTE.
    int ReadValues(const NameParts& name, const std::vector<std::string>& names,
                   std::vector<AttributeValues>* out);
    // ReadValues as `reader` reads: the values, and in `rights` what the
    // reader holds on the object (RightsOn), from one look-up of the name in
    // one transaction.
    int ReadValuesAs(const Trustee& reader, const NameParts& name, const std::vector<std::string>& names,
                     std::vector<AttributeValues>* out, ObjectRights* rights);

    // Stream contents: DIR_ERR_NO_SUCH_ATTRIBUTE when the attribute is not a
    // stream attribute of the object's class, DIR_ERR_NO_STREAM_VALUE when it
    // has no value yet.
    int ReadStream(const NameParts& object, const std::string& attribute,
                   std::vector<uint8_t>* content);
    int WriteStream(const NameParts& object, const std::string& attribute,
                    const std::vector<uint8_t>& content);

    // Rights of a trustee (an object, or "[Public]" as an empty name with
    // `isPublic`) on an object: attribute "[Entry Rights]" gives object rights,
    // "[All Attributes Rights]" or an attribute name gives attribute rights.
    int EffectiveRights(const NameParts& trustee, bool isPublic, const NameParts& object,
                        const std::string& attribute, uint32_t* rights);
    // Everything the trustee holds on the object: the ACL values on the object
    // and (entry and all-attribute rights) on its containers up to the root
    // that name the trustee, one of its containers, one of its groups or
    // "[Public]"; a user reads its own attributes; the administrator holds
    // every right. The cost does not grow with the tree: each container and
    // group is looked up by its name.
    int RightsOn(const Trustee& trustee, const NameParts& object, ObjectRights* out);

    // Consistency check of the whole file; each problem as one line.
    int Check(std::vector<std::string>* problems);

    // The connection, for tests that limit what the file may grow to.
    vpr::win::SqliteDatabase& database() { return *db_; }

private:
    struct Tx;
    // Who a trustee counts as: itself, its containers, its groups and
    // "[Public]" (folded names); `found` false for a name not in the tree.
    struct Equivalence {
        bool found = false;
        int64_t id = 0;
        std::set<std::string> names;
    };
    // One object's place for rights: its container and the ACLs it carries
    // (trustees folded).
    struct Grant {
        std::string attribute;
        std::string trustee;
        uint32_t privileges = 0;
    };
    struct RightsLevel {
        int64_t parent = 0;
        std::vector<Grant> grants;
    };
    explicit Store(std::string path);
    int OpenFile(bool create);
    int CheckFile(bool create);
    int AddNameIndex();
    int Exec(const char* sql);
    int InsertValue(int64_t object, const std::string& attribute, const Value& value);
    int IsUser(const std::string& className, bool* user);
    int ObjectId(const NameParts& name, int64_t* id, std::string* className);
    int ClassAttributes(const std::string& className, std::vector<std::string>* mandatory,
                        std::vector<std::string>* all);
    int ClassChain(const std::string& className, std::vector<ClassDef>* chain);
    int ApplyChange(int64_t object, const std::vector<std::string>& allowed, const Change& change);
    int CheckMandatory(int64_t object, const std::string& className);
    int RemoveReferences(const NameParts& name);
    int LoadValues(int64_t object, const std::string& attribute, std::vector<Value>* values,
                   std::vector<int64_t>* ids);
    int FullName(int64_t id, NameParts* name);
    int ReadValuesOf(int64_t id, const std::vector<std::string>& names, std::vector<AttributeValues>* out);
    int RightsOnId(const Trustee& trustee, int64_t objectId, const std::string& objectClass, ObjectRights* out);
    void ForgetRightsIfChanged();
    int EquivalenceOf(const NameParts& trustee, const Equivalence** out);
    int RightsLevelOf(int64_t id, const RightsLevel** out);
    int DefineClassLocked(const ClassDef& cls);
    int DefineAttributeLocked(const AttributeDef& attribute);

    std::string path_;
    std::unique_ptr<vpr::win::SqliteDatabase> db_;
    std::string administrator_;  // folded complete name, read when the file opens
    // What rights are made of, kept while the file is unchanged (by this
    // connection or another); used inside transactions only, which hold the
    // connection's lock.
    struct RightsCache {
        uint32_t dataVersion = 0;
        int64_t changes = -1;  // this connection's row changes when it was filled
        std::map<std::string, Equivalence> equivalences;  // by folded trustee name; GUARDED_BY(db_->mutex())
        std::map<int64_t, RightsLevel> levels;             // by object id; GUARDED_BY(db_->mutex())
    } rightsCache_;
};

// The directory's own schema, put into every new store.
std::vector<AttributeDef> BaseAttributes();
std::vector<ClassDef> BaseClasses();

}  // namespace vpr::directory
