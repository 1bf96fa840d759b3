#include "registry_store.h"

#include <ctime>

#include "vpr/win/error.h"
#include "vpr/win/registry.h"

namespace vpr::win {

namespace {

// "VPRR": marks a database as a registry file of ours.
constexpr int kApplicationId = 0x56505252;
constexpr int kBusyTimeoutMs = 30000;

const char kSchema[] =
    "CREATE TABLE reg_key("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  denied INTEGER NOT NULL DEFAULT 0,"
    "  written INTEGER NOT NULL DEFAULT 0,"
    "  UNIQUE(parent, name));"
    "CREATE TABLE reg_value("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, name)) WITHOUT ROWID;"
    "INSERT INTO reg_key(id, parent, name) VALUES(1, 0, 'HKEY_LOCAL_MACHINE'), (2, 0, 'HKEY_USERS');"
    "PRAGMA application_id = 1448104530;";

}  // namespace

// One prepared statement, finalized on every path out.
class RegistryStore::Statement {
public:
    Statement(sqlite3* db, const char* sql) { result_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int64_t v) {
        if (result_ == SQLITE_OK) result_ = sqlite3_bind_int64(stmt_, ++index_, v);
        return *this;
    }
    Statement& Bind(std::string_view text) {
        if (result_ == SQLITE_OK) {
            // An empty name (the default value) binds as '', never as NULL.
            result_ = sqlite3_bind_text(stmt_, ++index_, text.empty() ? "" : text.data(),
                                        static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
        return *this;
    }
    Statement& BindBlob(std::string_view data) {
        if (result_ == SQLITE_OK) {
            // A zero-length blob still binds as a blob, never as NULL.
            result_ = sqlite3_bind_blob64(stmt_, ++index_, data.empty() ? "" : data.data(), data.size(),
                                          SQLITE_TRANSIENT);
        }
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() {
        if (result_ != SQLITE_OK && result_ != SQLITE_ROW) return result_;
        result_ = sqlite3_step(stmt_);
        return result_;
    }
    int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) const {
        const void* p = sqlite3_column_blob(stmt_, column);
        int n = sqlite3_column_bytes(stmt_, column);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int result_ = SQLITE_OK;
    int index_ = 0;
};

RegistryStore::RegistryStore(std::string path) : path_(std::move(path)) {}

RegistryStore::~RegistryStore() {
    if (db_ != nullptr && pid_ == ::getpid()) sqlite3_close(db_);
}

LONG RegistryStore::Error(int code) const {
    switch (code & 0xFF) {
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW: return ERROR_SUCCESS;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
        case SQLITE_SCHEMA: return ERROR_BADDB;
        case SQLITE_FULL: return ERROR_DISK_FULL;
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return ERROR_BUSY;
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
        case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
        case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case SQLITE_IOERR: return ERROR_CANTWRITE;
        case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
        default: return ERROR_BADDB;
    }
}

LONG RegistryStore::Exec(const char* sql) { return Error(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr)); }

LONG RegistryStore::Connect() {
    if (db_ != nullptr && pid_ != ::getpid()) db_ = nullptr;  // a connection never crosses a fork
    if (db_ != nullptr) return ERROR_SUCCESS;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return Error(rc);
    }
    db_ = db;
    pid_ = ::getpid();
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 0);

    // A file that is not an SQLite database fails here, before anything is
    // written; one that is another program's database is refused as well.
    LONG result = ERROR_SUCCESS;
    int64_t id = 0;
    {
        Statement query(db_, "PRAGMA application_id");
        rc = query.Step();
        if (rc == SQLITE_ROW) id = query.Int(0);
        else result = Error(rc);
    }
    if (result == ERROR_SUCCESS && id != kApplicationId) {
        result = id != 0 ? ERROR_BADDB : Exec("BEGIN IMMEDIATE");
        if (result == ERROR_SUCCESS) {
            Statement count(db_, "SELECT count(*) FROM sqlite_master");
            rc = count.Step();
            if (rc != SQLITE_ROW) result = Error(rc);
            else if (count.Int(0) == 0) result = Exec(kSchema);
            else {
                // Another process may have made it meanwhile.
                Statement again(db_, "PRAGMA application_id");
                result = again.Step() == SQLITE_ROW && again.Int(0) == kApplicationId ? ERROR_SUCCESS : ERROR_BADDB;
            }
            result = Exec(result == ERROR_SUCCESS ? "COMMIT" : "ROLLBACK") == ERROR_SUCCESS ? result : ERROR_BADDB;
        }
    }
    if (result == ERROR_SUCCESS) {
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=NORMAL");
    }
    if (result != ERROR_SUCCESS) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
    return result;
}

LONG RegistryStore::Run(bool write, const std::function<LONG()>& body) {
    std::lock_guard lock(mutex_);
    LONG result = Connect();
    if (result != ERROR_SUCCESS) return result;
    result = Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
    if (result != ERROR_SUCCESS) return result;
    result = body();
    if (result == ERROR_SUCCESS) {
        result = Exec("COMMIT");
        if (result == ERROR_SUCCESS) return result;
    }
    Exec("ROLLBACK");
    return result;
}

LONG RegistryStore::Flush() {
    std::lock_guard lock(mutex_);
    LONG result = Connect();
    if (result != ERROR_SUCCESS) return result;
    return Error(sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr));
}

LONG RegistryStore::GetKey(int64_t id, RegistryKeyRow* row) {
    Statement q(db_, "SELECT id, name, denied, written FROM reg_key WHERE id = ?");
    int rc = q.Bind(id).Step();
    if (rc == SQLITE_DONE) return ERROR_KEY_DELETED;
    if (rc != SQLITE_ROW) return Error(rc);
    *row = {q.Int(0), q.Text(1), static_cast<DWORD>(q.Int(2)), q.Int(3)};
    return ERROR_SUCCESS;
}

