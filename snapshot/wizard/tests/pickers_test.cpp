// The directory picker with its directory list, the drive picker, forms
// without a description, and the language files and font.
#include <fstream>

#include "pickers.h"
#include "vpr/locale/locale.h"
#include "vpr/user/gdi.h"
#include "wizard_fixture.h"

namespace snapshot::testing {
namespace {

using namespace vpr::forms;
namespace ui = vpr::user::ui;
using vpr::user::GdiCall;

class PickerTest : public WizardTest {
protected:
    TfrmOpenDir* OpenDir() {
        auto* picker = NewForm<TfrmOpenDir>(nullptr);
        picker->Show();
        return picker;
    }
};

// The rows of C:\WINDOWS: the root and the path open, the current folder,
// then the subfolders closed, each glyph and name indented as painted.
TEST_F(PickerTest, TheDirectoryListPaintsItsRowsIndentsAndGlyphs) {
    TfrmOpenDir* picker = OpenDir();
    KMTDirectoryListBox* list = picker->cbxDir;
    list->SetDirectory("C:\\WINDOWS\\");
    EXPECT_EQ(picker->edtPath->Text(), "C:\\WINDOWS");
    ASSERT_GE(list->Rows().size(), 3u);
    EXPECT_EQ(list->Rows()[0].name, "C:\\");
    EXPECT_EQ(list->Rows()[0].glyph, KMTDirectoryListBox::kOpenFolder);
    EXPECT_EQ(list->Rows()[1].name, "WINDOWS");
    EXPECT_EQ(list->Rows()[1].glyph, KMTDirectoryListBox::kCurrentFolder);
    EXPECT_EQ(list->ItemIndex(), 1);
    std::vector<std::string> subfolders;
    for (size_t row = 2; row < list->Rows().size(); ++row) {
        EXPECT_EQ(list->Rows()[row].glyph, KMTDirectoryListBox::kClosedFolder);
        subfolders.push_back(list->Rows()[row].name);
    }
    EXPECT_TRUE(std::is_sorted(subfolders.begin(), subfolders.end(),
                               [](const std::string& a, const std::string& b) { return KMLstricmp(a.c_str(), b.c_str()) < 0; }));
    EXPECT_NE(std::find(subfolders.begin(), subfolders.end(), "SYSTEM"), subfolders.end());

    vpr::user::ClearPaintRecord(list->Handle());
    vpr::user::PaintNow(list->Handle());
    auto record = vpr::user::PaintRecord(list->Handle());
    // Each row: its glyph blitted at the indent, its name 4 pixels behind.
    const int expectedIndent[] = {2, 6, 10};  // root, WINDOWS, a subfolder (one backslash: 1 * 4 + 6)
    for (int row = 0; row < 3; ++row) {
        const auto& glyph = list->GlyphBitmap(list->Rows()[row].glyph);
        auto blit = std::find_if(record.begin(), record.end(), [&](const GdiCall& call) {
            return call.kind == GdiCall::Kind::kBlit && call.bitmap == glyph.Image() && call.rop == SRCPAINT &&
                   call.rect.left == expectedIndent[row] && call.rect.top == row * list->ItemHeight();
        });
        EXPECT_NE(blit, record.end()) << "glyph of row " << row;
        auto text = std::find_if(record.begin(), record.end(), [&](const GdiCall& call) {
            return call.kind == GdiCall::Kind::kText && call.text == list->Items()[row];
        });
        ASSERT_NE(text, record.end()) << "name of row " << row;
        EXPECT_EQ(text->rect.left, expectedIndent[row] + 16 + 4);
    }

    // A double click on a subfolder opens it; on the root goes back up.
    int system = static_cast<int>(std::find(subfolders.begin(), subfolders.end(), "SYSTEM") - subfolders.begin()) + 2;
    ASSERT_TRUE(ui::DoubleClickRow(picker->Handle(), list->ControlId(), system));
    EXPECT_EQ(list->Directory(), "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(picker->edtPath->Text(), "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(list->Rows()[2].glyph, KMTDirectoryListBox::kCurrentFolder);
    EXPECT_EQ(list->Indent(2), 2 * 4 + 2);  // now a row of the path
    ASSERT_TRUE(ui::DoubleClickRow(picker->Handle(), list->ControlId(), 0));
    EXPECT_EQ(list->Directory(), "C:\\");
    EXPECT_EQ(list->Rows()[0].glyph, KMTDirectoryListBox::kCurrentFolder);

    // The drive picker moves the list to that drive's root.
    int row = picker->cbxDrive->Items().IndexOf("d:");
    for (int i = 0; i < picker->cbxDrive->Items().Count() && row < 0; ++i)
        if (picker->cbxDrive->Items()[i].rfind("d:", 0) == 0) row = i;
    ASSERT_GE(row, 0);
    ASSERT_TRUE(ui::SelectRow(picker->Handle(), picker->cbxDrive->ControlId(), row));
    EXPECT_EQ(list->Directory(), "d:\\");
    EXPECT_EQ(picker->edtPath->Text(), "d:\\");
}

TEST_F(PickerTest, ThePickersGiveTheirChoiceOnlyOnOk) {
    CreateMain();
    form_->nbkMain->SetPageIndex(kPageDefinitions);
    for (const char* press : {"btnCancel", "btnAdd"}) {
        driver_.OnDialogCaption("Drives to include", [press](const vpr::user::ModalElement& dialog) {
            auto* picker = dynamic_cast<TForm*>(FormOfWindow(dialog.window));
            ASSERT_NE(picker, nullptr);
            auto* button = dynamic_cast<TWinControl*>(picker->FindComponent(press));
            ui::Click(dialog.window, button->ControlId());
        });
        Click(form_->btnDriveAdd);
    }
    EXPECT_EQ(form_->lstIncludeDrive->Items().Count(), 1);  // only OK added one
    EXPECT_EQ(form_->lstIncludeDrive->Items()[0], "c:");

    driver_.OnDialogCaption("Select directory", [](const vpr::user::ModalElement& dialog) {
        auto* picker = dynamic_cast<TfrmOpenDir*>(FormOfWindow(dialog.window));
        ASSERT_NE(picker, nullptr);
        ui::ReplaceText(dialog.window, picker->edtPath->ControlId(), "C:\\TEMP\\");
        ui::Click(dialog.window, picker->btnOpen->ControlId());
    });
    Click(Control("btnExcludeDirAdd"));
    EXPECT_NE(form_->lstExcludeDir->Items().IndexOf("C:\\TEMP"), -1);  // less its trailing backslash
}

class TfrmWithoutDescription : public TFormInDLL {
    VPR_FORM_CLASS(TfrmWithoutDescription, TFormInDLL)
public:
    using TFormInDLL::TFormInDLL;
};

TEST_F(WizardTest, AFormClassWithoutADescriptionIsAnError) {
    try {
        NewForm<TfrmWithoutDescription>(nullptr);
        ADD_FAILURE() << "made";
    } catch (const EResNotFound& error) {
        EXPECT_STREQ(error.what(), "Resource TfrmWithoutDescription not found");
    }
}

// The language library and help file of a program in C:\PROG.
TEST_F(WizardTest, TheLanguageFilesAndFontFollowKMLANGUAGE) {
    auto make = [&](const std::string& windowsPath) {
        std::filesystem::create_directories(std::filesystem::path(Host(windowsPath)).parent_path());
        std::ofstream(Host(windowsPath)) << "x";
    };
    make("C:\\PROG\\NLS\\ENGLISH\\imxres32.dll");
    make("C:\\PROG\\imprix.hlp");
    LanguageFiles english = FindLanguageFiles("C:\\PROG", "");
    EXPECT_EQ(english.library, "C:\\PROG\\NLS\\ENGLISH\\imxres32.dll");
    EXPECT_EQ(english.helpFile, "C:\\PROG\\imprix.hlp");
    make("C:\\PROG\\NLS\\ENGLISH\\imprix.hlp");
    EXPECT_EQ(FindLanguageFiles("C:\\PROG", "").helpFile, "C:\\PROG\\NLS\\ENGLISH\\imprix.hlp");
    LanguageFiles german = FindLanguageFiles("C:\\PROG", "DEUTSCH");
    EXPECT_EQ(german.library, "");
    EXPECT_EQ(german.helpFile, "C:\\PROG\\imprix.hlp");

    // Without a library of its own the program's texts are shown, in the
    // font the program's own strings 52 and 51 name.
    EXPECT_EQ(FontLanguage(), "ENGLISH");
    CreateMain();
    EXPECT_EQ(form_->Font().Name, "MS Sans Serif");
    form_->Free();
    form_ = nullptr;
    setenv("KMLANGUAGE", "DEUTSCH", 1);
    EXPECT_EQ(FontLanguage(), "DEUTSCH");
    CreateMain();
    unsetenv("KMLANGUAGE");
    EXPECT_EQ(form_->Font().Name, "MS Sans Serif");
    EXPECT_EQ(form_->Font().Size, 8);
    EXPECT_EQ(form_->Caption(), "Veltrix Pellior Imprix for Windows 95/NT");
}

}  // namespace
}  // namespace snapshot::testing
