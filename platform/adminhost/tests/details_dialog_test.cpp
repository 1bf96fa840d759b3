#include "host_fixture.h"
#include "prsht.h"
#include "vpr/adminhost/qradm32.h"

namespace {

using vpr::adminhost::AdminHost;
using vpr::adminhost::kDetailsDialogId;
using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;
using Lines = std::vector<std::string>;

int CurrentTab(HWND sheet) {
    return static_cast<int>(SendDlgItemMessageA(sheet, IDC_PROPSHEET_TABS, TCM_GETCURSEL, 0, 0));
}

class DetailsTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        ASSERT_EQ(host_.Start(), 1);
        log_->clear();
    }
    UiDriver driver_;
};

TEST_F(DetailsTest, APersonEditsBothPagesAndOkSavesThemInTheHostsOrderOfCalls) {
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        HWND tabs = GetDlgItem(sheet.window, IDC_PROPSHEET_TABS);
        EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
        char title[32] = {};
        TCITEMA item{TCIF_TEXT, 0, 0, title, sizeof title, 0, 0};
        SendMessageA(tabs, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(title, "Phone");  // tabs in record order
        // The sheet is laid out for its largest page: the page inside the
        // tabs, the buttons under them.
        RECT page, frame, ok;
        GetWindowRect(AdminHost::DetailsPage(sheet.window), &page);
        GetWindowRect(tabs, &frame);
        GetWindowRect(GetDlgItem(sheet.window, IDOK), &ok);
        EXPECT_TRUE(page.left > frame.left && page.top > frame.top && page.right < frame.right &&
                    page.bottom < frame.bottom);
        EXPECT_GT(ok.top, frame.bottom);
        ui::ReplaceText(AdminHost::DetailsPage(sheet.window), 1001, "Sales lead");
        ui::ClickTab(sheet.window, 1);
        ui::ReplaceText(AdminHost::DetailsPage(sheet.window), 1101, "Boss");
        ui::Click(sheet.window, IDOK);
    });
    auto outcome = host_.OpenDetails("jdoe.sales.acme");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_TRUE(outcome.modified);
    EXPECT_EQ(outcome.saveResult, 0);
    EXPECT_TRUE(driver_.Failures().empty());
    EXPECT_EQ(*log_, (Lines{"0x103 jdoe.sales.acme", "0x104 jdoe.sales.acme", "0x104 jdoe.sales.acme", "init 0",
                            "canclose 0", "init 1", "canclose 1", "0x106 jdoe.sales.acme", "0x111 jdoe.sales.acme",
                            "destroy 0", "destroy 1"}));
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "Sales lead");
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Title"), "Boss");
    EXPECT_FALSE(host_.DetailsOpen());
}

TEST_F(DetailsTest, CancelOnlyClosesAndSavesNothing) {
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        ui::ReplaceText(AdminHost::DetailsPage(sheet.window), 1001, "typed");
        ui::Click(sheet.window, IDCANCEL);
    });
    auto outcome = host_.OpenDetails("jdoe.sales.acme");
    EXPECT_FALSE(outcome.confirmed);
    EXPECT_TRUE(outcome.modified);
    EXPECT_EQ(LogFrom("init 0"), (Lines{"init 0", "0x111 jdoe.sales.acme", "destroy 0"}));
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "");
}

TEST_F(DetailsTest, APageThatMayNotCloseKeepsTheSheetOnIt) {
    config_->canClose[0] = 0;
    driver_.OnDialog(kDetailsDialogId, [this](const ModalElement& sheet) {
        ui::ClickTab(sheet.window, 1);
        EXPECT_EQ(CurrentTab(sheet.window), 0);
        ui::Click(sheet.window, IDOK);
        EXPECT_TRUE(IsWindowVisible(sheet.window));
        config_->canClose[0] = 1;
        ui::Click(sheet.window, IDOK);
    });
    auto outcome = host_.OpenDetails("jdoe.sales.acme");
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_EQ(LogFrom("init 0"), (Lines{"init 0", "canclose 0", "canclose 0", "canclose 0", "0x106 jdoe.sales.acme",
                                        "0x111 jdoe.sales.acme", "destroy 0"}));
}

