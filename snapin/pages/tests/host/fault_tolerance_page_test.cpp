// The Fault Tolerance page of an application: the two lists, the back links
// on the listed applications, the rights of the associated objects and bits
// 0x18 of "App:Flags".
#include "page_host_fixture.h"
#include "prsht.h"
#include "vpr/adminhost/admin_host.h"

namespace faults = vpr::directory::faults;
namespace ui = vpr::user::ui;

namespace {

// WP is associated with jdoe; both lists are on.
class FaultTolerancePageTest : public PageHostTest {
protected:
    void Seed() override {
        tree_.Set("WP.sales.acme", "App:Back Link", {"jdoe.sales.acme"}).Set("WP.sales.acme", "App:Flags", {"24"});
    }

    int Edit(const std::string& lines) { return Run("details WP.sales.acme\npage Fault Tolerance\n" + lines + "ok\n"); }

    std::string Lists() { return Stored({"WP.sales.acme"}, {"App:Fault Tolerance", "App:Load Balancing", "App:Flags"}); }
    std::string Listed(const std::vector<std::string>& apps) { return Stored(apps, {"App:Alt Back Link", "ACL"}); }
};

TEST_F(FaultTolerancePageTest, AFirstRowGetsLevelZeroAndTheAssociatedObjectsGetRights) {
    EXPECT_EQ(Edit("pick Calc.sales.acme\npress 2708\npick Draw.sales.acme\npress 2703\n"), 0) << output_;
    EXPECT_NE(output_.find("saved WP.sales.acme (0)"), std::string::npos) << output_;
    EXPECT_EQ(Lists(), "WP.sales.acme App:Fault Tolerance: Calc.sales.acme;0;0\n"
                       "WP.sales.acme App:Load Balancing: Draw.sales.acme\n"
                       "WP.sales.acme App:Flags: 24\n");
    EXPECT_EQ(Listed({"Calc.sales.acme", "Draw.sales.acme"}),
              "Calc.sales.acme App:Alt Back Link: WP.sales.acme\n"
              "Calc.sales.acme ACL: [All Attributes Rights];jdoe.sales.acme;3\n"
              "Draw.sales.acme App:Alt Back Link: WP.sales.acme\n"
              "Draw.sales.acme ACL: [All Attributes Rights];jdoe.sales.acme;3\n");
}

TEST_F(FaultTolerancePageTest, UpOnAStoredEntryRewritesBothMovedRows) {
    tree_.Set("WP.sales.acme", "App:Fault Tolerance", {"Draw.sales.acme;1;7", "Calc.sales.acme;0;5"});
    EXPECT_EQ(Edit("show 2707\nchoose 2707 Draw.sales.acme\npress 2710\nshow 2707\n"), 0) << output_;
    EXPECT_NE(output_.find("2707:\n  Calc.sales.acme\n  Draw.sales.acme\n"), std::string::npos) << output_;  // level order
    EXPECT_NE(output_.find("2707:\n* Draw.sales.acme\n  Calc.sales.acme\n"), std::string::npos) << output_;
    Texts values = Values("WP.sales.acme", "App:Fault Tolerance");
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (Texts{"Calc.sales.acme;1;5", "Draw.sales.acme;0;7"}));
}

// Deleted from both lists: the listed application no longer names WP and
// jdoe's rights on it go.
TEST_F(FaultTolerancePageTest, AnApplicationDeletedFromBothListsLosesItsBackLink) {
    tree_.Set("WP.sales.acme", "App:Fault Tolerance", {"Calc.sales.acme;0;0"})
        .Set("WP.sales.acme", "App:Load Balancing", {"Calc.sales.acme"})
        .Set("Calc.sales.acme", "App:Alt Back Link", {"WP.sales.acme"})
        .Grant("Calc.sales.acme", "jdoe.sales.acme", "[All Attributes Rights]", 3);
    EXPECT_EQ(Edit("choose 2707 Calc.sales.acme\npress 2809\nchoose 2702 Calc.sales.acme\npress 2704\n"), 0) << output_;
    EXPECT_EQ(Lists(), "WP.sales.acme App:Flags: 24\n");
    EXPECT_EQ(Listed({"Calc.sales.acme"}), "");
}

