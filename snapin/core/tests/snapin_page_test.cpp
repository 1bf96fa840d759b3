// The page base on its own: binding a page dialog to a window made for it
// and the page messages, without a host.
#include <gtest/gtest.h>

#include "snapin/core/snapin_page.h"
#include "vpr/mfc/dialog.h"

namespace {

class TestPage : public CDialog {
public:
    class Part : public CSnapinPage {
    public:
        explicit Part(TestPage* owner) : CSnapinPage(0, 310, owner) {}
        DLGPROC GetDialogProc() override { return SnapinPageDialogProc; }
        BOOL CanClose() override { return canClose; }
        BOOL canClose = TRUE;
    };
    TestPage() : m_page(this) {}
    BOOL OnInitDialog() override {
        ++inits;
        return CDialog::OnInitDialog();
    }
    LRESULT OnSetModified(WPARAM wParam, LPARAM lParam) {
        modified.push_back({wParam, lParam});
        return 0;
    }
    Part m_page;
    int inits = 0;
    std::vector<std::pair<WPARAM, LPARAM>> modified;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestPage, CDialog)
ON_MESSAGE(PGM_SETMODIFIED, OnSetModified)
END_MESSAGE_MAP()

class SnapinPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA("TESTSNAP.DLL");  // carries page template 310
        ASSERT_TRUE(module_);
        // A page is a child dialog: the frame stands in for the host's sheet.
        frame_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        window_ = CreateDialogParamA(module_, MAKEINTRESOURCEA(310), frame_, SnapinPageDialogProc,
                                     reinterpret_cast<LPARAM>(&page_));
        ASSERT_TRUE(window_);
    }
    void TearDown() override {
        DestroyWindow(frame_);
        FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
    TestPage page_;
    HWND frame_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(SnapinPageTest, WmInitDialogBindsThePageOnceAndAlwaysRunsOnInitDialog) {
    EXPECT_EQ(CWnd::FromHandlePermanent(window_), &page_);
    EXPECT_EQ(page_.inits, 1);
    TestPage other;
    EXPECT_EQ(AttachPageWindow(window_, &other), FALSE);
    SnapinPageDialogProc(window_, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(CWnd::FromHandlePermanent(window_), &page_);  // the binding stays
    EXPECT_EQ(other.inits, 1);
}

TEST_F(SnapinPageTest, CanCloseAndHelpAreAnsweredByThePagePart) {
    EXPECT_EQ(SnapinPageDialogProc(window_, PGM_CANCLOSE, 0, 0), TRUE);
    page_.m_page.canClose = FALSE;
    EXPECT_EQ(SnapinPageDialogProc(window_, PGM_CANCLOSE, 0, 0), FALSE);
    EXPECT_EQ(SnapinPageDialogProc(window_, PGM_HELP, 0, 0), TRUE);
    HWND unbound = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(SnapinPageDialogProc(unbound, PGM_CANCLOSE, 0, 0), 0);
    DestroyWindow(unbound);
}

TEST_F(SnapinPageTest, SetModifiedPutsTheFlagInTheHighWord) {
    page_.m_page.SetModified(TRUE);
    page_.m_page.SetModified(FALSE);
    ASSERT_EQ(page_.modified.size(), 2u);
    EXPECT_EQ(page_.modified[0], (std::pair<WPARAM, LPARAM>{0, 0x00010000}));
    EXPECT_EQ(page_.modified[1], (std::pair<WPARAM, LPARAM>{0, 0}));
}

TEST(SnapinPagePartTest, TheRecordCarriesTheTemplateAsNumberOrName) {
    TestPage page;
    EXPECT_EQ(page.m_page.GetTemplate(), MAKEINTRESOURCEA(310));
    class Named : public CSnapinPage {
    public:
        explicit Named(CDialog* owner) : CSnapinPage(0, "PAGE_TEMPLATE", owner) {}
        DLGPROC GetDialogProc() override { return SnapinPageDialogProc; }
    };
    CDialog other;
    Named named(&other);
    EXPECT_STREQ(named.GetTemplate(), "PAGE_TEMPLATE");
    EXPECT_EQ(CSnapinPage::FromDialog(&other), &named);
    EXPECT_EQ(CSnapinPage::FromDialog(&page), &page.m_page);
}

}  // namespace
