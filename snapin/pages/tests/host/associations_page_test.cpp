// The Associations page of an application: both sides of each association
// and the rights that go with it, as a person edits them in the host.
#include "page_host_fixture.h"
#include "vpr/directory/faults.h"

namespace faults = vpr::directory::faults;

namespace {

const std::vector<std::string> kSides = {"App:Back Link", "App:Associations", "ACL"};

// What an association of WP with an object adds on the object.
std::string Granted(const std::string& object, const std::string& own) {
    return object + " App:Associations: WP.sales.acme;1;0\n" + object + " ACL: [Entry Rights];WP.sales.acme;1\n" +
           object + " ACL: [All Attributes Rights];WP.sales.acme;3\n" + object + " ACL: " + own + ";" + object +
           ";3\n" + object + " ACL: App:Associations;" + object + ";3\n";
}

struct EditCase {
    const char* name;
    bool stored;           // WP is associated with jdoe before (back link, typed value 0x05, WP's rights)
    bool typedValue;       // ... and jdoe holds the typed value
    const char* edits;     // lines on the page
    const char* expected;  // WP, jdoe, staff, sales, acme: back links, associations, ACLs
    bool request;          // the save sends a modify request
};

class AssociationsEditTest : public PageHostTest, public ::testing::WithParamInterface<EditCase> {
protected:
    void Seed() override {
        const EditCase& c = GetParam();
        if (!c.stored) return;
        tree_.Set("WP.sales.acme", "App:Back Link", {"jdoe.sales.acme"})
            .Grant("jdoe.sales.acme", "WP.sales.acme", "[Entry Rights]", 1)
            .Grant("jdoe.sales.acme", "WP.sales.acme", "[All Attributes Rights]", 3);
        if (c.typedValue) tree_.Set("jdoe.sales.acme", "App:Associations", {"WP.sales.acme;5;0"});
    }
};

TEST_P(AssociationsEditTest, WritesBothSidesAndTheRights) {
    const EditCase& c = GetParam();
    // Any modify request fails: a save that sends none answers 0.
    if (!c.request) faults::FailModify(DIR_ERR_STORE);
    std::string script = std::string("details WP.sales.acme\npage Associations\n") + c.edits + "ok\n";
    EXPECT_EQ(Run(script), 0) << output_;
    EXPECT_NE(output_.find("saved WP.sales.acme (0)"), std::string::npos) << output_;
    EXPECT_EQ(Stored({"WP.sales.acme", "jdoe.sales.acme", "staff.sales.acme", "sales.acme", "acme"}, kSides),
              c.expected);
}

const std::string kAddedFour = "WP.sales.acme App:Back Link: jdoe.sales.acme\n"
                               "WP.sales.acme App:Back Link: staff.sales.acme\n"
                               "WP.sales.acme App:Back Link: sales.acme\n"
                               "WP.sales.acme App:Back Link: acme\n" +
                               Granted("jdoe.sales.acme", "Full Name") + Granted("staff.sales.acme", "Description") +
                               Granted("sales.acme", "Description") + Granted("acme", "Description");

const std::string kStored = "WP.sales.acme App:Back Link: jdoe.sales.acme\n"
                            "jdoe.sales.acme App:Associations: WP.sales.acme;5;0\n"
                            "jdoe.sales.acme ACL: [Entry Rights];WP.sales.acme;1\n"
                            "jdoe.sales.acme ACL: [All Attributes Rights];WP.sales.acme;3\n";

INSTANTIATE_TEST_SUITE_P(
    Edits, AssociationsEditTest,
    ::testing::Values(
        EditCase{"AUserAGroupAUnitAndAnOrganization", false, false,
                 "pick jdoe.sales.acme staff.sales.acme\npress 4400\npick sales.acme\npress 4400\n"
                 "pick acme\npress 4400\n",
                 kAddedFour.c_str(), true},
        EditCase{"AddedThenDeletedWritesNothing", false, false,
                 "pick jdoe.sales.acme\npress 4400\nchoose 4402 jdoe.sales.acme\npress 4403\n", "", false},
        EditCase{"DeletedThenAddedAgainWritesNothing", true, true,
                 "choose 4402 jdoe.sales.acme\npress 4403\npick jdoe.sales.acme\npress 4400\n", kStored.c_str(),
                 false},
        EditCase{"AddingAListedObjectDoesNothing", true, true, "pick jdoe.sales.acme\npress 4400\n",
                 kStored.c_str(), false},
        EditCase{"DeletedRemovesBothSidesAndTheRights", true, true, "choose 4402 jdoe.sales.acme\npress 4403\n", "",
                 true},
        EditCase{"DeletedWithoutTypedValueRemovesTheBackLinkAndTheRights", true, false,
                 "choose 4402 jdoe.sales.acme\npress 4403\n", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

class AssociationsPageTest : public PageHostTest {};

TEST_F(AssociationsPageTest, FortyObjectsWithASmallBufferGoInPartsAndNothingIsLost) {
    std::string pick = "pick";
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
        names.push_back("user" + std::to_string(i) + ".sales.acme");
        tree_.User(names.back());
        pick += " " + names.back();
    }
    faults::SetBufferBudget(600);
    EXPECT_EQ(Run("details WP.sales.acme\npage Associations\n" + pick + "\npress 4400\nok\n"), 0) << output_;
    faults::SetBufferBudget(0);
    EXPECT_NE(output_.find("saved WP.sales.acme (0)"), std::string::npos) << output_;
    Texts backLinks = Values("WP.sales.acme", "App:Back Link");
    std::sort(backLinks.begin(), backLinks.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(backLinks, names);
    for (const std::string& name : names)
        EXPECT_EQ(Values(name.c_str(), "App:Associations"), Texts{"WP.sales.acme;1;0"}) << name;
}

// A directory step failing for one row: that row is left, the others are
// saved, and the save reports the first failure (message 191).
TEST_F(AssociationsPageTest, AFailingRowIsReportedAndTheOthersAreSaved) {
    // jdoe's grant (1), jdoe's typed value (2) fails; staff goes on.
    faults::FailModify(DIR_ERR_STORE, 1);
    EXPECT_EQ(Run("answer ok The \"Associations\" page failed\n"
                  "details WP.sales.acme\npage Associations\npick jdoe.sales.acme staff.sales.acme\npress 4400\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("Error code: -620"), std::string::npos) << output_;
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Associations"), Texts{});
    EXPECT_EQ(Values("staff.sales.acme", "App:Associations"), Texts{"WP.sales.acme;1;0"});
    EXPECT_EQ(Values("WP.sales.acme", "App:Back Link"), (Texts{"jdoe.sales.acme", "staff.sales.acme"}));
}

// A failed grant to the application: message 91 naming the object, and
// nothing of that row is written.
TEST_F(AssociationsPageTest, AFailedGrantShowsItsMessageAndWritesNothingOfTheRow) {
    faults::FailModify(DIR_ERR_STORE, 0);
    EXPECT_EQ(Run("answer ok Unable to assign trustee rights to object jdoe.sales.acme\n"
                  "details WP.sales.acme\npage Associations\npick jdoe.sales.acme staff.sales.acme\npress 4400\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("message Dravik Error: Unable to assign trustee rights to object jdoe.sales.acme\n"),
              std::string::npos)
        << output_;
    EXPECT_NE(output_.find("saved WP.sales.acme (0)"), std::string::npos) << output_;
    EXPECT_EQ(Stored({"jdoe.sales.acme"}, kSides), "");
    EXPECT_EQ(Values("WP.sales.acme", "App:Back Link"), Texts{"staff.sales.acme"});
    EXPECT_EQ(Values("staff.sales.acme", "App:Associations"), Texts{"WP.sales.acme;1;0"});
}

// clerk may write WP, jdoe and staff but nothing of ann and acme.
class AssociationsRightsTest : public PageHostTest {
protected:
    void Seed() override {
        tree_.User("clerk.acme").Set("WP.sales.acme", "App:Back Link", {"ann.sales.acme"});
        for (const char* object : {"WP.sales.acme", "jdoe.sales.acme", "staff.sales.acme"})
            tree_.Grant(object, "clerk.acme", "[All Attributes Rights]", DIR_ATTR_READ | DIR_ATTR_WRITE);
        tree_.LogIn("clerk.acme");
    }
};

TEST_F(AssociationsRightsTest, ATargetWithoutRightsIsNamedAndTheRestIsSaved) {
    EXPECT_EQ(Run("answer ok You have insufficient rights to remove\n"
                  "answer ok You have insufficient rights to add\n"
                  "details WP.sales.acme\npage Associations\nchoose 4402 ann.sales.acme\npress 4403\n"
                  "pick acme\npress 4400\npick jdoe.sales.acme\npress 4400\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("message Dravik Warning: You have insufficient rights to remove the object\\n"
                           "\"ann.sales.acme\"\\nfrom this application object's association list.\\n"
                           "All other changes will be saved.\n"),
              std::string::npos)
        << output_;
    EXPECT_NE(output_.find("message Dravik Warning: You have insufficient rights to add the object\\n"
                           "\"acme\"\\nto this application object's association list.\\n"),
              std::string::npos)
        << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Back Link"), (Texts{"ann.sales.acme", "jdoe.sales.acme"}));
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Associations"), Texts{"WP.sales.acme;1;0"});
    EXPECT_EQ(Values("acme", "App:Associations"), Texts{});
}

// A user who may write neither the back links nor the ACL of the
// application sees the list without Add and Delete.
class AssociationsReadOnlyTest : public PageHostTest {
protected:
    void Seed() override {
        tree_.User("guest.acme").Set("WP.sales.acme", "App:Back Link", {"jdoe.sales.acme"})
            .Grant("WP.sales.acme", "guest.acme", "[All Attributes Rights]", DIR_ATTR_READ)  // reads, never writes
            .LogIn("guest.acme");
    }
};

TEST_F(AssociationsReadOnlyTest, ThePageIsReadOnly) {
    EXPECT_EQ(Run("details WP.sales.acme\npage Associations\nshow 4402\npress 4400\ncancel\n"), 1) << output_;
    EXPECT_NE(output_.find("4402:\n  jdoe.sales.acme\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("error:"), std::string::npos) << output_;
}

}  // namespace
