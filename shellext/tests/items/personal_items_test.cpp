// What a person does to personal folders and applications: rename, delete
// after the question, Verify offered for installed applications only.
#include <algorithm>

#include "cache/launch_status_dlg.h"
#include "items/app_folder_item.h"
#include "items/group_folder_item.h"
#include "items_fixture.h"
#include "commctrl.h"
#include "vpr/user/ui_driver.h"

namespace {

class PersonalItemsTest : public ItemsTest {
protected:
    void SetUp() override {
        ItemsTest::SetUp();
        App("calc.acme");
        Associate("jdoe.sales.acme", "calc.acme", KMAPP_ASSOC_LAUNCHER);
        ASSERT_EQ(KMAPPAddPersonalFolderItem("TEST_TREE", "Mine", "calc.acme", 0x80000001), 1);
        StartCache();
    }
    CGroupFolderItem* Folder(const char* tree, const char* name, DWORD flags) {
        auto* folder = new CGroupFolderItem(tree, name, flags, RootIdList());
        folder->SetParentIdList(RootIdList() + CItemIdList(tree));
        return folder;
    }
    // The texts of the message boxes the driver saw.
    static std::vector<std::string> Boxes(const vpr::user::UiDriver& driver) {
        std::vector<std::string> texts;
        for (const auto& element : driver.Seen())
            if (element.messageBox) texts.push_back(element.text);
        return texts;
    }
};

TEST_F(PersonalItemsTest, OnlyAPersonalFolderIsRenamedAndOnlyToAFreeName) {
    vpr::user::UiDriver driver;
    CGroupFolderItem* shared = Folder("TEST_TREE\t", "Tools", 1);
    EXPECT_FALSE(shared->Rename("Other"));
    CGroupFolderItem* mine = Folder("Personal\t", "Mine", kPersonalItem | 1);
    EXPECT_FALSE(mine->Rename(""));
    EXPECT_FALSE(mine->Rename(nullptr));
    EXPECT_TRUE(Boxes(driver).empty());

    // A name the cache knows already is refused with a warning.
    driver.OnMessageBox("Folder already exists.", [](const vpr::user::ModalElement& box) {
        vpr::user::ui::Click(box.window, IDOK);
    });
    EXPECT_FALSE(mine->Rename("Mine"));
    EXPECT_EQ(Boxes(driver).size(), 1u);
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine"), std::vector<std::string>{"calc.acme"});

    ASSERT_TRUE(mine->Rename("Work"));
    EXPECT_STREQ(mine->GetName(), "Work");
    EXPECT_STREQ(mine->GetKey(), "Personal\tWork");
    CString key;
    mine->GetOwnIdList().GetItemKey(key, FALSE);
    EXPECT_STREQ(key, "Personal\tWork");
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Work"), std::vector<std::string>{"calc.acme"});
    EXPECT_TRUE(PersonalFolderItems("TEST_TREE", "Mine").empty());
    EXPECT_TRUE(driver.Failures().empty());
    shared->Release();
    mine->Release();
}

TEST_F(PersonalItemsTest, DeletesAfterTheQuestion) {
    vpr::user::UiDriver driver;
    CFolderItem* calc = cache->GetItem("TEST_TREE\tcalc.acme", kNoContext);
    ASSERT_NE(calc, nullptr);
    // Not inside a personal folder: asked, then nothing.
    driver.OnMessageBox("Are you sure you want to delete the application", [](const vpr::user::ModalElement& box) {
        vpr::user::ui::Click(box.window, IDYES);
    });
    EXPECT_FALSE(calc->Delete("TEST_TREE\tTools", TRUE));
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine"), std::vector<std::string>{"calc.acme"});
    // Inside one, answered No: nothing either.
    driver.OnMessageBox("Are you sure you want to delete the application", [](const vpr::user::ModalElement& box) {
        vpr::user::ui::Click(box.window, IDNO);
    });
    EXPECT_FALSE(calc->Delete("Personal\tMine", TRUE));
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine"), std::vector<std::string>{"calc.acme"});
    // Without the question, it goes.
    TakeNotifications();
    EXPECT_TRUE(calc->Delete("Personal\tMine", FALSE));
    EXPECT_TRUE(PersonalFolderItems("TEST_TREE", "Mine").empty());
    EXPECT_EQ(TakeNotifications().size(), 1u);
    calc->Release();

    CGroupFolderItem* mine = Folder("Personal\t", "Mine", kPersonalItem | 1);
    driver.OnMessageBox("Are you sure you want to delete the personal folder 'Mine'?",
                        [](const vpr::user::ModalElement& box) { vpr::user::ui::Click(box.window, IDYES); });
    EXPECT_TRUE(mine->Delete(nullptr, TRUE));
    auto notes = TakeNotifications();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].find("RMDIR"), 0u) << notes[0];
    mine->Release();
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(driver.PendingHandlers(), 0u);
}

