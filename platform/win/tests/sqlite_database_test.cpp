// The stores' SQLite helper: statements, transactions, read-only files and
// the failures it tells apart.
#include "vpr/win/sqlite_database.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "vpr/win/clock.h"

namespace fs = std::filesystem;
using vpr::win::SqliteDatabase;
using vpr::win::SqliteStatement;
using vpr::win::SqliteTransaction;
using vpr::win::StoreFault;

namespace {

// A store of one table; a file with another table is not its own.
StoreFault CheckSchema(SqliteDatabase& db) {
    auto count = db.Prepare("SELECT count(*) FROM sqlite_master WHERE name = 'item'");
    if (count.Step() != SQLITE_ROW) return StoreFault::kDamaged;
    if (count.Int(0) == 1) return StoreFault::kNone;
    auto any = db.Prepare("SELECT count(*) FROM sqlite_master");
    if (any.Step() != SQLITE_ROW || any.Int(0) != 0) return StoreFault::kDamaged;
    return db.Exec("CREATE TABLE item(id INTEGER PRIMARY KEY, name TEXT, data BLOB)");
}

class SqliteDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vpr-sqlite-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        path_ = (dir_ / "store.db").string();
    }
    void TearDown() override {
        vpr::win::SetClock(nullptr);
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    static StoreFault Open(SqliteDatabase& db, bool create = true) {
        return db.Open(create, [&] { return CheckSchema(db); });
    }
    static StoreFault Insert(SqliteDatabase& db, int64_t id, const std::string& name) {
        SqliteTransaction tx(db, true);
        if (tx.status() != StoreFault::kNone) return tx.status();
        StoreFault fault = db.Prepare("INSERT INTO item(id, name) VALUES(?, ?)").Bind(1, id).Bind(2, name).Run();
        return fault != StoreFault::kNone ? fault : tx.Commit();
    }
    static int64_t Count(SqliteDatabase& db) {
        SqliteTransaction tx(db, false);
        auto count = db.Prepare("SELECT count(*) FROM item");
        return count.Step() == SQLITE_ROW ? count.Int(0) : -1;
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(SqliteDatabaseTest, StatementsAreKeptAndComeBackClean) {
    SqliteDatabase db(path_);
    ASSERT_EQ(Open(db), StoreFault::kNone);
    ASSERT_EQ(Insert(db, 1, "one"), StoreFault::kNone);
    ASSERT_EQ(Insert(db, 2, "two"), StoreFault::kNone);
    const char* byId = "SELECT name FROM item WHERE id = ?";
    {
        // The same text in use twice at once: each use has its own.
        auto outer = db.Prepare(byId);
        ASSERT_EQ(outer.Bind(1, 1).Step(), SQLITE_ROW);
        auto inner = db.Prepare(byId);
        ASSERT_EQ(inner.Bind(1, 2).Step(), SQLITE_ROW);
        EXPECT_EQ(outer.Bytes(0), "one");
        EXPECT_EQ(inner.Bytes(0), "two");
    }
    // A statement taken again has lost its bindings: ? is NULL, no row.
    auto again = db.Prepare(byId);
    EXPECT_EQ(again.Step(), SQLITE_DONE);
    again.Reset();
    ASSERT_EQ(again.Bind(1, 2).Step(), SQLITE_ROW);
    EXPECT_EQ(again.Bytes(0), "two");
    // Text and blobs bind as themselves, empty ones too.
    auto empty = db.Prepare("SELECT typeof(?), typeof(?), length(?)");
    ASSERT_EQ(empty.Bind(1, std::string_view()).BindBlob(2, std::string_view()).BindBlob(3, std::string_view("a\0b", 3)).Step(),
              SQLITE_ROW);
    EXPECT_EQ(empty.Bytes(0), "text");
    EXPECT_EQ(empty.Bytes(1), "blob");
    EXPECT_EQ(empty.Int(2), 3);
    // A statement that does not compile reports it when run.
    EXPECT_EQ(db.Prepare("SELECT nothing FROM nowhere").Run(), StoreFault::kDamaged);
}

TEST_F(SqliteDatabaseTest, TransactionsAreScopes) {
    SqliteDatabase db(path_);
    ASSERT_EQ(Open(db), StoreFault::kNone);
    {
        SqliteTransaction tx(db, true);
        ASSERT_EQ(db.Prepare("INSERT INTO item(id) VALUES(1)").Run(), StoreFault::kNone);
    }  // not committed: rolled back
    EXPECT_EQ(Count(db), 0);
    {
        SqliteTransaction outer(db, true);
        {
            // An inner scope joins the outer one; its commit ends nothing.
            SqliteTransaction inner(db, true);
            ASSERT_EQ(db.Prepare("INSERT INTO item(id) VALUES(2)").Run(), StoreFault::kNone);
            EXPECT_EQ(inner.Commit(), StoreFault::kNone);
        }
    }
    EXPECT_EQ(Count(db), 0);
    {
        SqliteTransaction outer(db, true);
        ASSERT_EQ(db.Prepare("INSERT INTO item(id) VALUES(3)").Run(), StoreFault::kNone);
        EXPECT_EQ(outer.Commit(), StoreFault::kNone);
    }
    EXPECT_EQ(Count(db), 1);
}

TEST_F(SqliteDatabaseTest, AReadOnlyFileOrFolderIsOpenedForReading) {
    {
        SqliteDatabase db(path_);
        ASSERT_EQ(Open(db), StoreFault::kNone);
        ASSERT_EQ(Insert(db, 1, "kept"), StoreFault::kNone);
    }
    struct Case {
        const char* what;
        fs::perms file;
        fs::perms folder;
    } cases[] = {
        {"read-only file", fs::perms::owner_read | fs::perms::group_read, fs::perms::owner_all},
        {"read-only folder", fs::perms::owner_read | fs::perms::owner_write,
         fs::perms::owner_read | fs::perms::owner_exec},
    };
    for (const Case& c : cases) {
        // The files beside it were removed with the last connection.
        ASSERT_FALSE(fs::exists(path_ + "-shm")) << c.what;
        fs::permissions(path_, c.file);
        fs::permissions(dir_, c.folder);
        {
            SqliteDatabase db(path_);
            ASSERT_EQ(Open(db, false), StoreFault::kNone) << c.what;
            EXPECT_TRUE(db.readOnly()) << c.what;
            EXPECT_EQ(Count(db), 1) << c.what;
            EXPECT_EQ(Insert(db, 2, "refused"), StoreFault::kReadOnly) << c.what;
        }
        fs::permissions(dir_, fs::perms::owner_all);
        fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
        // A reader cannot clear the files it made beside the store.
        fs::remove(path_ + "-shm");
        fs::remove(path_ + "-wal");
    }
    SqliteDatabase db(path_);
    ASSERT_EQ(Open(db, false), StoreFault::kNone);
    EXPECT_FALSE(db.readOnly());
    EXPECT_EQ(Count(db), 1);
}

TEST_F(SqliteDatabaseTest, FailuresAreToldApart) {
    // A missing file without create; a file of noise; another store's file.
    SqliteDatabase missing((dir_ / "missing.db").string());
    EXPECT_EQ(Open(missing, false), StoreFault::kCannotOpen);
    EXPECT_FALSE(fs::exists(dir_ / "missing.db"));
    std::ofstream(dir_ / "noise.db") << std::string(8192, 'Z');
    SqliteDatabase noise((dir_ / "noise.db").string());
    EXPECT_EQ(Open(noise), StoreFault::kDamaged);
    {
        SqliteDatabase other((dir_ / "other.db").string());
        ASSERT_EQ(other.Open(true, [&] { return other.Exec("CREATE TABLE t(x)"); }), StoreFault::kNone);
    }
    SqliteDatabase foreign((dir_ / "other.db").string());
    EXPECT_EQ(Open(foreign), StoreFault::kDamaged);

    // A disk that takes no more pages.
    SqliteDatabase db(path_);
    ASSERT_EQ(Open(db), StoreFault::kNone);
    ASSERT_EQ(db.Exec("PRAGMA max_page_count = 4"), StoreFault::kNone);
    {
        SqliteTransaction tx(db, true);
        auto insert = db.Prepare("INSERT INTO item(id, data) VALUES(1, ?)");
        EXPECT_EQ(insert.BindBlob(1, std::string(100000, 'x')).Run(), StoreFault::kDiskFull);
    }

    // Every fault has its own words.
    std::set<std::string> texts;
    for (StoreFault fault : {StoreFault::kCannotOpen, StoreFault::kDamaged, StoreFault::kDiskFull,
                             StoreFault::kLocked, StoreFault::kReadOnly, StoreFault::kNoMemory,
                             StoreFault::kIoError, StoreFault::kTooBig}) {
        texts.insert(vpr::win::StoreFaultText(fault));
    }
    EXPECT_EQ(texts.size(), 8u);
}

TEST_F(SqliteDatabaseTest, AStoreHeldByAnotherIsLockedAfterTheOneBusyTimeout) {
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    SqliteDatabase holder(path_);
    ASSERT_EQ(Open(holder), StoreFault::kNone);
    SqliteDatabase waiter(path_);
    ASSERT_EQ(Open(waiter), StoreFault::kNone);

    SqliteTransaction held(holder, true);
    ASSERT_EQ(held.status(), StoreFault::kNone);
    std::atomic<bool> done{false};
    StoreFault fault = StoreFault::kNone;
    std::thread writer([&] {
        fault = Insert(waiter, 1, "late");
        done = true;
    });
    clock->WaitForTimedWaiters(1);
    clock->Advance(vpr::win::kStoreBusyTimeoutMs - 1);
    clock->WaitForTimedWaiters(1);  // still waiting, one millisecond short
    EXPECT_FALSE(done);
    clock->Advance(1);
    writer.join();
    EXPECT_EQ(fault, StoreFault::kLocked);
}

}  // namespace
