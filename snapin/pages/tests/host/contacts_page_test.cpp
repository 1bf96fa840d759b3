// The Contacts page of an application: its "App:Contacts" and the read
// rights everybody gets on a new contact.
#include "page_host_fixture.h"

namespace faults = vpr::directory::faults;

namespace {

class ContactsPageTest : public PageHostTest {
protected:
    int Edit(const std::string& lines) {
        return Run("details WP.sales.acme\npage Contacts\n" + lines + "ok\n");
    }
};

TEST_F(ContactsPageTest, ANewContactIsReadableByEverybody) {
    EXPECT_EQ(Edit("pick jdoe.sales.acme\npress 2602\npick jdoe.sales.acme\npress 2602\nshow 2601\n"), 0) << output_;
    EXPECT_NE(output_.find("2601:\n  jdoe.sales.acme\nsaved WP.sales.acme (0)\n"), std::string::npos) << output_;
    EXPECT_EQ(Stored({"WP.sales.acme"}, {"App:Contacts"}) + Stored({"jdoe.sales.acme"}, {"ACL"}),
              "WP.sales.acme App:Contacts: jdoe.sales.acme\n"
              "jdoe.sales.acme ACL: Full Name;[Public];2\n"
              "jdoe.sales.acme ACL: Tessary ID;[Public];2\n"
              "jdoe.sales.acme ACL: Telephone Number;[Public];2\n"
              "jdoe.sales.acme ACL: Mailbox ID;[Public];2\n");
}

TEST_F(ContactsPageTest, AddedAndDeletedAgainWritesNothingAndADeletedContactGoes) {
    tree_.Set("WP.sales.acme", "App:Contacts", {"ann.sales.acme"});
    EXPECT_EQ(Edit("pick jdoe.sales.acme\npress 2602\nchoose 2601 jdoe.sales.acme\npress 2603\n"
                   "choose 2601 ann.sales.acme\npress 2603\n"),
              0)
        << output_;
    EXPECT_EQ(Stored({"WP.sales.acme"}, {"App:Contacts"}) + Stored({"jdoe.sales.acme"}, {"ACL"}), "");
}

// The read right on "Full Name" cannot be given: message 98, the contact is
// left out, the others are saved.
TEST_F(ContactsPageTest, AContactWhoseRightsFailIsLeftOut) {
    faults::FailModify(DIR_ERR_STORE, 0);
    EXPECT_EQ(Run("answer ok Unable to create a contact\n"
                  "details WP.sales.acme\npage Contacts\npick ann.sales.acme jdoe.sales.acme\npress 2602\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("message Dravik Error: Unable to create a contact of object ann.sales.acme\n"),
              std::string::npos)
        << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Contacts"), Texts{"jdoe.sales.acme"});
}

class ContactsReadOnlyTest : public PageHostTest {
protected:
    void Seed() override {
        tree_.User("guest.acme").Set("WP.sales.acme", "App:Contacts", {"ann.sales.acme"})
            .Grant("WP.sales.acme", "guest.acme", "[All Attributes Rights]", DIR_ATTR_READ)  // reads, never writes
            .LogIn("guest.acme");
    }
};

TEST_F(ContactsReadOnlyTest, TheListIsShownWithoutAddAndDelete) {
    EXPECT_EQ(Run("details WP.sales.acme\npage Contacts\nshow 2601\npress 2602\ncancel\n"), 1) << output_;
    EXPECT_NE(output_.find("2601:\n  ann.sales.acme\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("error:"), std::string::npos) << output_;
}

}  // namespace
