// Connections and contexts made from the machine's attached trees.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "vpr/directory/client.h"
#include "vpr/directory/connections.h"
#include "vpr/directory/network_calls.h"
#include "vpr/directory/tree_admin.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

namespace vpr::directory {
namespace {

std::vector<std::string> ScanTreeNames() {
    std::vector<std::string> names;
    uint32_t scan = 0, connection = 0;
    while (ConnScanConnections(&scan, &connection) == CONN_SUCCESS) {
        char buffer[66] = {};
        EXPECT_EQ(ConnGetConnectionInfo(connection, CONN_INFO_TREE_NAME, sizeof buffer, buffer),
                  CONN_SUCCESS);
        names.push_back(buffer);
        if (names.size() > 10) break;
    }
    return names;
}

TEST(ConnectionsTest, OneConnectionPerAttachedTreeWithItsPaddedName) {
    vpr::testing::TempMachine machine;
    EXPECT_EQ(SvcInitialize(nullptr, nullptr), SVC_ERR_NO_NETWORK);
    EXPECT_TRUE(ScanTreeNames().empty());

    vpr::testing::TempTree first("ACME_TREE"), second("LAB");
    first.Org("acme").User("jdoe.acme").LogIn("jdoe.acme");
    second.Org("lab").Attach();
    EXPECT_EQ(SvcInitialize(nullptr, nullptr), SVC_SUCCESS);
    EXPECT_EQ(ScanTreeNames(), (std::vector<std::string>{"ACME_TREE_______________________",
                                                         "LAB_____________________________"}));

    char small[32];
    EXPECT_EQ(ConnGetConnectionInfo(1, CONN_INFO_TREE_NAME, sizeof small, small),
              CONN_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(ConnGetConnectionInfo(1, 5, sizeof small, small), CONN_ERR_BAD_INFO_TYPE);
    EXPECT_EQ(ConnGetConnectionInfo(3, CONN_INFO_TREE_NAME, sizeof small, small),
              CONN_ERR_BAD_CONNECTION);

    // A context starts on the first tree and can be moved to either.
    DIR_CONTEXT ctx = DirCreateContext();
    ASSERT_GT(ctx, 0);
    EXPECT_NE(DirIsContextAuthenticated(ctx), 0);
    ASSERT_EQ(DirSetContextInfo(ctx, DIR_KEY_TREE_NAME, "LAB_____________________________"),
              DIR_SUCCESS);
    EXPECT_EQ(DirIsContextAuthenticated(ctx), 0);  // nobody is logged in there
    DirObjectInfo info;
    EXPECT_EQ(DirReadObjectInfo(ctx, "lab", nullptr, &info), DIR_SUCCESS);
    EXPECT_EQ(DirReadObjectInfo(ctx, "acme", nullptr, &info), DIR_ERR_NO_SUCH_OBJECT);
    DirFreeContext(ctx);
}

// Two workstations attach one tree: what one writes, the other reads.
TEST(ConnectionsTest, TwoMachinesAttachedToOneTreeSeeEachOthersChanges) {
    vpr::testing::TempMachine first;
    vpr::testing::TempTree tree("SHARED");
    tree.Org("acme").User("admin.acme").User("jdoe.acme").LogIn("admin.acme");

    std::string secondRoot = first.root() + "-second";
    std::string error;
    ASSERT_TRUE(vpr::machine::CreateMachine(secondRoot, {}, &error)) << error;
    vpr::machine::Machine second;
    ASSERT_TRUE(vpr::machine::LoadMachine(secondRoot, &second, &error)) << error;
    second.trees.push_back({"SHARED", tree.path(), "jdoe.acme", true});
    ASSERT_TRUE(second.Save(&error)) << error;

    tree.Set("acme", "Description", {"written on the first machine"});
    // jdoe may read the description and write its own telephone numbers.
    tree.Grant("acme", "jdoe.acme", "Description", DIR_ATTR_READ)
        .Grant("jdoe.acme", "jdoe.acme", "Telephone Number", DIR_ATTR_WRITE);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The second machine reads the first one's value and writes its own.
        int failures = vpr::machine::UseMachine(secondRoot, nullptr) ? 0 : 1;
        DIR_CONTEXT ctx = DirCreateContext();
        char user[DIR_MAX_NAME] = {};
        failures += DirGetCurrentUserName(ctx, user) != 0 || std::string(user) != "jdoe.acme";
        DirBuffer *request = nullptr, *reply = nullptr;
        DirAllocBuffer(0x1000, &request);
        DirAllocBuffer(0x4000, &reply);
        DirInitRequest(ctx, DIR_OP_READ, request);
        DirPutAttributeName(ctx, request, "Description");
        int32_t iteration = DIR_NO_MORE_ITERATIONS;
        char name[DIR_MAX_SCHEMA_NAME], value[64] = {};
        uint32_t count = 0, syntax = 0;
        failures += DirSearch(ctx, "acme", 1, 0, request, &iteration, reply) != 0;
        failures += DirGetNextResultAttribute(ctx, reply, name, &count, &syntax) != 0;
        failures += DirGetResultValue(ctx, reply, static_cast<int>(syntax), value) != 0;
        failures += std::string(value) != "written on the first machine";
        DirInitRequest(ctx, DIR_OP_MODIFY, request);
        DirPutChange(ctx, request, DIR_CHANGE_ADD_VALUE, "Telephone Number");
        DirPutValue(ctx, request, DIR_SYNTAX_TEL_NUMBER, "from the second machine");
        failures += DirModifyObject(ctx, "jdoe.acme", nullptr, 0, request) != 0;
        _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::vector<AttributeValues> values;
    ASSERT_EQ(tree.store().ReadValues({"jdoe", "acme"}, {"Telephone Number"}, &values), DIR_SUCCESS);
    ASSERT_EQ(values.size(), 1u);
    ASSERT_EQ(values[0].values.size(), 1u);
    std::error_code ignored;
    std::filesystem::remove_all(secondRoot, ignored);
}

}  // namespace
}  // namespace vpr::directory
