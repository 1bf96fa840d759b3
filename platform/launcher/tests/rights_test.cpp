#include "launcher_fixture.h"

namespace vpr::launcher {
namespace {

class RightsTest : public LauncherTest {
protected:
    void SetUp() override {
        LauncherTest::SetUp();
        App(".Word.sales.acme");
        App(".Excel.sales.acme");
    }
    void Associate(const std::string& object, const std::string& application) {
        tree.Set(object, "App:Associations", {application + ";1;0"});
    }
};

TEST_F(RightsTest, GrantsAddToWhatTheTrusteeHolds) {
    tree.User("mary.acme");
    EXPECT_EQ(Rights("staff.acme", "staff.acme", "Description"), 0u);
    ASSERT_EQ(kmappGrantRightsToDSObject(context, ".staff.acme", "Description", ".staff.acme",
                                         DIR_ATTR_READ),
              0);
    ASSERT_EQ(kmappGrantRightsToDSObject(context, ".staff.acme", "Description", "staff.acme",
                                         DIR_ATTR_COMPARE),
              0);
    EXPECT_EQ(Rights("staff.acme", "staff.acme", "Description"), DIR_ATTR_READ | DIR_ATTR_COMPARE);
    // One ACL value holds both.
    EXPECT_EQ(Values("staff.acme", "ACL").size(), 1u);
    EXPECT_EQ(Rights("mary.acme", "staff.acme", "Description"), 0u);

    ASSERT_EQ(kmappGrantRightsToDSObject(context, ".staff.acme", "Description", DIR_PUBLIC_NAME,
                                         DIR_ATTR_COMPARE),
              0);
    EXPECT_EQ(Rights("mary.acme", "staff.acme", "Description"), DIR_ATTR_COMPARE);
    kmappRemoveAllRightsFromDSObject(context, ".staff.acme", ".staff.acme");
    EXPECT_EQ(Rights("staff.acme", "staff.acme", "Description"), DIR_ATTR_COMPARE);  // [Public]'s
    EXPECT_EQ(Values("staff.acme", "ACL").size(), 1u);

    EXPECT_EQ(kmappGrantRightsToDSObject(context, ".Nobody.acme", "Description", ".staff.acme", 3),
              DIR_ERR_NO_SUCH_OBJECT);
}

TEST_F(RightsTest, AnApplicationKeepsItsRightsWhileItIsAssociated) {
    Associate("staff.acme", "Word.sales.acme");
    ASSERT_EQ(kmappGrantAllRights(context, ".staff.acme", ".Word.sales.acme"), 0);
    EXPECT_EQ(Rights("Word.sales.acme", "staff.acme", "Full Name"), DIR_ATTR_READ | DIR_ATTR_COMPARE);
    EXPECT_EQ(Rights("Word.sales.acme", "staff.acme", DIR_ENTRY_RIGHTS) & DIR_ENTRY_BROWSE,
              static_cast<uint32_t>(DIR_ENTRY_BROWSE));

    // Still associated, and another application is not the one leaving.
    EXPECT_FALSE(kmappCanRevokeAllRights(context, ".staff.acme", ".Word.sales.acme", ".Excel.sales.acme"));
    EXPECT_EQ(kmappRevokeAllRights(context, ".staff.acme", ".Word.sales.acme", ".Excel.sales.acme"), 0);
    EXPECT_EQ(Rights("Word.sales.acme", "staff.acme", "Full Name"), DIR_ATTR_READ | DIR_ATTR_COMPARE);

    // The association itself is leaving.
    EXPECT_TRUE(kmappCanRevokeAllRights(context, ".staff.acme", ".Word.sales.acme", ".Word.sales.acme"));
    EXPECT_EQ(kmappRevokeAllRights(context, ".staff.acme", ".Word.sales.acme", ".Word.sales.acme"), 0);
    EXPECT_EQ(Rights("Word.sales.acme", "staff.acme", "Full Name"), 0u);
    // Browsing is what everybody may do in a new tree.
    EXPECT_EQ(Rights("Word.sales.acme", "staff.acme", DIR_ENTRY_RIGHTS), static_cast<uint32_t>(DIR_ENTRY_BROWSE));
}

TEST_F(RightsTest, ABackupApplicationStaysReadableWhileAnotherApplicationListsIt) {
    // Word lists Excel as its backup; jdoe, associated with Word, may read Excel.
    Associate("jdoe.sales.acme", "Word.sales.acme");
    tree.Set("Excel.sales.acme", "App:Alt Back Link", {"Word.sales.acme"});
    ASSERT_EQ(kmappGrantRightsToDSObject(context, ".Excel.sales.acme", DIR_ALL_ATTRIBUTES_RIGHTS,
                                         ".jdoe.sales.acme", 3),
              0);
    EXPECT_FALSE(kmappCanRevokeAllRights(context, ".jdoe.sales.acme", ".Excel.sales.acme", ".Other.acme"));
    // Word drops Excel: nothing else links jdoe to Excel.
    EXPECT_TRUE(kmappCanRevokeAllRights(context, ".jdoe.sales.acme", ".Excel.sales.acme", ".Word.sales.acme"));
    kmappRemoveAllRightsFromDSObject(context, ".Excel.sales.acme", ".jdoe.sales.acme");
    EXPECT_EQ(Rights("jdoe.sales.acme", "Excel.sales.acme", "App:Path"), 0u);
}

}  // namespace
}  // namespace vpr::launcher
