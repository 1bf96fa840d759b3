#include "vpr/directory/store.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <optional>
#include <set>

#include "vpr/directory/client.h"
#include "vpr/directory/value_codec.h"
#include "vpr/win/sqlite_database.h"
#include "fault_state.h"

namespace vpr::directory {

using vpr::win::SqliteStatement;
using vpr::win::SqliteTransaction;
using vpr::win::StoreFault;

namespace {

constexpr const char* kFormat = "vprdir 1";
constexpr int64_t kRootId = 1;

// `folded` holds the name a value names (a distinguished name, the name of a
// typed name, the trustee of an ACL) folded, so that every value naming an
// object is found through one index: the members of a group, the grants to a
// trustee, the references to a removed object.
constexpr const char* kSchemaSql = R"(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE attributes(name TEXT PRIMARY KEY COLLATE NOCASE, syntax INTEGER NOT NULL,
                        single_valued INTEGER NOT NULL);
CREATE TABLE classes(name TEXT PRIMARY KEY COLLATE NOCASE, container INTEGER NOT NULL,
                     effective INTEGER NOT NULL);
CREATE TABLE class_lists(class TEXT NOT NULL COLLATE NOCASE, list INTEGER NOT NULL,
                         position INTEGER NOT NULL, item TEXT NOT NULL COLLATE NOCASE,
                         PRIMARY KEY(class, list, position));
CREATE TABLE objects(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES objects(id),
                     name TEXT NOT NULL, folded TEXT NOT NULL, class TEXT NOT NULL COLLATE NOCASE,
                     modified INTEGER NOT NULL);
CREATE UNIQUE INDEX objects_by_name ON objects(parent, folded);
CREATE TABLE object_values(id INTEGER PRIMARY KEY,
                           object INTEGER NOT NULL REFERENCES objects(id) ON DELETE CASCADE,
                           attribute TEXT NOT NULL COLLATE NOCASE, syntax INTEGER NOT NULL,
                           data BLOB NOT NULL, stream BLOB, folded TEXT);
CREATE INDEX values_by_object ON object_values(object, attribute);
CREATE INDEX values_by_name ON object_values(folded, attribute);
)";

// Each failure of the file has its own status, so that a caller can say
// whether the store is damaged, the disk full or another process holds it.
int StatusOf(StoreFault fault) {
    switch (fault) {
        case StoreFault::kNone: return DIR_SUCCESS;
        case StoreFault::kDamaged: return DIR_ERR_STORE_DAMAGED;
        case StoreFault::kDiskFull: return DIR_ERR_DISK_FULL;
        case StoreFault::kLocked: return DIR_ERR_STORE_LOCKED;
        case StoreFault::kReadOnly: return DIR_ERR_STORE_READ_ONLY;
        default: return DIR_ERR_STORE;
    }
}
// The status of a step that did not give what the store must hold: the
// file's failure, or (a row missing or in excess) a damaged store.
int Failed(int step) {
    StoreFault fault = vpr::win::StoreFaultOf(step);
    return fault == StoreFault::kNone ? DIR_ERR_STORE_DAMAGED : StatusOf(fault);
}
int Run(SqliteStatement& statement) { return StatusOf(statement.Run()); }

bool Contains(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& item) { return SameName(item, name); });
}

uint32_t Now() { return static_cast<uint32_t>(std::time(nullptr)); }

// Rights are widened as the directory grants them: supervisor holds
// everything, read holds compare, write holds add-self.
uint32_t WidenAttributeRights(uint32_t rights) {
    if (rights & DIR_ATTR_SUPERVISOR)
        rights |= DIR_ATTR_COMPARE | DIR_ATTR_READ | DIR_ATTR_WRITE | DIR_ATTR_SELF;
    if (rights & DIR_ATTR_READ) rights |= DIR_ATTR_COMPARE;
    if (rights & DIR_ATTR_WRITE) rights |= DIR_ATTR_SELF;
    return rights;
}

constexpr uint32_t kAllEntryRights =
    DIR_ENTRY_BROWSE | DIR_ENTRY_ADD | DIR_ENTRY_DELETE | DIR_ENTRY_RENAME | DIR_ENTRY_SUPERVISOR;

bool ValidSchemaName(const std::string& name) {
    if (name.empty() || name.size() >= DIR_MAX_SCHEMA_NAME || name.front() == '[') return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
}

// The folded name a value names, or nothing (null) for other values.
std::optional<std::string> NamedBy(const Value& value) {
    TypedNameParts typed;
    AclParts acl;
    if (value.syntax == DIR_SYNTAX_DIST_NAME && CheckValue(value) == DIR_SUCCESS)
        return FoldCase(ValueToText(value));
    if (SplitTypedName(value, &typed)) return FoldCase(typed.name);
    if (SplitAcl(value, &acl)) return FoldCase(acl.trustee);
    return std::nullopt;
}

SqliteStatement& BindNamed(SqliteStatement& statement, int index, const Value& value) {
    std::optional<std::string> named = NamedBy(value);
    return named ? statement.Bind(index, *named) : statement;  // unbound: NULL
}

}  // namespace

uint32_t ObjectRights::Attribute(const std::string& name) const {
    auto it = attributes.find(FoldCase(name));
    return WidenAttributeRights(allAttributes | (it == attributes.end() ? 0 : it->second));
}

// A transaction holding the connection's lock; rolled back unless committed.
// Calls made inside one join it: only the outermost begins and ends it.
struct Store::Tx {
    Tx(Store* store, bool write) : tx_(*store->db_, write), status(StatusOf(tx_.status())) {}
    // Commits when `result` is success, else leaves the rollback to the end.
    int Finish(int result) { return result != DIR_SUCCESS ? result : StatusOf(tx_.Commit()); }

private:
    SqliteTransaction tx_;

public:
    int status;
};

Store::Store(std::string path)
    : path_(std::move(path)), db_(std::make_unique<vpr::win::SqliteDatabase>(path_)) {}

Store::~Store() = default;

int Store::Exec(const char* sql) { return StatusOf(db_->Exec(sql)); }

