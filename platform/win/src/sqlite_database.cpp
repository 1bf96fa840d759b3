#include "vpr/win/sqlite_database.h"

#include <sys/stat.h>
#include <unistd.h>

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "vpr/win/clock.h"

namespace vpr::win {

namespace {

// Waits between tries at a busy store, in milliseconds.
constexpr DWORD kBusyDelays[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};

// Waits for a lock another process holds, by the platform's clock, until the
// one busy timeout has passed.
int WaitWhileBusy(void* start, int count) {
    auto* since = static_cast<uint64_t*>(start);
    uint64_t now = CurrentClock()->TickMs();
    if (count == 0) *since = now;
    uint64_t waited = now - *since;
    if (waited >= kStoreBusyTimeoutMs) return 0;
    size_t step = static_cast<size_t>(count) < std::size(kBusyDelays) ? static_cast<size_t>(count)
                                                                       : std::size(kBusyDelays) - 1;
    // The last wait ends exactly at the timeout.
    Sleep(static_cast<DWORD>(std::min<uint64_t>(kBusyDelays[step], kStoreBusyTimeoutMs - waited)));
    return 1;
}

// This process's id, kept rather than asked of the kernel on every store call;
// a forked child learns its own at once.
std::atomic<pid_t> g_pid{::getpid()};

pid_t ThisProcess() {
    static const bool registered = [] {
        ::pthread_atfork(nullptr, nullptr, [] { g_pid.store(::getpid()); });
        g_pid.store(::getpid());
        return true;
    }();
    (void)registered;
    return g_pid.load(std::memory_order_relaxed);
}

bool Writable(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A path as an SQLite URI file name: characters that mean something in a URI
// are written as %XX.
std::string UriOf(const std::string& path, const char* query) {
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c < 0x20 || c >= 0x7F) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri + query;
}

}  // namespace

const char* StoreFaultText(StoreFault fault) {
    switch (fault) {
        case StoreFault::kNone: return "is in order";
        case StoreFault::kCannotOpen: return "cannot be opened";
        case StoreFault::kDamaged: return "is damaged";
        case StoreFault::kDiskFull: return "cannot grow: the disk is full";
        case StoreFault::kLocked: return "is locked by another process";
        case StoreFault::kReadOnly: return "is read-only";
        case StoreFault::kNoMemory: return "cannot be used: out of memory";
        case StoreFault::kIoError: return "cannot be read or written: the disk failed";
        case StoreFault::kTooBig: return "cannot hold a value that large";
    }
    return "failed";
}

StoreFault StoreFaultOf(int result) {
    switch (result & 0xFF) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE: return StoreFault::kNone;
        case SQLITE_FULL: return StoreFault::kDiskFull;
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return StoreFault::kLocked;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH: return StoreFault::kReadOnly;
        case SQLITE_CANTOPEN: return StoreFault::kCannotOpen;
        case SQLITE_NOMEM: return StoreFault::kNoMemory;
        case SQLITE_IOERR: return StoreFault::kIoError;
        case SQLITE_TOOBIG: return StoreFault::kTooBig;
        default: return StoreFault::kDamaged;  // CORRUPT, NOTADB, FORMAT, SCHEMA and the unexpected
    }
}

// ---- statements ----------------------------------------------------------

SqliteStatement::SqliteStatement(SqliteDatabase* owner, sqlite3_stmt* stmt, bool* inUse, int result)
    : owner_(owner), stmt_(stmt), inUse_(inUse), result_(result) {}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : owner_(other.owner_), stmt_(other.stmt_), inUse_(other.inUse_), result_(other.result_) {
    other.stmt_ = nullptr;
}

