// The registry value editors and the hex edit control, as tables.
#include <gtest/gtest.h>

#include "afxwin.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/dword_value_dlg.h"
#include "snapin/distribution/hex_edit_ctrl.h"
#include "snapin/distribution/string_value_dlg.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"

namespace {

namespace ui = vpr::user::ui;
using vpr::user::ModalElement;

std::string Text(HWND dialog, int id) {
    char text[128] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

TEST(DwordValueDlgTest, ParseValueReadsHexadecimalAndDecimalTexts) {
    struct Case {
        const char* text;
        BOOL hex;
        DWORD number;
    };
    const Case cases[] = {
        {"ffffffff", TRUE, 0xFFFFFFFF}, {"FF", TRUE, 255}, {"ff", TRUE, 255},        {"", TRUE, 0},
        {"123456789", TRUE, 0x23456789}, {"-1", FALSE, 4294967295u}, {"12abc", FALSE, 12}, {" 7", FALSE, 7},
        {"4294967296", FALSE, 0},        {"+5", FALSE, 5},           {"x", FALSE, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CDwordValueDlg::ParseValue(c.text, c.hex), c.number) << c.text;
}

class EditorTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front(); }
    vpr::testing::TempMachine machine_;
    vpr::user::UiDriver driver_;
};

TEST_F(EditorTest, TheDwordEditorSwitchesBasesAndNeedsData) {
    CDwordValueDlg dialog;
    dialog.SetName("Count");
    dialog.SetValue(0xFFFFFFFF);
    driver_.OnDialog(IDD_DWORD_VALUE, [](const ModalElement& e) {
        EXPECT_EQ(Text(e.window, IDC_DWORD_DATA), "ffffffff");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(e.window, IDOK)));
        ui::Check(e.window, IDC_DWORD_DECIMAL, true);
        EXPECT_EQ(Text(e.window, IDC_DWORD_DATA), "4294967295");
        ui::Check(e.window, IDC_DWORD_HEX, true);
        EXPECT_EQ(Text(e.window, IDC_DWORD_DATA), "ffffffff");
        ui::ReplaceText(e.window, IDC_DWORD_DATA, "");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(e.window, IDOK)));
        ui::Type(e.window, IDC_DWORD_DATA, "1F");
        ui::Click(e.window, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetValue(), 0x1Fu);
}

TEST_F(EditorTest, TheStringEditorWaitsForAChangeAndTheDefaultValueNeedsOnlyData) {
    CStringValueDlg filled;
    filled.SetName("Path");
    filled.SetValue("C:\\APP");
    driver_.OnDialog(IDD_STRING_VALUE, [](const ModalElement& e) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(e.window, IDOK)));
        ui::Type(e.window, IDC_STRING_DATA, "X");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(e.window, IDOK)));
        ui::Click(e.window, IDOK);
    });
    ASSERT_EQ(filled.DoModal(), IDOK);
    EXPECT_EQ(std::string(filled.GetValue()), "C:\\APPX");

    CStringValueDlg byDefault;
    byDefault.SetDefault(TRUE);
    driver_.OnDialog(IDD_STRING_VALUE, [](const ModalElement& e) {
        EXPECT_EQ(Text(e.window, IDC_STRING_NAME), "(Default)");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(e.window, IDC_STRING_NAME)));
        ui::Type(e.window, IDC_STRING_DATA, "v");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(e.window, IDOK)));
        ui::Click(e.window, IDOK);
    });
    ASSERT_EQ(byDefault.DoModal(), IDOK);
    EXPECT_EQ(std::string(byDefault.GetName()), "(Default)");
}

