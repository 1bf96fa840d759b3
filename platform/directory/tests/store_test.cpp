// The store file itself: shared by processes, damaged files, the check.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <fstream>

#include "vpr/testing/child_processes.h"
#include "vpr/directory/client.h"
#include "vpr/directory/tree_admin.h"
#include "vpr/directory/trees.h"
#include "vpr/directory/value_codec.h"
#include "vpr/testing/temp_tree.h"

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
    EXPECT_EQ(Store::Open(path, &store), DIR_ERR_STORE);
    EXPECT_EQ(Store::Open(tree.path() + ".missing", &store), DIR_ERR_STORE);
    EXPECT_EQ(Store::Create(tree.path(), "AGAIN", &store), DIR_ERR_STORE);  // never overwritten
    EXPECT_EQ(Store::Create(path + "2", "BAD.NAME", &store), DIR_ERR_BAD_NAME);

    SetAttachedTrees(std::vector<AttachedTree>{{"BROKEN", path, "x.acme", true}});
    DIR_CONTEXT ctx = DirCreateContext();
    ASSERT_GT(ctx, 0);
    EXPECT_EQ(DirIsContextAuthenticated(ctx), 0);
    DirObjectInfo info;
    EXPECT_EQ(DirReadObjectInfo(ctx, "[Root]", nullptr, &info), DIR_ERR_STORE);
    DirFreeContext(ctx);
    std::ifstream in(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "this is not a tree store at all, just some text that fills a page");
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