// Whether the file is a tree store (making the tables of a new one).
int Store::CheckFile(bool create) {
    if (create) return Exec(kSchemaSql);
    auto format = db_->Prepare("SELECT value FROM meta WHERE key = 'format'");
    int step = format.Step();
    if (step != SQLITE_ROW) return Failed(step);
    return format.Bytes(0) == kFormat ? DIR_SUCCESS : DIR_ERR_STORE_DAMAGED;
}

// Stores made before values were indexed by the names they hold get the
// column and its index, filled from the values, once.
int Store::AddNameIndex() {
    auto column = db_->Prepare("SELECT 1 FROM pragma_table_info('object_values') WHERE name = 'folded'");
    int step = column.Step();
    if (step == SQLITE_ROW) return DIR_SUCCESS;
    if (step != SQLITE_DONE || db_->readOnly()) return step == SQLITE_DONE ? DIR_SUCCESS : Failed(step);
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int status = Exec("ALTER TABLE object_values ADD COLUMN folded TEXT");
    if (status == DIR_SUCCESS)
        status = Exec("CREATE INDEX values_by_name ON object_values(folded, attribute)");
    std::vector<std::pair<int64_t, Value>> values;
    {
        auto all = db_->Prepare("SELECT id, syntax, data FROM object_values WHERE syntax IN (1, 17, 25)");
        int row;
        while (status == DIR_SUCCESS && (row = all.Step()) == SQLITE_ROW)
            values.push_back({all.Int(0), {static_cast<uint32_t>(all.Int(1)), all.Blob(2)}});
        if (status == DIR_SUCCESS && row != SQLITE_DONE) status = Failed(row);
    }
    for (const auto& [id, value] : values) {
        if (status != DIR_SUCCESS) break;
        auto update = db_->Prepare("UPDATE object_values SET folded = ? WHERE id = ?");
        status = Run(BindNamed(update, 1, value).Bind(2, id));
    }
    return tx.Finish(status);
}

int Store::OpenFile(bool create) {
    int checked = DIR_SUCCESS;
    StoreFault fault = db_->Open(create, [&] {
        checked = CheckFile(create);
        return checked == DIR_SUCCESS ? StoreFault::kNone : StoreFault::kDamaged;
    });
    if (fault != StoreFault::kNone) return checked != DIR_SUCCESS ? checked : StatusOf(fault);
    if (create) return DIR_SUCCESS;
    int status = AddNameIndex();
    std::string administrator;
    if (status == DIR_SUCCESS) status = Administrator(&administrator);
    administrator_ = FoldCase(administrator);
    return status;
}

int Store::Create(const std::string& path, const std::string& treeName,
                  std::shared_ptr<Store>* out, const std::string& administrator) {
    if (treeName.empty() || treeName.size() > DIR_TREE_NAME_CHARS ||
        treeName.back() == '_' || treeName.find_first_of(".+=") != std::string::npos)
        return DIR_ERR_BAD_NAME;
    NameParts admin;
    if (!administrator.empty()) {
        int status = ParseName(administrator.front() == '.' ? administrator : "." + administrator, {}, &admin);
        if (status != DIR_SUCCESS || admin.empty()) return DIR_ERR_BAD_NAME;
    }
    if (access(path.c_str(), F_OK) == 0) return DIR_ERR_STORE;  // never overwrite a tree
    std::shared_ptr<Store> store(new Store(path));
    int status = store->OpenFile(true);
    if (status == DIR_SUCCESS) {
        Tx tx(store.get(), true);
        status = tx.status;
        auto meta = store->db_->Prepare("INSERT INTO meta VALUES('format', ?), ('tree', ?), ('administrator', ?)");
        if (status == DIR_SUCCESS)
            status = Run(meta.Bind(1, kFormat).Bind(2, treeName).Bind(3, admin.empty() ? "" : FormatName(admin)));
        auto root = store->db_->Prepare(
            "INSERT INTO objects VALUES(1, NULL, '[Root]', '[root]', 'Tree Root', ?)");
        if (status == DIR_SUCCESS) status = Run(root.Bind(1, Now()));
        for (const AttributeDef& attribute : BaseAttributes())
            if (status == DIR_SUCCESS) status = store->DefineAttributeLocked(attribute);
        for (const ClassDef& cls : BaseClasses())
            if (status == DIR_SUCCESS) status = store->DefineClassLocked(cls);
        // Everybody may see every object, as long as nobody takes it away.
        if (status == DIR_SUCCESS)
            status = store->InsertValue(kRootId, "ACL", MakeAcl({DIR_ENTRY_RIGHTS, DIR_PUBLIC_NAME, DIR_ENTRY_BROWSE}));
        status = tx.Finish(status);
    }
    if (status != DIR_SUCCESS) {
        store.reset();
        unlink(path.c_str());
        return status;
    }
    store->administrator_ = admin.empty() ? "" : FoldCase(FormatName(admin));
    *out = std::move(store);
    return DIR_SUCCESS;
}

int Store::Open(const std::string& path, std::shared_ptr<Store>* out) {
    // One connection per file and process; a forked child opens its own.
    static std::mutex cacheMutex;
    static std::map<std::string, std::weak_ptr<Store>> cache;
    static pid_t cachePid = getpid();
    std::lock_guard lock(cacheMutex);
    if (cachePid != getpid()) {
        cache.clear();
        cachePid = getpid();
    }
    if (auto existing = cache[path].lock()) {
        *out = std::move(existing);
        return DIR_SUCCESS;
    }
    std::shared_ptr<Store> store(new Store(path));
    int status = store->OpenFile(false);
    if (status != DIR_SUCCESS) return status;
    cache[path] = store;
    *out = std::move(store);
    return DIR_SUCCESS;
}

int Store::TreeName(std::string* name) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    auto query = db_->Prepare("SELECT value FROM meta WHERE key = 'tree'");
    if (int step = query.Step(); step != SQLITE_ROW) return Failed(step);
    *name = query.Bytes(0);
    return DIR_SUCCESS;
}

int Store::Administrator(std::string* name) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    auto query = db_->Prepare("SELECT value FROM meta WHERE key = 'administrator'");
    int step = query.Step();
    if (step != SQLITE_ROW && step != SQLITE_DONE) return Failed(step);
    *name = step == SQLITE_ROW ? query.Bytes(0) : "";  // stores made before it was kept have none
    return DIR_SUCCESS;
}

