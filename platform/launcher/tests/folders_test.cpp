#include <cstring>
#include <string>
#include <vector>

#include "launcher_fixture.h"
#include "vpr/win/sqlite_database.h"

namespace vpr::launcher {
namespace {

class FoldersTest : public LauncherTest {
protected:
    void SetUp() override {
        LauncherTest::SetUp();
        for (const char* app : {".Word.sales.acme", ".Excel.sales.acme", ".Mail.acme", ".Paint.acme",
                                ".Clock.acme"})
            App(app);
        tree.Set("Word.sales.acme", "App:GUID", {"{WORD-GUID}"});
        tree.Set("jdoe.sales.acme", "App:Associations", {"Word.sales.acme;5;0"});
        tree.Set("staff.acme", "App:Associations", {"Excel.sales.acme;0x20;0", "Clock.acme;0x40;0"});
        tree.Set("sales.acme", "App:Associations", {"Mail.acme;2;0"});
        tree.Set("acme", "App:Associations", {"Paint.acme;8;0"});
    }

    // "folder: application=flags ..." per folder, in list order.
    std::vector<std::string> Describe(const KmappFolder* folders) {
        std::vector<std::string> lines;
        for (; folders; folders = folders->next) {
            std::string line = std::string(folders->name) + ":";
            EXPECT_STREQ(folders->sources, folders->name);
            EXPECT_EQ(folders->sources[std::strlen(folders->sources) + 1], 0);  // list ends
            for (const KmappApplication* app = folders->applications; app; app = app->next)
                line += " " + std::string(app->name) + "=" + std::to_string(app->flags);
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(FoldersTest, AUserReceivesThroughItselfItsGroupsAndItsContainers) {
    struct Case {
        DWORD levels;
        std::vector<std::string> folders;
    } cases[] = {
        {0, {"jdoe.sales.acme: Word.sales.acme=5", "staff.acme: Excel.sales.acme=32"}},
        {1, {"jdoe.sales.acme: Word.sales.acme=5", "staff.acme: Excel.sales.acme=32",
             "sales.acme: Mail.acme=2"}},
        {5, {"jdoe.sales.acme: Word.sales.acme=5", "staff.acme: Excel.sales.acme=32",
             "sales.acme: Mail.acme=2", "acme: Paint.acme=8"}},
    };
    for (const Case& c : cases) {
        KmappFolder* folders = KMAPPGetFoldersEx(context, ".jdoe.sales.acme", c.levels, KMAPP_ASSOC_ALL, 8);
        EXPECT_EQ(Describe(folders), c.folders) << "levels " << c.levels;
        KMAPPFreeGetFoldersEx(folders);
    }
}

TEST_F(FoldersTest, TheMaskFiltersAssociationsAndEmptyFoldersAreLeftOut) {
    KmappFolder* folders = KMAPPGetFoldersEx(context, ".jdoe.sales.acme", 2, KMAPP_ASSOC_START_MENU |
                                             KMAPP_ASSOC_DESKTOP, 8);
    EXPECT_EQ(Describe(folders),
              (std::vector<std::string>{"jdoe.sales.acme: Word.sales.acme=4", "acme: Paint.acme=8"}));
    ASSERT_NE(folders, nullptr);
    EXPECT_EQ(folders->flags, 4u);
    const KmappApplication* word = folders->applications;
    EXPECT_EQ(word->state, 0u);  // no schedule check yet in this process
    EXPECT_STREQ(word->context, "sales.acme");
    EXPECT_STREQ(word->guid, "{WORD-GUID}");
    KMAPPFreeGetFoldersEx(folders);
}

TEST_F(FoldersTest, WithoutAUserNameTheLoggedInUserIsMeant) {
    tree.Grant("Word.sales.acme", "jdoe.sales.acme", DIR_ALL_ATTRIBUTES_RIGHTS, DIR_ATTR_READ);
    tree.LogIn("jdoe.sales.acme");
    DIR_CONTEXT own = KMAPPAllocContextHandle();
    ASSERT_GT(own, 0);
    KmappFolder* folders = KMAPPGetFolders(own, nullptr, 0, KMAPP_ASSOC_LAUNCHER);
    EXPECT_EQ(Describe(folders), std::vector<std::string>{"jdoe.sales.acme: Word.sales.acme=1"});
    KMAPPFreeGetFolders(folders);
    KMAPPFreeContextHandle(own);
    EXPECT_EQ(KMAPPGetFoldersEx(context, ".Nobody.acme", 1, KMAPP_ASSOC_ALL, 8), nullptr);
}

// An association naming an object that is no longer there is left out,
// however much of the application schema the tree holds: the record's own
// read finds the object missing, or, when the schema defines none of what a
// record reads, a look-up of the object does.
TEST_F(FoldersTest, AnAssociationNamingAMissingObjectIsLeftOutWhateverTheSchemaHolds) {
    App(".Gone.acme");
    tree.Set("jdoe.sales.acme", "App:Associations", {"Word.sales.acme;5;0", "Gone.acme;1;0"});
    // Taken out under the directory, so that the association still names it.
    ASSERT_EQ(tree.store().database().Exec("DELETE FROM objects WHERE folded = 'gone'"), win::StoreFault::kNone);
    struct Case {
        const char* removed;  // attribute definition taken out of the schema before the listing
        const char* wordGuid;
    } cases[] = {
        {nullptr, "{WORD-GUID}"},
        {"App:GUID", "Word.sales.acme"},  // an older schema: the GUID is the complete name
        {"App:Flags", "Word.sales.acme"},
        {"App:Platform", "Word.sales.acme"},
        {"App:Schedule", "Word.sales.acme"},  // none of what a record reads is left
    };
    for (const Case& c : cases) {
        if (c.removed) {
            std::string name = c.removed;
            ASSERT_EQ(tree.store().database().Exec(("DELETE FROM object_values WHERE attribute = '" + name +
                                                    "'; DELETE FROM class_lists WHERE item = '" + name +
                                                    "'; DELETE FROM attributes WHERE name = '" + name + "';")
                                                       .c_str()),
                      win::StoreFault::kNone);
        }
        SCOPED_TRACE(c.removed ? c.removed : "whole schema");
        KmappFolder* folders = KMAPPGetFoldersEx(context, ".jdoe.sales.acme", 0, KMAPP_ASSOC_ALL, 8);
        EXPECT_EQ(Describe(folders), (std::vector<std::string>{"jdoe.sales.acme: Word.sales.acme=5",
                                                               "staff.acme: Excel.sales.acme=32"}));
        ASSERT_NE(folders, nullptr);
        EXPECT_STREQ(folders->applications->guid, c.wordGuid);
        KMAPPFreeGetFoldersEx(folders);
    }
}

}  // namespace
}  // namespace vpr::launcher
