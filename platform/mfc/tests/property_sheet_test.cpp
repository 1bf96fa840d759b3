#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "afxwin.h"
#include "test_ids.h"

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

std::vector<std::string> g_events;

// A page that refuses to be left with an empty name.
class CNamePage : public CPropertyPage {
public:
    CNamePage(const char* tag, UINT caption = 0) : CPropertyPage(IDD_PAGE, caption), tag_(tag) {}
    CString m_name;

    BOOL OnInitDialog() override {
        CPropertyPage::OnInitDialog();  // fills the edit, which tells EN_CHANGE
        ready_ = true;
        return TRUE;
    }
    BOOL OnSetActive() override {
        g_events.push_back("setactive " + tag_);
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override {
        if (!CPropertyPage::OnKillActive()) return FALSE;
        g_events.push_back("killactive " + tag_);
        return !m_name.IsEmpty();
    }
    BOOL OnApply() override {
        g_events.push_back("apply " + tag_ + " " + (LPCSTR)m_name);
        return TRUE;
    }
    void OnReset() override { g_events.push_back("reset " + tag_); }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_NAME_EDIT, m_name); }
    afx_msg void OnNameChange() {
        if (ready_) SetModified(TRUE);
    }
    DECLARE_MESSAGE_MAP()

private:
    std::string tag_;
    bool ready_ = false;
};

BEGIN_MESSAGE_MAP(CNamePage, CPropertyPage)
ON_EN_CHANGE(IDC_NAME_EDIT, OnNameChange)
END_MESSAGE_MAP()

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

TEST(CPropertySheet, PagesRunAsThePersonMovesThroughThem) {
    UiDriver driver;
    g_events.clear();
    CNamePage first("1", IDS_PAGE_TITLE), second("2");
    first.m_name = "word";
    CPropertySheet sheet("Application");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    EXPECT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetPage(1), &second);
    driver.OnDialogCaption("Application", [&](const ModalElement& e) {
        HWND page = CurrentPage(e.window);
        EXPECT_EQ(first.m_hWnd, page);
        char text[32] = "";
        GetDlgItemTextA(page, IDC_NAME_EDIT, text, sizeof text);
        EXPECT_STREQ(text, "word");  // the page's members went into its controls
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(e.window, ID_APPLY_NOW)));
        ui::ReplaceText(page, IDC_NAME_EDIT, "excel");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(e.window, ID_APPLY_NOW)));  // SetModified
        ui::ClickTab(e.window, 1);
        ui::ClickTab(e.window, 0);  // the second page's name is empty: it stays
        EXPECT_EQ(CurrentPage(e.window), second.m_hWnd);
        ui::ReplaceText(second.m_hWnd, IDC_NAME_EDIT, "notes");
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(sheet.DoModal(), 1);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_STREQ(first.m_name, "excel");
    EXPECT_STREQ(second.m_name, "notes");
    EXPECT_EQ(g_events, (std::vector<std::string>{"setactive 1", "killactive 1", "setactive 2", "killactive 2",
                                                  "killactive 2", "apply 1 excel", "apply 2 notes", "setactive 2"}));
}

TEST(CPropertySheet, CancelResetsThePagesMade) {
    UiDriver driver;
    g_events.clear();
    CNamePage first("1"), second("2");
    CPropertySheet sheet("Application");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    driver.OnDialogCaption("Application", [&](const ModalElement& e) { ui::Click(e.window, IDCANCEL); });
    EXPECT_EQ(sheet.DoModal(), 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"setactive 1", "reset 1"}));
}

}  // namespace