// ---- schema -------------------------------------------------------------

int Store::DefineAttributeLocked(const AttributeDef& attribute) {
    if (!ValidSchemaName(attribute.name)) return DIR_ERR_BAD_NAME;
    if (!IsKnownSyntax(attribute.syntax)) return DIR_ERR_BAD_SYNTAX;
    AttributeDef existing;
    int status = GetAttribute(attribute.name, &existing);
    if (status == DIR_SUCCESS)
        return existing.syntax == attribute.syntax && existing.singleValued == attribute.singleValued
                   ? DIR_SUCCESS
                   : DIR_ERR_SCHEMA_CONFLICT;
    if (status != DIR_ERR_NO_SUCH_ATTRIBUTE) return status;
    auto insert = db_->Prepare("INSERT INTO attributes VALUES(?, ?, ?)");
    return Run(insert.Bind(1, attribute.name)
        .Bind(2, attribute.syntax)
        .Bind(3, attribute.singleValued ? 1 : 0));
}

int Store::DefineAttribute(const AttributeDef& attribute) {
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    return tx.Finish(DefineAttributeLocked(attribute));
}

int Store::DefineClassLocked(const ClassDef& cls) {
    if (!ValidSchemaName(cls.name)) return DIR_ERR_BAD_NAME;
    ClassDef existing;
    int status = GetClass(cls.name, &existing);
    if (status == DIR_SUCCESS) return DIR_ERR_SCHEMA_CONFLICT;
    if (status != DIR_ERR_NO_SUCH_CLASS) return status;
    for (const auto* list : {&cls.superClasses, &cls.containment})
        for (const std::string& name : *list)
            if (!SameName(name, cls.name) && GetClass(name, &existing) != DIR_SUCCESS)
                return DIR_ERR_NO_SUCH_CLASS;
    for (const auto* list : {&cls.naming, &cls.mandatory, &cls.optional}) {
        for (const std::string& name : *list) {
            AttributeDef attribute;
            status = GetAttribute(name, &attribute);
            if (status != DIR_SUCCESS) return status;
        }
    }
    auto insert = db_->Prepare("INSERT INTO classes VALUES(?, ?, ?)");
    status = Run(insert.Bind(1, cls.name).Bind(2, cls.container).Bind(3, cls.effective));
    const std::vector<std::string>* lists[] = {&cls.superClasses, &cls.containment, &cls.naming,
                                               &cls.mandatory, &cls.optional};
    auto item = db_->Prepare("INSERT INTO class_lists VALUES(?, ?, ?, ?)");
    for (int list = 0; list < 5 && status == DIR_SUCCESS; ++list) {
        for (size_t i = 0; i < lists[list]->size() && status == DIR_SUCCESS; ++i) {
            item.Reset();
            status = Run(item.Bind(1, cls.name)
                         .Bind(2, list)
                         .Bind(3, static_cast<int64_t>(i))
                         .Bind(4, (*lists[list])[i]));
        }
    }
    return status;
}

int Store::DefineClass(const ClassDef& cls) {
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    return tx.Finish(DefineClassLocked(cls));
}

int Store::AddOptionalAttribute(const std::string& className, const std::string& attribute) {
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    ClassDef cls;
    AttributeDef def;
    int status = GetClass(className, &cls);
    if (status == DIR_SUCCESS) status = GetAttribute(attribute, &def);
    if (status != DIR_SUCCESS) return status;
    if (Contains(cls.optional, attribute) || Contains(cls.mandatory, attribute))
        return DIR_SUCCESS;
    auto insert = db_->Prepare("INSERT INTO class_lists VALUES(?, ?, ?, ?)");
    status = Run(insert.Bind(1, cls.name)
                     .Bind(2, DIR_CLASS_LIST_OPTIONAL)
                     .Bind(3, static_cast<int64_t>(cls.optional.size()))
                     .Bind(4, def.name));
    return tx.Finish(status);
}

int Store::GetAttribute(const std::string& name, AttributeDef* out) {
    std::lock_guard lock(db_->mutex());
    auto query = db_->Prepare("SELECT name, syntax, single_valued FROM attributes WHERE name = ?");
    int step = query.Bind(1, name).Step();
    if (step == SQLITE_DONE) return DIR_ERR_NO_SUCH_ATTRIBUTE;
    if (step != SQLITE_ROW) return Failed(step);
    *out = {query.Bytes(0), static_cast<uint32_t>(query.Int(1)), query.Int(2) != 0};
    return DIR_SUCCESS;
}

int Store::GetClass(const std::string& name, ClassDef* out) {
    std::lock_guard lock(db_->mutex());
    auto query = db_->Prepare("SELECT name, container, effective FROM classes WHERE name = ?");
    int step = query.Bind(1, name).Step();
    if (step == SQLITE_DONE) return DIR_ERR_NO_SUCH_CLASS;
    if (step != SQLITE_ROW) return Failed(step);
    ClassDef cls;
    cls.name = query.Bytes(0);
    cls.container = query.Int(1) != 0;
    cls.effective = query.Int(2) != 0;
    auto items = db_->Prepare("SELECT list, item FROM class_lists WHERE class = ? ORDER BY list, position");
    items.Bind(1, name);
    std::vector<std::string>* lists[] = {&cls.superClasses, &cls.containment, &cls.naming,
                                         &cls.mandatory, &cls.optional};
    int row;
    while ((row = items.Step()) == SQLITE_ROW) {
        int64_t list = items.Int(0);
        if (list >= 0 && list < 5) lists[list]->push_back(items.Bytes(1));
    }
    if (row != SQLITE_DONE) return Failed(row);
    *out = std::move(cls);
    return DIR_SUCCESS;
}

int Store::ListAttributes(std::vector<AttributeDef>* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    auto query = db_->Prepare("SELECT name, syntax, single_valued FROM attributes ORDER BY name");
    out->clear();
    int row;
    while ((row = query.Step()) == SQLITE_ROW)
        out->push_back({query.Bytes(0), static_cast<uint32_t>(query.Int(1)), query.Int(2) != 0});
    return row == SQLITE_DONE ? DIR_SUCCESS : Failed(row);
}