LONG RegistryStore::FindChild(int64_t parent, std::string_view name, RegistryKeyRow* row) {
    Statement q(db_, "SELECT id, name, denied, written FROM reg_key WHERE parent = ? AND name = ?");
    int rc = q.Bind(parent).Bind(name).Step();
    if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW) return Error(rc);
    *row = {q.Int(0), q.Text(1), static_cast<DWORD>(q.Int(2)), q.Int(3)};
    return ERROR_SUCCESS;
}

LONG RegistryStore::AddChild(int64_t parent, std::string_view name, int64_t* id) {
    Statement q(db_, "INSERT INTO reg_key(parent, name, written) VALUES(?, ?, ?)");
    int rc = q.Bind(parent).Bind(name).Bind(static_cast<int64_t>(std::time(nullptr))).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    *id = sqlite3_last_insert_rowid(db_);
    return Touch(parent);
}

LONG RegistryStore::ChildAt(int64_t parent, DWORD index, RegistryKeyRow* row) {
    Statement q(db_,
                "SELECT id, name, denied, written FROM reg_key WHERE parent = ? ORDER BY name LIMIT 1 OFFSET ?");
    int rc = q.Bind(parent).Bind(static_cast<int64_t>(index)).Step();
    if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW) return Error(rc);
    *row = {q.Int(0), q.Text(1), static_cast<DWORD>(q.Int(2)), q.Int(3)};
    return ERROR_SUCCESS;
}

LONG RegistryStore::DeleteKey(int64_t id) {
    Statement values(db_, "DELETE FROM reg_value WHERE key = ?");
    int rc = values.Bind(id).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    Statement parent(db_, "SELECT parent FROM reg_key WHERE id = ?");
    rc = parent.Bind(id).Step();
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? ERROR_KEY_DELETED : Error(rc);
    int64_t parentId = parent.Int(0);
    Statement key(db_, "DELETE FROM reg_key WHERE id = ?");
    rc = key.Bind(id).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    return Touch(parentId);
}

LONG RegistryStore::SetDenied(int64_t id, DWORD denied) {
    Statement q(db_, "UPDATE reg_key SET denied = ? WHERE id = ?");
    return Error(q.Bind(static_cast<int64_t>(denied)).Bind(id).Step());
}

LONG RegistryStore::Touch(int64_t id) {
    Statement q(db_, "UPDATE reg_key SET written = ? WHERE id = ?");
    return Error(q.Bind(static_cast<int64_t>(std::time(nullptr))).Bind(id).Step());
}

LONG RegistryStore::GetValue(int64_t key, std::string_view name, RegistryValue* value) {
    Statement q(db_, "SELECT name, type, data FROM reg_value WHERE key = ? AND name = ?");
    int rc = q.Bind(key).Bind(name).Step();
    if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW) return Error(rc);
    *value = {q.Text(0), static_cast<DWORD>(q.Int(1)), q.Text(2)};
    return ERROR_SUCCESS;
}

LONG RegistryStore::SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data) {
    // An existing value keeps the case of its name.
    Statement update(db_, "UPDATE reg_value SET type = ?, data = ? WHERE key = ? AND name = ?");
    int rc = update.Bind(static_cast<int64_t>(type)).BindBlob(data).Bind(key).Bind(name).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    if (sqlite3_changes(db_) == 0) {
        Statement insert(db_, "INSERT INTO reg_value(key, name, type, data) VALUES(?, ?, ?, ?)");
        rc = insert.Bind(key).Bind(name).Bind(static_cast<int64_t>(type)).BindBlob(data).Step();
        if (rc != SQLITE_DONE) return Error(rc);
    }
    return Touch(key);
}

LONG RegistryStore::DeleteValue(int64_t key, std::string_view name) {
    Statement q(db_, "DELETE FROM reg_value WHERE key = ? AND name = ?");
    int rc = q.Bind(key).Bind(name).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    if (sqlite3_changes(db_) == 0) return ERROR_FILE_NOT_FOUND;
    return Touch(key);
}

LONG RegistryStore::ValueAt(int64_t key, DWORD index, RegistryValue* value) {
    Statement q(db_, "SELECT name, type, data FROM reg_value WHERE key = ? ORDER BY name LIMIT 1 OFFSET ?");
    int rc = q.Bind(key).Bind(static_cast<int64_t>(index)).Step();
    if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW) return Error(rc);
    *value = {q.Text(0), static_cast<DWORD>(q.Int(1)), q.Text(2)};
    return ERROR_SUCCESS;
}

LONG RegistryStore::Info(int64_t key, RegistryKeyInfo* info) {
    RegistryKeyRow row;
    LONG result = GetKey(key, &row);
    if (result != ERROR_SUCCESS) return result;
    info->written = row.written;
    Statement keys(db_, "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0) FROM reg_key WHERE parent = ?");
    int rc = keys.Bind(key).Step();
    if (rc != SQLITE_ROW) return Error(rc);
    info->subKeys = static_cast<DWORD>(keys.Int(0));
    info->maxSubKeyLength = static_cast<DWORD>(keys.Int(1));
    Statement values(db_,
                     "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), coalesce(max(length(data)), 0) "
                     "FROM reg_value WHERE key = ?");
    rc = values.Bind(key).Step();
    if (rc != SQLITE_ROW) return Error(rc);
    info->values = static_cast<DWORD>(values.Int(0));
    info->maxValueNameLength = static_cast<DWORD>(values.Int(1));
    info->maxValueLength = static_cast<DWORD>(values.Int(2));
    return ERROR_SUCCESS;
}

}  // namespace vpr::win