TEST_F(DetailsTest, HelpGoesToTheCurrentPage) {
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        ui::Click(sheet.window, IDHELP);
        ui::ClickTab(sheet.window, 1);
        ui::Click(sheet.window, IDHELP);
        ui::Click(sheet.window, IDCANCEL);
    });
    host_.OpenDetails("jdoe.sales.acme");
    EXPECT_EQ(LogFrom("init 0"), (Lines{"init 0", "help 0", "canclose 0", "init 1", "help 1", "0x111 jdoe.sales.acme",
                                        "destroy 0", "destroy 1"}));
}

TEST_F(DetailsTest, OkHandedToAPagesDefaultProcedureIsTheSheetsOk) {
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        ui::ReplaceText(AdminHost::DetailsPage(sheet.window), 1001, "Done by the page");
        ui::Click(AdminHost::DetailsPage(sheet.window), 1005);
    });
    auto outcome = host_.OpenDetails("jdoe.sales.acme");
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_EQ(LogFrom("canclose 0"), (Lines{"canclose 0", "0x106 jdoe.sales.acme", "0x111 jdoe.sales.acme", "destroy 0"}));
    EXPECT_EQ(tree_.Text("jdoe.sales.acme", "Description"), "Done by the page");
}

TEST_F(DetailsTest, OneDetailsDialogAtATime) {
    driver_.OnDialog(kDetailsDialogId, [this](const ModalElement& sheet) {
        EXPECT_TRUE(host_.DetailsOpen());
        EXPECT_EQ(host_.OpenDetails("ann.sales.acme").status, -1);
        ui::Click(sheet.window, IDCANCEL);
    });
    EXPECT_EQ(host_.OpenDetails("jdoe.sales.acme").status, 0);
    EXPECT_EQ(driver_.PendingHandlers(), 0u);
    // No class serves groups, and unknown objects have no details.
    EXPECT_EQ(host_.OpenDetails("staff.sales.acme").status, -1);
    EXPECT_EQ(host_.OpenDetails("nobody.sales.acme").status, -1);
    EXPECT_EQ(std::count(log_->begin(), log_->end(), "0x103 ann.sales.acme"), 0);
}

TEST_F(DetailsTest, AScriptedBrowseReportsTwoObjectsAndWhereItEnded) {
    driver_.OnDialog(vpr::adminhost::kBrowseDialogId, [](const ModalElement& browse) {
        HWND list = GetDlgItem(browse.window, vpr::adminhost::IDC_BROWSE_LIST);
        auto row = [&](const char* text) {
            return static_cast<int>(SendMessageA(list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text)));
        };
        ui::DoubleClickRow(browse.window, vpr::adminhost::IDC_BROWSE_LIST, row("acme"));
        ui::DoubleClickRow(browse.window, vpr::adminhost::IDC_BROWSE_LIST, row("sales"));
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);  // two users and a group
        ui::SelectRow(browse.window, vpr::adminhost::IDC_BROWSE_LIST, row("ann"));
        ui::SelectRow(browse.window, vpr::adminhost::IDC_BROWSE_LIST, row("staff"), MK_CONTROL);
        ui::Click(browse.window, IDOK);
    });
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        ui::Click(AdminHost::DetailsPage(sheet.window), 1003);
        ui::Click(sheet.window, IDCANCEL);
    });
    host_.OpenDetails("jdoe.sales.acme");
    EXPECT_TRUE(driver_.Failures().empty());
    EXPECT_EQ(LogFrom("chosen"), (Lines{"chosen ann.sales.acme (User)", "chosen staff.sales.acme (Group)",
                                        "browsed 0 ended in sales.acme", "0x111 jdoe.sales.acme", "destroy 0"}));
}

TEST_F(DetailsTest, ACancelledBrowseReportsNothingAndKeepsItsStart) {
    driver_.OnDialog(vpr::adminhost::kBrowseDialogId,
                     [](const ModalElement& browse) { ui::Click(browse.window, IDCANCEL); });
    driver_.OnDialog(kDetailsDialogId, [](const ModalElement& sheet) {
        ui::Click(AdminHost::DetailsPage(sheet.window), 1003);
        ui::Click(sheet.window, IDCANCEL);
    });
    host_.OpenDetails("jdoe.sales.acme");
    EXPECT_EQ(LogFrom("browsed"), (Lines{"browsed -1 ended in [Root]", "0x111 jdoe.sales.acme", "destroy 0"}));
}

}  // namespace