int Store::ListClasses(std::vector<ClassDef>* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    auto query = db_->Prepare("SELECT name FROM classes ORDER BY name");
    std::vector<std::string> names;
    int row;
    while ((row = query.Step()) == SQLITE_ROW) names.push_back(query.Bytes(0));
    if (row != SQLITE_DONE) return Failed(row);
    out->clear();
    for (const std::string& name : names) {
        ClassDef cls;
        int status = GetClass(name, &cls);
        if (status != DIR_SUCCESS) return status;
        out->push_back(std::move(cls));
    }
    return DIR_SUCCESS;
}

int Store::ClassChain(const std::string& className, std::vector<ClassDef>* chain) {
    chain->clear();
    std::vector<std::string> pending = {className};
    std::set<std::string> seen;
    while (!pending.empty()) {
        std::string name = pending.front();
        pending.erase(pending.begin());
        if (!seen.insert(FoldCase(name)).second) continue;
        ClassDef cls;
        int status = GetClass(name, &cls);
        if (status != DIR_SUCCESS) return status;
        pending.insert(pending.end(), cls.superClasses.begin(), cls.superClasses.end());
        chain->push_back(std::move(cls));
    }
    return DIR_SUCCESS;
}

int Store::ClassAttributes(const std::string& className, std::vector<std::string>* mandatory,
                           std::vector<std::string>* all) {
    std::vector<ClassDef> chain;
    int status = ClassChain(className, &chain);
    if (status != DIR_SUCCESS) return status;
    for (const ClassDef& cls : chain) {
        for (const std::string& name : cls.mandatory) {
            if (mandatory) mandatory->push_back(name);
            all->push_back(name);
        }
        all->insert(all->end(), cls.optional.begin(), cls.optional.end());
    }
    return DIR_SUCCESS;
}

// ---- objects ------------------------------------------------------------

int Store::ObjectId(const NameParts& name, int64_t* id, std::string* className) {
    int64_t current = kRootId;
    auto child = db_->Prepare("SELECT id FROM objects WHERE parent = ? AND folded = ?");
    for (auto part = name.rbegin(); part != name.rend(); ++part) {
        child.Reset();
        int step = child.Bind(1, current).Bind(2, FoldCase(*part)).Step();
        if (step == SQLITE_DONE) return DIR_ERR_NO_SUCH_OBJECT;
        if (step != SQLITE_ROW) return Failed(step);
        current = child.Int(0);
    }
    if (className) {
        auto cls = db_->Prepare("SELECT class FROM objects WHERE id = ?");
        if (int step = cls.Bind(1, current).Step(); step != SQLITE_ROW) return Failed(step);
        *className = cls.Bytes(0);
    }
    *id = current;
    return DIR_SUCCESS;
}

int Store::FullName(int64_t id, NameParts* name) {
    name->clear();
    auto query = db_->Prepare("SELECT parent, name FROM objects WHERE id = ?");
    for (int depth = 0; id != kRootId; ++depth) {
        query.Reset();
        if (depth > 1000) return DIR_ERR_STORE_DAMAGED;  // a loop of parents
        if (int step = query.Bind(1, id).Step(); step != SQLITE_ROW) return Failed(step);
        name->push_back(query.Bytes(1));
        id = query.Int(0);
    }
    return DIR_SUCCESS;
}

int Store::LoadValues(int64_t object, const std::string& attribute, std::vector<Value>* values,
                      std::vector<int64_t>* ids) {
    auto query = db_->Prepare("SELECT id, syntax, data FROM object_values WHERE object = ? AND attribute = ? "
                    "ORDER BY id");
    query.Bind(1, object).Bind(2, attribute);
    values->clear();
    if (ids) ids->clear();
    int row;
    while ((row = query.Step()) == SQLITE_ROW) {
        if (ids) ids->push_back(query.Int(0));
        values->push_back({static_cast<uint32_t>(query.Int(1)), query.Blob(2)});
    }
    return row == SQLITE_DONE ? DIR_SUCCESS : Failed(row);
}

int Store::InsertValue(int64_t object, const std::string& attribute, const Value& value) {
    auto insert = db_->Prepare(
        "INSERT INTO object_values(object, attribute, syntax, data, stream, folded) "
        "VALUES(?, ?, ?, ?, CASE WHEN ? THEN x'' END, ?)");
    insert.Bind(1, object).Bind(2, attribute).Bind(3, value.syntax).BindBlob(4, value.bytes);
    insert.Bind(5, value.syntax == DIR_SYNTAX_STREAM ? 1 : 0);
    return Run(BindNamed(insert, 6, value));
}

int Store::ApplyChange(int64_t object, const std::vector<std::string>& allowed,
                       const Change& change) {
    AttributeDef attribute;
    int status = GetAttribute(change.attribute, &attribute);
    if (status != DIR_SUCCESS) return status;
    if (!Contains(allowed, attribute.name)) return DIR_ERR_NOT_ALLOWED;
    for (const Value& value : change.values) {
        if (value.syntax != attribute.syntax) return DIR_ERR_BAD_SYNTAX;
        int valid = CheckValue(value);
        if (valid != DIR_SUCCESS) return valid;
    }

    std::vector<Value> existing;
    std::vector<int64_t> ids;
    status = LoadValues(object, attribute.name, &existing, &ids);
    if (status != DIR_SUCCESS) return status;
    auto remove = db_->Prepare("DELETE FROM object_values WHERE id = ?");

    switch (change.kind) {
        case DIR_CHANGE_ADD_ATTRIBUTE:
        case DIR_CHANGE_ADD_VALUE: {
            for (const Value& value : change.values) {
                bool present = std::any_of(existing.begin(), existing.end(),
                                           [&](const Value& v) { return SameValue(v, value); });
                if (present) continue;  // adding a value that is there changes nothing
                if (attribute.singleValued && !existing.empty()) return DIR_ERR_SINGLE_VALUED;
                status = InsertValue(object, attribute.name, value);
                if (status != DIR_SUCCESS) return status;
                existing.push_back(value);
            }
            return DIR_SUCCESS;
        }
        case DIR_CHANGE_REMOVE_VALUE:
            for (const Value& value : change.values) {
                for (size_t i = 0; i < existing.size(); ++i) {
                    if (!SameValue(existing[i], value)) continue;
                    remove.Reset();
                    status = Run(remove.Bind(1, ids[i]));
                    if (status != DIR_SUCCESS) return status;
                    existing.erase(existing.begin() + static_cast<ptrdiff_t>(i));
                    ids.erase(ids.begin() + static_cast<ptrdiff_t>(i));
                    break;
                }
            }
            return DIR_SUCCESS;  // removing a value that is not there changes nothing
        case DIR_CHANGE_REMOVE_ALL_VALUES: {
            if (!change.values.empty()) return DIR_ERR_BAD_REQUEST;
            auto removeAll = db_->Prepare("DELETE FROM object_values WHERE object = ? AND attribute = ?");
            return Run(removeAll.Bind(1, object).Bind(2, attribute.name));
        }
        default:
            return DIR_ERR_BAD_REQUEST;
    }
}