// A hex edit control over a placeholder of a modeless dialog, with the focus.
// Public, so that the cases of a table can act on it.
class HexEditTest : public EditorTest {
public:
    void Make(std::vector<BYTE> bytes, int placeholderHeight = 0) {
        for (BYTE b : bytes) data_.Add(b);
        ASSERT_TRUE(parent_.Create(IDD_STRING_VALUE, nullptr));
        parent_.ShowWindow(SW_SHOW);
        if (placeholderHeight) {
            CRect rect;
            CWnd* placeholder = parent_.GetDlgItem(IDC_STRING_DATA);
            placeholder->GetWindowRect(&rect);
            parent_.ScreenToClient(&rect);
            placeholder->MoveWindow(rect.left, rect.top, 400, placeholderHeight);
        } else {
            CWnd* placeholder = parent_.GetDlgItem(IDC_STRING_DATA);
            CRect rect;
            placeholder->GetWindowRect(&rect);
            parent_.ScreenToClient(&rect);
            placeholder->MoveWindow(rect.left, rect.top, 400, 100);
        }
        hex_ = std::make_unique<CHexEditCtrl>(&data_, 8, 1024, FALSE);
        ASSERT_TRUE(hex_->CreateOverControl(&parent_, IDC_STRING_DATA));
        hex_->SetFocus();
    }
    void TearDown() override {
        hex_.reset();
        if (parent_.m_hWnd) parent_.DestroyWindow();
        EditorTest::TearDown();
    }
    void Key(int vk, bool control = false) { ui::PressKey(parent_.m_hWnd, vk, false, control); }
    void Type(const std::string& text) { ui::Type(parent_.m_hWnd, IDC_HEX_EDIT, text); }
    std::vector<BYTE> Bytes() const { return std::vector<BYTE>(data_.GetData(), data_.GetData() + data_.GetSize()); }

    CByteArray data_;
    CDialog parent_;
    std::unique_ptr<CHexEditCtrl> hex_;
};

TEST_F(HexEditTest, TypingIntoEmptyDataMakesAByte) {
    Make({});
    Type("41");
    EXPECT_EQ(Bytes(), (std::vector<BYTE>{0x41}));
    EXPECT_EQ(hex_->GetCaretOffset(), 1);
}

TEST_F(HexEditTest, OneDigitOverAByteClearsItsLowHalf) {
    Make({0xAB, 0xCD});
    Type("7");
    Key(VK_RIGHT);
    EXPECT_EQ(Bytes(), (std::vector<BYTE>{0x70, 0xCD}));
}

TEST_F(HexEditTest, AtTheLimitInsertingBeepsAndOverwritingStillWorks) {
    Make(std::vector<BYTE>(1024, 0x11));
    Key(VK_INSERT);
    Type("2");
    EXPECT_EQ(data_.GetSize(), 1024);
    EXPECT_FALSE(driver_.Beeps().empty());
    Key(VK_INSERT);
    Type("22");
    EXPECT_EQ(data_.GetSize(), 1024);
    EXPECT_EQ(data_[0], 0x22);
}

TEST_F(HexEditTest, HomeTwiceGoesToTheStartAndEndTwiceToTheEnd) {
    Make(std::vector<BYTE>(200, 0));
    Key(VK_END);
    Key(VK_END);
    EXPECT_EQ(hex_->GetCaretOffset(), 200);
    Key(VK_HOME);
    Key(VK_HOME);
    EXPECT_EQ(hex_->GetCaretOffset(), 0);
    EXPECT_EQ(hex_->GetTopOffset(), 0);
    Key(VK_TAB, true);
    EXPECT_FALSE(hex_->IsHexActive());
}

TEST_F(HexEditTest, MovesPastTheDataAreRefusedSoTypingStaysInside) {
    struct Case {
        const char* name;
        int height;
        std::function<void(HexEditTest&)> move;
    };
    const Case cases[] = {
        {"a window lower than one line, Down", 6, [](HexEditTest& t) { t.Key(VK_DOWN); }},
        {"one line shown, line down", 20,
         [](HexEditTest& t) { t.hex_->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0); }},
        {"Page Down", 20, [](HexEditTest& t) { t.Key(VK_NEXT); }},
        {"End", 20, [](HexEditTest& t) { t.Key(VK_END); }},
        {"the thumb past the data", 20,
         [](HexEditTest& t) { t.hex_->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 500), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data_.RemoveAll();
        hex_.reset();
        if (parent_.m_hWnd) parent_.DestroyWindow();
        Make(std::vector<BYTE>(1020, 0x11), c.height);
        for (int i = 0; i < 3; ++i) c.move(*this);
        Type("aabbccddeeff0011");
        EXPECT_LE(data_.GetSize(), 1024);
        EXPECT_LE(hex_->GetCaretOffset(), static_cast<int>(data_.GetSize()));
        EXPECT_LE(hex_->GetTopOffset(), hex_->GetCaretOffset());
    }
}

}  // namespace
