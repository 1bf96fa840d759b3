#include "client_fixture.h"
#include "vpr/directory/tree_admin.h"
#include "vpr/testing/child_processes.h"

namespace vpr::directory {
namespace {

class RightsTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        tree.User("mary.acme");
    }
    uint32_t Rights(const char* trustee, const char* object, const char* attribute) {
        uint32_t rights = 0xDEAD;
        EXPECT_EQ(DirGetEffectiveRights(ctx, trustee, object, attribute, &rights), DIR_SUCCESS)
            << trustee << " on " << object << " " << attribute;
        return rights;
    }
};

constexpr uint32_t kRead = DIR_ATTR_READ | DIR_ATTR_COMPARE;
constexpr uint32_t kWrite = DIR_ATTR_WRITE | DIR_ATTR_SELF;
constexpr uint32_t kAllAttributeRights = kRead | kWrite | DIR_ATTR_SUPERVISOR;

TEST_F(RightsTest, NothingGrantedGivesNothing) {
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", "App Path"), 0u);
    tree.Set("[Root]", "ACL", {});  // nobody may browse any more
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", DIR_ENTRY_RIGHTS), 0u);
}

TEST_F(RightsTest, GrantsReachTheTrusteeThroughGroupsContainersAndPublic) {
    tree.Grant("Word.sales.acme", "staff.acme", "App Path", DIR_ATTR_WRITE)
        .Grant("acme", "sales.acme", DIR_ALL_ATTRIBUTES_RIGHTS, DIR_ATTR_READ)
        .Grant("[Root]", "[Public]", DIR_ENTRY_RIGHTS, DIR_ENTRY_BROWSE);
    // jdoe is in staff (write on App Path), lives in sales (read everything
    // below acme), and is somebody (browse everywhere).
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", "App Path"), kRead | kWrite);
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", "App Flags"), kRead);
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", DIR_ENTRY_RIGHTS),
              static_cast<uint32_t>(DIR_ENTRY_BROWSE));
    // mary is neither in staff nor in sales.
    EXPECT_EQ(Rights("mary.acme", "Word.sales.acme", "App Path"), 0u);
    EXPECT_EQ(Rights("[Public]", "Word.sales.acme", DIR_ENTRY_RIGHTS),
              static_cast<uint32_t>(DIR_ENTRY_BROWSE));
    // Rights on one attribute hold only on the object that carries them.
    tree.Grant("sales.acme", "mary.acme", "Description", DIR_ATTR_WRITE);
    EXPECT_EQ(Rights("mary.acme", "sales.acme", "Description"), kWrite);
    EXPECT_EQ(Rights("mary.acme", "Word.sales.acme", "Description"), 0u);
}

TEST_F(RightsTest, TheObjectItselfCanBeTheTrustee) {
    tree.Grant("staff.acme", "staff.acme", "Description", DIR_ATTR_READ | DIR_ATTR_WRITE);
    EXPECT_EQ(Rights("staff.acme", "staff.acme", "Description"), kRead | kWrite);
    EXPECT_EQ(Rights("staff.acme", "staff.acme", "Owner"), 0u);
    // A user reads its own attributes and writes what it is granted.
    tree.Grant("jdoe.sales.acme", "jdoe.sales.acme", "Full Name", DIR_ATTR_WRITE);
    EXPECT_EQ(Rights("jdoe.sales.acme", "jdoe.sales.acme", "Full Name"), kRead | kWrite);
    EXPECT_EQ(Rights("jdoe.sales.acme", "jdoe.sales.acme", "Title"), kRead);
    EXPECT_EQ(Rights("mary.acme", "jdoe.sales.acme", "Title"), 0u);
}

TEST_F(RightsTest, TheAdministratorHoldsEveryRightWhateverTheAcls) {
    EXPECT_EQ(Rights("admin.acme", "Word.sales.acme", DIR_ENTRY_RIGHTS), 0x1Fu);
    EXPECT_EQ(Rights("admin.acme", "[Root]", "ACL"), kAllAttributeRights);
    EXPECT_EQ(Rights("[Public]", "Word.sales.acme", DIR_ENTRY_RIGHTS),
              static_cast<uint32_t>(DIR_ENTRY_BROWSE));  // a new tree lets everybody browse
}

