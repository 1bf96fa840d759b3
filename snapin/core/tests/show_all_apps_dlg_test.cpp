// The inherited applications view of a user selected in the host: the
// objects the user receives applications through, each with its five
// categories and the applications under every category they carry.
#include <gtest/gtest.h>

#include "application_tree_fixture.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/show_all_apps_dlg.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/user/ui_driver.h"

using vpr::user::ModalElement;
namespace ui = vpr::user::ui;
using Texts = std::vector<std::string>;

namespace {

class ShowAllAppsTest : public ApplicationTreeTest {
protected:
    void SetUp() override {
        ApplicationTreeTest::SetUp();
        tree_.User("jdoe.sales.acme").Group("staff.acme", {"jdoe.sales.acme"});
        for (const char* app : {"Word.acme", "Calc.acme", "Paint.acme"})
            ASSERT_EQ(theAppLibrary.CreateObject(context_, app, "App:Application", "X.EXE", app, 0), 0);
        tree_.Set("jdoe.sales.acme", "App:Associations", {"Word.acme;5;0"})
            .Set("staff.acme", "App:Associations", {"Calc.acme;8;0"})
            .Set("sales.acme", "App:Associations", {"Paint.acme;34;0", "Word.acme;2;0"});
    }
    void TearDown() override {
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        ApplicationTreeTest::TearDown();
    }

    // The view of the selected object: its caption, then each tree item as
    // its text and image, two spaces further in a level.
    Texts Show(const std::string& selected) {
        if (!selected.empty()) {
            EXPECT_EQ(host_.Select({selected}), 0);
        }
        Texts lines;
        driver_.OnDialog(IDD_SHOW_ALL_APPS, [&](const ModalElement& e) {
            lines.push_back(e.caption);
            HWND tree = GetDlgItem(e.window, IDC_SHOW_ALL_TREE);
            std::function<void(HTREEITEM, std::string)> walk = [&](HTREEITEM item, std::string indent) {
                for (; item; item = reinterpret_cast<HTREEITEM>(
                                 SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
                    char text[256] = {};
                    TVITEMA data{};
                    data.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
                    data.hItem = item;
                    data.pszText = text;
                    data.cchTextMax = sizeof text;
                    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
                    lines.push_back(indent + text + " " + std::to_string(data.iImage) + "/" +
                                    std::to_string(data.iSelectedImage));
                    walk(reinterpret_cast<HTREEITEM>(
                             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                         indent + "  ");
                }
            };
            walk(reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), "");
            HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
            lines.push_back("images " + std::to_string(ImageList_GetImageCount(images)));
            ui::Click(e.window, IDHELP);
            ui::Click(e.window, IDOK);
        });
        CShowAllAppsDlg dialog;
        dialog.DoModal();
        return lines;
    }

    vpr::user::UiDriver driver_;
};

// Images: 0-4 the categories (Launcher, Start Menu, Desktop, System Tray,
// Force Run), 5 an application, 6 user, 7 group, 8 organization, 9 unit.
const Texts kThroughUserGroupAndUnit = {
    "All Inherited Applications for jdoe.sales.acme",
    "jdoe.sales.acme 6/6", "  Launcher 0/0", "    Word.acme 5/5", "  Start Menu 1/1", "    Word.acme 5/5",
    "  Desktop 2/2", "  System Tray 3/3", "  Force Run 4/4",
    "staff.acme 7/7", "  Launcher 0/0", "  Start Menu 1/1", "  Desktop 2/2", "    Calc.acme 5/5", "  System Tray 3/3",
    "  Force Run 4/4",
    "sales.acme 9/9", "  Launcher 0/0", "  Start Menu 1/1", "  Desktop 2/2", "  System Tray 3/3", "    Paint.acme 5/5",
    "  Force Run 4/4", "    Paint.acme 5/5", "    Word.acme 5/5",
    "images 12"};

// The user has no launcher configuration of its own: the defaults say to
// take the container's, which reaches one container up.
TEST_F(ShowAllAppsTest, EveryObjectWithItsFiveCategoriesAndItsApplicationsUnderEach) {
    EXPECT_EQ(Show("jdoe.sales.acme"), kThroughUserGroupAndUnit);
}

// A configuration of the user's own, without the container flag, reaching
// two containers up: the organization is listed too.
TEST_F(ShowAllAppsTest, TheUsersOwnConfigurationDecidesHowFarUp) {
    std::string record(100, '\0');
    const uint32_t fields[] = {0xABCD1234u, 0x0000058Cu, 3600u, 2u};
    std::memcpy(record.data(), fields, sizeof fields);
    tree_.Set("acme", "App:Associations", {"Calc.acme;1;0"});
    tree_.Stream("jdoe.sales.acme", "App:Launcher Config", record);
    Texts expected = kThroughUserGroupAndUnit;
    expected.insert(expected.end() - 1, {"acme 8/8", "  Launcher 0/0", "    Calc.acme 5/5", "  Start Menu 1/1",
                                         "  Desktop 2/2", "  System Tray 3/3", "  Force Run 4/4"});
    EXPECT_EQ(Show("jdoe.sales.acme"), expected);
}

TEST_F(ShowAllAppsTest, WithoutASelectionTheViewIsEmpty) {
    EXPECT_EQ(Show(""), (Texts{"All Associated Application Objects", "images 0"}));
}

}  // namespace
