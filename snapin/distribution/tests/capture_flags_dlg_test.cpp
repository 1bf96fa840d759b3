// The capture flags dialog as a person uses it from the Drives/Ports page:
// the page's option text follows every click, OK waits for the first change.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "snapin/distribution/capture_flags_dlg.h"
#include "vpr/testing/temp_machine.h"

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

// The module's application object, which knows the help file.
CWinApp testApp("distribution_tests");

class CaptureFlagsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApp.m_pszHelpFilePath = "VPRADM32.HLP";
        HWND window = CreateWindowExA(0, "STATIC", "/B ", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
        ASSERT_TRUE(preview_.Attach(window));
    }
    void TearDown() override { DestroyWindow(preview_.Detach()); }

    std::string Preview() {
        CString text;
        preview_.GetWindowText(text);
        return std::string(text);
    }
    static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
    static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

    // Runs the dialog as the page does, with `person` acting in it.
    INT_PTR Run(CCaptureFlagsDlg& dialog, DWORD flags, std::function<void(HWND)> person) {
        dialog.SetFlags(flags);
        dialog.SetPreviewWindow(&preview_);
        driver_.OnDialog(IDD_CAPTURE_FLAGS, [&](const ModalElement& e) {
            EXPECT_EQ(e.caption, "Set Capture Flags");
            person(e.window);
        });
        INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(driver_.Failures().empty());
        return result;
    }

    vpr::testing::TempMachine machine_;
    UiDriver driver_;
    CWnd preview_;
};

TEST_F(CaptureFlagsDlgTest, NothingOverriddenThenBannerTurnedOn) {
    CCaptureFlagsDlg dialog;
    INT_PTR result = Run(dialog, 0, [&](HWND d) {
        for (int id = IDC_OVERRIDE_NOTIFY; id <= IDC_CAPTURE_FORM_FEED; ++id) EXPECT_FALSE(Checked(d, id)) << id;
        for (int id : {IDC_CAPTURE_NOTIFY, IDC_CAPTURE_BANNER, IDC_CAPTURE_FORM_FEED}) EXPECT_FALSE(Enabled(d, id)) << id;
        EXPECT_FALSE(Enabled(d, IDOK));
        EXPECT_EQ(Preview(), "/B ");  // not written before the first change

        ui::Check(d, IDC_OVERRIDE_BANNER, true);
        EXPECT_TRUE(Enabled(d, IDC_CAPTURE_BANNER));
        EXPECT_FALSE(Enabled(d, IDC_CAPTURE_NOTIFY));
        EXPECT_TRUE(Enabled(d, IDOK));
        EXPECT_EQ(Preview(), "/NB ");
        ui::Check(d, IDC_CAPTURE_BANNER, true);
        EXPECT_EQ(Preview(), "/B ");
        ui::Check(d, IDC_OVERRIDE_NOTIFY, true);
        EXPECT_EQ(Preview(), "/B /NNOTI ");
        ui::Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetFlags(), 0x13u);
}

TEST_F(CaptureFlagsDlgTest, TurningAnOverrideOffClearsAndDisablesItsSetting) {
    CCaptureFlagsDlg dialog;
    INT_PTR result = Run(dialog, 0x12, [&](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_OVERRIDE_BANNER));
        EXPECT_TRUE(Checked(d, IDC_CAPTURE_BANNER));
        EXPECT_TRUE(Enabled(d, IDC_CAPTURE_BANNER));
        EXPECT_FALSE(Checked(d, IDC_OVERRIDE_NOTIFY));

        ui::Check(d, IDC_OVERRIDE_BANNER, false);
        EXPECT_FALSE(Checked(d, IDC_CAPTURE_BANNER));
        EXPECT_FALSE(Enabled(d, IDC_CAPTURE_BANNER));
        EXPECT_EQ(Preview(), "");
        ui::Check(d, IDC_OVERRIDE_BANNER, true);
        EXPECT_FALSE(Checked(d, IDC_CAPTURE_BANNER));  // the setting does not come back
        EXPECT_EQ(Preview(), "/NB ");
        EXPECT_EQ(dialog.GetFlags(), 0x02u);
        ui::Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(CaptureFlagsDlgTest, TheLongestOptionTextAndNoSettingWithoutItsOverride) {
    CCaptureFlagsDlg dialog;
    // A setting bit without its override bit means nothing and is not handed back.
    INT_PTR result = Run(dialog, kCaptureFormFeedOn | kCaptureNotifyOn, [&](HWND d) {
        EXPECT_FALSE(Checked(d, IDC_CAPTURE_FORM_FEED));
        ui::Check(d, IDC_OVERRIDE_NOTIFY, true);
        ui::Check(d, IDC_OVERRIDE_BANNER, true);
        ui::Check(d, IDC_OVERRIDE_FORM_FEED, true);
        EXPECT_EQ(Preview(), "/NFF /NB /NNOTI ");
        EXPECT_EQ(Preview().size(), 16u);
        ui::Check(d, IDC_CAPTURE_FORM_FEED, true);
        ui::Check(d, IDC_CAPTURE_FORM_FEED, false);
        ui::Check(d, IDC_OVERRIDE_NOTIFY, false);
        ui::Click(d, IDHELP);
        ui::Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetFlags(), 0x06u);
    auto journal = machine_.machine()->ReadJournal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back().kind, "help");
    EXPECT_EQ(journal.back().text, "VPRADM32.HLP\tHELP_CONTEXT\t80031");
}

}  // namespace
