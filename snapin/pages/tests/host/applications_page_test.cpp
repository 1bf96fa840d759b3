// The Applications page of users, groups and containers: flags clicked and
// toggled, applications added and deleted, and what is stored on both sides.
#include "page_host_fixture.h"

namespace faults = vpr::directory::faults;

namespace {

const std::vector<std::string> kObjectSide = {"App:Associations", "ACL"};

struct FlagCase {
    const char* name;
    const char* stored;    // jdoe's stored associations with WP and Calc ("" none; "WP" launcher only; "both")
    const char* edits;     // lines on the page
    const char* expected;  // jdoe's values and ACLs, then the back links of WP and Calc
    bool request;          // the save sends a modify request
};

class ApplicationsFlagTest : public PageHostTest, public ::testing::WithParamInterface<FlagCase> {
protected:
    void Seed() override {
        std::string stored = GetParam().stored;
        std::vector<std::string> apps;
        if (stored == "WP" || stored == "both") apps.push_back("WP.sales.acme");
        if (stored == "both") apps.push_back("Calc.sales.acme");
        std::vector<std::string> values;
        for (const std::string& app : apps) {
            values.push_back(app + ";1;0");
            tree_.Set(app, "App:Back Link", {"jdoe.sales.acme"})
                .Grant("jdoe.sales.acme", app, "[Entry Rights]", 1)
                .Grant("jdoe.sales.acme", app, "[All Attributes Rights]", 3);
        }
        if (!values.empty()) tree_.Set("jdoe.sales.acme", "App:Associations", values);
    }

