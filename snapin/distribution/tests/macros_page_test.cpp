// The Macros page in the host: macros read from the stream, what a person
// adds, changes, deletes and imports, and the records saved, as a table.
#include "page_host_fixture.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/macros_page.h"

namespace {

namespace ui = vpr::user::ui;
using vpr::user::ModalElement;

CMacrosPage* g_page = nullptr;
CDialog* MakeMacros() { return g_page = new CMacrosPage; }
const std::vector<PageSlot> kSlots = {{65, 322, 1, MakeMacros}};

std::string Macro(const std::string& name, const std::string& value) {
    return "[Macro]\nName=" + name + "\nValue=" + value;
}

int Lines(HWND page) { return static_cast<int>(SendDlgItemMessageA(page, IDC_MACRO_LIST, LVM_GETITEMCOUNT, 0, 0)); }

class MacrosPageTest : public PageHostFixture {
protected:
    void SetUp() override { Start(kSlots); }
    void TearDown() override {
        ExpectDriverDone();
        PageHostFixture::TearDown();
    }

public:
    // The person fills in the editor (dialog 328) and presses OK.
    void Fill(const std::string& name, const std::string& value) {
        driver_.OnDialog(IDD_STRING_VALUE, [=](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, IDC_STRING_NAME, name);
            ui::ReplaceText(dialog.window, IDC_STRING_DATA, value);
            ui::Click(dialog.window, IDOK);
        });
    }
    void Add(HWND page, const std::string& name, const std::string& value) {
        Fill(name, value);
        ui::Click(page, IDC_MACRO_ADD);
    }
    // Selects the lines numbered (from 0), the first alone.
};

struct Case {
    const char* name;
    std::function<void(HFILE)> stream;
    std::function<void(MacrosPageTest&, HWND)> edit;
    Records saved;
};