SqliteStatement::~SqliteStatement() {
    if (stmt_ != nullptr) owner_->Release(stmt_, inUse_);
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
    if (result_ == SQLITE_OK) result_ = sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
    if (result_ == SQLITE_OK) {
        result_ = sqlite3_bind_text64(stmt_, index, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT,
                                      SQLITE_UTF8);
    }
    return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, std::string_view bytes) {
    if (result_ == SQLITE_OK) {
        result_ = sqlite3_bind_blob64(stmt_, index, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    }
    return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, const std::vector<uint8_t>& bytes) {
    return BindBlob(index, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

int SqliteStatement::Step() {
    if (result_ != SQLITE_OK && result_ != SQLITE_ROW) return result_;
    result_ = sqlite3_step(stmt_);
    return result_;
}

void SqliteStatement::Reset() {
    if (stmt_ == nullptr) return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    result_ = SQLITE_OK;
}

int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

bool SqliteStatement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::string SqliteStatement::Bytes(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
}

std::vector<uint8_t> SqliteStatement::Blob(int column) const {
    auto data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
    int size = sqlite3_column_bytes(stmt_, column);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}

// ---- the connection -------------------------------------------------------

SqliteDatabase::SqliteDatabase(std::string path) : path_(std::move(path)) {}

SqliteDatabase::~SqliteDatabase() { Close(); }

void SqliteDatabase::Close() {
    // A connection made before a fork belongs to the parent: the child leaves
    // it alone rather than finish the parent's statements or write its files.
    if (db_ != nullptr && pid_ == ThisProcess()) {
        for (auto& [sql, entry] : cache_) sqlite3_finalize(entry.stmt);
        sqlite3_close_v2(db_);
    }
    cache_.clear();
    db_ = nullptr;
    readOnly_ = false;
}

StoreFault SqliteDatabase::Open(bool create, const std::function<StoreFault()>& check) {
    std::lock_guard lock(mutex_);
    if (db_ != nullptr && pid_ == ThisProcess()) return StoreFault::kNone;
    Close();
    struct stat st {};
    bool exists = ::stat(path_.c_str(), &st) == 0;
    if (!exists && !create) return StoreFault::kCannotOpen;
    bool folderWritable = Writable(FolderOf(path_));
    readOnly_ = exists ? !Writable(path_) || !folderWritable : false;
    std::string uri;
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    if (readOnly_) {
        // Reading a WAL database needs its shared-memory file; in a folder that
        // cannot take one the file is read as it stands.
        bool shm = ::access((path_ + "-shm").c_str(), F_OK) == 0;
        uri = UriOf(path_, folderWritable || shm ? "?mode=ro" : "?mode=ro&immutable=1");
        flags |= SQLITE_OPEN_READONLY;
    } else {
        uri = UriOf(path_, "");
        flags |= SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    }
    sqlite3* db = nullptr;
    int result = sqlite3_open_v2(uri.c_str(), &db, flags, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_close_v2(db);
        return StoreFaultOf(result);
    }
    db_ = db;
    pid_ = ThisProcess();
    sqlite3_busy_handler(db_, &WaitWhileBusy, &busyStart_);
    StoreFault fault = Exec("PRAGMA foreign_keys=ON");
    if (fault == StoreFault::kNone) fault = check();
    if (fault == StoreFault::kNone && !readOnly_) fault = Exec("PRAGMA journal_mode=WAL");
    if (fault == StoreFault::kNone && !readOnly_) fault = Exec("PRAGMA synchronous=NORMAL");
    if (fault == StoreFault::kNone) fault = Exec("PRAGMA mmap_size=268435456");
    if (fault != StoreFault::kNone) Close();
    return fault;
}

SqliteStatement SqliteDatabase::Prepare(const char* sql) {
    auto it = cache_.find(std::string_view(sql));
    if (it != cache_.end() && !it->second.inUse) {
        it->second.inUse = true;
        return SqliteStatement(this, it->second.stmt, &it->second.inUse, SQLITE_OK);
    }
    sqlite3_stmt* stmt = nullptr;
    int result = db_ != nullptr ? sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr)
                                : SQLITE_MISUSE;
    if (result != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return SqliteStatement(this, nullptr, nullptr, result);
    }
    if (it != cache_.end()) return SqliteStatement(this, stmt, nullptr, SQLITE_OK);
    // Map entries stay where they are, so the statement keeps its entry's mark.
    auto added = cache_.emplace(sql, CachedStatement{stmt, true}).first;
    return SqliteStatement(this, stmt, &added->second.inUse, SQLITE_OK);
}

void SqliteDatabase::Release(sqlite3_stmt* stmt, bool* inUse) {
    if (inUse == nullptr) {
        sqlite3_finalize(stmt);
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    *inUse = false;
}

StoreFault SqliteDatabase::Exec(const char* sql) {
    if (db_ == nullptr) return StoreFault::kCannotOpen;
    return StoreFaultOf(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr));
}

int64_t SqliteDatabase::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

int SqliteDatabase::Changes() const { return sqlite3_changes(db_); }

int SqliteDatabase::ReadBlob(const char* table, const char* column, int64_t row, std::vector<uint8_t>* bytes) {
    std::lock_guard lock(mutex_);
    sqlite3_blob* blob = nullptr;
    int result = sqlite3_blob_open(db_, "main", table, column, row, 0, &blob);
    if (result == SQLITE_OK) {
        bytes->resize(static_cast<size_t>(sqlite3_blob_bytes(blob)));
        if (!bytes->empty()) result = sqlite3_blob_read(blob, bytes->data(), static_cast<int>(bytes->size()), 0);
    }
    // Closed even when opening failed (a null handle is harmless).
    int closed = sqlite3_blob_close(blob);
    return result == SQLITE_OK ? closed : result;
}

StoreFault SqliteDatabase::Checkpoint() {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr || readOnly_) return StoreFault::kNone;
    return StoreFaultOf(sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr));
}

// ---- transactions ---------------------------------------------------------

// Transactions begin and end through the statement cache: they run on every
// store call, and compiling them each time would cost more than the call.
SqliteTransaction::SqliteTransaction(SqliteDatabase& db, bool write) : db_(db), lock_(db.mutex_) {
    outermost_ = db_.depth_++ == 0;
    if (outermost_) {
        status_ = db_.db_ == nullptr ? StoreFault::kCannotOpen : db_.Prepare(write ? "BEGIN IMMEDIATE" : "BEGIN").Run();
    }
}

SqliteTransaction::~SqliteTransaction() {
    --db_.depth_;
    if (outermost_ && status_ == StoreFault::kNone && !done_) db_.Prepare("ROLLBACK").Run();
}

StoreFault SqliteTransaction::Commit() {
    if (status_ != StoreFault::kNone || !outermost_) return status_;
    StoreFault fault = db_.Prepare("COMMIT").Run();
    done_ = fault == StoreFault::kNone;
    return fault;
}

}  // namespace vpr::win
