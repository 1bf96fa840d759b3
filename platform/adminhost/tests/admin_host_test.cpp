#include <cstring>

#include "host_fixture.h"
#include "vpr/adminhost/qradm32.h"

namespace {

using vpr::adminhost::AdminHost;
using Lines = std::vector<std::string>;

TEST_F(HostFixture, StartsConfiguredModulesAndShutsThemDownAtTheEnd) {
    WritePrivateProfileStringA("Snapin Modules", "GONE", "NOSUCH.DLL", "kmadmin.ini");
    ASSERT_EQ(host_.Start(), 1);
    ASSERT_EQ(host_.Modules().size(), 2u);
    EXPECT_EQ(host_.Modules()[0].windowsName, "HOSTSNAP.DLL");
    EXPECT_EQ(host_.Modules()[1].handle, nullptr);  // listed but missing: left out
    const auto* user = host_.FindClass("User");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->moduleName, "Host test snap-in");
    EXPECT_EQ(user->flags, 1);
    ASSERT_EQ(host_.Tools().size(), 1u);
    EXPECT_EQ(host_.Tools()[0].text, "&Show Selection");
    // The class makes its pages as it registers, within InitSnapin.
    EXPECT_EQ(*log_, (Lines{"InitSnapin", "0x100", "0x110"}));
    EXPECT_EQ(AdminHost::Current(), &host_);
    host_.Stop();
    EXPECT_EQ(LogFrom("0x101"), (Lines{"0x101", "ShutDown"}));
    EXPECT_EQ(AdminHost::Current(), nullptr);
    EXPECT_EQ(HostGetMainWindow(), nullptr);
}

TEST_F(HostFixture, AModuleThatFailsToStartIsStillShutDown) {
    config_->initResult = -931;
    EXPECT_EQ(host_.Start(), 0);
    EXPECT_EQ(host_.Modules()[0].initResult, -931);
    EXPECT_TRUE(host_.Classes().empty());
    host_.Stop();
    EXPECT_EQ(*log_, (Lines{"InitSnapin", "ShutDown"}));
}

TEST_F(HostFixture, OnlyOneHostRunsInAProcess) {
    ASSERT_EQ(host_.Start(), 1);
    AdminHost second;
    EXPECT_EQ(second.Start(), -1);
    EXPECT_EQ(AdminHost::Current(), &host_);
}

TEST_F(HostFixture, ToolsItemFollowsItsStateAndSeesTheSelection) {
    ASSERT_EQ(host_.Start(), 1);
    EXPECT_EQ(host_.ToolsItemState("&Show Selection"), SNAPIN_MENU_GRAYED);
    EXPECT_EQ(host_.RunToolsItem("&Show Selection"), 1);
    EXPECT_EQ(host_.RunToolsItem("&No Such Item"), -1);
    ASSERT_EQ(host_.Select({"jdoe.sales.acme"}), 0);
    EXPECT_EQ(host_.RunToolsItem("&Show Selection"), 0);
    EXPECT_EQ(log_->back(), "action User jdoe.sales.acme");
    EXPECT_NE(host_.Select({"nobody.sales.acme"}), 0);
    EXPECT_EQ(host_.Selection().size(), 1u);  // a refused selection changes nothing
}

TEST_F(HostFixture, SelectionRecordsAndContextHoldTheirTextsAtTheirPlaces) {
    ASSERT_EQ(host_.Start(), 1);
    ASSERT_EQ(host_.SetContext("sales.acme"), 0);
    ASSERT_EQ(host_.Select({"staff.sales.acme", "jdoe.sales.acme"}), 0);
    DWORD count = 0;
    ASSERT_EQ(HostGetSelectionCount(&count), 0);
    EXPECT_EQ(count, 2u);
    SnapinObjectRecord record;
    ASSERT_EQ(HostGetSelectedObject(1, &record), 0);
    EXPECT_STREQ(record.bytes + 0, "TEST_TREE");
    EXPECT_STREQ(record.bytes + 66, "User");
    EXPECT_STREQ(record.bytes + 132, "jdoe.sales.acme");
    std::memset(record.bytes, 'x', sizeof record.bytes);
    EXPECT_EQ(HostGetSelectedObject(2, &record), -1);
    EXPECT_STREQ(record.bytes + 66, "");  // past the selection: zeros, never stale bytes
    char tree[SNAPIN_TREE_NAME_SIZE], context[SNAPIN_NAME_SIZE];
    ASSERT_EQ(HostGetCurrentContext(tree, context), 0);
    EXPECT_STREQ(tree, "TEST_TREE");
    EXPECT_STREQ(context, "sales.acme");
    EXPECT_NE(host_.SetContext("jdoe.sales.acme"), 0);  // not a container
    EXPECT_EQ(host_.Context(), "sales.acme");
}

