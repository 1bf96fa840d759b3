// The creation error dialog as the administrator meets it after a template
// could not be applied.
#include <gtest/gtest.h>

#include "snapin/core/creation_error_dlg.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

CString Text(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

TEST(CreationErrorDlgTest, ShowsTheReportWhereTheWizardWasWithIconAndBeep) {
    vpr::testing::TempMachine machine;
    UiDriver driver;
    CString report;
    report.Format("Application Object: %s\r\n\r\nCreation Return Code : %d\r\n", "WORD.sales.acme", -601);
    const RECT wizardRect = {120, 80, 520, 380};
    CCreationErrorDlg dialog;
    dialog.SetReportText(report);
    dialog.SetWindowRect(&wizardRect);
    bool shown = false;
    driver.OnDialog(IDD_CREATION_ERROR, [&](const ModalElement& e) {
        shown = true;
        EXPECT_EQ(e.caption, "Application Creation Error");
        EXPECT_NE(e.text.find("The following errors occurred when the application object was created:"),
                  std::string::npos);
        EXPECT_STREQ(Text(e.window, IDC_CREATION_ERROR_REPORT), report);
        RECT where = {};
        GetWindowRect(e.window, &where);
        EXPECT_EQ(where.left, 120);
        EXPECT_EQ(where.top, 80);
        HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageA(e.window, IDC_CREATION_ERROR_ICON, STM_GETICON, 0, 0));
        EXPECT_EQ(icon, LoadIconA(nullptr, IDI_EXCLAMATION));
        EXPECT_NE(icon, nullptr);
        // The report is read, not edited.
        EXPECT_NE(GetWindowLongA(GetDlgItem(e.window, IDC_CREATION_ERROR_REPORT), GWL_STYLE) & ES_READONLY, 0);
        ui::Click(e.window, IDCANCEL);  // "&Close"
    });
    dialog.DoModal();
    EXPECT_TRUE(shown);
    EXPECT_EQ(driver.Beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
    EXPECT_TRUE(driver.Failures().empty());
}

}  // namespace
