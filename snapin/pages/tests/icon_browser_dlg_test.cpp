// The icon browser as the administrator uses it: the list of a file's icons,
// the preview, the choice handed back, and the fallback to MORICONS.DLL.
#include <gtest/gtest.h>

#include "commdlg.h"
#include "icon_test_files.h"
#include "snapin/pages/icon_browser_dlg.h"
#include "snapin/pages/icon_file.h"
#include "snapin/pages/pages_resource.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/system.h"

using namespace icon_test;
using vpr::user::GdiCall;
using vpr::user::ModalElement;
namespace ui = vpr::user::ui;

namespace {

std::string ControlText(HWND dialog, int id) {
    char text[300] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

LRESULT ListMessage(HWND dialog, UINT message, WPARAM wParam = 0) {
    return SendDlgItemMessageA(dialog, IDC_ICON_LIST, message, wParam, 0);
}

bool Painted(const std::vector<GdiCall>& record, GdiCall::Kind kind, const RECT& rect) {
    for (const GdiCall& call : record)
        if (call.kind == kind && call.rect.left == rect.left && call.rect.top == rect.top &&
            call.rect.right == rect.right && call.rect.bottom == rect.bottom)
            return true;
    return false;
}

class IconBrowserTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& failure : driver_.Failures()) ADD_FAILURE() << failure;
    }
    std::string Folder(UINT (*folder)(LPSTR, UINT)) {
        char path[260] = "";
        folder(path, sizeof path);
        return path;
    }

    vpr::testing::TempMachine machine_;
    vpr::user::UiDriver driver_;
};

TEST_F(IconBrowserTest, ListsTheGroupsOfAModuleAndHandsBackTheOnePicked) {
    std::string program = ProgramPath();
    CIconBrowserDlg dialog;
    dialog.SetFileName(program.c_str());
    driver_.OnDialog(IDD_ICON_BROWSER, [&](const ModalElement& e) {
        EXPECT_EQ(e.caption, "VPR Icon Browser");
        EXPECT_EQ(ListMessage(e.window, LB_GETCOUNT), 3);
        EXPECT_EQ(ListMessage(e.window, LB_GETCURSEL), 0);
        EXPECT_EQ(ListMessage(e.window, LB_GETITEMHEIGHT), 36);
        EXPECT_EQ(ControlText(e.window, IDC_ICON_FILE_NAME), program);
        EXPECT_NE(ListMessage(e.window, LB_GETITEMDATA, 0), 0);
        EXPECT_EQ(ListMessage(e.window, LB_GETITEMDATA, 2), 0);  // its only image is 48x48

        // Each item shows its icon 4 pixels in and 2 down; the preview
        // stretches the icon's picture over the whole button.
        HWND list = GetDlgItem(e.window, IDC_ICON_LIST), preview = GetDlgItem(e.window, IDC_ICON_PREVIEW);
        vpr::user::PaintNow(e.window);
        RECT item{};
        SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        EXPECT_TRUE(Painted(vpr::user::PaintRecord(list), GdiCall::Kind::kIcon,
                            RECT{item.left + 4, item.top + 2, item.left + 20, item.top + 18}));
        RECT area{};
        GetClientRect(preview, &area);
        EXPECT_TRUE(Painted(vpr::user::PaintRecord(preview), GdiCall::Kind::kBlit, area));

        ui::SelectRow(e.window, IDC_ICON_LIST, 1);
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(std::string(dialog.GetFileName()), program);
    EXPECT_EQ(IconSize(dialog.GetIcon()), 16);
    std::vector<uint8_t> image(kIconImageBufferSize, 0);
    int length = dialog.GetIconImage(image.data());
    ASSERT_GT(length, 6 + 16);
    image.resize(static_cast<size_t>(length));
    EXPECT_EQ(U16(image, 4), 1);
    EXPECT_EQ(image[6], 16);
    EXPECT_EQ(U32(image, 6 + 12), 6u + 16u);
}

TEST_F(IconBrowserTest, AMissingFileFallsBackToTheSystemsMoreIcons) {
    // Neither the file nor MORICONS.DLL: an empty list and nothing to hand back.
    CIconBrowserDlg nothing;
    nothing.SetFileName("C:\\NOWHERE\\APP.EXE");
    driver_.OnDialog(IDD_ICON_BROWSER, [&](const ModalElement& e) {
        EXPECT_EQ(ListMessage(e.window, LB_GETCOUNT), 0);
        EXPECT_EQ(ControlText(e.window, IDC_ICON_FILE_NAME), "");
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(nothing.DoModal(), IDOK);
    EXPECT_EQ(std::string(nothing.GetFileName()), Folder(GetWindowsDirectoryA) + "\\MORICONS.DLL");
    EXPECT_EQ(nothing.GetIcon(), nullptr);
    std::vector<uint8_t> image(kIconImageBufferSize, 0);
    EXPECT_EQ(nothing.GetIconImage(image.data()), 0);

    // MORICONS.DLL in the system folder is listed when no file is given.
    std::string moreIcons = Folder(GetSystemDirectoryA) + "\\MORICONS.DLL";
    WriteBytes(machine_, moreIcons, ReadBytes(ProgramPath()));
    CIconBrowserDlg fallback;
    driver_.OnDialog(IDD_ICON_BROWSER, [&](const ModalElement& e) {
        EXPECT_EQ(ListMessage(e.window, LB_GETCOUNT), 3);
        EXPECT_EQ(ControlText(e.window, IDC_ICON_FILE_NAME), moreIcons);
        ui::Click(e.window, IDCANCEL);
    });
    EXPECT_EQ(fallback.DoModal(), IDCANCEL);
    EXPECT_EQ(std::string(fallback.GetFileName()), moreIcons);
    EXPECT_EQ(IconSize(fallback.GetIcon()), 32);
}

TEST_F(IconBrowserTest, BrowsingToAnIconFileListsItsOneIcon) {
    WriteBytes(machine_, "C:\\APP.ICO", IcoFile({DibImage(32, 4)}));
    CIconBrowserDlg dialog;
    dialog.SetFileName(ProgramPath().c_str());
    driver_.OnDialog(IDD_ICON_BROWSER, [&](const ModalElement& e) {
        EXPECT_EQ(ListMessage(e.window, LB_GETCOUNT), 3);
        driver_.OnDialogCaption("Open", [&](const ModalElement& open) {
            // The file types of the filter text, the executables first.
            EXPECT_EQ(SendDlgItemMessageA(open.window, cmb1, CB_GETCOUNT, 0, 0), 4);
            char first[64] = "";
            SendDlgItemMessageA(open.window, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
            EXPECT_STREQ(first, "Executables (*.exe)");
            ui::ReplaceText(open.window, edt1, "C:\\APP.ICO");
            ui::Click(open.window, IDOK);
        });
        ui::Click(e.window, IDC_ICON_BROWSE);
        EXPECT_EQ(ListMessage(e.window, LB_GETCOUNT), 1);
        EXPECT_EQ(ListMessage(e.window, LB_GETCURSEL), 0);
        EXPECT_EQ(ControlText(e.window, IDC_ICON_FILE_NAME), "C:\\APP.ICO");
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    std::vector<uint8_t> image(kIconImageBufferSize, 0);
    image.resize(static_cast<size_t>(dialog.GetIconImage(image.data())));
    EXPECT_EQ(image, ReadBytes("C:\\APP.ICO"));
    EXPECT_EQ(std::string(dialog.GetFileName()), "C:\\APP.ICO");
}

}  // namespace
