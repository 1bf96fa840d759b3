// The cache over the real launcher library and two directory trees: the
// nodes in tree order with the personal node last, the flags of keys, a
// login change rebuilding, a Force Run application started once by the
// schedule check, and an application of a personal folder launched through
// the tree it comes from.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cache/folder_node.h"
#include "cache_fixture.h"
#include "vpr/directory/client.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/user/ui_driver.h"

namespace fs = std::filesystem;

namespace {

class TreeCacheTest : public CacheTest {
protected:
    void SetUp() override {
        CacheTest::SetUp();
        // A file server share with the programs.
        {
            auto facts = *machine->machine();
            std::string error;
            fs::create_directories(machine->root() + "/server/apps");
            ASSERT_TRUE(vpr::machine::SetMachineFact(&facts, "unc.\\\\SERVER\\APPS", machine->root() + "/server/apps",
                                                     &error))
                << error;
            ASSERT_TRUE(facts.Save(&error)) << error;
            ASSERT_TRUE(vpr::machine::ReloadMachine(&error)) << error;
        }
        PlaceLibrary("KMAPP32.DLL");
        for (vpr::testing::TempTree* tree : {&treeA, &treeB})
            tree->Org("acme").User("admin.acme").User("jdoe.acme", "John Doe").User("mary.acme", "Mary");
        Administer(treeA, "Word.acme");
        Administer(treeA, "Clock.acme");
        Administer(treeB, "Draw.acme");
        Associate(treeA, "jdoe.acme", {"Word.acme;5;0", "Clock.acme;3;0"});
        Associate(treeB, "jdoe.acme", {"Draw.acme;9;0"});
        treeA.LogIn("jdoe.acme");
        treeB.LogIn("jdoe.acme");
    }

    // Makes an application object in the tree with a program on the share.
    void Administer(vpr::testing::TempTree& tree, const std::string& application) {
        tree.LogIn("admin.acme");
        CShellAppLibrary admin;
        DIR_CONTEXT context = admin.AllocContext(tree.name().c_str());
        ASSERT_GT(context, 0);
        if (!Entry<DWORD (*)(DIR_CONTEXT)>("KMAPPIsSchemaExtended")(context))
            ASSERT_EQ(Entry<LONG (*)(DIR_CONTEXT, DWORD)>("KMAPPExtendSchema")(context, KMAPP_SCHEMA_APPLICATIONS), 0);
        std::string leaf = application.substr(0, application.find('.'));
        std::string program = "\\\\SERVER\\APPS\\" + leaf + ".SH";
        std::string host = machine->root() + "/server/apps/" + leaf + ".SH";
        std::ofstream(host) << "#!/bin/sh\nexit 0\n";
        ::chmod(host.c_str(), 0755);
        auto create = Entry<LONG (*)(DIR_CONTEXT, LPCSTR, LPCSTR, LPCSTR, LPCSTR, DWORD)>("KMAPPCreateObject");
        ASSERT_EQ(create(context, ("." + application).c_str(), "App:Application", program.c_str(), leaf.c_str(), 0), 0);
        admin.FreeContext(context);
        tree.Grant(application, "[Public]", "[Entry Rights]", DIR_ENTRY_BROWSE);
        tree.Grant(application, "[Public]", "[All Attributes Rights]", DIR_ATTR_COMPARE | DIR_ATTR_READ);
    }

    // The user's associations ("application;flags;0"), which the user may read.
    void Associate(vpr::testing::TempTree& tree, const std::string& user, const std::vector<std::string>& values) {
        tree.Set(user, "App:Associations", values);
        tree.Grant(user, user, "App:Associations", DIR_ATTR_COMPARE | DIR_ATTR_READ);
    }

    std::vector<std::string> Keys(const CStringArray& array) {
        std::vector<std::string> keys;
        for (int i = 0; i < array.GetSize(); ++i) keys.push_back(static_cast<LPCSTR>(array[i]));
        return keys;
    }

    int Starts(const std::string& program) {
        int n = 0;
        for (const auto& entry : machine->machine()->ReadJournal())
            if (entry.kind == "start" && entry.text.find(program) != std::string::npos) ++n;
        return n;
    }

