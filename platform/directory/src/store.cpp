#include "vpr/directory/store.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <set>

#include "vpr/directory/client.h"
#include "vpr/directory/value_codec.h"
#include "fault_state.h"

namespace vpr::directory {

namespace {

constexpr const char* kFormat = "vprdir 1";
constexpr int64_t kRootId = 1;
constexpr int kBusyTimeoutMs = 10000;

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
                           data BLOB NOT NULL, stream BLOB);
CREATE INDEX values_by_object ON object_values(object, attribute);
)";

// One prepared statement; every failure maps to DIR_ERR_STORE.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value) {
        if (stmt_) sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& Bind(int index, std::string_view text) {
        if (stmt_)
            sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int index, const std::vector<uint8_t>& bytes) {
        if (stmt_)
            sqlite3_bind_blob(stmt_, index, bytes.empty() ? static_cast<const void*>("") : bytes.data(),
                              static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE, or another code on failure.
    int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    // Runs a statement that returns no rows.
    int Run() { return Step() == SQLITE_DONE ? DIR_SUCCESS : DIR_ERR_STORE; }
    void Reset() {
        if (stmt_) sqlite3_reset(stmt_);
    }

    int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) {
        auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return text ? std::string(text, sqlite3_column_bytes(stmt_, column)) : std::string();
    }
    std::vector<uint8_t> Blob(int column) {
        auto data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
        return data ? std::vector<uint8_t>(data, data + sqlite3_column_bytes(stmt_, column))
                    : std::vector<uint8_t>();
    }
    bool IsNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

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

bool ValidSchemaName(const std::string& name) {
    if (name.empty() || name.size() >= DIR_MAX_SCHEMA_NAME || name.front() == '[') return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
}

}  // namespace

// A transaction holding the store's lock; rolled back unless committed. Calls
// made inside one join it: only the outermost begins and ends it.
struct Store::Tx {
    Tx(Store* store, bool write) : store_(store), lock_(store->mutex_) {
        outermost_ = store_->txDepth_++ == 0;
        status = outermost_ ? store_->Exec(write ? "BEGIN IMMEDIATE" : "BEGIN") : DIR_SUCCESS;
    }
    ~Tx() {
        --store_->txDepth_;
        if (outermost_ && status == DIR_SUCCESS && !committed_) store_->Exec("ROLLBACK");
    }
    // Commits when `result` is success, else leaves the rollback to the end.
    int Finish(int result) {
        if (result != DIR_SUCCESS || !outermost_) return result;
        result = store_->Exec("COMMIT");
        committed_ = result == DIR_SUCCESS;
        return result;
    }

    int status;

private:
    Store* store_;
    std::lock_guard<std::recursive_mutex> lock_;
    bool outermost_ = false;
    bool committed_ = false;
};

Store::Store(std::string path) : path_(std::move(path)) {}

Store::~Store() {
    if (db_) sqlite3_close_v2(db_);
}

int Store::Exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? DIR_SUCCESS
                                                                          : DIR_ERR_STORE;
}

int Store::OpenFile(bool create) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr) != SQLITE_OK) return DIR_ERR_STORE;
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    if (Exec("PRAGMA journal_mode=WAL") != DIR_SUCCESS) return DIR_ERR_STORE;
    if (Exec("PRAGMA foreign_keys=ON") != DIR_SUCCESS) return DIR_ERR_STORE;
    if (Exec("PRAGMA synchronous=NORMAL") != DIR_SUCCESS) return DIR_ERR_STORE;
    if (create) return DIR_SUCCESS;
    Statement format(db_, "SELECT value FROM meta WHERE key = 'format'");
    if (format.Step() != SQLITE_ROW || format.Text(0) != kFormat) return DIR_ERR_STORE;
    return DIR_SUCCESS;
}

