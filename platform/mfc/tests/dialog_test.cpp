#include <gtest/gtest.h>

#include "afxwin.h"
#include "test_ids.h"

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

// A dialog class as the system writes them: data exchange, a button handler,
// its own initialisation.
class CNameDlg : public CDialog {
public:
    explicit CNameDlg(CWnd* parent = nullptr) : CDialog(IDD_NAME, parent) {}
    CString m_name = "start";
    int m_count = 3;
    int initialised = 0;
    int upperClicks = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_NAME_EDIT, m_name);
        DDV_MaxChars(pDX, m_name, 8);
        DDX_Text(pDX, IDC_COUNT_EDIT, m_count);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ++initialised;
        return TRUE;
    }
    afx_msg void OnUpper() {
        ++upperClicks;
        CString text;
        GetDlgItemText(IDC_NAME_EDIT, text);
        text.MakeUpper();
        SetDlgItemText(IDC_NAME_EDIT, text);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNameDlg, CDialog)
ON_BN_CLICKED(IDC_UPPER, OnUpper)
END_MESSAGE_MAP()

std::string Text(HWND dialog, int id) {
    char buffer[64] = "";
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

TEST(CDialog, RunsModallyAsThePersonFillsItIn) {
    UiDriver driver;
    CNameDlg dialog;
    driver.OnDialog(IDD_NAME, [&](const ModalElement& e) {
        EXPECT_EQ(e.caption, "Name");
        EXPECT_EQ(Text(e.window, IDC_NAME_EDIT), "start");  // members went into the controls
        EXPECT_EQ(Text(e.window, IDC_COUNT_EDIT), "3");
        EXPECT_EQ(CWnd::FromHandlePermanent(e.window), &dialog);
        ui::ReplaceText(e.window, IDC_NAME_EDIT, "abc");
        ui::Click(e.window, IDC_UPPER);
        ui::ReplaceText(e.window, IDC_COUNT_EDIT, "12");
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(dialog.initialised, 1);
    EXPECT_EQ(dialog.upperClicks, 1);
    EXPECT_STREQ(dialog.m_name, "ABC");
    EXPECT_EQ(dialog.m_count, 12);
    EXPECT_EQ(dialog.m_hWnd, nullptr);  // unbound when its window went
}

TEST(CDialog, OkWithBadInputKeepsTheDialogOpen) {
    UiDriver driver;
    CNameDlg dialog;
    int told = 0;
    auto answerOk = [&](const ModalElement& box) {
        ++told;
        ui::Click(box.window, IDOK);
    };
    driver.OnMessageBox("Please enter an integer.", answerOk);
    driver.OnMessageBox("Please enter no more than 8 characters.", answerOk);
    driver.OnDialog(IDD_NAME, [&](const ModalElement& e) {
        ui::ReplaceText(e.window, IDC_COUNT_EDIT, "12x");
        ui::Click(e.window, IDOK);
        EXPECT_TRUE(IsWindow(e.window));
        EXPECT_EQ(GetFocus(), GetDlgItem(e.window, IDC_COUNT_EDIT));  // where the fault is
        ui::ReplaceText(e.window, IDC_NAME_EDIT, "far too long");
        EXPECT_EQ(Text(e.window, IDC_NAME_EDIT), "far too ");  // the edit takes 8 at most
        SetDlgItemTextA(e.window, IDC_NAME_EDIT, "far too long");  // a program is not held back
        ui::ReplaceText(e.window, IDC_COUNT_EDIT, "4");
        ui::Click(e.window, IDOK);
        EXPECT_TRUE(IsWindow(e.window));
        ui::ReplaceText(e.window, IDC_NAME_EDIT, "short");
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(told, 2);
    EXPECT_STREQ(dialog.m_name, "short");
    EXPECT_EQ(dialog.m_count, 4);
}

TEST(CDialog, EscapeCancelsAndLeavesTheMembers) {
    UiDriver driver;
    CNameDlg dialog;
    driver.OnDialog(IDD_NAME, [&](const ModalElement& e) {
        ui::ReplaceText(e.window, IDC_NAME_EDIT, "typed");
        ui::PressKey(e.window, VK_ESCAPE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_STREQ(dialog.m_name, "start");
}

TEST(CDialog, MissingTemplateFails) {
    UiDriver driver;
    class CMissing : public CDialog {
    public:
        CMissing() : CDialog(999) {}
    } missing;
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_FALSE(missing.Create(999));
}

TEST(CDialog, RunsModelessUntilDestroyed) {
    UiDriver driver;
    CNameDlg dialog;
    ASSERT_TRUE(dialog.Create(IDD_NAME));
    ASSERT_NE(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.initialised, 1);
    HWND window = dialog.m_hWnd;
    dialog.ShowWindow(SW_SHOW);  // the template is not visible by itself
    ui::ReplaceText(window, IDC_NAME_EDIT, "mixed");
    ui::Click(window, IDC_UPPER);
    EXPECT_EQ(Text(window, IDC_NAME_EDIT), "MIXED");
    EXPECT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_STREQ(dialog.m_name, "MIXED");
    EXPECT_TRUE(driver.Failures().empty());
    dialog.DestroyWindow();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(CDialog, ReadsItsTemplateFromTheModuleThatOwnsTheCode) {
    HMODULE second = LoadLibraryA("MFCMOD32.DLL");
    ASSERT_NE(second, nullptr);
    auto run = reinterpret_cast<INT_PTR (*)(char*, int)>(GetProcAddress(second, "SecondRunDialog"));
    ASSERT_NE(run, nullptr);
    {
        UiDriver driver;
        driver.OnDialog(IDD_NAME, [&](const ModalElement& e) {
            EXPECT_EQ(e.caption, "Second module name");
            ui::Type(e.window, IDC_NAME_EDIT, "from the module");
            ui::Click(e.window, IDOK);
        });
        char typed[64] = "";
        EXPECT_EQ(run(typed, sizeof typed), IDOK);
        EXPECT_STREQ(typed, "from the module");
        EXPECT_TRUE(driver.Failures().empty());
        // The program's own dialog of the same id is its own.
        CNameDlg dialog;
        driver.OnDialog(IDD_NAME, [&](const ModalElement& e) {
            EXPECT_EQ(e.caption, "Name");
            ui::Click(e.window, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
    FreeLibrary(second);
}

}  // namespace
