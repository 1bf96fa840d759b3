// The store file itself: shared by processes, damaged files, the check.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <thread>

#include "vpr/testing/child_processes.h"
#include "vpr/directory/client.h"
#include "vpr/directory/tree_admin.h"
#include "vpr/directory/trees.h"
#include "vpr/directory/value_codec.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/win/clock.h"
#include "vpr/win/sqlite_database.h"

namespace vpr::directory {
namespace {

// Each child process adds its own numbers to one attribute through the
// client calls, one modify request per number.
TEST(StoreTest, TwoProcessesWritingOneTreeLoseNothing) {
    vpr::testing::TempTree tree;
    tree.Org("acme").User("jdoe.acme").LogIn("jdoe.acme");
    tree.Grant("jdoe.acme", "jdoe.acme", "Telephone Number", DIR_ATTR_WRITE);
    constexpr int kPerChild = 25;
    ASSERT_TRUE(vpr::testing::RunInChildProcesses(2, [&](int child) {
        DIR_CONTEXT ctx = DirCreateContext();
        int failures = ctx > 0 ? 0 : 1;
        DirBuffer* buf = nullptr;
        DirAllocBuffer(0x4000, &buf);
        for (int i = 0; i < kPerChild; ++i) {
            std::string phone = std::to_string(child) + "-" + std::to_string(i);
            int status = DirInitRequest(ctx, DIR_OP_MODIFY, buf);
            if (status == 0) status = DirPutChange(ctx, buf, DIR_CHANGE_ADD_VALUE, "Telephone Number");
            if (status == 0) status = DirPutValue(ctx, buf, DIR_SYNTAX_TEL_NUMBER, phone.c_str());
            if (status == 0) status = DirModifyObject(ctx, "jdoe.acme", nullptr, 0, buf);
            failures += status != 0;
        }
        DirFreeBuffer(buf);
        return failures == 0;
    }));
    std::vector<AttributeValues> values;
    ASSERT_EQ(tree.store().ReadValues({"jdoe", "acme"}, {"Telephone Number"}, &values), DIR_SUCCESS);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].values.size(), 2u * kPerChild);
}

TEST(StoreTest, DamagedOrForeignFileIsRefusedAndLeftAlone) {
    vpr::testing::TempTree tree;
    std::string path = tree.path() + ".broken";
    {
        std::ofstream out(path, std::ios::binary);
        out << "this is not a tree store at all, just some text that fills a page";
    }
    std::shared_ptr<Store> store;
    EXPECT_EQ(Store::Open(path, &store), DIR_ERR_STORE_DAMAGED);
    EXPECT_EQ(Store::Open(tree.path() + ".missing", &store), DIR_ERR_STORE);
    EXPECT_EQ(Store::Create(tree.path(), "AGAIN", &store), DIR_ERR_STORE);  // never overwritten
    EXPECT_EQ(Store::Create(path + "2", "BAD.NAME", &store), DIR_ERR_BAD_NAME);

    SetAttachedTrees(std::vector<AttachedTree>{{"BROKEN", path, "x.acme", true}});
    DIR_CONTEXT ctx = DirCreateContext();
    ASSERT_GT(ctx, 0);
    EXPECT_EQ(DirIsContextAuthenticated(ctx), 0);
    DirObjectInfo info;
    EXPECT_EQ(DirReadObjectInfo(ctx, "[Root]", nullptr, &info), DIR_ERR_STORE_DAMAGED);
    DirFreeContext(ctx);
    std::ifstream in(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "this is not a tree store at all, just some text that fills a page");
}