int Store::CheckMandatory(int64_t object, const std::string& className) {
    std::vector<std::string> mandatory, all;
    int status = ClassAttributes(className, &mandatory, &all);
    if (status != DIR_SUCCESS) return status;
    auto count = db_->Prepare("SELECT COUNT(*) FROM object_values WHERE object = ? AND attribute = ?");
    for (const std::string& name : mandatory) {
        count.Reset();
        if (int step = count.Bind(1, object).Bind(2, name).Step(); step != SQLITE_ROW) return Failed(step);
        if (count.Int(0) == 0) return DIR_ERR_MANDATORY_MISSING;
    }
    return DIR_SUCCESS;
}

int Store::AddObject(const NameParts& name, const std::string& className,
                     const std::vector<Change>& values) {
    if (name.empty()) return DIR_ERR_OBJECT_EXISTS;
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t parent, existing;
    std::string parentClass;
    int status = ObjectId(NameParts(name.begin() + 1, name.end()), &parent, &parentClass);
    if (status != DIR_SUCCESS) return status;
    status = ObjectId(name, &existing, nullptr);
    if (status == DIR_SUCCESS) return DIR_ERR_OBJECT_EXISTS;
    if (status != DIR_ERR_NO_SUCH_OBJECT) return status;

    std::vector<ClassDef> chain, parentChain;
    status = ClassChain(className, &chain);
    if (status == DIR_SUCCESS) status = ClassChain(parentClass, &parentChain);
    if (status != DIR_SUCCESS) return status;
    if (!chain.front().effective || !parentChain.front().container) return DIR_ERR_NOT_ALLOWED;
    // The nearest class in the chain that names its containers decides.
    const std::vector<std::string>* containment = nullptr;
    for (const ClassDef& cls : chain)
        if (!containment && !cls.containment.empty()) containment = &cls.containment;
    bool contained = containment && std::any_of(parentChain.begin(), parentChain.end(),
                                                [&](const ClassDef& p) {
                                                    return Contains(*containment, p.name);
                                                });
    if (!contained) return DIR_ERR_NOT_ALLOWED;

    auto insert = db_->Prepare("INSERT INTO objects(parent, name, folded, class, modified) "
                     "VALUES(?, ?, ?, ?, ?)");
    status = Run(insert.Bind(1, parent)
                     .Bind(2, name.front())
                     .Bind(3, FoldCase(name.front()))
                     .Bind(4, chain.front().name)
                     .Bind(5, Now()));
    if (status != DIR_SUCCESS) return status;
    int64_t id = db_->LastInsertId();
    std::vector<std::string> allowed;
    status = ClassAttributes(className, nullptr, &allowed);
    for (const Change& change : values) {
        if (status != DIR_SUCCESS) break;
        Change add = change;
        add.kind = DIR_CHANGE_ADD_VALUE;
        status = ApplyChange(id, allowed, add);
    }
    if (status == DIR_SUCCESS) status = CheckMandatory(id, className);
    if (status == DIR_SUCCESS) status = faults::TakeModifyFailure();
    return tx.Finish(status);
}

int Store::Modify(const NameParts& name, const std::vector<Change>& changes) {
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    std::string className;
    int status = ObjectId(name, &id, &className);
    if (status != DIR_SUCCESS) return status;
    std::vector<std::string> allowed;
    status = ClassAttributes(className, nullptr, &allowed);
    for (const Change& change : changes) {
        if (status != DIR_SUCCESS) break;
        status = ApplyChange(id, allowed, change);
    }
    if (status == DIR_SUCCESS) status = CheckMandatory(id, className);
    auto touch = db_->Prepare("UPDATE objects SET modified = ? WHERE id = ?");
    if (status == DIR_SUCCESS) status = Run(touch.Bind(1, Now()).Bind(2, id));
    if (status == DIR_SUCCESS) status = faults::TakeModifyFailure();
    return tx.Finish(status);
}

int Store::RemoveObject(const NameParts& name) {
    if (name.empty()) return DIR_ERR_NOT_ALLOWED;
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    int status = ObjectId(name, &id, nullptr);
    if (status != DIR_SUCCESS) return status;
    auto children = db_->Prepare("SELECT COUNT(*) FROM objects WHERE parent = ?");
    if (int step = children.Bind(1, id).Step(); step != SQLITE_ROW) return Failed(step);
    if (children.Int(0) > 0) return DIR_ERR_NOT_EMPTY;
    auto values = db_->Prepare("DELETE FROM object_values WHERE object = ?");
    auto object = db_->Prepare("DELETE FROM objects WHERE id = ?");
    status = Run(values.Bind(1, id));
    if (status == DIR_SUCCESS) status = Run(object.Bind(1, id));
    if (status == DIR_SUCCESS) status = RemoveReferences(name);
    return tx.Finish(status);
}

// Values elsewhere that name a removed object go with it: memberships, links,
// typed names and the grants made to it.
int Store::RemoveReferences(const NameParts& name) {
    auto remove = db_->Prepare("DELETE FROM object_values WHERE folded = ?");
    return Run(remove.Bind(1, FoldCase(FormatName(name))));
}

