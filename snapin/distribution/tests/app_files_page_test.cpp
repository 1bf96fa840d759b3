// The Application Files page in the host: entries read from the stream,
// what a person changes, and the records saved, as a table.
#include "page_host_fixture.h"
#include "snapin/distribution/app_files_page.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/core/schema_names.h"

namespace {

namespace ui = vpr::user::ui;
using vpr::user::ModalElement;

CAppFilesPage* g_page = nullptr;
CDialog* MakeAppFiles() { return g_page = new CAppFilesPage; }

const std::vector<PageSlot> kSlots = {{58, 321, 1, MakeAppFiles}};

std::string Copy(const std::string& flags, const std::string& source, const std::string& target) {
    return "[File Copy]\n" + flags + "Source=" + source + "\nTarget=" + target;
}
std::string Delete(const std::string& target) { return "[File Delete]\nFile=" + target; }

// Three copy entries whose file names, sources and directories sort apart.
void ThreeCopies(HFILE f) {
    kmapptWriteFileEntry(f, 1, 0x8, "Z", "C:\\B\\b.txt");
    kmapptWriteFileEntry(f, 1, 0x8, "Y", "C:\\A\\C.TXT");
    kmapptWriteFileEntry(f, 1, 0x8, "X", "C:\\C\\a.txt");
}

class AppFilesPageTest : public PageHostFixture {
protected:
    void SetUp() override { Start(kSlots); }

public:

