#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prsht.h"
#include "vpr/user/ui_driver.h"
#include "test_ids.h"
#include "windows.h"

namespace {

using vpr::user::UiDriver;

std::vector<std::string> g_events;
std::string g_name = "old";
LONG_PTR g_applyAnswer = PSNRET_NOERROR;
LONG_PTR g_killActiveAnswer = FALSE;

// A page with one edit (id 100): reports what the sheet tells it, marks the
// sheet changed when the user edits, and saves the edit's text on apply.
INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* info = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
        SetWindowLongA(page, DWL_USER, info->lParam);
        g_events.push_back("init " + std::to_string(info->lParam));
        SetDlgItemTextA(page, 100, g_name.c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE && GetFocus() == reinterpret_cast<HWND>(lParam))
            SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
        return TRUE;
    case WM_NOTIFY: {
        auto code = reinterpret_cast<NMHDR*>(lParam)->code;
        std::string which = std::to_string(GetWindowLongA(page, DWL_USER));
        LONG_PTR answer = 0;
        if (code == PSN_SETACTIVE) g_events.push_back("setactive " + which);
        if (code == PSN_KILLACTIVE) {
            g_events.push_back("killactive " + which);
            answer = g_killActiveAnswer;
        }
        if (code == PSN_APPLY) {
            g_events.push_back("apply " + which);
            char text[64] = {};
            GetDlgItemTextA(page, 100, text, sizeof(text));
            answer = g_applyAnswer;
            if (answer == PSNRET_NOERROR && which == "1") g_name = text;
        }
        if (code == PSN_RESET) g_events.push_back("reset " + which);
        SetWindowLongA(page, DWL_MSGRESULT, answer);
        return TRUE;
    }
    }
    return FALSE;
}

class PropertySheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        g_name = "old";
        g_applyAnswer = PSNRET_NOERROR;
        g_killActiveAnswer = FALSE;
        for (int i = 0; i < 2; ++i) {
            pages_[i] = PROPSHEETPAGEA{sizeof(PROPSHEETPAGEA), PSP_DEFAULT, nullptr,
                                       {MAKEINTRESOURCEA(IDD_PAGE_GENERAL + i)}, nullptr, nullptr, PageProc, i + 1,
                                       nullptr, nullptr};
        }
        header_ = PROPSHEETHEADERA{sizeof(PROPSHEETHEADERA), PSH_PROPSHEETPAGE | PSH_PROPTITLE, nullptr, nullptr,
                                   nullptr, "Word", 2, 0, pages_, nullptr, nullptr};
    }
    PROPSHEETPAGEA pages_[2];
    PROPSHEETHEADERA header_;
};

HWND PageWindow(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

TEST_F(PropertySheetTest, APersonEditsTwoPagesAndPressesOk) {
    UiDriver driver;
    driver.OnDialogCaption("Properties for Word", [](const vpr::user::ModalElement& sheet) {
        HWND first = PageWindow(sheet.window);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet.window, ID_APPLY_NOW)));
        vpr::user::ui::ReplaceText(first, 100, "new");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet.window, ID_APPLY_NOW)));
        EXPECT_TRUE(vpr::user::ui::ClickTab(sheet.window, 1));
        HWND second = PageWindow(sheet.window);
        EXPECT_NE(second, first);
        EXPECT_FALSE(IsWindowVisible(first));
        EXPECT_TRUE(IsWindowVisible(second));
        vpr::user::ui::Click(sheet.window, IDOK);
    });
    EXPECT_EQ(PropertySheetA(&header_), 1);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(g_name, "new");
    EXPECT_EQ(g_events, (std::vector<std::string>{"init 1", "setactive 1", "killactive 1", "init 2", "setactive 2",
                                                  "killactive 2", "apply 1", "apply 2", "setactive 2"}));
}

TEST_F(PropertySheetTest, CancelResetsEveryPageMadeAndSavesNothing) {
    UiDriver driver;
    driver.OnDialogCaption("Properties for Word", [](const vpr::user::ModalElement& sheet) {
        vpr::user::ui::ReplaceText(PageWindow(sheet.window), 100, "typed");
        vpr::user::ui::Click(sheet.window, IDCANCEL);
    });
    EXPECT_EQ(PropertySheetA(&header_), 0);
    EXPECT_EQ(g_name, "old");
    EXPECT_EQ(g_events, (std::vector<std::string>{"init 1", "setactive 1", "reset 1"}));  // page 2 never made
}

