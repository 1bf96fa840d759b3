#include "client_fixture.h"

#include <cstring>

#include "vpr/directory/trees.h"

namespace vpr::directory {
namespace {

TEST_F(ClientTest, ContextKeysHoldFlagsNameContextAndPaddedTreeName) {
    uint32_t flags = 0xFFFF;
    ASSERT_EQ(DirGetContextInfo(ctx, DIR_KEY_FLAGS, &flags), DIR_SUCCESS);
    flags |= 0x47;
    ASSERT_EQ(DirSetContextInfo(ctx, DIR_KEY_FLAGS, &flags), DIR_SUCCESS);
    uint32_t back = 0;
    ASSERT_EQ(DirGetContextInfo(ctx, DIR_KEY_FLAGS, &back), DIR_SUCCESS);
    EXPECT_EQ(back, flags);

    char tree[DIR_TREE_NAME_CHARS + 1];
    ASSERT_EQ(DirGetContextInfo(ctx, DIR_KEY_TREE_NAME, tree), DIR_SUCCESS);
    EXPECT_STREQ(tree, "TEST_TREE_______________________");  // 32 characters
    EXPECT_EQ(DirSetContextInfo(ctx, DIR_KEY_TREE_NAME, tree), DIR_SUCCESS);
    EXPECT_EQ(DirSetContextInfo(ctx, DIR_KEY_TREE_NAME, "test_tree"), DIR_SUCCESS);
    EXPECT_EQ(DirSetContextInfo(ctx, DIR_KEY_TREE_NAME, "OTHER_TREE"), DIR_ERR_NO_SUCH_TREE);

    char context[DIR_MAX_NAME];
    ASSERT_EQ(DirGetContextInfo(ctx, DIR_KEY_NAME_CONTEXT, context), DIR_SUCCESS);
    EXPECT_STREQ(context, "[Root]");
    ASSERT_EQ(DirSetContextInfo(ctx, DIR_KEY_NAME_CONTEXT, "sales.acme"), DIR_SUCCESS);
    EXPECT_EQ(DirSetContextInfo(ctx, DIR_KEY_NAME_CONTEXT, "bad..name"), DIR_ERR_BAD_NAME);
    ASSERT_EQ(DirGetContextInfo(ctx, DIR_KEY_NAME_CONTEXT, context), DIR_SUCCESS);
    EXPECT_STREQ(context, "sales.acme");
    EXPECT_EQ(DirGetContextInfo(ctx, 99, &flags), DIR_ERR_BAD_PARAMETER);
}

TEST_F(ClientTest, CurrentUserAndAbbreviation) {
    EXPECT_NE(DirIsContextAuthenticated(ctx), 0);
    char user[DIR_MAX_NAME], shortName[DIR_MAX_NAME];
    ASSERT_EQ(DirGetCurrentUserName(ctx, user), DIR_SUCCESS);
    EXPECT_STREQ(user, "admin.acme");
    ASSERT_EQ(DirAbbreviateName(ctx, "jdoe.sales.acme", shortName), DIR_SUCCESS);
    EXPECT_STREQ(shortName, "jdoe.sales.acme");
    ASSERT_EQ(DirSetContextInfo(ctx, DIR_KEY_NAME_CONTEXT, "acme"), DIR_SUCCESS);
    ASSERT_EQ(DirAbbreviateName(ctx, ".CN=jdoe.OU=sales.O=acme", shortName), DIR_SUCCESS);
    EXPECT_STREQ(shortName, "jdoe.sales");
    EXPECT_EQ(DirAbbreviateName(ctx, "bad..name", shortName), DIR_ERR_BAD_NAME);
}

TEST_F(ClientTest, UnauthenticatedOrUnknownUserCannotUseTheContext) {
    tree.LogIn("jdoe.sales.acme", false);
    DIR_CONTEXT other = DirCreateContext();
    ASSERT_GT(other, 0);
    EXPECT_EQ(DirIsContextAuthenticated(other), 0);
    char user[DIR_MAX_NAME];
    EXPECT_EQ(DirGetCurrentUserName(other, user), DIR_ERR_NOT_AUTHENTICATED);
    DirFreeContext(other);

    tree.LogIn("ghost.acme");
    other = DirCreateContext();
    EXPECT_EQ(DirIsContextAuthenticated(other), 0);
    DirFreeContext(other);
}

TEST_F(ClientTest, NoContextWithoutTreesOrWhenInjected) {
    faults::FailContextCreation(true);
    EXPECT_EQ(DirCreateContext(), DIR_ERR_NO_CONTEXT);
    faults::Reset();
    SetAttachedTrees(std::vector<AttachedTree>{});
    EXPECT_EQ(DirCreateContext(), DIR_ERR_NO_CONTEXT);
    EXPECT_EQ(DirFreeContext(ctx), DIR_SUCCESS);
    EXPECT_EQ(DirFreeContext(ctx), DIR_ERR_BAD_CONTEXT);
    ctx = 0;
    char name[DIR_MAX_NAME];
    EXPECT_EQ(DirGetCurrentUserName(12345, name), DIR_ERR_BAD_CONTEXT);
    EXPECT_EQ(DirIsContextAuthenticated(12345), 0);
}

}  // namespace
}  // namespace vpr::directory
