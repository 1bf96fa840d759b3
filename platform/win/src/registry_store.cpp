#include "registry_store.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "vpr/win/clock.h"
#include "vpr/win/error.h"
#include "vpr/win/registry.h"

namespace vpr::win {

namespace {

// "VPRR": marks a database as a registry file of ours.
constexpr int kApplicationId = 0x56505252;

const char kSchema[] =
    "CREATE TABLE reg_key("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  denied INTEGER NOT NULL DEFAULT 0,"
    "  written INTEGER NOT NULL DEFAULT 0,"
    "  class TEXT NOT NULL DEFAULT '',"
    "  UNIQUE(parent, name));"
    "CREATE TABLE reg_value("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, name)) WITHOUT ROWID;"
    "INSERT INTO reg_key(id, parent, name) VALUES(1, 0, 'HKEY_LOCAL_MACHINE'), (2, 0, 'HKEY_USERS');"
    "PRAGMA application_id = 1448104530;"
    "PRAGMA user_version = 1;";

// Files made before keys had classes get the column.
const char kAddClasses[] =
    "ALTER TABLE reg_key ADD COLUMN class TEXT NOT NULL DEFAULT '';"
    "PRAGMA user_version = 1;";

}  // namespace

// The change counters of a registry file: a page of counters in a file
// beside it ("registry.db-changes"), mapped by every process that uses the
// file. A committed change to a key adds one to the counter of its slot, so a
// process that kept a key's subkeys or values sees at the cost of one memory
// read whether they may have changed since; keys that share a slot only
// refresh each other's copies more often.
class RegistryStore::ChangeCounters {
public:
    static constexpr size_t kSlots = 512;