TEST_F(RightsTest, SupervisorHoldsEverythingBelow) {
    tree.Grant("[Root]", "mary.acme", DIR_ENTRY_RIGHTS, DIR_ENTRY_SUPERVISOR);
    EXPECT_EQ(Rights("mary.acme", "Word.sales.acme", DIR_ENTRY_RIGHTS), 0x1Fu);
    EXPECT_EQ(Rights("mary.acme", "Word.sales.acme", "App Path"), kAllAttributeRights);
    EXPECT_EQ(Rights("mary.acme", "[Root]", "ACL"), kAllAttributeRights);
    tree.Grant("sales.acme", "jdoe.sales.acme", DIR_ALL_ATTRIBUTES_RIGHTS, DIR_ATTR_SUPERVISOR);
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", "App Icon"), kAllAttributeRights);
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", DIR_ENTRY_RIGHTS),
              static_cast<uint32_t>(DIR_ENTRY_BROWSE));
}

TEST_F(RightsTest, RightsGrantedThroughTheClientCountAtOnce) {
    DirAclValue acl{const_cast<char*>("App Path"), const_cast<char*>("jdoe.sales.acme"),
                    DIR_ATTR_READ | DIR_ATTR_WRITE};
    ASSERT_EQ(ModifyWith(ctx, "Word.sales.acme",
                         {{DIR_CHANGE_ADD_VALUE, "ACL", DIR_SYNTAX_OBJECT_ACL, &acl}}),
              DIR_SUCCESS);
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", "App Path"), kRead | kWrite);
}

// What rights are made of is kept between requests; a change another
// process commits (a member added, an ACL replaced) counts at the next one.
TEST_F(RightsTest, ChangesAnotherProcessMakesCountAtTheNextRequest) {
    tree.Grant("Word.sales.acme", "staff.acme", "App Path", DIR_ATTR_READ);
    EXPECT_EQ(Rights("mary.acme", "Word.sales.acme", "App Path"), 0u);
    EXPECT_EQ(Rights("mary.acme", "Word.sales.acme", "App Flags"), 0u);
    ASSERT_TRUE(vpr::testing::RunInChildProcesses(1, [&](int) {
        std::shared_ptr<Store> store;
        return Store::Open(tree.path(), &store) == DIR_SUCCESS &&
               SetValuesFromText(*store, "staff.acme", "Member", {"jdoe.sales.acme", "mary.acme"}) == DIR_SUCCESS &&
               SetValuesFromText(*store, "acme", "ACL", {"[All Attributes Rights];mary.acme;2"}) == DIR_SUCCESS;
    }));
    EXPECT_EQ(Rights("mary.acme", "Word.sales.acme", "App Path"), kRead);
    EXPECT_EQ(Rights("mary.acme", "Word.sales.acme", "App Flags"), kRead);
    EXPECT_EQ(Rights("jdoe.sales.acme", "Word.sales.acme", "App Flags"), 0u);
}

TEST_F(RightsTest, UnknownNamesAreTold) {
    uint32_t rights;
    EXPECT_EQ(DirGetEffectiveRights(ctx, "ghost.acme", "acme", "ACL", &rights),
              DIR_ERR_NO_SUCH_OBJECT);
    EXPECT_EQ(DirGetEffectiveRights(ctx, "jdoe.sales.acme", "ghost.acme", "ACL", &rights),
              DIR_ERR_NO_SUCH_OBJECT);
    EXPECT_EQ(DirGetEffectiveRights(ctx, "jdoe.sales.acme", "acme", "Colour", &rights),
              DIR_ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(DirGetEffectiveRights(ctx, "jdoe..acme", "acme", "ACL", &rights), DIR_ERR_BAD_NAME);
}

}  // namespace
}  // namespace vpr::directory