TEST_F(PersonalItemsTest, TheVerbDeleteIsTheDeleteCommand) {
    vpr::user::UiDriver driver;
    CGroupFolderItem* mine = Folder("Personal\t", "Mine", kPersonalItem | 1);
    driver.OnMessageBox("Are you sure you want to delete the personal folder 'Mine'?",
                        [](const vpr::user::ModalElement& box) { vpr::user::ui::Click(box.window, IDNO); });
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.lpVerb = "delete";
    EXPECT_EQ(mine->InvokeCommand(&info), S_OK);
    EXPECT_EQ(driver.PendingHandlers(), 0u);
    // Answered No: the folder stays.
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine"), std::vector<std::string>{"calc.acme"});
    info.lpVerb = "open";
    EXPECT_EQ(mine->InvokeCommand(&info), S_OK);
    EXPECT_EQ(Boxes(driver).size(), 1u);
    EXPECT_TRUE(driver.Failures().empty());
    mine->Release();
}

TEST_F(PersonalItemsTest, VerifyIsOfferedForAnInstalledApplicationOnly) {
    CFolderItem* calc = cache->GetItem("TEST_TREE\tcalc.acme", kNoContext);
    ASSERT_NE(calc, nullptr);
    calc->SetParentIdList(RootIdList() + CItemIdList("Personal\t") + CItemIdList("Personal\tMine"));
    auto entries = [&] {
        HMENU menu = CreatePopupMenu();
        calc->QueryContextMenu(menu, 0, 0, 100, CMF_NORMAL);
        std::vector<UINT> ids;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
        DestroyMenu(menu);
        return ids;
    };
    // Inside a personal folder it may be cut and deleted; not installed yet.
    std::vector<UINT> before = entries();
    EXPECT_EQ(std::count(before.begin(), before.end(), static_cast<UINT>(kCmdVerify)), 0);
    EXPECT_EQ(std::count(before.begin(), before.end(), static_cast<UINT>(kCmdDelete)), 1);
    EXPECT_EQ(std::count(before.begin(), before.end(), static_cast<UINT>(kCmdCut)), 1);

    // Opening it installs it (its launch is recorded); then Verify is there.
    calc->Open(kOpenShow);
    ASSERT_FALSE(Starts().empty());
    std::vector<UINT> after = entries();
    EXPECT_EQ(std::count(after.begin(), after.end(), static_cast<UINT>(kCmdVerify)), 1);

    // Verify launches it again.
    const size_t started = Starts().size();
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(kCmdVerify);
    EXPECT_EQ(calc->InvokeCommand(&info), S_OK);
    EXPECT_EQ(Starts().size(), started + 1);

    // Outside a personal folder it may not be cut nor deleted.
    calc->SetParentIdList(RootIdList() + CItemIdList("TEST_TREE\t"));
    std::vector<UINT> shared = entries();
    EXPECT_EQ(std::count(shared.begin(), shared.end(), static_cast<UINT>(kCmdDelete)), 0);
    EXPECT_EQ(std::count(shared.begin(), shared.end(), static_cast<UINT>(kCmdCut)), 0);
    calc->Release();
}

TEST_F(PersonalItemsTest, PropertiesOpenTheExtensionsOwnSheet) {
    CFolderItem* calc = cache->GetItem("TEST_TREE\tcalc.acme", kNoContext);
    ASSERT_NE(calc, nullptr);
    // The cache's own instances count too.
    const LONG cached = app->m_nLiveObjects.load() - 1;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(kCmdProperties);
    EXPECT_EQ(calc->InvokeCommand(&info), S_OK);
    HWND sheet = FindWindowA(nullptr, "Properties for: calc");
    ASSERT_NE(sheet, nullptr);
    HWND tabs = FindWindowExA(sheet, nullptr, WC_TABCONTROLA, nullptr);
    ASSERT_NE(tabs, nullptr);
    // Description, Contacts and the general page.
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    calc->Release();
    // The pages keep the item until the sheet goes.
    EXPECT_EQ(app->m_nLiveObjects.load(), cached + 1);
    DestroyWindow(sheet);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_FALSE(IsWindow(sheet));
    EXPECT_EQ(app->m_nLiveObjects.load(), cached);
}

TEST_F(PersonalItemsTest, NoSecondLaunchWhileOneRuns) {
    vpr::user::UiDriver driver;
    CFolderItem* calc = cache->GetItem("TEST_TREE\tcalc.acme", kNoContext);
    ASSERT_NE(calc, nullptr);
    CLaunchStatusDlg running;
    ASSERT_TRUE(running.CreateHidden());
    for (UINT command : {static_cast<UINT>(kCmdOpen), static_cast<UINT>(kCmdVerify)}) {
        driver.OnMessageBox("Please wait for the current distribution to finish.",
                            [](const vpr::user::ModalElement& box) { vpr::user::ui::Click(box.window, IDOK); });
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof(info);
        info.lpVerb = MAKEINTRESOURCEA(command);
        EXPECT_EQ(calc->InvokeCommand(&info), S_OK);
    }
    EXPECT_EQ(driver.PendingHandlers(), 0u);
    EXPECT_TRUE(Starts().empty());
    running.Close();
    // Once it is over, Open launches.
    calc->Open(kOpenShow);
    EXPECT_EQ(Starts().size(), 1u);
    calc->Release();
    EXPECT_TRUE(driver.Failures().empty());
}

}  // namespace