// A store whose file may not be written is read; a change to it, a disk that
// takes no more pages and a store another process holds past the one busy
// timeout each fail with their own status and leave what was stored.
TEST(StoreTest, ReadOnlyDiskFullAndLockedStoresAreToldApart) {
    vpr::testing::TempTree tree;
    tree.Org("acme").User("jdoe.acme").Set("jdoe.acme", "Description", {"kept"});
    std::string readOnlyPath = tree.path() + ".read-only";
    {
        std::shared_ptr<Store> made;
        ASSERT_EQ(Store::Create(readOnlyPath, "READ_ONLY", &made), DIR_SUCCESS);
        ASSERT_EQ(AddObjectFromText(*made, "acme", "Organization", {}), DIR_SUCCESS);
    }  // the last connection leaves everything in the file itself
    ASSERT_EQ(chmod(readOnlyPath.c_str(), 0444), 0);
    std::shared_ptr<Store> readOnly;
    ASSERT_EQ(Store::Open(readOnlyPath, &readOnly), DIR_SUCCESS);
    ObjectRecord acme;
    EXPECT_EQ(readOnly->FindObject({"acme"}, &acme), DIR_SUCCESS);
    EXPECT_EQ(AddObjectFromText(*readOnly, "sales.acme", "Organizational Unit", {}), DIR_ERR_STORE_READ_ONLY);
    EXPECT_EQ(readOnly->FindObject({"sales", "acme"}, &acme), DIR_ERR_NO_SUCH_OBJECT);
    readOnly.reset();

    Store& store = tree.store();
    std::string limit;
    {
        auto pages = store.database().Prepare("PRAGMA page_count");
        ASSERT_EQ(pages.Step(), SQLITE_ROW);
        limit = "PRAGMA max_page_count = " + std::to_string(pages.Int(0));
    }
    ASSERT_EQ(store.database().Exec(limit.c_str()), vpr::win::StoreFault::kNone);
    EXPECT_EQ(SetValuesFromText(store, "jdoe.acme", "Description", {std::string(200000, 'x')}),
              DIR_ERR_DISK_FULL);
    ASSERT_EQ(store.database().Exec("PRAGMA max_page_count = 1073741823"), vpr::win::StoreFault::kNone);
    EXPECT_EQ(tree.Text("jdoe.acme", "Description"), "kept");

    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    sqlite3* holder = nullptr;  // another process's connection, holding the write lock
    ASSERT_EQ(sqlite3_open(tree.path().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    int status = DIR_SUCCESS;
    std::thread writer([&] { status = SetValuesFromText(store, "jdoe.acme", "Description", {"late"}); });
    clock->WaitForTimedWaiters(1);
    clock->Advance(vpr::win::kStoreBusyTimeoutMs);
    writer.join();
    EXPECT_EQ(status, DIR_ERR_STORE_LOCKED);
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    vpr::win::SetClock(nullptr);
    EXPECT_EQ(tree.Text("jdoe.acme", "Description"), "kept");

    // Each has its own words.
    std::set<std::string> texts;
    for (int code : {DIR_ERR_STORE, DIR_ERR_STORE_DAMAGED, DIR_ERR_STORE_LOCKED, DIR_ERR_DISK_FULL,
                     DIR_ERR_STORE_READ_ONLY})
        texts.insert(StatusText(code));
    EXPECT_EQ(texts.size(), 5u);
}

TEST(StoreTest, CheckFindsValuesThatBreakTheSchema) {
    vpr::testing::TempTree tree;
    tree.Org("acme").User("jdoe.acme", "John");
    std::vector<std::string> problems;
    ASSERT_EQ(tree.store().Check(&problems), DIR_SUCCESS);
    EXPECT_TRUE(problems.empty());
    // Rows written behind the store's back: a value of another syntax, one of
    // an attribute users do not have, and a value of an unknown attribute.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(tree.path().c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    EXPECT_EQ(sqlite3_exec(db,
                           "INSERT INTO object_values(object, attribute, syntax, data) SELECT id, "
                           "'Title', 8, x'01000000' FROM objects WHERE name = 'jdoe';"
                           "INSERT INTO object_values(object, attribute, syntax, data) SELECT id, "
                           "'Member', 1, CAST('acme' AS BLOB) FROM objects WHERE name = 'jdoe';"
                           "INSERT INTO object_values(object, attribute, syntax, data) VALUES "
                           "(1, 'Nothing', 3, x'00');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_EQ(tree.store().Check(&problems), DIR_SUCCESS);
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "jdoe.acme: \"Member\" is not an attribute of its class",
                            "jdoe.acme: \"Title\" holds a value of syntax 8",
                            "1 values of unknown attributes or missing objects"}));
}

TEST(StoreTest, SchemaExtensionAddsClassesAndAttributesOnce) {
    vpr::testing::TempTree tree;
    Store& store = tree.store();
    EXPECT_EQ(store.DefineAttribute({"App:Flags", DIR_SYNTAX_INTEGER, true}), DIR_SUCCESS);
    EXPECT_EQ(store.DefineAttribute({"App:Flags", DIR_SYNTAX_INTEGER, true}), DIR_SUCCESS);
    EXPECT_EQ(store.DefineAttribute({"App:Flags", DIR_SYNTAX_CI_STRING, true}),
              DIR_ERR_SCHEMA_CONFLICT);
    EXPECT_EQ(store.DefineAttribute({"Odd", 99, true}), DIR_ERR_BAD_SYNTAX);
    EXPECT_EQ(store.DefineAttribute({std::string(40, 'x'), DIR_SYNTAX_INTEGER, true}),
              DIR_ERR_BAD_NAME);
    ClassDef app{"App:Application", false, true, {"Top"}, {"Organization", "Organizational Unit"},
                 {}, {}, {"App:Flags"}};
    EXPECT_EQ(store.DefineClass(app), DIR_SUCCESS);
    EXPECT_EQ(store.DefineClass(app), DIR_ERR_SCHEMA_CONFLICT);
    app.name = "Other";
    app.optional = {"Missing Attribute"};
    EXPECT_EQ(store.DefineClass(app), DIR_ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(store.AddOptionalAttribute("User", "App:Flags"), DIR_SUCCESS);
    EXPECT_EQ(store.AddOptionalAttribute("User", "App:Flags"), DIR_SUCCESS);
    ClassDef user;
    ASSERT_EQ(store.GetClass("user", &user), DIR_SUCCESS);
    EXPECT_EQ(std::count(user.optional.begin(), user.optional.end(), "App:Flags"), 1);
}

TEST(StoreTest, DumpShowsObjectsValuesAndStreams) {
    vpr::testing::TempTree tree;
    tree.Org("acme").User("jdoe.acme", "John Doe").Group("staff.acme", {"jdoe.acme"});
    tree.Object("Calc.acme", "Application (Windows NT)", {{"App Flags", {"0x80"}}});
    tree.Stream("Calc.acme", "App Icon", "12345").Grant("acme", "[Public]", DIR_ENTRY_RIGHTS, 1);
    std::string text;
    ASSERT_EQ(DumpTree(tree.store(), false, &text), DIR_SUCCESS);
    EXPECT_EQ(text,
              "tree TEST_TREE\n"
              "object [Root] (Tree Root)\n"
              "  ACL = [Entry Rights];[Public];1\n"
              "object acme (Organization)\n"
              "  ACL = [Entry Rights];[Public];1\n"
              "object Calc.acme (Application (Windows NT))\n"
              "  App Flags = 128\n"
              "  App Icon = stream of 5 bytes\n"
              "object jdoe.acme (User)\n"
              "  Full Name = John Doe\n"
              "  Group Membership = staff.acme\n"
              "object staff.acme (Group)\n"
              "  Member = jdoe.acme\n");
}

}  // namespace
}  // namespace vpr::directory