int Store::FindObject(const NameParts& name, ObjectRecord* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    int status = ObjectId(name, &id, nullptr);
    if (status != DIR_SUCCESS) return status;
    auto query = db_->Prepare("SELECT o.class, o.modified, c.container, "
                    "(SELECT COUNT(*) FROM objects s WHERE s.parent = o.id) "
                    "FROM objects o LEFT JOIN classes c ON c.name = o.class WHERE o.id = ?");
    if (int step = query.Bind(1, id).Step(); step != SQLITE_ROW) return Failed(step);
    ObjectRecord record;
    status = FullName(id, &record.name);
    record.className = query.Bytes(0);
    record.modified = static_cast<uint32_t>(query.Int(1));
    record.container = query.Int(2) != 0;
    record.subordinates = static_cast<uint32_t>(query.Int(3));
    if (status == DIR_SUCCESS) *out = std::move(record);
    return status;
}

int Store::ListChildren(const NameParts& name, std::vector<ObjectRecord>* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    int status = ObjectId(name, &id, nullptr);
    if (status != DIR_SUCCESS) return status;
    auto query = db_->Prepare("SELECT name FROM objects WHERE parent = ? ORDER BY folded");
    query.Bind(1, id);
    std::vector<std::string> names;
    int row;
    while ((row = query.Step()) == SQLITE_ROW) names.push_back(query.Bytes(0));
    if (row != SQLITE_DONE) return Failed(row);
    out->clear();
    for (const std::string& child : names) {
        NameParts childName = name;
        childName.insert(childName.begin(), child);
        ObjectRecord record;
        status = FindObject(childName, &record);
        if (status != DIR_SUCCESS) return status;
        out->push_back(std::move(record));
    }
    return DIR_SUCCESS;
}

int Store::ReadValues(const NameParts& name, const std::vector<std::string>& names,
                      std::vector<AttributeValues>* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    int status = ObjectId(name, &id, nullptr);
    return status != DIR_SUCCESS ? status : ReadValuesOf(id, names, out);
}

int Store::ReadValuesAs(const Trustee& reader, const NameParts& name, const std::vector<std::string>& names,
                        std::vector<AttributeValues>* out, ObjectRights* rights) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    std::string className;
    int status = ObjectId(name, &id, &className);
    if (status == DIR_SUCCESS) status = ReadValuesOf(id, names, out);
    return status != DIR_SUCCESS ? status : RightsOnId(reader, id, className, rights);
}

int Store::ReadValuesOf(int64_t id, const std::vector<std::string>& names, std::vector<AttributeValues>* out) {
    out->clear();
    if (names.empty()) {
        auto query = db_->Prepare("SELECT v.attribute, v.syntax, v.data, a.syntax, a.single_valued "
                        "FROM object_values v JOIN attributes a ON a.name = v.attribute "
                        "WHERE v.object = ? ORDER BY v.attribute, v.id");
        query.Bind(1, id);
        int row;
        while ((row = query.Step()) == SQLITE_ROW) {
            std::string attributeName = query.Bytes(0);
            if (out->empty() || !SameName(out->back().attribute.name, attributeName))
                out->push_back({{attributeName, static_cast<uint32_t>(query.Int(3)), query.Int(4) != 0}, {}});
            out->back().values.push_back({static_cast<uint32_t>(query.Int(1)), query.Blob(2)});
        }
        return row == SQLITE_DONE ? DIR_SUCCESS : Failed(row);
    }
    // Named attributes: each looked up by its index, in the order of the
    // schema's names (as an all-attribute read gives them), each once.
    std::vector<AttributeDef> wanted;
    for (const std::string& attributeName : names) {
        AttributeDef attribute;
        int status = GetAttribute(attributeName, &attribute);
        if (status != DIR_SUCCESS) return status;
        wanted.push_back(attribute);
    }
    auto nameOrder = [](const AttributeDef& a, const AttributeDef& b) { return FoldCase(a.name) < FoldCase(b.name); };
    std::sort(wanted.begin(), wanted.end(), nameOrder);
    wanted.erase(std::unique(wanted.begin(), wanted.end(),
                             [](const AttributeDef& a, const AttributeDef& b) { return SameName(a.name, b.name); }),
                 wanted.end());
    for (const AttributeDef& attribute : wanted) {
        std::vector<Value> values;
        int status = LoadValues(id, attribute.name, &values, nullptr);
        if (status != DIR_SUCCESS) return status;
        if (!values.empty()) out->push_back({attribute, std::move(values)});
    }
    return DIR_SUCCESS;
}

// ---- streams ------------------------------------------------------------

int Store::ReadStream(const NameParts& object, const std::string& attribute,
                      std::vector<uint8_t>* content) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    std::string className;
    int status = ObjectId(object, &id, &className);
    if (status != DIR_SUCCESS) return status;
    AttributeDef def;
    std::vector<std::string> allowed;
    status = GetAttribute(attribute, &def);
    if (status == DIR_SUCCESS) status = ClassAttributes(className, nullptr, &allowed);
    if (status != DIR_SUCCESS) return status;
    if (def.syntax != DIR_SYNTAX_STREAM) return DIR_ERR_BAD_SYNTAX;
    if (!Contains(allowed, def.name)) return DIR_ERR_NO_SUCH_ATTRIBUTE;
    auto query = db_->Prepare("SELECT id, typeof(stream) = 'blob' FROM object_values "
                              "WHERE object = ? AND attribute = ?");
    int step = query.Bind(1, id).Bind(2, def.name).Step();
    if (step == SQLITE_DONE) return DIR_ERR_NO_STREAM_VALUE;
    if (step != SQLITE_ROW) return Failed(step);
    content->clear();
    // A stream of megabytes is read straight into `content`; anything but
    // a blob reads as no bytes.
    if (query.Int(1) == 0) return DIR_SUCCESS;
    int read = db_->ReadBlob("object_values", "stream", query.Int(0), content);
    return read == SQLITE_OK ? DIR_SUCCESS : Failed(read);
}

