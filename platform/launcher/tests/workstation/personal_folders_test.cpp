// Personal folders across trees, their renames and deletes, and their copy
// in the NRD file.
#include <string>
#include <vector>

#include "workstation_fixture.h"

namespace vpr::launcher {
namespace {

class PersonalFoldersTest : public WorkstationTest {
protected:
    void SetUp() override {
        WorkstationTest::SetUp();
        App("Word.acme");
        App("Mail.acme");
        Associate("jdoe.sales.acme", "Word.acme", KMAPP_ASSOC_LAUNCHER);
        Associate("staff.acme", "Mail.acme", KMAPP_ASSOC_LAUNCHER);
        treeName = tree.name();
    }

    // "folder: application ..." per personal folder of the list.
    std::vector<std::string> List(const std::vector<std::string>& trees) {
        KmappFolder* list = nullptr;
        for (const std::string& name : trees) KMAPPGetPersonalFolders(context, name.c_str(), KMAPP_ASSOC_ALL, &list);
        std::vector<std::string> lines;
        for (const KmappFolder* folder = list; folder; folder = folder->next) {
            std::string line = std::string(folder->name) + ":";
            for (const KmappApplication* app = folder->applications; app; app = app->next)
                line += " " + std::string(app->name);
            lines.push_back(line);
        }
        KMAPPFreeGetFoldersEx(list);
        return lines;
    }

    bool FolderKey(const std::string& tree, const std::string& folder) {
        HKEY key = nullptr;
        std::string path = std::string(KMAPP_FOLDERS_KEY) + "\\" + tree + "\\" + folder;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    std::string treeName;
};

TEST_F(PersonalFoldersTest, OneNameInTwoTreesIsListedOnce) {
    ASSERT_EQ(KMAPPAddPersonalFolderItem(treeName.c_str(), "Work", "Word.acme", 0x80000001), 1);
    // The same folder name under a second tree, which grants nothing here.
    ASSERT_EQ(KMAPPCreatePersonalFolder("SECOND_TREE", "Work"), 1);
    ASSERT_EQ(KMAPPCreatePersonalFolder("SECOND_TREE", "Games"), 1);
    EXPECT_EQ(List({treeName, "SECOND_TREE"}), (std::vector<std::string>{"Work: Word.acme", "Games:"}));
}

TEST_F(PersonalFoldersTest, ItemsMoveBetweenFoldersThroughThePersonalNode) {
    ASSERT_EQ(KMAPPAddPersonalFolderItem(treeName.c_str(), "Work", "Word.acme", 0x80000001), 1);
    ASSERT_EQ(KMAPPAddPersonalFolderItem(KMAPP_PERSONAL_NODE, "Later", "Word.acme", 0x80000001), 1);
    ASSERT_EQ(KMAPPDeletePersonalFolderItem(KMAPP_PERSONAL_NODE, "Work", "Word.acme"), 1);
    EXPECT_EQ(List({treeName}), (std::vector<std::string>{"Later: Word.acme", "Work:"}));
    EXPECT_EQ(KMAPPDeletePersonalFolderItem(KMAPP_PERSONAL_NODE, "Work", "Word.acme"), 0);  // gone already
}

TEST_F(PersonalFoldersTest, RenamingOntoAnExistingNameChangesNothing) {
    KMAPPAddPersonalFolderItem(treeName.c_str(), "Work", "Word.acme", 0x80000001);
    KMAPPAddPersonalFolderItem(treeName.c_str(), "Mail", "Mail.acme", 0x80000001);
    EXPECT_EQ(KMAPPRenamePersonalFolder("Work", "mail"), 0);
    EXPECT_EQ(List({treeName}), (std::vector<std::string>{"Mail: Mail.acme", "Work: Word.acme"}));
    EXPECT_EQ(KMAPPRenamePersonalFolder("Work", "Office"), 1);
    EXPECT_EQ(List({treeName}), (std::vector<std::string>{"Mail: Mail.acme", "Office: Word.acme"}));
}

TEST_F(PersonalFoldersTest, DeletingAFolderDeletesItUnderEveryTree) {
    KMAPPAddPersonalFolderItem(treeName.c_str(), "Work", "Word.acme", 0x80000001);
    KMAPPCreatePersonalFolder("SECOND_TREE", "Work");
    KMAPPDeletePersonalFolder("Work");
    EXPECT_FALSE(FolderKey(treeName, "Work"));
    EXPECT_FALSE(FolderKey("SECOND_TREE", "Work"));
}

TEST_F(PersonalFoldersTest, TheNrdCopyComesBackOnlyWhereTheRegistryHasNone) {
    KMAPPAddPersonalFolderItem(treeName.c_str(), "Work", "Word.acme", 0x80000001);
    KMAPPCreatePersonalFolder(treeName.c_str(), "Empty");
    ASSERT_EQ(KMAPPWriteNRDFolders(context, treeName.c_str()), 1);
    // The registry's own folders win.
    EXPECT_EQ(KMAPPReadNRDFolders(context, treeName.c_str()), 0);
    KMAPPDeletePersonalFolder("Work");
    KMAPPDeletePersonalFolder("Empty");
    ASSERT_EQ(KMAPPReadNRDFolders(context, treeName.c_str()), 1);
    EXPECT_EQ(List({treeName}), (std::vector<std::string>{"Empty:", "Work: Word.acme"}));
    EXPECT_EQ(KMAPPReadNRDFolders(context, "OTHER_TREE"), 0);  // nothing kept for it
}

}  // namespace
}  // namespace vpr::launcher