    // Maps the file, made when missing; null when it cannot be mapped.
    static std::unique_ptr<ChangeCounters> Map(const std::string& path, bool readOnly) {
        int fd = ::open(path.c_str(), readOnly ? O_RDONLY | O_CLOEXEC : O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return nullptr;
        struct stat st {};
        constexpr off_t kSize = kSlots * sizeof(uint64_t);
        bool sized = ::fstat(fd, &st) == 0 && (st.st_size >= kSize || (!readOnly && ::ftruncate(fd, kSize) == 0));
        void* page = sized ? ::mmap(nullptr, kSize, readOnly ? PROT_READ : PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                           : MAP_FAILED;
        ::close(fd);
        if (page == MAP_FAILED) return nullptr;
        return std::unique_ptr<ChangeCounters>(new ChangeCounters(static_cast<uint64_t*>(page), readOnly));
    }
    ~ChangeCounters() { ::munmap(slots_, kSlots * sizeof(uint64_t)); }

    uint64_t Read(int64_t id) const { return std::atomic_ref<uint64_t>(Slot(id)).load(std::memory_order_acquire); }
    void Add(int64_t id) {
        if (!readOnly_) std::atomic_ref<uint64_t>(Slot(id)).fetch_add(1, std::memory_order_acq_rel);
    }

private:
    ChangeCounters(uint64_t* slots, bool readOnly) : slots_(slots), readOnly_(readOnly) {}
    uint64_t& Slot(int64_t id) const { return slots_[static_cast<uint64_t>(id) % kSlots]; }

    uint64_t* slots_;
    bool readOnly_;
};

RegistryStore::RegistryStore(std::string path) : db_(std::move(path)) {}

RegistryStore::~RegistryStore() = default;

LONG RegistryStore::ErrorOf(StoreFault fault) {
    switch (fault) {
        case StoreFault::kNone: return ERROR_SUCCESS;
        case StoreFault::kCannotOpen: return ERROR_CANTOPEN;
        case StoreFault::kDamaged: return ERROR_BADDB;
        case StoreFault::kDiskFull: return ERROR_DISK_FULL;
        case StoreFault::kLocked: return ERROR_LOCK_VIOLATION;
        case StoreFault::kReadOnly: return ERROR_ACCESS_DENIED;
        case StoreFault::kNoMemory: return ERROR_NOT_ENOUGH_MEMORY;
        case StoreFault::kIoError: return ERROR_CANTWRITE;
        case StoreFault::kTooBig: return ERROR_INVALID_PARAMETER;
    }
    return ERROR_BADDB;
}

LONG RegistryStore::Connect() {
    LONG result = ERROR_SUCCESS;
    StoreFault fault = db_.Open(true, [&] {
        result = CheckFile();
        return result == ERROR_SUCCESS ? StoreFault::kNone : StoreFault::kDamaged;
    });
    if (result != ERROR_SUCCESS) return result;
    if (fault == StoreFault::kNone && !countersTried_) {
        countersTried_ = true;
        counters_ = ChangeCounters::Map(db_.path() + "-changes", db_.readOnly());
    }
    return ErrorOf(fault);
}

LONG RegistryStore::CheckFile() {
    bool fresh = false;
    StoreFault fault = StoreFault::kNone;

    // A file that is not an SQLite database fails here, before anything is
    // written; one that is another program's database is refused as well.
    int64_t id = 0;
    {
        auto query = db_.Prepare("PRAGMA application_id");
        int rc = query.Step();
        if (rc != SQLITE_ROW) return Error(rc);
        id = query.Int(0);
    }
    if (id == kApplicationId) return Upgrade();
    if (id != 0 || db_.readOnly()) return ERROR_BADDB;
    SqliteTransaction tx(db_, true);
    if (tx.status() != StoreFault::kNone) return ErrorOf(tx.status());
    {
        auto count = db_.Prepare("SELECT count(*) FROM sqlite_master");
        int rc = count.Step();
        if (rc != SQLITE_ROW) return Error(rc);
        fresh = count.Int(0) == 0;
    }
    if (fresh) {
        fault = db_.Exec(kSchema);
        if (fault == StoreFault::kNone) fault = tx.Commit();
        return ErrorOf(fault);
    }
    // Another process may have made it meanwhile.
    auto again = db_.Prepare("PRAGMA application_id");
    return again.Step() == SQLITE_ROW && again.Int(0) == kApplicationId ? ERROR_SUCCESS : ERROR_BADDB;
}

LONG RegistryStore::Upgrade() {
    int64_t version = 0;
    LONG result = SchemaVersion(&version);
    if (result != ERROR_SUCCESS || version >= 1 || db_.readOnly()) return result;  // a read-only file is read as it stands
    SqliteTransaction tx(db_, true);
    if (tx.status() != StoreFault::kNone) return ErrorOf(tx.status());
    result = SchemaVersion(&version);  // another process may have done it meanwhile
    if (result != ERROR_SUCCESS || version >= 1) return result;
    StoreFault fault = db_.Exec(kAddClasses);
    return ErrorOf(fault == StoreFault::kNone ? tx.Commit() : fault);
}

LONG RegistryStore::SchemaVersion(int64_t* version) {
    auto query = db_.Prepare("PRAGMA user_version");
    int rc = query.Step();
    if (rc != SQLITE_ROW) return Error(rc);
    *version = query.Int(0);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Run(bool write, const std::function<LONG()>& body) {
    std::lock_guard lock(db_.mutex());
    LONG result = Connect();
    if (result != ERROR_SUCCESS) return result;
    ++runs_;
    {
        SqliteTransaction tx(db_, write);
        result = tx.status() != StoreFault::kNone ? ErrorOf(tx.status()) : body();
        if (result == ERROR_SUCCESS) result = ErrorOf(tx.Commit());
    }
    // The outermost run tells other readers of the changed keys once its
    // transaction has ended, committed or not.
    if (--runs_ == 0) {
        if (counters_) {
            for (int64_t id : changed_) counters_->Add(id);
        }
        changed_.clear();
    }
    return result;
}

std::optional<uint64_t> RegistryStore::ChangeStamp(int64_t id) {
    std::lock_guard lock(db_.mutex());
    if (Connect() != ERROR_SUCCESS || !counters_) return std::nullopt;
    return counters_->Read(id);
}

LONG RegistryStore::Flush() {
    std::lock_guard lock(db_.mutex());
    LONG result = Connect();
    return result != ERROR_SUCCESS ? result : ErrorOf(db_.Checkpoint());
}

namespace {

// Column list of a key row, in the order ReadKey takes them.
#define KEY_COLUMNS "id, name, denied, written, class"

RegistryKeyRow ReadKey(const SqliteStatement& q) {
    return {q.Int(0), q.Bytes(1), static_cast<DWORD>(q.Int(2)), q.Int(3), q.Bytes(4)};
}

RegistryValue ReadValue(const SqliteStatement& q) {
    return {q.Bytes(0), static_cast<DWORD>(q.Int(1)), q.Bytes(2)};
}

}  // namespace

LONG RegistryStore::GetKey(int64_t id, RegistryKeyRow* row) {
    auto q = db_.Prepare("SELECT " KEY_COLUMNS " FROM reg_key WHERE id = ?");
    int rc = q.Bind(1, id).Step();
    if (rc == SQLITE_DONE) return ERROR_KEY_DELETED;
    if (rc != SQLITE_ROW) return Error(rc);
    *row = ReadKey(q);
    return ERROR_SUCCESS;
}

LONG RegistryStore::FindChild(int64_t parent, std::string_view name, RegistryKeyRow* row) {
    auto q = db_.Prepare("SELECT " KEY_COLUMNS " FROM reg_key WHERE parent = ? AND name = ?");
    int rc = q.Bind(1, parent).Bind(2, name).Step();
    if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW) return Error(rc);
    *row = ReadKey(q);
    return ERROR_SUCCESS;
}

LONG RegistryStore::AddChild(int64_t parent, std::string_view name, std::string_view keyClass, int64_t* id) {
    auto q = db_.Prepare("INSERT INTO reg_key(parent, name, written, class) VALUES(?, ?, ?, ?)");
    int rc = q.Bind(1, parent).Bind(2, name).Bind(3, CurrentTime()).Bind(4, keyClass).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    *id = db_.LastInsertId();
    return Touch(parent);
}

LONG RegistryStore::Children(int64_t parent, std::vector<RegistryKeyRow>* rows) {
    rows->clear();
    auto q = db_.Prepare("SELECT " KEY_COLUMNS " FROM reg_key WHERE parent = ? ORDER BY name");
    q.Bind(1, parent);
    int rc;
    while ((rc = q.Step()) == SQLITE_ROW) rows->push_back(ReadKey(q));
    return rc == SQLITE_DONE ? ERROR_SUCCESS : Error(rc);
}

LONG RegistryStore::ChildAt(int64_t parent, DWORD index, RegistryKeyRow* row) {
    auto q = db_.Prepare("SELECT " KEY_COLUMNS " FROM reg_key WHERE parent = ? ORDER BY name LIMIT 1 OFFSET ?");
    int rc = q.Bind(1, parent).Bind(2, static_cast<int64_t>(index)).Step();
    if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW) return Error(rc);
    *row = ReadKey(q);
    return ERROR_SUCCESS;
}

LONG RegistryStore::DeleteKey(int64_t id) {
    auto values = db_.Prepare("DELETE FROM reg_value WHERE key = ?");
    int rc = values.Bind(1, id).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    auto parent = db_.Prepare("SELECT parent FROM reg_key WHERE id = ?");
    rc = parent.Bind(1, id).Step();
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? ERROR_KEY_DELETED : Error(rc);
    int64_t parentId = parent.Int(0);
    auto key = db_.Prepare("DELETE FROM reg_key WHERE id = ?");
    rc = key.Bind(1, id).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    Changed(id);
    return Touch(parentId);
}

LONG RegistryStore::SetDenied(int64_t id, DWORD denied) {
    auto q = db_.Prepare("UPDATE reg_key SET denied = ? WHERE id = ?");
    return Error(q.Bind(1, static_cast<int64_t>(denied)).Bind(2, id).Step());
}

// The key's last write time is listed with its parent's subkeys, so both
// count as changed.
LONG RegistryStore::Touch(int64_t id) {
    auto q = db_.Prepare("UPDATE reg_key SET written = ? WHERE id = ? RETURNING parent");
    int rc = q.Bind(1, CurrentTime()).Bind(2, id).Step();
    if (rc == SQLITE_ROW) {
        Changed(id);
        Changed(q.Int(0));
        rc = q.Step();
    }
    return Error(rc);
}

LONG RegistryStore::GetValue(int64_t key, std::string_view name, RegistryValue* value) {
    auto q = db_.Prepare("SELECT name, type, data FROM reg_value WHERE key = ? AND name = ?");
    int rc = q.Bind(1, key).Bind(2, name).Step();
    if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW) return Error(rc);
    *value = ReadValue(q);
    return ERROR_SUCCESS;
}

