#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commdlg.h"
#include "resources/test_ids.h"
#include "vpr/testing/temp_machine.h"
#include "windows.h"

namespace {

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

// The rows of a list box of the dialog, as the person reads them.
std::vector<std::string> Rows(HWND dialog, int id) {
    std::vector<std::string> rows;
    HWND list = GetDlgItem(dialog, id);
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        char text[MAX_PATH] = {};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

std::string EditText(HWND dialog) {
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, edt1, text, sizeof text);
    return text;
}

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.qmt", "B.QMT", "notes.txt", "SUB\\c.qmt", "SUB\\d.txt"}) {
            std::string host = machine_.HostPath(std::string("C:\\TEMPLATE\\") + name);
            std::filesystem::create_directories(std::filesystem::path(host).parent_path());
            std::ofstream(host) << "x";
        }
        ofn_.lStructSize = sizeof(ofn_);
        ofn_.lpstrFilter = "Application Templates (*.qmt)\0*.qmt\0All Files (*.*)\0*.*\0\0";
        ofn_.lpstrFile = file_;
        ofn_.nMaxFile = sizeof(file_);
        ofn_.lpstrInitialDir = "C:\\TEMPLATE";
        ofn_.lpstrDefExt = "qmt";
    }

    vpr::testing::TempMachine machine_;
    UiDriver driver_;
    char file_[260] = "";
    OPENFILENAMEA ofn_{};
};

TEST_F(FileDialogTest, OpenListsTheFilterAndRefusesAMissingFile) {
    ofn_.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    std::vector<std::string> refusals;
    driver_.OnMessageBox("C:\\TEMPLATE\\missing.qmt", [&](const ModalElement& box) {
        refusals.push_back(box.text);
        ui::Click(box.window, IDOK);
    });
    driver_.OnDialogCaption("Open", [&](const ModalElement& e) {
        EXPECT_EQ(Rows(e.window, lst1), (std::vector<std::string>{"a.qmt", "B.QMT"}));
        EXPECT_EQ(Rows(e.window, lst2), (std::vector<std::string>{"[..]", "[SUB]"}));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(e.window, chx1)));
        ui::ReplaceText(e.window, edt1, "missing");
        ui::PressKey(e.window, VK_RETURN);  // refused: the dialog stays
        ASSERT_TRUE(IsWindow(e.window));
        ui::SelectRow(e.window, lst1, 1);
        EXPECT_EQ(EditText(e.window), "B.QMT");
        ui::Click(e.window, IDOK);
    });
    ASSERT_TRUE(GetOpenFileNameA(&ofn_));
    EXPECT_STREQ(file_, "C:\\TEMPLATE\\B.QMT");
    EXPECT_STREQ(file_ + ofn_.nFileOffset, "B.QMT");
    EXPECT_STREQ(file_ + ofn_.nFileExtension, "QMT");
    EXPECT_EQ(ofn_.nFilterIndex, 1u);
    EXPECT_EQ(refusals.size(), 1u);
    EXPECT_NE(refusals[0].find("File not found."), std::string::npos);
    EXPECT_TRUE(driver_.Failures().empty());
}

TEST_F(FileDialogTest, FoldersFileTypesAndTypedPatternsChangeTheList) {
    ofn_.lpstrTitle = "Template to create";
    ofn_.Flags = OFN_NOCHANGEDIR;
    driver_.OnDialogCaption("Template to create", [&](const ModalElement& e) {
        ui::DoubleClickRow(e.window, lst2, 1);  // [SUB]
        EXPECT_EQ(Rows(e.window, lst1), std::vector<std::string>{"c.qmt"});
        ui::SelectRow(e.window, cmb1, 1);  // All Files
        EXPECT_EQ(Rows(e.window, lst1), (std::vector<std::string>{"c.qmt", "d.txt"}));
        ui::DoubleClickRow(e.window, lst2, 0);  // [..]
        ui::ReplaceText(e.window, edt1, "*.txt");
        ui::PressKey(e.window, VK_RETURN);
        EXPECT_EQ(Rows(e.window, lst1), std::vector<std::string>{"notes.txt"});
        // The read-only box is offered and its state comes back in the flags.
        ui::Check(e.window, chx1, true);
        ui::ReplaceText(e.window, edt1, "SUB\\d.txt");
        ui::Click(e.window, IDOK);
    });
    ASSERT_TRUE(GetOpenFileNameA(&ofn_));
    EXPECT_STREQ(file_, "C:\\TEMPLATE\\SUB\\d.txt");
    EXPECT_EQ(ofn_.nFilterIndex, 2u);
    EXPECT_TRUE(ofn_.Flags & OFN_READONLY);
}

