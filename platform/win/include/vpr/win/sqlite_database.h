// The one SQLite helper of the platform's stores (the registry, the directory
// trees). It opens a store file with the right flags, falls back to reading
// when the file or its folder is read-only, waits for other processes for one
// busy timeout, keeps each statement compiled once per connection, runs
// transactions as scopes, and tells failures apart once for every store.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vpr::win {

// Why a store call failed. Each store maps these to its own codes once.
enum class StoreFault {
    kNone,
    kCannotOpen,  // the file is missing or may not be opened
    kDamaged,     // not a database of this store, or damaged inside
    kDiskFull,
    kLocked,      // another process held the store for the whole busy timeout
    kReadOnly,    // a change to a store that is open for reading only
    kNoMemory,
    kIoError,     // the disk failed otherwise
    kTooBig,      // a value beyond what the store holds
};

// A sentence part for a fault: "is damaged", "is locked by another process"...
const char* StoreFaultText(StoreFault fault);
// The fault behind an SQLite result code (kNone for OK, ROW and DONE).
StoreFault StoreFaultOf(int sqliteResult);

// How long every store waits for a lock another process holds, counted by the
// platform's clock (vpr/win/clock.h).
constexpr uint64_t kStoreBusyTimeoutMs = 10000;

class SqliteDatabase;

// A statement from the connection's cache: compiled on first use, reset and
// unbound when this object goes. A statement of the same text that is still
// in use elsewhere (a recursion) is compiled anew for this use.
class SqliteStatement {
public:
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) = delete;
    ~SqliteStatement();

    // Parameters count from 1. A text or blob binds as itself, never as NULL.
    SqliteStatement& Bind(int index, int64_t value);
    SqliteStatement& Bind(int index, std::string_view text);
    SqliteStatement& BindBlob(int index, std::string_view bytes);
    SqliteStatement& BindBlob(int index, const std::vector<uint8_t>& bytes);

    // SQLITE_ROW, SQLITE_DONE or the error code (also of a failed bind or
    // compilation).
    int Step();
    // Runs a statement that returns no rows.
    StoreFault Run() { return StoreFaultOf(Step()); }
    // Makes the statement ready to run again with new bindings.
    void Reset();

    int64_t Int(int column) const;
    bool IsNull(int column) const;
    // A column's bytes, text or blob.
    std::string Bytes(int column) const;
    std::vector<uint8_t> Blob(int column) const;

private:
    friend class SqliteDatabase;
    SqliteStatement(SqliteDatabase* owner, sqlite3_stmt* stmt, bool* inUse, int result);

    SqliteDatabase* owner_;
    sqlite3_stmt* stmt_;
    bool* inUse_;  // the cache entry's mark; null for a statement compiled for this use only
    int result_;
};

class SqliteDatabase {
public:
    explicit SqliteDatabase(std::string path);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    const std::string& path() const { return path_; }

    // Opens the file once per process (a forked child opens its own
    // connection). A file that may be written, or a missing one with
    // `create`, opens for reading and writing; a file or folder without write
    // permission (as the host mode shows it, whoever runs) opens for reading
    // only. `check` runs on a new connection before anything is written: it
    // tells whether the file is the store's own (making the schema of a new
    // one); only then does the connection switch to WAL mode. Foreign keys are
    // on, and the file is read through a memory map, so that a large value
    // (a template stream of megabytes) is not read page by page through
    // system calls. An open connection answers kNone at once.
    StoreFault Open(bool create, const std::function<StoreFault()>& check);
    bool readOnly() const { return readOnly_; }

    // The connection's lock: every use of the connection holds it.
    std::recursive_mutex& mutex() { return mutex_; }

    SqliteStatement Prepare(const char* sql);
    // Runs statements that return no rows.
    StoreFault Exec(const char* sql);
    int64_t LastInsertId() const;
    int Changes() const;
    // Reads a blob of `table`.`column` in row `row` straight into `bytes`,
    // without the copy a statement's column makes of a large value first.
    // Answers an SQLite result code; SQLITE_ERROR when the value is no blob.
    int ReadBlob(const char* table, const char* column, int64_t row, std::vector<uint8_t>* bytes);
    // Copies what the write-ahead log holds into the database file.
    StoreFault Checkpoint();

    // The connection, for tests that shrink its limits.
    sqlite3* handle() const { return db_; }

private:
    friend class SqliteStatement;
    friend class SqliteTransaction;
    struct CachedStatement {
        sqlite3_stmt* stmt = nullptr;
        bool inUse = false;
    };
    void Release(sqlite3_stmt* stmt, bool* inUse);
    void Close();

    std::string path_;
    std::recursive_mutex mutex_;
    sqlite3* db_ = nullptr;
    pid_t pid_ = 0;  // the process that opened db_
    bool readOnly_ = false;
    int depth_ = 0;  // transactions open on this connection
    uint64_t busyStart_ = 0;  // tick of the first try at a busy store
    std::map<std::string, CachedStatement, std::less<>> cache_;
};

// One transaction as a scope: it holds the connection's lock, begins (a write
// transaction takes the write lock at once), and rolls back unless Commit
// succeeded. A transaction opened inside another joins it: only the
// outermost begins and ends.
class SqliteTransaction {
public:
    SqliteTransaction(SqliteDatabase& db, bool write);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // Whether the transaction began.
    StoreFault status() const { return status_; }
    StoreFault Commit();

private:
    SqliteDatabase& db_;
    std::unique_lock<std::recursive_mutex> lock_;
    bool outermost_ = false;
    bool done_ = false;
    StoreFault status_ = StoreFault::kNone;
};

}  // namespace vpr::win