int Store::Create(const std::string& path, const std::string& treeName,
                  std::shared_ptr<Store>* out) {
    if (treeName.empty() || treeName.size() > DIR_TREE_NAME_CHARS ||
        treeName.back() == '_' || treeName.find_first_of(".+=") != std::string::npos)
        return DIR_ERR_BAD_NAME;
    if (access(path.c_str(), F_OK) == 0) return DIR_ERR_STORE;  // never overwrite a tree
    std::shared_ptr<Store> store(new Store(path));
    int status = store->OpenFile(true);
    if (status != DIR_SUCCESS) return status;
    {
        Tx tx(store.get(), true);
        if (tx.status != DIR_SUCCESS) return tx.status;
        status = store->Exec(kSchemaSql);
        Statement meta(store->db_, "INSERT INTO meta VALUES('format', ?), ('tree', ?)");
        if (status == DIR_SUCCESS) status = meta.Bind(1, kFormat).Bind(2, treeName).Run();
        Statement root(store->db_,
                       "INSERT INTO objects VALUES(1, NULL, '[Root]', '[root]', 'Tree Root', ?)");
        if (status == DIR_SUCCESS) status = root.Bind(1, Now()).Run();
        for (const AttributeDef& attribute : BaseAttributes())
            if (status == DIR_SUCCESS) status = store->DefineAttributeLocked(attribute);
        for (const ClassDef& cls : BaseClasses())
            if (status == DIR_SUCCESS) status = store->DefineClassLocked(cls);
        status = tx.Finish(status);
    }
    if (status != DIR_SUCCESS) {
        store.reset();
        unlink(path.c_str());
        return status;
    }
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
    Statement query(db_, "SELECT value FROM meta WHERE key = 'tree'");
    if (query.Step() != SQLITE_ROW) return DIR_ERR_STORE;
    *name = query.Text(0);
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
    Statement insert(db_, "INSERT INTO attributes VALUES(?, ?, ?)");
    return insert.Bind(1, attribute.name)
        .Bind(2, attribute.syntax)
        .Bind(3, attribute.singleValued ? 1 : 0)
        .Run();
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
    Statement insert(db_, "INSERT INTO classes VALUES(?, ?, ?)");
    status = insert.Bind(1, cls.name).Bind(2, cls.container).Bind(3, cls.effective).Run();
    const std::vector<std::string>* lists[] = {&cls.superClasses, &cls.containment, &cls.naming,
                                               &cls.mandatory, &cls.optional};
    Statement item(db_, "INSERT INTO class_lists VALUES(?, ?, ?, ?)");
    for (int list = 0; list < 5 && status == DIR_SUCCESS; ++list) {
        for (size_t i = 0; i < lists[list]->size() && status == DIR_SUCCESS; ++i) {
            item.Reset();
            status = item.Bind(1, cls.name)
                         .Bind(2, list)
                         .Bind(3, static_cast<int64_t>(i))
                         .Bind(4, (*lists[list])[i])
                         .Run();
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
    Statement insert(db_, "INSERT INTO class_lists VALUES(?, ?, ?, ?)");
    status = insert.Bind(1, cls.name)
                 .Bind(2, DIR_CLASS_LIST_OPTIONAL)
                 .Bind(3, static_cast<int64_t>(cls.optional.size()))
                 .Bind(4, def.name)
                 .Run();
    return tx.Finish(status);
}

int Store::GetAttribute(const std::string& name, AttributeDef* out) {
    std::lock_guard lock(mutex_);
    Statement query(db_, "SELECT name, syntax, single_valued FROM attributes WHERE name = ?");
    int step = query.Bind(1, name).Step();
    if (step == SQLITE_DONE) return DIR_ERR_NO_SUCH_ATTRIBUTE;
    if (step != SQLITE_ROW) return DIR_ERR_STORE;
    *out = {query.Text(0), static_cast<uint32_t>(query.Int(1)), query.Int(2) != 0};
    return DIR_SUCCESS;
}

int Store::GetClass(const std::string& name, ClassDef* out) {
    std::lock_guard lock(mutex_);
    Statement query(db_, "SELECT name, container, effective FROM classes WHERE name = ?");
    int step = query.Bind(1, name).Step();
    if (step == SQLITE_DONE) return DIR_ERR_NO_SUCH_CLASS;
    if (step != SQLITE_ROW) return DIR_ERR_STORE;
    ClassDef cls;
    cls.name = query.Text(0);
    cls.container = query.Int(1) != 0;
    cls.effective = query.Int(2) != 0;
    Statement items(db_, "SELECT list, item FROM class_lists WHERE class = ? ORDER BY list, position");
    items.Bind(1, name);
    std::vector<std::string>* lists[] = {&cls.superClasses, &cls.containment, &cls.naming,
                                         &cls.mandatory, &cls.optional};
    int row;
    while ((row = items.Step()) == SQLITE_ROW) {
        int64_t list = items.Int(0);
        if (list >= 0 && list < 5) lists[list]->push_back(items.Text(1));
    }
    if (row != SQLITE_DONE) return DIR_ERR_STORE;
    *out = std::move(cls);
    return DIR_SUCCESS;
}

int Store::ListAttributes(std::vector<AttributeDef>* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    Statement query(db_, "SELECT name, syntax, single_valued FROM attributes ORDER BY name");
    out->clear();
    int row;
    while ((row = query.Step()) == SQLITE_ROW)
        out->push_back({query.Text(0), static_cast<uint32_t>(query.Int(1)), query.Int(2) != 0});
    return row == SQLITE_DONE ? DIR_SUCCESS : DIR_ERR_STORE;
}

int Store::ListClasses(std::vector<ClassDef>* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    Statement query(db_, "SELECT name FROM classes ORDER BY name");
    std::vector<std::string> names;
    int row;
    while ((row = query.Step()) == SQLITE_ROW) names.push_back(query.Text(0));
    if (row != SQLITE_DONE) return DIR_ERR_STORE;
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
    Statement child(db_, "SELECT id FROM objects WHERE parent = ? AND folded = ?");
    for (auto part = name.rbegin(); part != name.rend(); ++part) {
        child.Reset();
        int step = child.Bind(1, current).Bind(2, FoldCase(*part)).Step();
        if (step == SQLITE_DONE) return DIR_ERR_NO_SUCH_OBJECT;
        if (step != SQLITE_ROW) return DIR_ERR_STORE;
        current = child.Int(0);
    }
    if (className) {
        Statement cls(db_, "SELECT class FROM objects WHERE id = ?");
        if (cls.Bind(1, current).Step() != SQLITE_ROW) return DIR_ERR_STORE;
        *className = cls.Text(0);
    }
    *id = current;
    return DIR_SUCCESS;
}

int Store::FullName(int64_t id, NameParts* name) {
    name->clear();
    Statement query(db_, "SELECT parent, name FROM objects WHERE id = ?");
    for (int depth = 0; id != kRootId; ++depth) {
        query.Reset();
        if (depth > 1000 || query.Bind(1, id).Step() != SQLITE_ROW) return DIR_ERR_STORE;
        name->push_back(query.Text(1));
        id = query.Int(0);
    }
    return DIR_SUCCESS;
}

int Store::LoadValues(int64_t object, const std::string& attribute, std::vector<Value>* values,
                      std::vector<int64_t>* ids) {
    Statement query(db_,
                    "SELECT id, syntax, data FROM object_values WHERE object = ? AND attribute = ? "
                    "ORDER BY id");
    query.Bind(1, object).Bind(2, attribute);
    values->clear();
    if (ids) ids->clear();
    int row;
    while ((row = query.Step()) == SQLITE_ROW) {
        if (ids) ids->push_back(query.Int(0));
        values->push_back({static_cast<uint32_t>(query.Int(1)), query.Blob(2)});
    }
    return row == SQLITE_DONE ? DIR_SUCCESS : DIR_ERR_STORE;
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
    Statement remove(db_, "DELETE FROM object_values WHERE id = ?");

    switch (change.kind) {
        case DIR_CHANGE_ADD_ATTRIBUTE:
        case DIR_CHANGE_ADD_VALUE: {
            Statement insert(db_,
                             "INSERT INTO object_values(object, attribute, syntax, data, stream) "
                             "VALUES(?, ?, ?, ?, CASE WHEN ? THEN x'' END)");
            for (const Value& value : change.values) {
                bool present = std::any_of(existing.begin(), existing.end(),
                                           [&](const Value& v) { return SameValue(v, value); });
                if (present) continue;  // adding a value that is there changes nothing
                if (attribute.singleValued && !existing.empty()) return DIR_ERR_SINGLE_VALUED;
                insert.Reset();
                status = insert.Bind(1, object)
                             .Bind(2, attribute.name)
                             .Bind(3, value.syntax)
                             .BindBlob(4, value.bytes)
                             .Bind(5, value.syntax == DIR_SYNTAX_STREAM ? 1 : 0)
                             .Run();
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
                    status = remove.Bind(1, ids[i]).Run();
                    if (status != DIR_SUCCESS) return status;
                    existing.erase(existing.begin() + static_cast<ptrdiff_t>(i));
                    ids.erase(ids.begin() + static_cast<ptrdiff_t>(i));
                    break;
                }
            }
            return DIR_SUCCESS;  // removing a value that is not there changes nothing
        case DIR_CHANGE_REMOVE_ALL_VALUES: {
            if (!change.values.empty()) return DIR_ERR_BAD_REQUEST;
            Statement removeAll(db_, "DELETE FROM object_values WHERE object = ? AND attribute = ?");
            return removeAll.Bind(1, object).Bind(2, attribute.name).Run();
        }
        default:
            return DIR_ERR_BAD_REQUEST;
    }
}

int Store::CheckMandatory(int64_t object, const std::string& className) {
    std::vector<std::string> mandatory, all;
    int status = ClassAttributes(className, &mandatory, &all);
    if (status != DIR_SUCCESS) return status;
    Statement count(db_, "SELECT COUNT(*) FROM object_values WHERE object = ? AND attribute = ?");
    for (const std::string& name : mandatory) {
        count.Reset();
        if (count.Bind(1, object).Bind(2, name).Step() != SQLITE_ROW) return DIR_ERR_STORE;
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

    Statement insert(db_,
                     "INSERT INTO objects(parent, name, folded, class, modified) "
                     "VALUES(?, ?, ?, ?, ?)");
    status = insert.Bind(1, parent)
                 .Bind(2, name.front())
                 .Bind(3, FoldCase(name.front()))
                 .Bind(4, chain.front().name)
                 .Bind(5, Now())
                 .Run();
    if (status != DIR_SUCCESS) return status;
    int64_t id = sqlite3_last_insert_rowid(db_);
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
    Statement touch(db_, "UPDATE objects SET modified = ? WHERE id = ?");
    if (status == DIR_SUCCESS) status = touch.Bind(1, Now()).Bind(2, id).Run();
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
    Statement children(db_, "SELECT COUNT(*) FROM objects WHERE parent = ?");
    if (children.Bind(1, id).Step() != SQLITE_ROW) return DIR_ERR_STORE;
    if (children.Int(0) > 0) return DIR_ERR_NOT_EMPTY;
    Statement values(db_, "DELETE FROM object_values WHERE object = ?");
    Statement object(db_, "DELETE FROM objects WHERE id = ?");
    status = values.Bind(1, id).Run();
    if (status == DIR_SUCCESS) status = object.Bind(1, id).Run();
    if (status == DIR_SUCCESS) status = RemoveReferences(name);
    return tx.Finish(status);
}

// Values elsewhere that name a removed object go with it: memberships, links,
// typed names and the grants made to it.
int Store::RemoveReferences(const NameParts& name) {
    std::string removed = FormatName(name);
    Statement query(db_,
                    "SELECT id, syntax, data FROM object_values WHERE syntax IN (?, ?, ?)");
    query.Bind(1, DIR_SYNTAX_DIST_NAME).Bind(2, DIR_SYNTAX_TYPED_NAME).Bind(3, DIR_SYNTAX_OBJECT_ACL);
    std::vector<int64_t> stale;
    int row;
    while ((row = query.Step()) == SQLITE_ROW) {
        Value value{static_cast<uint32_t>(query.Int(1)), query.Blob(2)};
        TypedNameParts typed;
        AclParts acl;
        std::string named = value.syntax == DIR_SYNTAX_DIST_NAME ? ValueToText(value)
                            : SplitTypedName(value, &typed)       ? typed.name
                            : SplitAcl(value, &acl)               ? acl.trustee
                                                                  : std::string();
        if (SameName(named, removed)) stale.push_back(query.Int(0));
    }
    if (row != SQLITE_DONE) return DIR_ERR_STORE;
    Statement remove(db_, "DELETE FROM object_values WHERE id = ?");
    for (int64_t value : stale) {
        remove.Reset();
        int status = remove.Bind(1, value).Run();
        if (status != DIR_SUCCESS) return status;
    }
    return DIR_SUCCESS;
}

int Store::FindObject(const NameParts& name, ObjectRecord* out) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    int status = ObjectId(name, &id, nullptr);
    if (status != DIR_SUCCESS) return status;
    Statement query(db_,
                    "SELECT o.class, o.modified, c.container, "
                    "(SELECT COUNT(*) FROM objects s WHERE s.parent = o.id) "
                    "FROM objects o LEFT JOIN classes c ON c.name = o.class WHERE o.id = ?");
    if (query.Bind(1, id).Step() != SQLITE_ROW) return DIR_ERR_STORE;
    ObjectRecord record;
    status = FullName(id, &record.name);
    record.className = query.Text(0);
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
    Statement query(db_, "SELECT name FROM objects WHERE parent = ? ORDER BY folded");
    query.Bind(1, id);
    std::vector<std::string> names;
    int row;
    while ((row = query.Step()) == SQLITE_ROW) names.push_back(query.Text(0));
    if (row != SQLITE_DONE) return DIR_ERR_STORE;
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
    if (status != DIR_SUCCESS) return status;
    std::vector<AttributeDef> wanted;
    for (const std::string& attributeName : names) {
        AttributeDef attribute;
        status = GetAttribute(attributeName, &attribute);
        if (status != DIR_SUCCESS) return status;
        wanted.push_back(attribute);
    }
    Statement query(db_,
                    "SELECT v.attribute, v.syntax, v.data, a.syntax, a.single_valued "
                    "FROM object_values v JOIN attributes a ON a.name = v.attribute "
                    "WHERE v.object = ? ORDER BY v.attribute, v.id");
    query.Bind(1, id);
    out->clear();
    int row;
    while ((row = query.Step()) == SQLITE_ROW) {
        std::string attributeName = query.Text(0);
        if (!names.empty() && !Contains(names, attributeName)) continue;
        if (out->empty() || !SameName(out->back().attribute.name, attributeName))
            out->push_back({{attributeName, static_cast<uint32_t>(query.Int(3)), query.Int(4) != 0},
                            {}});
        out->back().values.push_back({static_cast<uint32_t>(query.Int(1)), query.Blob(2)});
    }
    return row == SQLITE_DONE ? DIR_SUCCESS : DIR_ERR_STORE;
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
    Statement query(db_, "SELECT stream FROM object_values WHERE object = ? AND attribute = ?");
    int step = query.Bind(1, id).Bind(2, def.name).Step();
    if (step == SQLITE_DONE) return DIR_ERR_NO_STREAM_VALUE;
    if (step != SQLITE_ROW) return DIR_ERR_STORE;
    *content = query.Blob(0);
    return DIR_SUCCESS;
}

int Store::WriteStream(const NameParts& object, const std::string& attribute,
                       const std::vector<uint8_t>& content) {
    Tx tx(this, true);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t id;
    int status = ObjectId(object, &id, nullptr);
    if (status != DIR_SUCCESS) return status;
    Statement update(db_,
                     "UPDATE object_values SET stream = ? WHERE object = ? AND attribute = ? "
                     "AND syntax = ?");
    status = update.BindBlob(1, content).Bind(2, id).Bind(3, attribute).Bind(4, DIR_SYNTAX_STREAM).Run();
    if (status != DIR_SUCCESS) return status;
    if (sqlite3_changes(db_) == 0) return DIR_ERR_NO_STREAM_VALUE;  // removed meanwhile
    Statement touch(db_, "UPDATE objects SET modified = ? WHERE id = ?");
    return tx.Finish(touch.Bind(1, Now()).Bind(2, id).Run());
}

// ---- rights -------------------------------------------------------------

int Store::EffectiveRights(const NameParts& trustee, bool isPublic, const NameParts& object,
                           const std::string& attribute, uint32_t* rights) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    int64_t objectId, trusteeId;
    int status = ObjectId(object, &objectId, nullptr);
    if (status != DIR_SUCCESS) return status;
    bool entryRights = attribute == DIR_ENTRY_RIGHTS;
    bool allAttributes = attribute == DIR_ALL_ATTRIBUTES_RIGHTS;
    if (!entryRights && !allAttributes) {
        AttributeDef def;
        status = GetAttribute(attribute, &def);
        if (status != DIR_SUCCESS) return status;
    }

    // Who the trustee counts as: itself, its containers up to the root, the
    // groups it belongs to, and everybody ("[Public]").
    std::set<std::string> equals = {FoldCase(DIR_PUBLIC_NAME)};
    if (!isPublic) {
        status = ObjectId(trustee, &trusteeId, nullptr);
        if (status != DIR_SUCCESS) return status;
        for (size_t i = 0; i <= trustee.size(); ++i)
            equals.insert(FoldCase(FormatName(NameParts(trustee.begin() + i, trustee.end()))));
        std::vector<Value> memberships;
        status = LoadValues(trusteeId, "Group Membership", &memberships, nullptr);
        if (status != DIR_SUCCESS) return status;
        for (const Value& group : memberships) equals.insert(FoldCase(ValueToText(group)));
        Statement groups(db_,
                         "SELECT object FROM object_values WHERE attribute = 'Member' "
                         "AND CAST(data AS TEXT) = ? COLLATE NOCASE");
        groups.Bind(1, FormatName(trustee));
        std::vector<int64_t> groupIds;
        int row;
        while ((row = groups.Step()) == SQLITE_ROW) groupIds.push_back(groups.Int(0));
        if (row != SQLITE_DONE) return DIR_ERR_STORE;
        for (int64_t group : groupIds) {
            NameParts groupName;
            status = FullName(group, &groupName);
            if (status != DIR_SUCCESS) return status;
            equals.insert(FoldCase(FormatName(groupName)));
        }
    }

    // Object rights and all-attribute rights flow down the containers; rights
    // on one attribute hold on the object that carries the ACL only.
    uint32_t entry = 0, all = 0, specific = 0;
    NameParts level = object;
    for (int64_t levelId = objectId;;) {
        std::vector<Value> acls;
        status = LoadValues(levelId, "ACL", &acls, nullptr);
        if (status != DIR_SUCCESS) return status;
        for (const Value& value : acls) {
            AclParts acl;
            if (!SplitAcl(value, &acl) || !equals.contains(FoldCase(acl.trustee))) continue;
            if (acl.attribute == DIR_ENTRY_RIGHTS)
                entry |= acl.privileges;
            else if (acl.attribute == DIR_ALL_ATTRIBUTES_RIGHTS)
                all |= acl.privileges;
            else if (levelId == objectId && SameName(acl.attribute, attribute))
                specific |= acl.privileges;
        }
        if (level.empty()) break;
        level.erase(level.begin());
        status = ObjectId(level, &levelId, nullptr);
        if (status != DIR_SUCCESS) return status;
    }
    if (entry & DIR_ENTRY_SUPERVISOR) {
        entry = DIR_ENTRY_BROWSE | DIR_ENTRY_ADD | DIR_ENTRY_DELETE | DIR_ENTRY_RENAME |
                DIR_ENTRY_SUPERVISOR;
        all |= DIR_ATTR_SUPERVISOR;
    }
    if (entryRights)
        *rights = entry;
    else if (allAttributes)
        *rights = WidenAttributeRights(all);
    else
        *rights = WidenAttributeRights(all | specific);
    return DIR_SUCCESS;
}

// ---- check --------------------------------------------------------------

int Store::Check(std::vector<std::string>* problems) {
    Tx tx(this, false);
    if (tx.status != DIR_SUCCESS) return tx.status;
    problems->clear();
    Statement integrity(db_, "PRAGMA integrity_check");
    int row;
    while ((row = integrity.Step()) == SQLITE_ROW)
        if (integrity.Text(0) != "ok") problems->push_back("file: " + integrity.Text(0));
    if (row != SQLITE_DONE) return DIR_ERR_STORE;

    Statement objects(db_,
                      "SELECT o.id, o.class, o.parent, p.id FROM objects o "
                      "LEFT JOIN objects p ON p.id = o.parent ORDER BY o.id");
    std::vector<std::pair<int64_t, std::string>> known;
    while ((row = objects.Step()) == SQLITE_ROW) {
        int64_t id = objects.Int(0);
        if (id != kRootId && objects.IsNull(3)) {
            problems->push_back("object " + std::to_string(id) + ": its container is missing");
            continue;
        }
        known.emplace_back(id, objects.Text(1));
    }
    if (row != SQLITE_DONE) return DIR_ERR_STORE;
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
        if (ReadValues(name, {}, &values) != DIR_SUCCESS) return DIR_ERR_STORE;
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
    Statement orphans(db_,
                      "SELECT COUNT(*) FROM object_values v WHERE NOT EXISTS "
                      "(SELECT 1 FROM attributes a WHERE a.name = v.attribute) OR NOT EXISTS "
                      "(SELECT 1 FROM objects o WHERE o.id = v.object)");
    if (orphans.Step() != SQLITE_ROW) return DIR_ERR_STORE;
    if (orphans.Int(0) > 0)
        problems->push_back(std::to_string(orphans.Int(0)) +
                            " values of unknown attributes or missing objects");
    Statement streams(db_,
                      "SELECT COUNT(*) FROM object_values WHERE (syntax = 21) <> (stream IS NOT NULL)");
    if (streams.Step() != SQLITE_ROW) return DIR_ERR_STORE;
    if (streams.Int(0) > 0)
        problems->push_back(std::to_string(streams.Int(0)) + " stream values without content");
    return DIR_SUCCESS;
}

}  // namespace vpr::directory
