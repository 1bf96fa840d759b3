// Who may launch what: an application runs only for a user whose folders
// list it; anything else is refused before anything is done.
#include "workstation_fixture.h"

namespace vpr::launcher {
namespace {

class RightsTest : public WorkstationTest {
protected:
    void SetUp() override {
        WorkstationTest::SetUp();
        for (const char* app : {"Own.acme", "Group.acme", "Unit.acme", "Org.acme", "Other.acme", "Gone.acme"})
            App(app);
        Associate("jdoe.sales.acme", "Own.acme", KMAPP_ASSOC_LAUNCHER);
        Associate("staff.acme", "Group.acme", KMAPP_ASSOC_START_MENU);
        Associate("sales.acme", "Unit.acme", KMAPP_ASSOC_DESKTOP);
        Associate("acme", "Org.acme", KMAPP_ASSOC_LAUNCHER);  // two levels up: beyond the default 1
        Associate("mary.acme", "Other.acme", KMAPP_ASSOC_LAUNCHER);
        // Every launch copies a file first, so a refused one shows it wrote nothing.
        WriteFile("\\\\SERVER\\APPS\\DATA.TXT", "data");
        for (const char* app : {"Own.acme", "Group.acme", "Unit.acme", "Org.acme", "Other.acme"})
            SetTemplate(app, "App:Copy Files", [&](HFILE file) {
                kmapptWriteFileEntry(file, 1, 0x1, "\\\\SERVER\\APPS\\DATA.TXT",
                                     (std::string("C:\\DATA\\") + app + ".TXT").c_str());
            });
    }
};

TEST_F(RightsTest, GrantedApplicationsRunAndOthersAreRefusedUntouched) {
    struct Case {
        const char* application;
        bool granted;
    } cases[] = {
        {"Own.acme", true},   {"Group.acme", true},  {"Unit.acme", true},
        {"Org.acme", false},  // a container beyond the inherit levels
        {"Other.acme", false},  // another user's
        {"Missing.acme", false},
    };
    for (const Case& c : cases) {
        size_t starts = Starts().size();
        Result result = Process(c.application);
        std::string copy = std::string("C:\\DATA\\") + c.application + ".TXT";
        if (c.granted) {
            EXPECT_EQ(result.result, 0u) << c.application;
            EXPECT_TRUE(Exists(copy)) << c.application;
            EXPECT_EQ(Starts().size(), starts + 1) << c.application;
        } else {
            EXPECT_EQ(result.result, KMAPP_LAUNCH_NOT_GRANTED) << c.application;
            EXPECT_EQ(result.detail, 5u) << c.application;
            EXPECT_EQ(result.buffer, c.application);
            EXPECT_FALSE(Exists(copy)) << c.application;
            EXPECT_EQ(Starts().size(), starts) << c.application;
        }
    }
}

TEST_F(RightsTest, MoreInheritLevelsReachFurtherContainers) {
    BYTE record[KMAPP_CONFIG_SIZE] = {};
    KmappConfigSet(record, KMAPP_CONFIG_OFFSET_MAGIC, KMAPP_CONFIG_MAGIC);
    KmappConfigSet(record, KMAPP_CONFIG_OFFSET_LEVELS, 2);
    tree.Stream("jdoe.sales.acme", "App:Launcher Config", std::string(reinterpret_cast<char*>(record), sizeof record));
    EXPECT_EQ(Process("Org.acme").result, 0u);
}

TEST_F(RightsTest, AnAssociationRemovedAfterListingNoLongerGrants) {
    KmappFolder* folders = KMAPPGetFoldersEx(context, nullptr, 1, KMAPP_ASSOC_ALL, 15);
    ASSERT_NE(folders, nullptr);
    EXPECT_STREQ(folders->applications->name, "Own.acme");
    SetAssociations("jdoe.sales.acme", {});
    Result result = Process(folders->applications->name);
    EXPECT_EQ(result.result, KMAPP_LAUNCH_NOT_GRANTED);
    EXPECT_FALSE(Exists("C:\\DATA\\Own.acme.TXT"));
    KMAPPFreeGetFoldersEx(folders);
}

TEST_F(RightsTest, FoldersLeaveOutAssociationsNamingMissingObjects) {
    Associate("jdoe.sales.acme", "Gone.acme", KMAPP_ASSOC_LAUNCHER);
    ASSERT_EQ(DirRemoveObject(admin, ".Gone.acme"), DIR_SUCCESS);
    KmappFolder* folders = KMAPPGetFoldersEx(context, nullptr, 1, KMAPP_ASSOC_ALL, 15);
    ASSERT_NE(folders, nullptr);
    std::vector<std::string> names;
    for (const KmappApplication* app = folders->applications; app; app = app->next) names.push_back(app->name);
    EXPECT_EQ(names, std::vector<std::string>{"Own.acme"});
    KMAPPFreeGetFoldersEx(folders);
}

TEST_F(RightsTest, APersonalFolderItemRunsOnlyWhileItsApplicationIsGranted) {
    EXPECT_EQ(KMAPPAddPersonalFolderItem(tree.name().c_str(), "Mine", "Own.acme", 0x80000001), 1);
    // Another user's application cannot be put into a personal folder...
    EXPECT_EQ(KMAPPAddPersonalFolderItem(tree.name().c_str(), "Mine", "Other.acme", 0x80000001), 0);
    EXPECT_EQ(KMAPPAddPersonalFolderItem(KMAPP_PERSONAL_NODE, "Mine", "Other.acme", 0x80000001), 0);
    KmappFolder* list = nullptr;
    KMAPPGetPersonalFolders(context, tree.name().c_str(), KMAPP_ASSOC_ALL, &list);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->applications, nullptr);
    EXPECT_STREQ(list->applications->name, "Own.acme");
    EXPECT_EQ(list->applications->next, nullptr);
    KMAPPFreeGetFoldersEx(list);
    EXPECT_EQ(Process("Own.acme").result, 0u);
    // ...and an item whose grant went away no longer counts.
    SetAssociations("jdoe.sales.acme", {});
    list = nullptr;
    KMAPPGetPersonalFolders(context, tree.name().c_str(), KMAPP_ASSOC_ALL, &list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->applications, nullptr);
    KMAPPFreeGetFoldersEx(list);
    EXPECT_EQ(Process("Own.acme").result, KMAPP_LAUNCH_NOT_GRANTED);
}

}  // namespace
}  // namespace vpr::launcher