    static int Row(HWND page, const std::string& name) {
        HWND list = GetDlgItem(page, IDC_APP_FILES_LIST);
        LVFINDINFOA find{LVFI_STRING, name.c_str(), 0, {0, 0}, 0};
        return static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(&find)));
    }
    static std::string Cell(HWND page, int row, int column) {
        char text[260] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(GetDlgItem(page, IDC_APP_FILES_LIST), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    static void Select(HWND page, const std::string& name) {
        ASSERT_TRUE(ui::SelectRow(page, IDC_APP_FILES_LIST, Row(page, name)));
    }
    // The person fills in the Edit Files dialog.
    void FillEditFiles(const std::string& source, const std::string& target, bool deleteBox, bool ok = true) {
        driver_.OnDialog(IDD_EDIT_FILES, [=](const ModalElement& dialog) {
            if (deleteBox) ui::Check(dialog.window, IDC_TARGET_DELETED, true);
            if (!source.empty()) ui::ReplaceText(dialog.window, IDC_SOURCE_FILE, source);
            if (!target.empty()) ui::ReplaceText(dialog.window, IDC_TARGET_FILE, target);
            ui::Click(dialog.window, ok ? IDOK : IDCANCEL);
        });
    }
    void AddFile(HWND page, const std::string& source, const std::string& target, bool deleteBox = false) {
        driver_.OnPopupMenu([](const vpr::user::PopupMenu& menu) { return ui::ChooseMenuItem(menu, "&File"); });
        FillEditFiles(source, target, deleteBox);
        ui::Click(page, IDC_APP_FILES_ADD);
    }

protected:
    void TearDown() override {
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        EXPECT_EQ(driver_.PendingHandlers(), 0u);
        PageHostFixture::TearDown();
    }
};

struct Case {
    const char* name;
    std::function<void(HFILE)> stream;
    std::function<void(AppFilesPageTest&, HWND)> edit;
    Records saved;
};

TEST_F(AppFilesPageTest, EntriesReadEditedAndSavedAsATable) {
    const Case cases[] = {
        {"copy flags 0x208: shown as Copy if newer and shared, then a new copy",
         [](HFILE f) { kmapptWriteFileEntry(f, 1, 0x208, "\\\\SRV\\SYS\\APP.EXE", "C:\\APP\\APP.EXE"); },
         [](AppFilesPageTest& t, HWND page) {
             Select(page, "APP.EXE");
             EXPECT_EQ(SendDlgItemMessageA(page, IDC_APP_FILES_COPY_MODE, CB_GETCURSEL, 0, 0), 3);  // Copy if newer
             EXPECT_EQ(IsDlgButtonChecked(page, IDC_APP_FILES_SHARED), BST_CHECKED);
             t.AddFile(page, "\\\\SRV\\SYS\\B.DLL", "C:\\APP\\B.DLL");
         },
         {Copy("Flag=Update Create\nFlag=Shared File\n", "\\\\SRV\\SYS\\APP.EXE", "C:\\APP\\APP.EXE"),
          Copy("Flag=Update Create\n", "\\\\SRV\\SYS\\B.DLL", "C:\\APP\\B.DLL")}},
        {"a delete entry switched to copy asks for the source",
         [](HFILE f) { kmapptWriteFileEntry(f, 2, 0, "C:\\APP\\OLD.DLL", ""); },
         [](AppFilesPageTest& t, HWND page) {
             EXPECT_EQ(Cell(page, Row(page, "OLD.DLL"), 1), "<targeted for removal>");
             Select(page, "OLD.DLL");
             t.FillEditFiles("\\\\SRV\\SYS\\NEW.DLL", "", false);
             ui::Click(page, IDC_APP_FILES_COPY);
         },
         {Copy("Flag=Update Create\n", "\\\\SRV\\SYS\\NEW.DLL", "C:\\APP\\OLD.DLL")}},
        {"Cancel keeps the delete entry",
         [](HFILE f) { kmapptWriteFileEntry(f, 2, 0, "C:\\APP\\OLD.DLL", ""); },
         [](AppFilesPageTest& t, HWND page) {
             Select(page, "OLD.DLL");
             t.FillEditFiles("", "", false, false);
             ui::Click(page, IDC_APP_FILES_COPY);
             EXPECT_EQ(IsDlgButtonChecked(page, IDC_APP_FILES_REMOVE), BST_CHECKED);
         },
         {Delete("C:\\APP\\OLD.DLL")}},
        {"a copy switched to delete writes the target only",
         [](HFILE f) { kmapptWriteFileEntry(f, 1, 0x1, "\\\\SRV\\SYS\\A.EXE", "C:\\APP\\A.EXE"); },
         [](AppFilesPageTest&, HWND page) {
             Select(page, "A.EXE");
             ui::Click(page, IDC_APP_FILES_REMOVE);
         },
         {"[File Delete]\nFlag=Write Always\nFile=C:\\APP\\A.EXE"}},
        {"the same target in another case gives one line",
         [](HFILE f) {
             kmapptWriteFileEntry(f, 1, 0x8, "S1", "C:\\APP\\X.DLL");
             kmapptWriteFileEntry(f, 1, 0x8, "S2", "c:\\app\\x.dll");
         },
         [](AppFilesPageTest& t, HWND page) {
             t.AddFile(page, "S3", "C:\\App\\X.Dll");
             EXPECT_EQ(SendDlgItemMessageA(page, IDC_APP_FILES_LIST, LVM_GETITEMCOUNT, 0, 0), 1);
         },
         {Copy("Flag=Update Create\n", "S1", "C:\\APP\\X.DLL")}},
        {"of equal names in a read, the first of each directory stays; one deleted can be added again",
         [](HFILE f) {
             kmapptWriteFileEntry(f, 1, 0x8, "S1", "C:\\A\\X.DAT");
             kmapptWriteFileEntry(f, 1, 0x8, "S2", "C:\\B\\x.dat");
             kmapptWriteFileEntry(f, 1, 0x8, "S3", "c:\\a\\x.Dat");
             kmapptWriteFileEntry(f, 1, 0x8, "S4", "C:\\B\\X.DAT");
             kmapptWriteFileEntry(f, 1, 0x8, "S5", "C:\\A\\Y.DAT");
         },
         [](AppFilesPageTest& t, HWND page) {
             EXPECT_EQ(SendDlgItemMessageA(page, IDC_APP_FILES_LIST, LVM_GETITEMCOUNT, 0, 0), 3);
             Select(page, "Y.DAT");
             ui::Click(page, IDC_APP_FILES_DELETE);
             t.AddFile(page, "S6", "C:\\A\\y.dat");
             t.AddFile(page, "S7", "C:\\b\\X.DAT");  // shown already
         },
         {Copy("Flag=Update Create\n", "S2", "C:\\B\\x.dat"), Copy("Flag=Update Create\n", "S1", "C:\\A\\X.DAT"),
          Copy("Flag=Update Create\n", "S6", "C:\\A\\y.dat")}},
        {"a target without a backslash",
         [](HFILE f) { kmapptWriteDirEntry(f, 1, 0, "TEMP"); },
         [](AppFilesPageTest& t, HWND page) {
             t.AddFile(page, "S", "README.TXT");
             int row = Row(page, "README.TXT");
             EXPECT_EQ(Cell(page, row, 2), "README.TXT");
             EXPECT_EQ(Cell(page, Row(page, "TEMP"), 2), "");
         },
         {Copy("Flag=Update Create\n", "S", "README.TXT"), "[Directory Create]\nDirectory=TEMP"}},
        {"saved in the order of the file names, whatever column was sorted",
         ThreeCopies,
         [](AppFilesPageTest&, HWND page) {
             ui::ClickColumn(page, IDC_APP_FILES_LIST, 1);
             EXPECT_EQ(Cell(page, 0, 1), "X");
             Select(page, "C.TXT");
             ui::Click(page, IDC_APP_FILES_REMOVE);
         },
         {Copy("Flag=Update Create\n", "X", "C:\\C\\a.txt"), Copy("Flag=Update Create\n", "Z", "C:\\B\\b.txt"),
          "[File Delete]\nFlag=Update Create\nFile=C:\\A\\C.TXT"}},
        {"a selected line follows its row through a sort; switched to delete, it still shows its source",
         ThreeCopies,
         [](AppFilesPageTest&, HWND page) {
             Select(page, "C.TXT");  // the last line by name
             ui::ClickColumn(page, IDC_APP_FILES_LIST, 1);
             EXPECT_EQ(SendDlgItemMessageA(page, IDC_APP_FILES_LIST, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                           LVNI_SELECTED),
                       Row(page, "C.TXT"));
             EXPECT_EQ(Row(page, "C.TXT"), 1);
             ui::Click(page, IDC_APP_FILES_REMOVE);
             EXPECT_EQ(Cell(page, 1, 1), "Y");
         },
         {Copy("Flag=Update Create\n", "X", "C:\\C\\a.txt"), Copy("Flag=Update Create\n", "Z", "C:\\B\\b.txt"),
          "[File Delete]\nFlag=Update Create\nFile=C:\\A\\C.TXT"}},
        {"lines in the order of the names, of equal names the later entry first",
         [](HFILE f) {
             kmapptWriteFileEntry(f, 1, 0x8, "S1", "C:\\B\\X.DAT");
             kmapptWriteFileEntry(f, 1, 0x8, "S2", "C:\\Y.DAT");
             kmapptWriteFileEntry(f, 1, 0x8, "S3", "C:\\A\\x.dat");
             kmapptWriteFileEntry(f, 1, 0x8, "S4", "C:\\A\\A.DAT");
         },
         [](AppFilesPageTest& t, HWND page) {
             std::vector<std::string> shown;
             for (int row = 0; row < 4; ++row) shown.push_back(Cell(page, row, 0) + " " + Cell(page, row, 1));
             EXPECT_EQ(shown, (std::vector<std::string>{"A.DAT S4", "x.dat S3", "X.DAT S1", "Y.DAT S2"}));
             t.AddFile(page, "S5", "C:\\B.DAT");
         },
         {Copy("Flag=Update Create\n", "S4", "C:\\A\\A.DAT"), Copy("Flag=Update Create\n", "S5", "C:\\B.DAT"),
          Copy("Flag=Update Create\n", "S3", "C:\\A\\x.dat"), Copy("Flag=Update Create\n", "S1", "C:\\B\\X.DAT"),
          Copy("Flag=Update Create\n", "S2", "C:\\Y.DAT")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream(snapin::kAttrCopyFiles, c.stream);
        auto outcome = Details(0, [&](HWND, HWND page) { c.edit(*this, page); });
        EXPECT_TRUE(outcome.confirmed);
        EXPECT_EQ(outcome.saveResult, 0);
        EXPECT_EQ(Saved(snapin::kAttrCopyFiles), c.saved);
    }
}

TEST_F(AppFilesPageTest, ADirectoryAddedAndAFileToDeleteAreSavedAndAnUneditedPageWritesNothing) {
    Stream(snapin::kAttrCopyFiles, [](HFILE f) { kmapptWriteFileEntry(f, 1, 0x8, "S", "C:\\KEEP.TXT"); });
    Details(0, nullptr);  // nothing changed: nothing written
    EXPECT_EQ(Saved(snapin::kAttrCopyFiles), (Records{Copy("Flag=Update Create\n", "S", "C:\\KEEP.TXT")}));
    Details(0, [&](HWND, HWND page) {
        driver_.OnPopupMenu([](const vpr::user::PopupMenu& menu) { return ui::ChooseMenuItem(menu, "&Directory"); });
        driver_.OnDialog(IDD_EDIT_DIRECTORY, [](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, IDC_DIRECTORY_NAME, "C:\\APP\\DATA");
            ui::Click(dialog.window, IDOK);
        });
        ui::Click(page, IDC_APP_FILES_ADD);
        AddFile(page, "", "C:\\WINDOWS\\OLD.INI", true);
        Select(page, "KEEP.TXT");
        ui::Click(page, IDC_APP_FILES_DELETE);
    });
    EXPECT_EQ(Saved(snapin::kAttrCopyFiles),
              (Records{"[Directory Create]\nDirectory=C:\\APP\\DATA", "[File Delete]\nFile=C:\\WINDOWS\\OLD.INI"}));
}

}  // namespace
