// The Text Files page in the host: edits read from the stream (duplicates
// dropped), what a person adds, changes and deletes, the records saved, and
// when the edit dialog lets OK be pressed.
#include "page_host_fixture.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/text_files_page.h"

namespace {

namespace ui = vpr::user::ui;
using vpr::user::ModalElement;

CTextFilesPage* g_page = nullptr;
CDialog* MakeTextFiles() { return g_page = new CTextFilesPage; }
const std::vector<PageSlot> kSlots = {{69, 324, 1, MakeTextFiles}};

std::string AddBegin(const std::string& file, const std::string& text) {
    return "[Text Add Begin]\nFile=" + file + "\nString=" + text;
}
std::string AddEnd(const std::string& file, const std::string& text) {
    return "[Text Add End]\nFile=" + file + "\nString=" + text;
}
std::string Replace(const std::string& flag, const std::string& file, const std::string& find,
                    const std::string& text) {
    return "[Text Find Replace]\nFlag=" + flag + "\nFile=" + file + "\nString=" + find + "\nReplace=" + text;
}
std::string DeleteFound(const std::string& flag, const std::string& file, const std::string& find) {
    return "[Text Find Delete]\nFlag=" + flag + "\nFile=" + file + "\nString=" + find;
}

int Lines(HWND page) { return static_cast<int>(SendDlgItemMessageA(page, IDC_TEXT_LIST, LVM_GETITEMCOUNT, 0, 0)); }

// What the person does in dialog 331.
struct Edit {
    std::string path;
    std::string find;      // empty: Find string stays off
    bool exact = true;
    bool deleteString = false;
    std::string add;       // empty: Add string stays off
    bool atBeginning = true;
};

class TextFilesPageTest : public PageHostFixture {
protected:
    void SetUp() override { Start(kSlots); }
    void TearDown() override {
        ExpectDriverDone();
        PageHostFixture::TearDown();
    }

public:
    void Fill(const Edit& edit) {
        driver_.OnDialog(IDD_TEXT_FILE_EDIT, [=](const ModalElement& dialog) {
            HWND d = dialog.window;
            ui::ReplaceText(d, IDC_TEXT_PATH, edit.path);
            ui::Check(d, IDC_TEXT_FIND_STRING, !edit.find.empty());
            ui::Check(d, IDC_TEXT_ADD_STRING, !edit.add.empty());
            if (!edit.find.empty()) {
                ui::ReplaceText(d, IDC_TEXT_FIND_TEXT, edit.find);
                ui::Check(d, edit.exact ? IDC_TEXT_EXACT : IDC_TEXT_SUBSTRING, true);
                if (edit.deleteString) ui::Check(d, IDC_TEXT_DELETE_STRING, true);
            }
            if (!edit.add.empty()) {
                ui::ReplaceText(d, IDC_TEXT_ADD_TEXT, edit.add);
                if (edit.find.empty()) ui::Check(d, edit.atBeginning ? IDC_TEXT_AT_BEGINNING : IDC_TEXT_AT_END, true);
            }
            ui::Click(d, IDOK);
        });
    }
    void Add(HWND page, const Edit& edit) {
        Fill(edit);
        ui::Click(page, IDC_TEXT_ADD);
    }
};

struct Case {
    const char* name;
    std::function<void(HFILE)> stream;
    std::function<void(TextFilesPageTest&, HWND)> edit;
    Records saved;
};

void FourAdds(HFILE f) {
    for (const char* file : {"A.BAT", "B.BAT", "C.BAT", "D.BAT"}) kmapptWriteTextAddEntry(f, 2, file, "REM");
}

TEST_F(TextFilesPageTest, EditsReadEditedAndSavedAsATable) {
    const Case cases[] = {
        {"duplicates dropped on reading; a delete row keeps file and find text only; saved by file",
         [](HFILE f) {
             kmapptWriteTextFindEntry(f, 1, 0x80, "C:\\F.INI", "x", "T");
             kmapptWriteTextAddEntry(f, 1, "C:\\F.INI", "T");             // the find row's replacement: dropped
             kmapptWriteTextFindEntry(f, 1, 0x100, "C:\\F.INI", "y", "T");  // another find text: kept
             kmapptWriteTextFindEntry(f, 1, 0x100, "C:\\F.INI", "x", "T");  // all three match: dropped
             kmapptWriteTextFindEntry(f, 2, 0x80, "C:\\F.INI", "z", "");
             kmapptWriteTextAddEntry(f, 2, "C:\\B.BAT", "T");
         },
         [](TextFilesPageTest& t, HWND page) {
             EXPECT_EQ(Lines(page), 4);
             t.Add(page, {"C:\\A.BAT", "", true, false, "SET X=1", true});
         },
         {AddBegin("C:\\A.BAT", "SET X=1"), AddEnd("C:\\B.BAT", "T"), Replace("Match Exact", "C:\\F.INI", "x", "T"),
          Replace("Match Substring", "C:\\F.INI", "y", "T"), DeleteFound("Match Exact", "C:\\F.INI", "z")}},
        {"two identical edits made through Add are both written",
         nullptr,
         [](TextFilesPageTest& t, HWND page) {
             t.Add(page, {"C:\\A.BAT", "", true, false, "PATH", false});
             t.Add(page, {"C:\\A.BAT", "", true, false, "PATH", false});
         },
         {AddEnd("C:\\A.BAT", "PATH"), AddEnd("C:\\A.BAT", "PATH")}},
        {"Modify turns an add into a delete of a string and moves it to its file's place",
         [](HFILE f) {
             kmapptWriteTextAddEntry(f, 1, "C:\\B.BAT", "one");
             kmapptWriteTextAddEntry(f, 1, "C:\\C.BAT", "two");
         },
         [](TextFilesPageTest& t, HWND page) {
             SelectRows(page, IDC_TEXT_LIST, {1});
             t.Fill({"C:\\A.BAT", "old", false, true, "", true});
             ui::Click(page, IDC_TEXT_MODIFY);
         },
         {DeleteFound("Match Substring", "C:\\A.BAT", "old"), AddBegin("C:\\B.BAT", "one")}},
        {"two adjacent lines selected: Delete removes both",
         FourAdds,
         [](TextFilesPageTest&, HWND page) {
             SelectRows(page, IDC_TEXT_LIST, {1, 2});
             ui::Click(page, IDC_TEXT_DELETE);
         },
         {AddEnd("A.BAT", "REM"), AddEnd("D.BAT", "REM")}},
        {"three adjacent lines selected: Delete removes them all",
         FourAdds,
         [](TextFilesPageTest&, HWND page) {
             SelectRows(page, IDC_TEXT_LIST, {1, 2, 3});
             ui::Click(page, IDC_TEXT_DELETE);
         },
         {AddEnd("A.BAT", "REM")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream(snapin::kAttrTextFiles, c.stream);
        auto outcome = Details(0, [&](HWND, HWND page) { c.edit(*this, page); });
        EXPECT_EQ(outcome.saveResult, 0);
        EXPECT_EQ(Saved(snapin::kAttrTextFiles), c.saved);
    }
}

// One person's way through dialog 331, and whether OK may be pressed after
// each step.
struct Step {
    const char* what;
    std::function<void(HWND)> act;
    bool ok;
};

TEST_F(TextFilesPageTest, TheEditDialogEnablesOkExactlyWhenTheEditIsComplete) {
    const Step steps[] = {
        {"nothing typed", [](HWND) {}, false},
        {"a path", [](HWND d) { ui::ReplaceText(d, IDC_TEXT_PATH, "C:\\AUTOEXEC.BAT"); }, false},
        {"Add string on", [](HWND d) { ui::Check(d, IDC_TEXT_ADD_STRING, true); }, false},
        {"a text to add", [](HWND d) { ui::ReplaceText(d, IDC_TEXT_ADD_TEXT, "SET A=1"); }, false},
        {"at the end", [](HWND d) { ui::Check(d, IDC_TEXT_AT_END, true); }, true},
        {"Find string on clears the place", [](HWND d) { ui::Check(d, IDC_TEXT_FIND_STRING, true); }, false},
        {"a text to find", [](HWND d) { ui::ReplaceText(d, IDC_TEXT_FIND_TEXT, "SET A="); }, false},
        {"exact match: replace", [](HWND d) { ui::Check(d, IDC_TEXT_EXACT, true); }, true},
        {"Add string off", [](HWND d) { ui::Check(d, IDC_TEXT_ADD_STRING, false); }, false},
        {"Delete string on", [](HWND d) { ui::Check(d, IDC_TEXT_DELETE_STRING, true); }, true},
        {"the path emptied", [](HWND d) { ui::ReplaceText(d, IDC_TEXT_PATH, ""); }, false},
        {"a path again", [](HWND d) { ui::ReplaceText(d, IDC_TEXT_PATH, "C:\\AUTOEXEC.BAT"); }, true},
        {"Find string off clears the match and Delete string", [](HWND d) { ui::Check(d, IDC_TEXT_FIND_STRING, false); },
         false},
    };
    Details(0, [&](HWND, HWND page) {
        driver_.OnDialog(IDD_TEXT_FILE_EDIT, [&](const ModalElement& dialog) {
            HWND d = dialog.window;
            for (const Step& step : steps) {
                SCOPED_TRACE(step.what);
                step.act(d);
                EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, IDOK)) != FALSE, step.ok);
            }
            EXPECT_EQ(IsDlgButtonChecked(d, IDC_TEXT_EXACT), BST_UNCHECKED);
            EXPECT_EQ(IsDlgButtonChecked(d, IDC_TEXT_DELETE_STRING), BST_UNCHECKED);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_TEXT_FIND_TEXT)));
            EXPECT_EQ(IsDlgButtonChecked(d, IDC_TEXT_AT_END), BST_UNCHECKED);
            ui::Click(d, IDCANCEL);
        });
        ui::Click(page, IDC_TEXT_ADD);
        EXPECT_EQ(Lines(page), 0);
        EXPECT_FALSE(g_page->IsModified());
    });
}

TEST_F(TextFilesPageTest, WithoutTheWriteRightTheLinesShowAndNothingEdits) {
    Stream(snapin::kAttrTextFiles, [](HFILE f) { kmapptWriteTextAddEntry(f, 1, "C:\\A.BAT", "REM"); });
    tree_.User("reader.acme").Grant(kObject, "reader.acme", "[All Attributes Rights]", DIR_ATTR_READ).LogIn("reader.acme");
    Details(0, [&](HWND, HWND page) {
        EXPECT_EQ(Lines(page), 1);
        for (int id : {IDC_TEXT_ADD, IDC_TEXT_DELETE, IDC_TEXT_IMPORT, IDC_TEXT_MODIFY})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
        ui::DoubleClickRow(page, IDC_TEXT_LIST, 0);  // no dialog opens
        EXPECT_FALSE(g_page->IsModified());
    });
}

}  // namespace
