// The store of one directory tree: one SQLite file holding the schema, the
// objects in their containers, every attribute value, stream contents and the
// access control lists. Several processes may open one file at once; each
// change request runs in one transaction, so it is applied whole or not at
// all. Every call returns DIR_SUCCESS or a negative DIR_ERR_* status.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vpr/directory/names.h"

struct sqlite3;

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

struct ObjectRecord {
    NameParts name;
    std::string className;
    uint32_t modified = 0;
    uint32_t subordinates = 0;
    bool container = false;
};

class Store {
public:
    // Makes a new store file holding the base schema and the tree root.
    static int Create(const std::string& path, const std::string& treeName,
                      std::shared_ptr<Store>* out);
    // Opens an existing store; a process shares one connection per file.
    static int Open(const std::string& path, std::shared_ptr<Store>* out);
    ~Store();

    const std::string& path() const { return path_; }
    int TreeName(std::string* name);

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

    // Consistency check of the whole file; each problem as one line.
    int Check(std::vector<std::string>* problems);

private:
    struct Tx;
    explicit Store(std::string path);
    int OpenFile(bool create);
    int Exec(const char* sql);
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
    int DefineClassLocked(const ClassDef& cls);
    int DefineAttributeLocked(const AttributeDef& attribute);

    std::string path_;
    sqlite3* db_ = nullptr;
    std::recursive_mutex mutex_;
    int txDepth_ = 0;
};

// The directory's own schema, put into every new store.
std::vector<AttributeDef> BaseAttributes();
std::vector<ClassDef> BaseClasses();

}  // namespace vpr::directory