    std::string Sides() {
        return PageHostTest::Stored({"jdoe.sales.acme"}, kObjectSide) +
               PageHostTest::Stored({"WP.sales.acme", "Calc.sales.acme"}, {"App:Back Link"});
    }
};

TEST_P(ApplicationsFlagTest, StoresBothSides) {
    const FlagCase& c = GetParam();
    if (!c.request) faults::FailModify(DIR_ERR_STORE);
    EXPECT_EQ(Run(std::string("details jdoe.sales.acme\npage Applications\n") + c.edits + "ok\n"), 0) << output_;
    EXPECT_NE(output_.find("saved jdoe.sales.acme (0)"), std::string::npos) << output_;
    EXPECT_EQ(Sides(), c.expected);
}

const std::string kWPStored = "jdoe.sales.acme App:Associations: WP.sales.acme;1;0\n"
                              "jdoe.sales.acme ACL: [Entry Rights];WP.sales.acme;1\n"
                              "jdoe.sales.acme ACL: [All Attributes Rights];WP.sales.acme;3\n"
                              "WP.sales.acme App:Back Link: jdoe.sales.acme\n";
const std::string kBothStored = "jdoe.sales.acme App:Associations: WP.sales.acme;1;0\n"
                                "jdoe.sales.acme App:Associations: Calc.sales.acme;1;0\n"
                                "jdoe.sales.acme ACL: [Entry Rights];WP.sales.acme;1\n"
                                "jdoe.sales.acme ACL: [All Attributes Rights];WP.sales.acme;3\n"
                                "jdoe.sales.acme ACL: [Entry Rights];Calc.sales.acme;1\n"
                                "jdoe.sales.acme ACL: [All Attributes Rights];Calc.sales.acme;3\n"
                                "WP.sales.acme App:Back Link: jdoe.sales.acme\n"
                                "Calc.sales.acme App:Back Link: jdoe.sales.acme\n";

INSTANTIATE_TEST_SUITE_P(
    Flags, ApplicationsFlagTest,
    ::testing::Values(
        FlagCase{"ANewApplicationGetsTheLauncher", "", "pick Calc.sales.acme\npress 4001\n",
                 "jdoe.sales.acme App:Associations: Calc.sales.acme;1;0\n"
                 "jdoe.sales.acme ACL: [Entry Rights];Calc.sales.acme;1\n"
                 "jdoe.sales.acme ACL: [All Attributes Rights];Calc.sales.acme;3\n"
                 "jdoe.sales.acme ACL: Full Name;jdoe.sales.acme;3\n"
                 "jdoe.sales.acme ACL: App:Associations;jdoe.sales.acme;3\n"
                 "Calc.sales.acme App:Back Link: jdoe.sales.acme\n",
                 true},
        FlagCase{"DesktopOnAStoredLauncherGivesNine", "WP", "choose 4000 WP.sales.acme\nalt t\n",
                 "jdoe.sales.acme App:Associations: WP.sales.acme;9;0\n"
                 "jdoe.sales.acme ACL: [Entry Rights];WP.sales.acme;1\n"
                 "jdoe.sales.acme ACL: [All Attributes Rights];WP.sales.acme;3\n"
                 "jdoe.sales.acme ACL: Full Name;jdoe.sales.acme;3\n"
                 "jdoe.sales.acme ACL: App:Associations;jdoe.sales.acme;3\n"
                 "WP.sales.acme App:Back Link: jdoe.sales.acme\n",
                 true},
        FlagCase{"EveryFlagClearedRemovesTheAssociation", "WP", "click 4000 20 5\n", "", true},
        FlagCase{"ANewApplicationClearedWritesNothing", "", "pick Calc.sales.acme\npress 4001\nclick 4000 20 5\n",
                 "", false},
        FlagCase{"DeletedAndAddedAgainWritesNothing", "WP",
                 "choose 4000 WP.sales.acme\npress 4002\npick WP.sales.acme\npress 4001\n", kWPStored.c_str(), false},
        FlagCase{"AClickRightOfTheBoxesChangesNothing", "WP", "click 4000 85 5\n", kWPStored.c_str(), false},
        FlagCase{"AClickBelowTheLastRowChangesNothing", "WP", "click 4000 20 40\n", kWPStored.c_str(), false},
        FlagCase{"AToggleWithNothingSelectedChangesNothing", "WP", "alt t\n", kWPStored.c_str(), false},
        FlagCase{"AToggleWithTwoSelectedChangesNothing", "both",
                 "choose 4000 WP.sales.acme\nchoose 4000 Calc.sales.acme add\nalt t\n", kBothStored.c_str(), false}),
    [](const auto& info) { return std::string(info.param.name); });

class ApplicationsPageTest : public PageHostTest {};

// A deleted application added again is listed again, even when another
// entry's name begins with its name.
TEST_F(ApplicationsPageTest, AnApplicationAddedAgainIsListedAgainBesideALongerName) {
    tree_.Org("us").Unit("acme.us").Unit("sales.acme.us");
    for (const char* app : {"W.sales.acme", "W.sales.acme.us"})
        ASSERT_EQ(theAppLibrary.CreateObject(context_, app, "App:Application", "W.EXE", "W", 0), 0);
    tree_.Set("jdoe.sales.acme", "App:Associations", {"W.sales.acme;1;0", "W.sales.acme.us;1;0"});
    faults::FailModify(DIR_ERR_STORE);
    EXPECT_EQ(Run("details jdoe.sales.acme\npage Applications\nchoose 4000 W.sales.acme\npress 4002\n"
                  "pick W.sales.acme\npress 4001\nshow 4000\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("4000:\n  W.sales.acme\n  W.sales.acme.us\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("saved jdoe.sales.acme (0)"), std::string::npos) << output_;
}

// A failed grant to the object: message 91 naming the application, and no
// half of the association is written.
TEST_F(ApplicationsPageTest, AFailedGrantWritesNothingOfTheRow) {
    faults::FailModify(DIR_ERR_STORE, 0);
    EXPECT_EQ(Run("answer ok Unable to assign\ndetails jdoe.sales.acme\npage Applications\n"
                  "pick Calc.sales.acme\npress 4001\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("message Dravik Error: Unable to assign trustee rights to object Calc.sales.acme\n"),
              std::string::npos)
        << output_;
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Associations"), Texts{});
    EXPECT_EQ(Values("Calc.sales.acme", "App:Back Link"), Texts{});
}

// clerk may write jdoe and WP, nothing of Calc and Draw.
class ApplicationsRightsTest : public PageHostTest {
protected:
    void Seed() override {
        tree_.User("clerk.acme")
            .Set("jdoe.sales.acme", "App:Associations", {"Calc.sales.acme;1;0"})
            .Set("Calc.sales.acme", "App:Back Link", {"jdoe.sales.acme"});
        for (const char* object : {"jdoe.sales.acme", "WP.sales.acme"})
            tree_.Grant(object, "clerk.acme", "[All Attributes Rights]", DIR_ATTR_READ | DIR_ATTR_WRITE);
        tree_.LogIn("clerk.acme");
    }
};

TEST_F(ApplicationsRightsTest, AnApplicationWithoutRightsIsNamedAndTheRestIsSaved) {
    EXPECT_EQ(Run("answer ok You have insufficient rights to remove\nanswer ok You have insufficient rights to add\n"
                  "details jdoe.sales.acme\npage Applications\nclick 4000 20 5\n"
                  "pick Draw.sales.acme WP.sales.acme\npress 4001\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("message Dravik Warning: You have insufficient rights to remove the application "
                           "object\\n\"Calc.sales.acme\"\\nfrom this object's application list.\\nAll other changes "
                           "will be saved.\n"),
              std::string::npos)
        << output_;
    EXPECT_NE(output_.find("message Dravik Warning: You have insufficient rights to add the application "
                           "object\\n\"Draw.sales.acme\"\\nto this object's application list.\\n"),
              std::string::npos)
        << output_;
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Associations"), (Texts{"Calc.sales.acme;1;0", "WP.sales.acme;1;0"}));
    EXPECT_EQ(Values("WP.sales.acme", "App:Back Link"), Texts{"jdoe.sales.acme"});
}

// Without the right to write jdoe's associations the list takes no clicks,
// toggles or additions.
class ApplicationsReadOnlyTest : public PageHostTest {
protected:
    void Seed() override {
        tree_.User("guest.acme").Set("jdoe.sales.acme", "App:Associations", {"WP.sales.acme;1;0"}).LogIn("guest.acme");
    }
};

TEST_F(ApplicationsReadOnlyTest, TheListIsReadOnly) {
    faults::FailModify(DIR_ERR_STORE);
    EXPECT_EQ(Run("details jdoe.sales.acme\npage Applications\nclick 4000 20 5\nchoose 4000 WP.sales.acme\nalt t\n"
                  "press 4001\nok\n"),
              1)
        << output_;
    EXPECT_NE(output_.find("error:"), std::string::npos) << output_;  // Add is disabled
    EXPECT_NE(output_.find("saved jdoe.sales.acme (0)"), std::string::npos) << output_;
    EXPECT_EQ(Values("jdoe.sales.acme", "App:Associations"), Texts{"WP.sales.acme;1;0"});
}

}  // namespace