LONG RegistryStore::SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data) {
    // An existing value keeps the case of its name.
    auto update = db_.Prepare("UPDATE reg_value SET type = ?, data = ? WHERE key = ? AND name = ?");
    int rc = update.Bind(1, static_cast<int64_t>(type)).BindBlob(2, data).Bind(3, key).Bind(4, name).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    if (db_.Changes() == 0) {
        auto insert = db_.Prepare("INSERT INTO reg_value(key, name, type, data) VALUES(?, ?, ?, ?)");
        rc = insert.Bind(1, key).Bind(2, name).Bind(3, static_cast<int64_t>(type)).BindBlob(4, data).Step();
        if (rc != SQLITE_DONE) return Error(rc);
    }
    return Touch(key);
}

LONG RegistryStore::DeleteValue(int64_t key, std::string_view name) {
    auto q = db_.Prepare("DELETE FROM reg_value WHERE key = ? AND name = ?");
    int rc = q.Bind(1, key).Bind(2, name).Step();
    if (rc != SQLITE_DONE) return Error(rc);
    if (db_.Changes() == 0) return ERROR_FILE_NOT_FOUND;
    return Touch(key);
}

LONG RegistryStore::ValueAt(int64_t key, DWORD index, RegistryValue* value) {
    auto q = db_.Prepare("SELECT name, type, data FROM reg_value WHERE key = ? ORDER BY name LIMIT 1 OFFSET ?");
    int rc = q.Bind(1, key).Bind(2, static_cast<int64_t>(index)).Step();
    if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW) return Error(rc);
    *value = ReadValue(q);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Values(int64_t key, std::vector<RegistryValue>* values) {
    values->clear();
    auto q = db_.Prepare("SELECT name, type, data FROM reg_value WHERE key = ? ORDER BY name");
    q.Bind(1, key);
    int rc;
    while ((rc = q.Step()) == SQLITE_ROW) values->push_back(ReadValue(q));
    return rc == SQLITE_DONE ? ERROR_SUCCESS : Error(rc);
}

LONG RegistryStore::Info(int64_t key, RegistryKeyInfo* info) {
    RegistryKeyRow row;
    LONG result = GetKey(key, &row);
    if (result != ERROR_SUCCESS) return result;
    *info = RegistryKeyInfo{};
    info->written = row.written;
    info->keyClass = row.keyClass;
    auto keys = db_.Prepare("SELECT name, class FROM reg_key WHERE parent = ?");
    keys.Bind(1, key);
    int rc;
    while ((rc = keys.Step()) == SQLITE_ROW) {
        ++info->subKeys;
        info->subKeyNames.push_back(keys.Bytes(0));
        info->subKeyClasses.push_back(keys.Bytes(1));
    }
    if (rc != SQLITE_DONE) return Error(rc);
    auto values = db_.Prepare("SELECT name, type, data FROM reg_value WHERE key = ?");
    values.Bind(1, key);
    while ((rc = values.Step()) == SQLITE_ROW) info->values.push_back(ReadValue(values));
    return rc == SQLITE_DONE ? ERROR_SUCCESS : Error(rc);
}

}  // namespace vpr::win