TEST_F(FileDialogTest, SaveAsksBeforeReplacingAndNeedsAnExistingFolder) {
    ofn_.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    int asked = 0;
    driver_.OnMessageBox("C:\\TEMPLATE\\a.qmt already exists.", [&](const ModalElement& box) {
        ++asked;
        ui::Click(box.window, IDNO);
    });
    driver_.OnMessageBox("C:\\TEMPLATE\\NODIR\\x.qmt", [](const ModalElement& box) { ui::Click(box.window, IDOK); });
    driver_.OnDialogCaption("Save As", [&](const ModalElement& e) {
        ui::ReplaceText(e.window, edt1, "a");
        ui::Click(e.window, IDOK);  // No: the dialog stays
        ui::ReplaceText(e.window, edt1, "NODIR\\x");
        ui::Click(e.window, IDOK);
        ui::ReplaceText(e.window, edt1, "new");
        ui::Click(e.window, IDOK);
    });
    ASSERT_TRUE(GetSaveFileNameA(&ofn_));
    EXPECT_EQ(asked, 1);
    EXPECT_STREQ(file_, "C:\\TEMPLATE\\new.qmt");
    EXPECT_TRUE(driver_.Failures().empty());
    // The current folder became the one the dialog showed.
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STREQ(current, "C:\\TEMPLATE");
}

TEST_F(FileDialogTest, SeveralFilesComeAsTheFolderAndTheirNames) {
    ofn_.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    ofn_.lpstrDefExt = nullptr;
    auto pickTwo = [](const ModalElement& e) {
        ui::SelectRow(e.window, lst1, 0);
        ui::SelectRow(e.window, lst1, 1, MK_CONTROL);
        EXPECT_EQ(EditText(e.window), "\"a.qmt\" \"B.QMT\"");
        ui::Click(e.window, IDOK);
    };
    driver_.OnDialogCaption("Open", pickTwo);
    ASSERT_TRUE(GetOpenFileNameA(&ofn_));
    EXPECT_EQ(std::string(file_, 25), std::string("C:\\TEMPLATE\0a.qmt\0B.QMT\0\0", 25));
    EXPECT_EQ(ofn_.nFileOffset, 12u);

    // A buffer too small for them: the size needed, and FALSE.
    char small[16] = "";
    ofn_.lpstrFile = small;
    ofn_.nMaxFile = sizeof small;
    EXPECT_FALSE(GetOpenFileNameA(&ofn_));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_EQ(static_cast<unsigned char>(small[0]) | static_cast<unsigned char>(small[1]) << 8, 25);
}

TEST_F(FileDialogTest, CancelIsNoError) {
    driver_.OnDialogCaption("Open", [](const ModalElement& e) { ui::Click(e.window, IDCANCEL); });
    EXPECT_FALSE(GetOpenFileNameA(&ofn_));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    ofn_.lStructSize = 12;
    EXPECT_FALSE(GetSaveFileNameA(&ofn_));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
}

}  // namespace

namespace {

// A folder chooser on the caller's own template: the person picks a drive
// and a folder and accepts the pre-filled name; the folder comes back with it.
TEST_F(FileDialogTest, ACallersTemplateRunsWithTheControlsItHas) {
    ofn_.Flags = OFN_ENABLETEMPLATE | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    ofn_.hInstance = GetModuleHandleA(nullptr);
    ofn_.lpTemplateName = MAKEINTRESOURCE(IDD_FOLDER_PICK);
    ofn_.lpstrTitle = "Select Directory";
    ofn_.lpstrFilter = nullptr;
    ofn_.lpstrInitialDir = "Z:\\";
    std::strcpy(file_, "DIRSEL.EXE");
    driver_.OnDialog(IDD_FOLDER_PICK, [&](const ModalElement& e) {
        EXPECT_EQ(e.caption, "Select Directory");
        EXPECT_EQ(EditText(e.window), "DIRSEL.EXE");
        HWND drives = GetDlgItem(e.window, cmb2);
        ASSERT_GE(SendMessageA(drives, CB_GETCOUNT, 0, 0), 2);
        char drive[8] = {};
        SendMessageA(drives, CB_GETLBTEXT, static_cast<WPARAM>(SendMessageA(drives, CB_GETCURSEL, 0, 0)),
                     reinterpret_cast<LPARAM>(drive));
        EXPECT_STREQ(drive, "z:");
        ui::SelectRow(e.window, cmb2, 0);  // c:
        std::vector<std::string> folders = Rows(e.window, lst2);
        auto found = std::find(folders.begin(), folders.end(), "[TEMPLATE]");
        ASSERT_NE(found, folders.end());
        EXPECT_NE(folders[0], "[..]");  // a drive's root has no parent
        ui::DoubleClickRow(e.window, lst2, static_cast<int>(found - folders.begin()));
        EXPECT_EQ(Rows(e.window, lst2), (std::vector<std::string>{"[..]", "[SUB]"}));
        ui::Click(e.window, IDOK);
    });
    ASSERT_TRUE(GetOpenFileNameA(&ofn_));
    EXPECT_STREQ(file_, "C:\\TEMPLATE\\DIRSEL.EXE");
    EXPECT_EQ(ofn_.nFileOffset, std::strlen("C:\\TEMPLATE\\"));
    EXPECT_TRUE(driver_.Failures().empty());
}

TEST_F(FileDialogTest, AMissingTemplateIsAnErrorNotADialog) {
    ofn_.Flags = OFN_ENABLETEMPLATE;
    ofn_.hInstance = GetModuleHandleA(nullptr);
    ofn_.lpTemplateName = MAKEINTRESOURCE(999);
    EXPECT_FALSE(GetOpenFileNameA(&ofn_));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_FINDRESFAILURE));
    EXPECT_TRUE(driver_.Failures().empty());
}

}  // namespace