// Moved in one list (removed and added again) and deleted from the other:
// it is still listed, so its back link and the rights stay.
TEST_F(FaultTolerancePageTest, MovedInOneListAndDeletedFromTheOtherKeepsItsBackLink) {
    tree_.Set("WP.sales.acme", "App:Fault Tolerance", {"Calc.sales.acme;0;0", "Draw.sales.acme;1;0"})
        .Set("WP.sales.acme", "App:Load Balancing", {"Calc.sales.acme"})
        .Set("Calc.sales.acme", "App:Alt Back Link", {"WP.sales.acme"})
        .Grant("Calc.sales.acme", "jdoe.sales.acme", "[All Attributes Rights]", 3);
    EXPECT_EQ(Edit("choose 2707 Calc.sales.acme\npress 2711\nchoose 2702 Calc.sales.acme\npress 2704\n"), 0) << output_;
    Texts values = Values("WP.sales.acme", "App:Fault Tolerance");
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (Texts{"Calc.sales.acme;1;0", "Draw.sales.acme;0;0"}));
    EXPECT_EQ(Values("WP.sales.acme", "App:Load Balancing"), Texts{});
    EXPECT_EQ(Listed({"Calc.sales.acme"}), "Calc.sales.acme App:Alt Back Link: WP.sales.acme\n"
                                           "Calc.sales.acme ACL: [All Attributes Rights];jdoe.sales.acme;3\n");
}

// Only bits 0x18 change, on the flags as they are when the page saves.
TEST_F(FaultTolerancePageTest, OnlyItsOwnFlagsChangeEvenAfterAnotherChange) {
    vpr::user::UiDriver driver;
    driver.OnDialog(vpr::adminhost::kDetailsDialogId, [this](const vpr::user::ModalElement& sheet) {
        TCITEMA item{};
        char title[64] = {};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        item.cchTextMax = sizeof title;
        HWND tabs = GetDlgItem(sheet.window, IDC_PROPSHEET_TABS);
        int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            if (std::string(title) == "Fault Tolerance") ui::ClickTab(sheet.window, i);
        }
        HWND page = vpr::adminhost::AdminHost::DetailsPage(sheet.window);
        ui::Check(page, 2706, false);
        tree_.Set("WP.sales.acme", "App:Flags", {std::to_string(0x401 | 0x18)});  // another page saved first
        ui::Click(sheet.window, IDOK);
    });
    EXPECT_EQ(host_.OpenDetails("WP.sales.acme").saveResult, 0);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(Values("WP.sales.acme", "App:Flags"), Texts{std::to_string(0x401 | 0x08)});
}

// The fault-tolerance list's request fails, the flags are written: the save
// reports the first failure.
TEST_F(FaultTolerancePageTest, AFailingFirstStepKeepsItsStatus) {
    faults::FailModify(DIR_ERR_STORE, 2);  // jdoe's grant, Calc's back link, then WP's list
    EXPECT_EQ(Run("answer ok The \"Fault Tolerance\" page failed\n"
                  "details WP.sales.acme\npage Fault Tolerance\npick Calc.sales.acme\npress 2708\n"
                  "check 2701 off\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("Error code: -620\n"), std::string::npos) << output_;
    EXPECT_EQ(Lists(), "WP.sales.acme App:Flags: 16\n");
}

TEST_F(FaultTolerancePageTest, UpAndDownFollowTheSelection) {
    tree_.Set("WP.sales.acme", "App:Fault Tolerance", {"Calc.sales.acme;0;0", "Draw.sales.acme;1;0"});
    EXPECT_EQ(Run("details WP.sales.acme\npage Fault Tolerance\nchoose 2707 Calc.sales.acme\npress 2710\n"
                  "choose 2707 Draw.sales.acme\npress 2711\nchoose 2707 Calc.sales.acme add\npress 2711\ncancel\n"),
              1)
        << output_;
    // Up on the first entry, Down on the last and both with two selected are disabled.
    size_t errors = 0;
    for (size_t at = output_.find("error:"); at != std::string::npos; at = output_.find("error:", at + 1)) ++errors;
    EXPECT_EQ(errors, 3u) << output_;
}

}  // namespace