TEST_F(HostFixture, ClassBitmapsComeFromRegistrationOrTheHostsOwnClasses) {
    ASSERT_EQ(host_.Start(), 1);
    HBITMAP user = nullptr, group = nullptr, other = nullptr;
    EXPECT_EQ(HostGetClassBitmap("User", &user), 0);
    EXPECT_EQ(HostGetClassBitmap("Group", &group), 0);
    EXPECT_NE(user, group);
    EXPECT_EQ(HostGetClassBitmap("Printer", &other), -1);
    HBITMAP mine = CreateBitmap(16, 16, 1, 32, nullptr);
    EXPECT_EQ(HostRegisterObjectTypeBitmaps("User", "Person", mine, mine, nullptr), -1);  // all three or none
    EXPECT_EQ(HostRegisterObjectTypeBitmaps("Printer", "Printer", mine, mine, mine), -1);  // not registered
    ASSERT_EQ(HostRegisterObjectTypeBitmaps("User", "Person", mine, mine, mine), 0);
    EXPECT_EQ(HostGetClassBitmap("User", &user), 0);
    EXPECT_EQ(user, mine);
    EXPECT_EQ(host_.FindClass("User")->displayText, "Person");
    host_.Stop();
    DeleteObject(mine);
}

TEST_F(HostFixture, CreateCommandGetsTheContextAndItsAnswerOpensTheNewObject) {
    ASSERT_EQ(host_.Start(), 1);
    ASSERT_EQ(host_.SetContext("sales.acme"), 0);
    config_->createResult = SNAPIN_CREATED_DETAILS;
    vpr::user::UiDriver driver;
    driver.OnDialog(vpr::adminhost::kDetailsDialogId, [](const vpr::user::ModalElement& sheet) {
        EXPECT_EQ(sheet.caption, "created.sales.acme");
        vpr::user::ui::Click(sheet.window, IDCANCEL);
    });
    auto outcome = host_.CreateObject("User");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.result, SNAPIN_CREATED_DETAILS);
    EXPECT_EQ(outcome.created, Lines{"created.sales.acme"});
    EXPECT_EQ(driver.PendingHandlers(), 0u);
    EXPECT_TRUE(driver.Failures().empty());
    Lines log = LogFrom("0x102");
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "0x102 sales.acme");
    EXPECT_EQ(log[1], "0x103 created.sales.acme");

    config_->createCancelled = true;
    outcome = host_.CreateObject("User", "acme");
    EXPECT_TRUE(outcome.created.empty());
    EXPECT_EQ(log_->back(), "0x102 acme");
    EXPECT_EQ(host_.CreateObject("Printer").status, -1);
}

// A module's own view of the browser: two class filters, the objects chosen.
struct BrowseLog {
    std::vector<std::string> calls;
    static LONG CALLBACK CallBack(void* browser, UINT code, ULONG_PTR a, ULONG_PTR b) {
        auto* log = static_cast<BrowseLog*>(browser);
        log->calls.push_back(std::to_string(code));
        if (code == BROWSE_FILTER_COUNT) *reinterpret_cast<DWORD*>(a) = 1;
        if (code == BROWSE_FILTER) std::strcpy(reinterpret_cast<char*>(b), "User");
        if (code == BROWSE_OBJECT_CHOSEN)
            log->calls.back() += std::string(" ") + (reinterpret_cast<SnapinObjectRecord*>(b)->bytes + 132);
        return 0;
    }
};

TEST_F(HostFixture, BrowseExPicksOneObjectAndWritesWhereItEndedIntoBothBuffers) {
    ASSERT_EQ(host_.Start(), 1);
    ASSERT_EQ(host_.SetContext("sales.acme"), 0);
    vpr::user::UiDriver driver;
    driver.OnDialog(vpr::adminhost::kBrowseDialogId, [](const vpr::user::ModalElement& browse) {
        HWND list = GetDlgItem(browse.window, vpr::adminhost::IDC_BROWSE_LIST);
        // A start that is no container opens the host's context; only users are offered.
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
        vpr::user::ui::SelectRow(browse.window, vpr::adminhost::IDC_BROWSE_LIST, 0);
        vpr::user::ui::SelectRow(browse.window, vpr::adminhost::IDC_BROWSE_LIST, 1, MK_CONTROL);  // one at a time
        vpr::user::ui::Click(browse.window, vpr::adminhost::IDC_BROWSE_UP);
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);  // the unit "sales" in acme
        vpr::user::ui::DoubleClickRow(browse.window, vpr::adminhost::IDC_BROWSE_LIST, 0);
        vpr::user::ui::SelectRow(browse.window, vpr::adminhost::IDC_BROWSE_LIST, 1);
        vpr::user::ui::Click(browse.window, IDOK);
    });
    BrowseLog log;
    char start[SNAPIN_BROWSE_BUFFER_SIZE] = "jdoe.sales.acme";
    char second[SNAPIN_BROWSE_BUFFER_SIZE] = "";
    EXPECT_EQ(HostBrowseObjectsEx(HostGetMainWindow(), &log, start, second, nullptr, nullptr, nullptr, 0,
                                  BrowseLog::CallBack),
              0);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(log.calls, (std::vector<std::string>{"514", "515", "512", "513 jdoe.sales.acme"}));
    EXPECT_STREQ(start, "sales.acme");
    EXPECT_STREQ(second, "sales.acme");
}

}  // namespace