int Store::WriteStream(const NameParts& object, const std::string& attribute,
                       const std::vector<uint8_t>& content) {
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    int status = ObjectId(object, &id, nullptr);
    if (status != DIR_SUCCESS) return status;
    auto update = db_->Prepare("UPDATE object_values SET stream = ? WHERE object = ? AND attribute = ? "
                     "AND syntax = ?");
    status = Run(update.BindBlob(1, content).Bind(2, id).Bind(3, attribute).Bind(4, DIR_SYNTAX_STREAM));
    if (status != DIR_SUCCESS) return status;
    if (db_->Changes() == 0) return DIR_ERR_NO_STREAM_VALUE;  // removed meanwhile
    auto touch = db_->Prepare("UPDATE objects SET modified = ? WHERE id = ?");
    return tx.Finish(Run(touch.Bind(1, Now()).Bind(2, id)));
}

// ---- rights -------------------------------------------------------------

int Store::IsUser(const std::string& className, bool* user) {
    std::vector<ClassDef> chain;
    int status = ClassChain(className, &chain);
    *user = std::any_of(chain.begin(), chain.end(), [](const ClassDef& cls) { return SameName(cls.name, "User"); });
    return status;
}

int Store::RightsOn(const Trustee& trustee, const NameParts& object, ObjectRights* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t objectId;
    std::string objectClass;
    int status = ObjectId(object, &objectId, &objectClass);
    if (status != DIR_SUCCESS) return status;
    return RightsOnId(trustee, objectId, objectClass, out);
}

// The cached parts of rights hold while nothing in the file changed: the
// file's data version moves with every commit of any connection, and this
// connection's count of changed rows with its own changes not yet committed.
void Store::ForgetRightsIfChanged() {
    uint32_t version = 0;
    sqlite3_file_control(db_->handle(), "main", SQLITE_FCNTL_DATA_VERSION, &version);
    int64_t changes = sqlite3_total_changes64(db_->handle());
    if (version == rightsCache_.dataVersion && changes == rightsCache_.changes) return;
    rightsCache_.equivalences.clear();
    rightsCache_.levels.clear();
    rightsCache_.dataVersion = version;
    rightsCache_.changes = changes;
}

// Who the trustee counts as: itself, its containers up to the root, the
// groups it belongs to (its Group Membership and the groups naming it a
// Member), and everybody ("[Public]"). Each is found by its name, never by
// looking through the tree.
int Store::EquivalenceOf(const NameParts& trustee, const Equivalence** out) {
    std::string key = FoldCase(FormatName(trustee));
    auto cached = rightsCache_.equivalences.find(key);
    if (cached != rightsCache_.equivalences.end()) {
        *out = &cached->second;
        return DIR_SUCCESS;
    }
    Equivalence equivalence;
    int status = ObjectId(trustee, &equivalence.id, nullptr);
    if (status != DIR_SUCCESS && status != DIR_ERR_NO_SUCH_OBJECT) return status;
    equivalence.found = status == DIR_SUCCESS;
    equivalence.names = {FoldCase(DIR_PUBLIC_NAME)};
    if (equivalence.found) {
        for (size_t i = 0; i <= trustee.size(); ++i)
            equivalence.names.insert(FoldCase(FormatName(NameParts(trustee.begin() + i, trustee.end()))));
        std::vector<Value> memberships;
        status = LoadValues(equivalence.id, "Group Membership", &memberships, nullptr);
        if (status != DIR_SUCCESS) return status;
        for (const Value& group : memberships)
            if (CheckValue(group) == DIR_SUCCESS) equivalence.names.insert(FoldCase(ValueToText(group)));
        std::vector<int64_t> groupIds;
        {
            auto groups = db_->Prepare("SELECT object FROM object_values WHERE folded = ? AND attribute = 'Member'");
            groups.Bind(1, key);
            int row;
            while ((row = groups.Step()) == SQLITE_ROW) groupIds.push_back(groups.Int(0));
            if (row != SQLITE_DONE) return Failed(row);
        }
        for (int64_t group : groupIds) {
            NameParts groupName;
            status = FullName(group, &groupName);
            if (status != DIR_SUCCESS) return status;
            equivalence.names.insert(FoldCase(FormatName(groupName)));
        }
    }
    *out = &(rightsCache_.equivalences[key] = std::move(equivalence));
    return DIR_SUCCESS;
}

int Store::RightsLevelOf(int64_t id, const RightsLevel** out) {
    auto cached = rightsCache_.levels.find(id);
    if (cached != rightsCache_.levels.end()) {
        *out = &cached->second;
        return DIR_SUCCESS;
    }
    RightsLevel level;
    std::vector<Value> acls;
    int status = LoadValues(id, "ACL", &acls, nullptr);
    if (status != DIR_SUCCESS) return status;
    for (const Value& value : acls) {
        AclParts acl;
        if (SplitAcl(value, &acl)) level.grants.push_back({acl.attribute, FoldCase(acl.trustee), acl.privileges});
    }
    if (id != kRootId) {
        auto parent = db_->Prepare("SELECT parent FROM objects WHERE id = ?");
        if (int step = parent.Bind(1, id).Step(); step != SQLITE_ROW) return Failed(step);
        level.parent = parent.Int(0);
    }
    // A tree walked all over keeps the cache from growing without end.
    if (rightsCache_.levels.size() >= 20000) rightsCache_.levels.clear();
    *out = &(rightsCache_.levels[id] = std::move(level));
    return DIR_SUCCESS;
}