    vpr::testing::TempTree treeA{"TREE_A"};
    vpr::testing::TempTree treeB{"TREE_B"};
};

TEST_F(TreeCacheTest, OneNodePerTreeInTreeOrderAndThePersonalNodeLast) {
    StartCache();
    WaitForRebuilds(1);
    CStringArray nodes;
    EXPECT_EQ(cache->CountFolders(0x1, &nodes), 3);
    EXPECT_EQ(Keys(nodes), (std::vector<std::string>{"TREE_A\t", "TREE_B\t", "Personal\t"}));
    // Only trees whose folders hold a Start Menu application count for 0x4.
    CStringArray startMenu;
    EXPECT_EQ(cache->CountFolders(0x4, &startMenu), 1);
    EXPECT_EQ(Keys(startMenu), (std::vector<std::string>{"TREE_A\t"}));
    CStringArray folders;
    EXPECT_EQ(cache->ListFolders(0x2F, "TREE_B\t", &folders), 1);
    EXPECT_EQ(Keys(folders), (std::vector<std::string>{"TREE_B\tjdoe.acme"}));
}

TEST_F(TreeCacheTest, FlagsOfKeys) {
    StartCache();
    WaitForRebuilds(1);
    // The schedule check makes the applications' associations active.
    cache->CheckSchedules();
    struct Case {
        const char* key;
        DWORD flags;
    } cases[] = {
        {"", 0x1},
        {"TREE_A\t", 0x7},
        {"TREE_A\tjdoe.acme", 0x7},
        {"TREE_A\tWord.acme", 0x5},
        {"TREE_A\tClock.acme", 0x3},
        {"TREE_B\tDraw.acme", 0x9},
        {"TREE_B\tWord.acme", 0},   // in the other tree
        {"TREE_A\tword.acme", 0},   // names compare with case
        {"TREE_C\t", 0},
        {"TREE_A\tnothing.acme", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(cache->GetFlagsForKey(c.key), c.flags) << c.key;
}

TEST_F(TreeCacheTest, RecordsAndItemsOfKeys) {
    StartCache();
    WaitForRebuilds(1);
    CString context, guid;
    ASSERT_TRUE(cache->GetRecordTexts("TREE_A\tWord.acme", context, guid));
    EXPECT_FALSE(guid.IsEmpty());
    EXPECT_FALSE(cache->GetRecordTexts("TREE_A\tDraw.acme", context, guid));
    CStringArray names;
    ASSERT_EQ(cache->GetFolderObjectNames("TREE_A\tjdoe.acme", names), 1);
    EXPECT_NE(std::string(names[0]).find("jdoe"), std::string::npos) << static_cast<LPCSTR>(names[0]);
    EXPECT_EQ(cache->GetItemAttributes(""), 0x21040044u);
    EXPECT_EQ(cache->GetItemAttributes("TREE_A\t"), 0x21040044u);
    EXPECT_EQ(cache->GetItemAttributes("TREE_A\tjdoe.acme"), 0x21040045u);
}

TEST_F(TreeCacheTest, APersonalFolderEditRebuildsThePersonalNodeInItsPlace) {
    StartCache();
    WaitForRebuilds(1);
    CStringArray folders;
    EXPECT_EQ(cache->ListFolders(0x2F, "Personal\t", &folders), 0);
    auto add = Entry<BYTE (*)(LPCSTR, LPCSTR, LPCSTR, DWORD)>("KMAPPAddPersonalFolderItem");
    ASSERT_EQ(add("TREE_A", "Work", "Word.acme", 0x80000001), 1);
    cache->Rebuild(FALSE);
    EXPECT_EQ(cache->ListFolders(0x2F, "Personal\t", &folders), 1);
    EXPECT_EQ(Keys(folders), (std::vector<std::string>{"Personal\tWork"}));
    CStringArray nodes;
    cache->CountFolders(0x1, &nodes);
    EXPECT_EQ(Keys(nodes), (std::vector<std::string>{"TREE_A\t", "TREE_B\t", "Personal\t"}));
    // Its folder item is in the map: a personal folder that may be changed.
    EXPECT_EQ(cache->GetItemAttributes("Personal\tWork"), 0x21000175u);
}

TEST_F(TreeCacheTest, ALoginChangeRebuilds) {
    StartCache();
    WaitForRebuilds(1);
    CStringArray apps;
    EXPECT_EQ(cache->ListFolderChildren(0x1, "TREE_B\tjdoe.acme", apps), 0);  // not active before a check
    LONG before = cache->GetRebuildCount();
    cache->CheckLoginChange();  // nothing changed: no new cycle
    EXPECT_EQ(cache->GetRebuildCount(), before);

    // Mary logs in to the second tree: the next check starts a rebuild,
    // whose folders are hers (none).
    treeB.LogIn("mary.acme");
    cache->CheckLoginChange();
    WaitForRebuilds(before + 1);
    CStringArray folders;
    EXPECT_EQ(cache->ListFolders(0x2F, "TREE_B\t", &folders), 0);
    EXPECT_EQ(cache->ListFolders(0x2F, "TREE_A\t", &folders), 1);
}

TEST_F(TreeCacheTest, AForceRunApplicationIsStartedOnceByTheScheduleCheck) {
    StartCache();
    WaitForRebuilds(1);
    vpr::user::UiDriver driver;
    EXPECT_TRUE(cache->CheckSchedules());
    EXPECT_EQ(Starts("Clock.SH"), 1);
    EXPECT_EQ(Starts("Word.SH"), 0);
    // Its state is the same at the next check: not started again.
    EXPECT_FALSE(cache->CheckSchedules());
    EXPECT_EQ(Starts("Clock.SH"), 1);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

TEST_F(TreeCacheTest, AnApplicationOfAPersonalFolderLaunchesThroughItsTree) {
    // Draw comes from the second tree, which is not the default one.
    auto add = Entry<BYTE (*)(LPCSTR, LPCSTR, LPCSTR, DWORD)>("KMAPPAddPersonalFolderItem");
    ASSERT_EQ(add("TREE_B", "Work", "Draw.acme", 0x80000001), 1);
    StartCache();
    WaitForRebuilds(1);
    CStringArray folders;
    EXPECT_EQ(cache->ListFolders(0x2F, "Personal\t", &folders), 1);
    EXPECT_EQ(cache->GetFlagsForKey("Personal\tWork"), 0x80000001u);
    CString tree;
    ASSERT_TRUE(cache->GetLaunchTree("Personal\tDraw.acme", tree));
    EXPECT_EQ(tree, "TREE_B");
    vpr::user::UiDriver driver;
    cache->Launch("Personal\tDraw.acme", nullptr);
    EXPECT_EQ(Starts("Draw.SH"), 1);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

}  // namespace