TEST_F(MacrosPageTest, MacrosReadEditedAndSavedAsATable) {
    const Case cases[] = {
        {"names that differ only in case show the first; written by name",
         [](HFILE f) {
             kmapptWriteMacroEntry(f, 1, "Path", "C:\\A");
             kmapptWriteMacroEntry(f, 1, "PATH", "C:\\B");
             kmapptWriteMacroEntry(f, 1, "Zone", "1");
         },
         [](MacrosPageTest& t, HWND page) {
             EXPECT_EQ(Lines(page), 2);
             t.Add(page, "Alpha", "x");
         },
         {Macro("Alpha", "x"), Macro("Path", "C:\\A"), Macro("Zone", "1")}},
        {"Modify may rename to a taken name: both written",
         [](HFILE f) {
             kmapptWriteMacroEntry(f, 1, "A", "1");
             kmapptWriteMacroEntry(f, 1, "B", "2");
         },
         [](MacrosPageTest& t, HWND page) {
             SelectRows(page, IDC_MACRO_LIST, {1});
             t.Fill("a", "3");
             ui::Click(page, IDC_MACRO_MODIFY);
         },
         {Macro("A", "1"), Macro("a", "3")}},
        {"two adjacent lines selected: Delete removes both",
         [](HFILE f) {
             for (const char* name : {"A", "B", "C", "D"}) kmapptWriteMacroEntry(f, 1, name, "v");
         },
         [](MacrosPageTest&, HWND page) {
             SelectRows(page, IDC_MACRO_LIST, {1, 2});
             ui::Click(page, IDC_MACRO_DELETE);
         },
         {Macro("A", "v"), Macro("D", "v")}},
        {"three adjacent lines selected: Delete removes them all",
         [](HFILE f) {
             for (const char* name : {"A", "B", "C", "D"}) kmapptWriteMacroEntry(f, 1, name, "v");
         },
         [](MacrosPageTest&, HWND page) {
             SelectRows(page, IDC_MACRO_LIST, {0, 1, 2});
             ui::Click(page, IDC_MACRO_DELETE);
         },
         {Macro("D", "v")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream(snapin::kAttrMacros, c.stream);
        auto outcome = Details(0, [&](HWND, HWND page) { c.edit(*this, page); });
        EXPECT_EQ(outcome.saveResult, 0);
        EXPECT_EQ(Saved(snapin::kAttrMacros), c.saved);
    }
}

TEST_F(MacrosPageTest, APercentSignAndANameListedInAnotherCaseAreRefusedAndTheEditorRunsAgain) {
    Stream(snapin::kAttrMacros, [](HFILE f) { kmapptWriteMacroEntry(f, 1, "Path", "C:\\A"); });
    std::vector<std::string> messages;
    auto answer = [&](const ModalElement& box) {
        messages.push_back(box.caption + ": " + box.text);
        ui::Click(box.window, IDOK);
    };
    driver_.OnMessageBox("Macro names", answer);
    driver_.OnMessageBox("Unable to add", answer);
    Details(0, [&](HWND, HWND page) {
        Fill("50%", "v");
        // Run again with what was typed: the name is corrected twice.
        driver_.OnDialog(IDD_STRING_VALUE, [](const ModalElement& dialog) {
            char name[64] = {};
            GetDlgItemTextA(dialog.window, IDC_STRING_NAME, name, sizeof name);
            EXPECT_STREQ(name, "50%");
            ui::ReplaceText(dialog.window, IDC_STRING_NAME, "path");
            ui::Click(dialog.window, IDOK);
        });
        Fill("Width", "50");
        ui::Click(page, IDC_MACRO_ADD);
    });
    EXPECT_EQ(messages, (std::vector<std::string>{"Dravik Warning: Macro names cannot contain the character '%'.",
                                                  "Dravik Error: Unable to add duplicate registry value \"path\""}));
    EXPECT_EQ(driver_.Beeps().size(), 1u);
    EXPECT_EQ(Saved(snapin::kAttrMacros), (Records{Macro("Path", "C:\\A"), Macro("Width", "50")}));
}

TEST_F(MacrosPageTest, AnImportAddsNewNamesAndKeepsTheListedValues) {
    std::string bytes = TemplateBytes([](HFILE f) {
        kmapptWriteMacroEntry(f, 1, "PATH", "C:\\OTHER");
        kmapptWriteMacroEntry(f, 1, "Home", "H:\\");
    });
    FILE* out = std::fopen((machine_.root() + "/c/MACROS.QMT").c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    Stream(snapin::kAttrMacros, [](HFILE f) { kmapptWriteMacroEntry(f, 1, "Path", "C:\\A"); });
    Details(0, [&](HWND, HWND page) {
        for (int round = 0; round < 2; ++round) {
            driver_.OnFileDialog([](const ModalElement& dialog) {
                ui::ReplaceText(dialog.window, 1152, "C:\\MACROS.QMT");
                ui::Click(dialog.window, IDOK);
            });
            ui::Click(page, IDC_MACRO_IMPORT);
        }
        EXPECT_EQ(Lines(page), 2);
    });
    EXPECT_EQ(Saved(snapin::kAttrMacros), (Records{Macro("Home", "H:\\"), Macro("Path", "C:\\A")}));
}

TEST_F(MacrosPageTest, WithoutTheWriteRightTheLinesShowAndNothingEdits) {
    Stream(snapin::kAttrMacros, [](HFILE f) { kmapptWriteMacroEntry(f, 1, "Path", "C:\\A"); });
    tree_.User("reader.acme").Grant(kObject, "reader.acme", "[All Attributes Rights]", DIR_ATTR_READ).LogIn("reader.acme");
    Details(0, [&](HWND, HWND page) {
        EXPECT_EQ(Lines(page), 1);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_MACRO_LIST)));
        for (int id : {IDC_MACRO_ADD, IDC_MACRO_DELETE, IDC_MACRO_IMPORT, IDC_MACRO_MODIFY})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
        ui::DoubleClickRow(page, IDC_MACRO_LIST, 0);  // no editor opens
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_MACRO_MODIFY)));
        EXPECT_FALSE(g_page->IsModified());
    });
}

}  // namespace
