// The module framework in the administration host: TESTSNAP.DLL registers a
// Tools item and a class with two pages, and a person works with them.
#include <gtest/gtest.h>

#include <sstream>

#include "prsht.h"
#include "test_snapin/test_snapin.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/adminhost/script_runner.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "windows.h"

namespace {

using vpr::adminhost::AdminHost;
using vpr::adminhost::kDetailsDialogId;
using vpr::user::ModalElement;
namespace ui = vpr::user::ui;
using Lines = std::vector<std::string>;

class SnapinHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.Org("acme").Unit("sales.acme").User("jdoe.sales.acme").User("ann.sales.acme")
            .Set("jdoe.sales.acme", "Description", {"Old text"}).LogIn("jdoe.sales.acme");
        ASSERT_TRUE(WritePrivateProfileStringA("Snapin Modules", "TEST", "TESTSNAP.DLL", "kmadmin.ini"));
        snapin_ = LoadLibraryA("TESTSNAP.DLL");
        ASSERT_TRUE(snapin_);
        log_ = reinterpret_cast<TestSnapLogFn>(GetProcAddress(snapin_, "TestSnapLog"))();
        log_->clear();
        ASSERT_EQ(host_.Start(), 1);
    }
    void TearDown() override {
        host_.Stop();
        FreeLibrary(snapin_);
    }


    static std::string ItemText(HWND page, int id) {
        char text[128] = {};
        GetDlgItemTextA(page, id, text, sizeof text);
        return text;
    }

    vpr::testing::TempMachine machine_;
    vpr::testing::TempTree tree_{"TEST_TREE", "jdoe.sales.acme"};  // jdoe administers the tree
    AdminHost host_;
    HMODULE snapin_ = nullptr;
    std::vector<std::string>* log_ = nullptr;
    vpr::user::UiDriver driver_;
};

TEST_F(SnapinHostTest, TheModuleRegistersItsItemAndClassWithTheirTexts) {
    EXPECT_EQ(*log_, (Lines{"InitSnapin", "bitmaps registered", "pages made"}));
    const auto* user = host_.FindClass("User");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->moduleName, "Test snap-in module");
    EXPECT_EQ(user->flags, 1);
    EXPECT_EQ(user->displayText, "Person");
    HBITMAP bitmap = nullptr;
    EXPECT_EQ(HostGetClassBitmap("User", &bitmap), 0);
    EXPECT_EQ(bitmap, user->normal);
    ASSERT_EQ(host_.Tools().size(), 1u);
    EXPECT_EQ(host_.Tools()[0].text, "&Show User");
    EXPECT_EQ(host_.Tools()[0].hint, "Shows the selected user");
    EXPECT_EQ(host_.RunToolsItem("&Show User"), 1);  // nothing selected
    ASSERT_EQ(host_.Select({"ann.sales.acme"}), 0);
    EXPECT_EQ(host_.RunToolsItem("&Show User"), 0);
    EXPECT_EQ(log_->back(), "show ann.sales.acme");
    host_.Stop();
    EXPECT_EQ(log_->back(), "ShutDown");
}

TEST_F(SnapinHostTest, APersonEditsBothPagesAndOkSavesThem) {
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        HWND general = AdminHost::DetailsPage(sheet.window);
        EXPECT_EQ(ItemText(general, 1001), "Old text");  // the page read its object
        ui::ReplaceText(general, 1001, "New text");
        ui::ClickTab(sheet.window, 1);
        ui::ReplaceText(AdminHost::DetailsPage(sheet.window), 1101, "Boss");
        ui::Click(sheet.window, IDHELP);
        ui::Click(sheet.window, IDOK);
    });
    auto outcome = host_.OpenDetails("jdoe.sales.acme");
    EXPECT_TRUE(driver_.Failures().empty());
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_TRUE(outcome.modified);
    EXPECT_EQ(outcome.saveResult, 0);
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "New text");
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Title"), "Boss");
    EXPECT_EQ(*log_, (Lines{"InitSnapin", "bitmaps registered", "pages made", "init General", "init Phone",
                            "help Phone", "save General", "save Phone"}));
}

TEST_F(SnapinHostTest, APageKeepsTheSheetWhileItMayNotCloseAndItsOwnOkClosesIt) {
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        HWND general = AdminHost::DetailsPage(sheet.window);
        ui::ReplaceText(general, 1001, "stay");
        ui::ClickTab(sheet.window, 1);
        EXPECT_EQ(SendDlgItemMessageA(sheet.window, IDC_PROPSHEET_TABS, TCM_GETCURSEL, 0, 0), 0);
        ui::Click(general, 1005);  // the page's OK: the sheet's OK, refused the same way
        EXPECT_EQ(AdminHost::DetailsPage(sheet.window), general);
        ui::ReplaceText(general, 1001, "Left");
        ui::Click(general, 1005);
    });
    auto outcome = host_.OpenDetails("jdoe.sales.acme");
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "Left");
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Title"), "");  // never shown, never saved
}

TEST_F(SnapinHostTest, CancelSavesNothingAndTheNameGoesWithTheDialog) {
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        ui::ReplaceText(AdminHost::DetailsPage(sheet.window), 1001, "Typed");
        ui::Click(sheet.window, IDCANCEL);
    });
    auto outcome = host_.OpenDetails("jdoe.sales.acme");
    EXPECT_FALSE(outcome.confirmed);
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "Old text");
    // Details of another object read that object.
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        EXPECT_EQ(ItemText(AdminHost::DetailsPage(sheet.window), 1001), "");
        ui::Click(sheet.window, IDCANCEL);
    });
    host_.OpenDetails("ann.sales.acme");
    EXPECT_EQ(driver_.PendingHandlers(), 0u);
}

TEST_F(SnapinHostTest, AScriptDrivesTheModule) {
    std::istringstream script(
        "select jdoe.sales.acme\n"
        "run &Show User\n"
        "details jdoe.sales.acme\n"
        "  set 1001 Scripted\n"
        "  page Phone\n"
        "  set 1101 Chief\n"
        "  ok\n");
    std::ostringstream out;
    EXPECT_EQ(vpr::adminhost::RunScript(host_, script, out), 0) << out.str();
    EXPECT_EQ(out.str(), "selected 1\nran &Show User\nset 1001\npage Phone\nset 1101\nsaved jdoe.sales.acme (0)\n");
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "Scripted");
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Title"), "Chief");
}

}  // namespace
