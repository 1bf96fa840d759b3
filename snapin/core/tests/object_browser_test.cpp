// The object browser against the administration host's own browse dialog
// over a real tree, a person choosing in the dialog; and the callback as the
// host calls it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "snapin/core/object_browser.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

using vpr::adminhost::IDC_BROWSE_CONTEXT;
using vpr::adminhost::IDC_BROWSE_LIST;
using vpr::adminhost::IDC_BROWSE_UP;
using vpr::adminhost::kBrowseDialogId;
using Texts = std::vector<std::string>;
namespace ui = vpr::user::ui;

namespace {

class ObjectBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.Org("acme").Unit("sales.acme").User("jdoe.sales.acme").User("ann.sales.acme")
            .Group("staff.sales.acme").User("boss.acme").LogIn("jdoe.sales.acme");
        ASSERT_EQ(host_.Start(), 0);
    }
    void TearDown() override { host_.Stop(); }

    // The next browse dialog: checks where it starts and what it offers
    // there, then lets `person` act in it.
    void NextBrowse(const std::string& startsIn, const Texts& offered, std::function<void(HWND)> person) {
        driver_.OnDialog(kBrowseDialogId, [=](const vpr::user::ModalElement& browse) {
            EXPECT_EQ(Item(browse.window, IDC_BROWSE_CONTEXT), startsIn);
            EXPECT_EQ(Rows(browse.window), offered);
            person(browse.window);
        });
    }
    static std::string Item(HWND dialog, int id) {
        char text[600] = {};
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
    static Texts Rows(HWND dialog) {
        Texts rows;
        HWND list = GetDlgItem(dialog, IDC_BROWSE_LIST);
        for (LRESULT i = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            char text[600] = {};
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            rows.push_back(text);
        }
        return rows;
    }
    static Texts Chosen(const CObjectBrowser& browser) {
        Texts names;
        for (DWORD i = 0; i < browser.GetSelectedCount(); ++i) names.push_back(browser.GetSelectedName(i));
        return names;
    }

    vpr::testing::TempMachine machine_;
    vpr::testing::TempTree tree_;
    vpr::adminhost::AdminHost host_;
    vpr::user::UiDriver driver_;
};

TEST_F(ObjectBrowserTest, OnePickFromTheRootThenTheNextBrowseStartsWhereTheUserEnded) {
    CObjectBrowser browser;
    ASSERT_TRUE(browser.AddClassFilter("User"));
    EXPECT_EQ(browser.GetContext(), nullptr);
    // No start anywhere: the root. Only users are offered beside the containers.
    NextBrowse("[Root]", {"acme"}, [](HWND d) {
        ui::DoubleClickRow(d, IDC_BROWSE_LIST, 0);
        EXPECT_EQ(Rows(d), (Texts{"sales", "boss"}));
        ui::DoubleClickRow(d, IDC_BROWSE_LIST, 0);
        ui::SelectRow(d, IDC_BROWSE_LIST, 0);  // ann
        ui::Click(d, IDOK);
    });
    browser.Browse(HostGetMainWindow());
    EXPECT_EQ(Chosen(browser), Texts{"ann.sales.acme"});
    ASSERT_NE(browser.GetContext(), nullptr);
    EXPECT_STREQ(browser.GetContext(), "sales.acme");
    EXPECT_NE(browser.GetHostValue(), 0u);

    // A second browse on the same browser adds to what the first chose.
    NextBrowse("sales.acme", {"ann", "jdoe"}, [](HWND d) {
        ui::Click(d, IDC_BROWSE_UP);
        ui::SelectRow(d, IDC_BROWSE_LIST, 1);  // boss
        ui::Click(d, IDOK);
    });
    browser.Browse(HostGetMainWindow());
    EXPECT_EQ(Chosen(browser), (Texts{"ann.sales.acme", "boss.acme"}));
    EXPECT_STREQ(browser.GetContext(), "acme");
    EXPECT_TRUE(driver_.Failures().empty());
}

TEST_F(ObjectBrowserTest, SeveralObjectsOfSeveralClassesFromAGivenStart) {
    CObjectBrowser browser("acme");
    browser.AddClassFilter("User");
    browser.AddClassFilter("Group");
    browser.SetFlags(kBrowseSeveral);
    // The argument wins over the context the browser was made with.
    NextBrowse("sales.acme", {"ann", "jdoe", "staff"}, [](HWND d) {
        ui::SelectRow(d, IDC_BROWSE_LIST, 0);
        ui::SelectRow(d, IDC_BROWSE_LIST, 2, MK_CONTROL);
        ui::Click(d, IDOK);
    });
    browser.Browse(HostGetMainWindow(), "sales.acme");
    EXPECT_EQ(Chosen(browser), (Texts{"ann.sales.acme", "staff.sales.acme"}));
    EXPECT_EQ(browser.GetSelectedName(2), nullptr);
    EXPECT_TRUE(driver_.Failures().empty());
}