int Store::RightsOnId(const Trustee& trustee, int64_t objectId, const std::string& objectClass,
                      ObjectRights* out) {
    ForgetRightsIfChanged();
    bool isPublic = trustee.isPublic;
    const Equivalence* equivalence = nullptr;
    Equivalence everybody;
    everybody.names = {FoldCase(DIR_PUBLIC_NAME)};
    if (!isPublic) {
        int status = EquivalenceOf(trustee.name, &equivalence);
        if (status != DIR_SUCCESS) return status;
        if (!equivalence->found && !trustee.missingIsPublic) return DIR_ERR_NO_SUCH_OBJECT;
        isPublic = !equivalence->found;
    }
    if (isPublic) equivalence = &everybody;
    *out = ObjectRights();
    if (!isPublic && !administrator_.empty() && FoldCase(FormatName(trustee.name)) == administrator_) {
        out->entry = kAllEntryRights;
        out->allAttributes = WidenAttributeRights(DIR_ATTR_SUPERVISOR);
        return DIR_SUCCESS;
    }

    // Object rights and all-attribute rights flow down the containers; rights
    // on one attribute hold on the object that carries the ACL only.
    uint32_t entry = 0, all = 0;
    for (int64_t levelId = objectId, depth = 0;; ++depth) {
        if (depth > 1000) return DIR_ERR_STORE_DAMAGED;  // a loop of parents
        const RightsLevel* level = nullptr;
        int status = RightsLevelOf(levelId, &level);
        if (status != DIR_SUCCESS) return status;
        for (const Grant& grant : level->grants) {
            if (!equivalence->names.contains(grant.trustee)) continue;
            if (grant.attribute == DIR_ENTRY_RIGHTS)
                entry |= grant.privileges;
            else if (grant.attribute == DIR_ALL_ATTRIBUTES_RIGHTS)
                all |= grant.privileges;
            else if (levelId == objectId)
                out->attributes[FoldCase(grant.attribute)] |= grant.privileges;
        }
        if (levelId == kRootId) break;
        levelId = level->parent;
    }
    // A user reads its own attributes, as every new user is let to.
    if (!isPublic && equivalence->id == objectId) {
        bool user = false;
        int status = IsUser(objectClass, &user);
        if (status != DIR_SUCCESS) return status;
        if (user) all |= DIR_ATTR_COMPARE | DIR_ATTR_READ;
    }
    if (entry & DIR_ENTRY_SUPERVISOR) {
        entry = kAllEntryRights;
        all |= DIR_ATTR_SUPERVISOR;
    }
    out->entry = entry;
    out->allAttributes = WidenAttributeRights(all);
    return DIR_SUCCESS;
}

int Store::EffectiveRights(const NameParts& trustee, bool isPublic, const NameParts& object,
                           const std::string& attribute, uint32_t* rights) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    bool entryRights = attribute == DIR_ENTRY_RIGHTS;
    bool allAttributes = attribute == DIR_ALL_ATTRIBUTES_RIGHTS;
    ObjectRights held;
    int status = RightsOn({trustee, isPublic}, object, &held);
    if (status != DIR_SUCCESS) return status;
    if (!entryRights && !allAttributes) {
        AttributeDef def;
        status = GetAttribute(attribute, &def);
        if (status != DIR_SUCCESS) return status;
    }
    *rights = entryRights ? held.entry : allAttributes ? held.allAttributes : held.Attribute(attribute);
    return DIR_SUCCESS;
}

// ---- check --------------------------------------------------------------

int Store::Check(std::vector<std::string>* problems) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    problems->clear();
    auto integrity = db_->Prepare("PRAGMA integrity_check");
    int row;
    while ((row = integrity.Step()) == SQLITE_ROW)
        if (integrity.Bytes(0) != "ok") problems->push_back("file: " + integrity.Bytes(0));
    if (row != SQLITE_DONE) return Failed(row);

    auto objects = db_->Prepare("SELECT o.id, o.class, o.parent, p.id FROM objects o "
                      "LEFT JOIN objects p ON p.id = o.parent ORDER BY o.id");
    std::vector<std::pair<int64_t, std::string>> known;
    while ((row = objects.Step()) == SQLITE_ROW) {
        int64_t id = objects.Int(0);
        if (id != kRootId && objects.IsNull(3)) {
            problems->push_back("object " + std::to_string(id) + ": its container is missing");
            continue;
        }
        known.emplace_back(id, objects.Bytes(1));
    }
    if (row != SQLITE_DONE) return Failed(row);
    for (const auto& [id, className] : known) {
        NameParts name;
        if (FullName(id, &name) != DIR_SUCCESS) {
            problems->push_back("object " + std::to_string(id) + ": its name does not resolve");
            continue;
        }
        std::string label = FormatName(name) + ": ";
        std::vector<std::string> mandatory, allowed;
        if (ClassAttributes(className, &mandatory, &allowed) != DIR_SUCCESS) {
            problems->push_back(label + "unknown class \"" + className + "\"");
            continue;
        }
        std::vector<AttributeValues> values;
        int status = ReadValues(name, {}, &values);
        if (status != DIR_SUCCESS) return status;
        for (const std::string& attribute : mandatory) {
            bool present = std::any_of(values.begin(), values.end(), [&](const AttributeValues& v) {
                return SameName(v.attribute.name, attribute);
            });
            if (!present) problems->push_back(label + "mandatory \"" + attribute + "\" has no value");
        }
        for (const AttributeValues& attribute : values) {
            std::string what = label + "\"" + attribute.attribute.name + "\" ";
            if (!Contains(allowed, attribute.attribute.name))
                problems->push_back(what + "is not an attribute of its class");
            if (attribute.attribute.singleValued && attribute.values.size() > 1)
                problems->push_back(what + "is single-valued but holds several values");
            for (const Value& value : attribute.values) {
                std::string why;
                if (value.syntax != attribute.attribute.syntax)
                    problems->push_back(what + "holds a value of syntax " +
                                        std::to_string(value.syntax));
                if (CheckValue(value, &why) != DIR_SUCCESS)
                    problems->push_back(what + "holds a value that does not decode: " + why);
            }
        }
    }
    auto orphans = db_->Prepare("SELECT COUNT(*) FROM object_values v WHERE NOT EXISTS "
                      "(SELECT 1 FROM attributes a WHERE a.name = v.attribute) OR NOT EXISTS "
                      "(SELECT 1 FROM objects o WHERE o.id = v.object)");
    if (int step = orphans.Step(); step != SQLITE_ROW) return Failed(step);
    if (orphans.Int(0) > 0)
        problems->push_back(std::to_string(orphans.Int(0)) +
                            " values of unknown attributes or missing objects");
    auto streams = db_->Prepare("SELECT COUNT(*) FROM object_values WHERE (syntax = 21) <> (stream IS NOT NULL)");
    if (int step = streams.Step(); step != SQLITE_ROW) return Failed(step);
    if (streams.Int(0) > 0)
        problems->push_back(std::to_string(streams.Int(0)) + " stream values without content");
    return DIR_SUCCESS;
}

}  // namespace vpr::directory