TEST_F(PropertySheetTest, APageThatRefusesKeepsTheSheetWhereItIs) {
    UiDriver driver;
    driver.OnDialogCaption("Properties for Word", [](const vpr::user::ModalElement& sheet) {
        HWND tabs = GetDlgItem(sheet.window, IDC_PROPSHEET_TABS);
        g_killActiveAnswer = TRUE;  // the first page's data is not valid
        vpr::user::ui::ClickTab(sheet.window, 1);
        EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
        g_killActiveAnswer = FALSE;
        vpr::user::ui::ClickTab(sheet.window, 1);
        EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
        g_applyAnswer = PSNRET_INVALID_NOCHANGEPAGE;  // applying fails on page 1: it comes back
        vpr::user::ui::Click(sheet.window, IDOK);
        EXPECT_TRUE(IsWindow(sheet.window));
        EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
        g_applyAnswer = PSNRET_NOERROR;
        vpr::user::ui::Click(sheet.window, IDOK);
    });
    EXPECT_EQ(PropertySheetA(&header_), 1);
    EXPECT_TRUE(driver.Failures().empty());
}

TEST_F(PropertySheetTest, TabTitlesComeFromTheTemplateOrTheStringTable) {
    pages_[1].dwFlags |= PSP_USETITLE;
    pages_[1].pszTitle = MAKEINTRESOURCEA(IDS_PAGE_TITLE);
    UiDriver driver;
    driver.OnDialogCaption("Properties for Word", [](const vpr::user::ModalElement& sheet) {
        HWND tabs = GetDlgItem(sheet.window, IDC_PROPSHEET_TABS);
        std::vector<std::string> titles;
        for (int i = 0; i < 2; ++i) {
            char text[64] = {};
            TCITEMA item{TCIF_TEXT, 0, 0, text, sizeof text, 0, 0};
            SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            titles.push_back(text);
        }
        EXPECT_EQ(titles, (std::vector<std::string>{"General", "Identification"}));
        vpr::user::ui::Click(sheet.window, IDCANCEL);
    });
    EXPECT_EQ(PropertySheetA(&header_), 0);
    EXPECT_TRUE(driver.Failures().empty());
}

TEST_F(PropertySheetTest, ModelessSheetFromPageHandlesAppliesAndReportsClosing) {
    HPROPSHEETPAGE handles[2] = {CreatePropertySheetPageA(&pages_[0]), CreatePropertySheetPageA(&pages_[1])};
    ASSERT_NE(handles[0], nullptr);
    // A page whose template is missing or damaged is refused with the reason.
    for (auto [name, error] : {std::pair{MAKEINTRESOURCEA(999), ERROR_RESOURCE_NAME_NOT_FOUND},
                               std::pair{MAKEINTRESOURCEA(IDD_DAMAGED), ERROR_INVALID_DATA}}) {
        PROPSHEETPAGEA broken = pages_[0];
        broken.pszTemplate = name;
        EXPECT_EQ(CreatePropertySheetPageA(&broken), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(error));
    }
    PROPSHEETHEADERA header{sizeof(PROPSHEETHEADERA), PSH_MODELESS, nullptr, nullptr, nullptr, "Sheet", 2, 1,
                            nullptr, handles, nullptr};
    auto sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    ASSERT_TRUE(IsWindow(sheet));
    EXPECT_FALSE(DestroyPropertySheetPage(handles[0]));  // the sheet took them
    HWND second = PageWindow(sheet);  // the start page
    EXPECT_EQ(GetWindowLongA(second, DWL_USER), 2);
    EXPECT_TRUE(SendMessageA(sheet, PSM_SETCURSEL, 0, 0));
    SendMessageA(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(PageWindow(sheet)), 0);
    vpr::user::ui::Click(sheet, ID_APPLY_NOW);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, ID_APPLY_NOW)));
    EXPECT_NE(PageWindow(sheet), nullptr);
    vpr::user::ui::Click(sheet, IDOK);
    EXPECT_EQ(PageWindow(sheet), nullptr);  // closed: its owner destroys it
    DestroyWindow(sheet);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init 2", "setactive 2", "killactive 2", "init 1", "setactive 1",
                                                  "killactive 1", "apply 1", "apply 2", "setactive 1",
                                                  "killactive 1", "apply 1", "apply 2", "setactive 1"}));
}

}  // namespace