TEST_F(ObjectBrowserTest, CancelChoosesNothingButKeepsWhereTheUserWent) {
    CObjectBrowser browser("acme");
    browser.AddClassFilter("User");
    NextBrowse("acme", {"sales", "boss"}, [](HWND d) {
        ui::DoubleClickRow(d, IDC_BROWSE_LIST, 0);
        ui::SelectRow(d, IDC_BROWSE_LIST, 0);
        ui::Click(d, IDCANCEL);
    });
    browser.Browse(HostGetMainWindow());
    EXPECT_EQ(browser.GetSelectedCount(), 0u);
    EXPECT_STREQ(browser.GetContext(), "sales.acme");
    EXPECT_TRUE(driver_.Failures().empty());
}

TEST_F(ObjectBrowserTest, BrowseExWritesBothContextsBack) {
    CObjectBrowser browser(nullptr, "staff.sales.acme");
    browser.AddClassFilter("Group");
    browser.SetFlags(kBrowseFileOrDirectory);
    NextBrowse("acme", {"sales"}, [](HWND d) {
        ui::DoubleClickRow(d, IDC_BROWSE_LIST, 0);
        ui::SelectRow(d, IDC_BROWSE_LIST, 0);
        ui::Click(d, IDOK);
    });
    browser.BrowseEx(HostGetMainWindow(), "acme");
    EXPECT_EQ(Chosen(browser), Texts{"staff.sales.acme"});
    EXPECT_STREQ(browser.GetContext(), "sales.acme");
    EXPECT_STREQ(browser.GetSecondContext(), "sales.acme");
    EXPECT_TRUE(driver_.Failures().empty());
}

// A start text too long for the host's buffer cannot name a context: the
// browse starts at the root instead of writing past the buffer.
TEST_F(ObjectBrowserTest, AStartTooLongForTheBufferStartsAtTheRoot) {
    CObjectBrowser browser;
    NextBrowse("[Root]", {"acme"}, [](HWND d) { ui::Click(d, IDCANCEL); });
    browser.Browse(HostGetMainWindow(), std::string(700, 'a').c_str());
    EXPECT_STREQ(browser.GetContext(), "[Root]");
    EXPECT_TRUE(driver_.Failures().empty());
}

// The callback as the host calls it: class filters asked by count and
// number, chosen records, codes whose high bits are set.
TEST(ObjectBrowserCallbackTest, AnswersTheHostsQuestions) {
    CObjectBrowser browser;
    const std::string longest(65, 'C');
    EXPECT_TRUE(browser.AddClassFilter("User"));
    EXPECT_TRUE(browser.AddClassFilter(longest.c_str()));
    EXPECT_FALSE(browser.AddClassFilter(std::string(66, 'D').c_str()));  // could not reach the host whole
    EXPECT_FALSE(browser.AddClassFilter(nullptr));

    DWORD count = 99;
    EXPECT_EQ(CObjectBrowser::BrowseCallback(&browser, 0x10000 | BROWSE_FILTER_COUNT,
                                             reinterpret_cast<ULONG_PTR>(&count), 0),
              0);
    EXPECT_EQ(count, 2u);
    char name[SNAPIN_CLASS_NAME_SIZE];
    std::memset(name, 'x', sizeof name);
    CObjectBrowser::BrowseCallback(&browser, BROWSE_FILTER, 1, reinterpret_cast<ULONG_PTR>(name));
    EXPECT_EQ(std::string(name), longest);  // whole, and terminated in the 66th byte
    CObjectBrowser::BrowseCallback(&browser, BROWSE_FILTER, 0, reinterpret_cast<ULONG_PTR>(name));
    EXPECT_STREQ(name, "User");
    CObjectBrowser::BrowseCallback(&browser, BROWSE_FILTER, 2, reinterpret_cast<ULONG_PTR>(name));
    EXPECT_STREQ(name, "");  // past the filters: an empty name, not stray bytes

    // A record whose name fills it to the last byte still reads as a text.
    SnapinObjectRecord record;
    std::memset(record.bytes, 'n', sizeof record.bytes);
    CObjectBrowser::BrowseCallback(&browser, BROWSE_OBJECT_CHOSEN, 0, reinterpret_cast<ULONG_PTR>(&record));
    CObjectBrowser::BrowseCallback(&browser, BROWSE_HOST_VALUE, 1234, 0);
    CObjectBrowser::BrowseCallback(&browser, 516, 0, reinterpret_cast<ULONG_PTR>(&record));  // not a code of ours
    ASSERT_EQ(browser.GetSelectedCount(), 1u);
    EXPECT_EQ(std::string(browser.GetSelectedName(0)), std::string(SNAPIN_NAME_SIZE - 1, 'n'));
    EXPECT_EQ(browser.GetHostValue(), 1234u);

    browser.ClearClassFilters();
    CObjectBrowser::BrowseCallback(&browser, BROWSE_FILTER_COUNT, reinterpret_cast<ULONG_PTR>(&count), 0);
    EXPECT_EQ(count, 0u);
}

}  // namespace
