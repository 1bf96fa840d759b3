// The INI Settings page in the host: files, sections and values read from
// the stream, what a person adds, changes and deletes, the text Show File
// gives, and the records saved, as a table.
#include "page_host_fixture.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/ini_files_page.h"

namespace {

namespace ui = vpr::user::ui;
using vpr::user::ModalElement;

CIniFilesPage* g_page = nullptr;
CDialog* MakeIniFiles() { return g_page = new CIniFilesPage; }
const std::vector<PageSlot> kSlots = {{57, 320, 1, MakeIniFiles}};

void Ident(HFILE f, const char* file, const char* section, const char* ident, const char* value, DWORD subtype = 1,
           DWORD flags = 0x4) {
    kmapptWriteIdentEntry(f, subtype, flags, file, section, ident, value);
}
void Section(HFILE f, const char* file, const char* section) { kmapptWriteSectionEntry(f, 1, file, section); }

int Files(HWND page) { return static_cast<int>(SendDlgItemMessageA(page, IDC_INI_FILE_LIST, LB_GETCOUNT, 0, 0)); }

std::string FileName(HWND page, int line) {
    char text[260] = {};
    SendDlgItemMessageA(page, IDC_INI_FILE_LIST, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text));
    return text;
}

// The labels of the tree's nodes, children indented by two spaces.
std::string TreeText(HWND page) {
    HWND tree = GetDlgItem(page, IDC_INI_TREE);
    std::string text;
    for (auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); root;
         root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(root)))) {
        auto label = [&](HTREEITEM node) {
            char buffer[260] = {};
            TVITEMA item{};
            item.mask = TVIF_TEXT;
            item.hItem = node;
            item.pszText = buffer;
            item.cchTextMax = sizeof buffer;
            SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            return std::string(buffer);
        };
        text += label(root) + "\n";
        for (auto child = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
             child; child = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
            text += "  " + label(child) + "\n";
    }
    return text;
}

class IniFilesPageTest : public PageHostFixture {
protected:
    void SetUp() override { Start(kSlots); }
    void TearDown() override {
        ExpectDriverDone();
        PageHostFixture::TearDown();
    }

public:
    static void ChooseFile(HWND page, const std::string& name) {
        int line = static_cast<int>(
            SendDlgItemMessageA(page, IDC_INI_FILE_LIST, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name.c_str())));
        ASSERT_TRUE(ui::SelectRow(page, IDC_INI_FILE_LIST, line)) << name;
    }
    // Dialog 333 gets the text and OK.
    void FillName(const std::string& text) {
        driver_.OnDialog(IDD_STRING_EDIT, [=](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, IDC_STRING_EDIT_TEXT, text);
            ui::Click(dialog.window, IDOK);
        });
    }
    // Dialog 328 gets the identifier and value and OK.
    void FillValue(const std::string& identifier, const std::string& value) {
        driver_.OnDialog(IDD_STRING_VALUE, [=](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, IDC_STRING_NAME, identifier);
            ui::ReplaceText(dialog.window, IDC_STRING_DATA, value);
            ui::Click(dialog.window, IDOK);
        });
    }
    void NewFile(HWND page, const std::string& name) {
        FillName(name);
        ui::Click(page, IDC_INI_NEW_FILE);
    }
    void AddSection(HWND page, const std::string& name) {
        FillName(name);
        ui::Click(page, IDC_INI_ADD_SECTION);
    }
    void AddValue(HWND page, const std::string& identifier, const std::string& value) {
        FillValue(identifier, value);
        ui::Click(page, IDC_INI_ADD_VALUE);
    }
    // Show File's text, as dialog 344 shows it.
    std::string ShowFile(HWND page) {
        std::string text;
        driver_.OnDialog(IDD_VIEW_INI_FILE, [&](const ModalElement& dialog) {
            char buffer[1024] = {};
            GetDlgItemTextA(dialog.window, IDC_VIEW_INI_TEXT, buffer, sizeof buffer);
            text = buffer;
            ui::Click(dialog.window, IDOK);
        });
        ui::Click(page, IDC_INI_SHOW_FILE);
        return text;
    }
};

struct Case {
    const char* name;
    std::function<void(HFILE)> stream;
    std::function<void(IniFilesPageTest&, HWND)> edit;
    std::function<void(HFILE)> saved;  // the records expected, written by the template library
};

TEST_F(IniFilesPageTest, SettingsReadEditedAndSavedAsATable) {
    const Case cases[] = {
        {"a lone section entry comes back as a section entry",
         [](HFILE f) { Section(f, "WIN.INI", "Old"); },
         [](IniFilesPageTest& t, HWND page) {
             IniFilesPageTest::ChooseFile(page, "WIN.INI");
             ui::SelectTreeNode(page, IDC_INI_TREE, {"Old"});
             EXPECT_EQ(IsDlgButtonChecked(page, IDC_INI_DELETE_ITEM), BST_CHECKED);
             t.NewFile(page, "A.INI");  // a file without sections: nothing written
         },
         [](HFILE f) { Section(f, "WIN.INI", "Old"); }},
        {"files differing only in case make one line named as the first; sections differing in case stay two",
         [](HFILE f) {
             Ident(f, "Win.ini", "windows", "load", "a.exe");
             Ident(f, "WIN.INI", "Windows", "run", "b.exe");
         },
         [](IniFilesPageTest& t, HWND page) {
             EXPECT_EQ(Files(page), 1);
             EXPECT_EQ(FileName(page, 0), "Win.ini");
             t.NewFile(page, "WIN.ini");  // names a listed file: nothing added
             EXPECT_EQ(Files(page), 1);
         },
         [](HFILE f) {
             Ident(f, "Win.ini", "windows", "load", "a.exe");
             Ident(f, "Win.ini", "Windows", "run", "b.exe");
         }},
        {"one identifier with two values keeps both; a repeated value takes the later subtype and flags",
         [](HFILE f) {
             Ident(f, "SYSTEM.INI", "386Enh", "device", "a.386", 1, 0x40);
             Ident(f, "SYSTEM.INI", "386Enh", "device", "b.386", 1, 0x40);
             Ident(f, "SYSTEM.INI", "386Enh", "device", "a.386", 2, 0);
         },
         [](IniFilesPageTest& t, HWND page) { t.NewFile(page, "B.INI"); },
         [](HFILE f) {
             Ident(f, "SYSTEM.INI", "386Enh", "device", "a.386", 2, 0);
             Ident(f, "SYSTEM.INI", "386Enh", "device", "b.386", 1, 0x40);
         }},
        {"a file whose sections were all deleted is not written",
         [](HFILE f) {
             Ident(f, "A.INI", "s", "x", "1");
             Section(f, "B.INI", "t");
         },
         [](IniFilesPageTest&, HWND page) {
             IniFilesPageTest::ChooseFile(page, "A.INI");
             ui::SelectTreeNode(page, IDC_INI_TREE, {"s"});
             ui::Click(page, IDC_INI_DELETE);
         },
         [](HFILE f) { Section(f, "B.INI", "t"); }},
        {"a person's file, section and value; Delete Item and the flags of a value",
         [](HFILE f) { Ident(f, "C.INI", "s", "x", "1"); },
         [](IniFilesPageTest& t, HWND page) {
             t.NewFile(page, "WIN.INI");
             IniFilesPageTest::ChooseFile(page, "WIN.INI");
             t.AddSection(page, "windows");
             ui::SelectTreeNode(page, IDC_INI_TREE, {"windows"});
             t.AddValue(page, "load", "app.exe");
             t.AddValue(page, "run", "b.exe");  // the section stays selected
             ui::SelectTreeNode(page, IDC_INI_TREE, {"windows", "load = app.exe"});
             ui::Check(page, IDC_INI_DELETE_ITEM, true);
             ui::SelectTreeNode(page, IDC_INI_TREE, {"windows", "run = b.exe"});
             ui::SelectRow(page, IDC_INI_FLAGS, 0);  // "Create always", first of the sorted lines
         },
         [](HFILE f) {
             Ident(f, "C.INI", "s", "x", "1");
             Ident(f, "WIN.INI", "windows", "load", "app.exe", 2, 0);
             Ident(f, "WIN.INI", "windows", "run", "b.exe", 1, 0x1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream(snapin::kAttrIniSettings, c.stream);
        auto outcome = Details(0, [&](HWND, HWND page) { c.edit(*this, page); });
        EXPECT_EQ(outcome.saveResult, 0);
        EXPECT_EQ(Saved(snapin::kAttrIniSettings), ExpectedRecords(c.saved));
    }
}

TEST_F(IniFilesPageTest, ShowFileGivesEachSectionItsValuesAndAnEmptyLine) {
    Stream(snapin::kAttrIniSettings, [](HFILE f) {
        Ident(f, "APP.INI", "a", "x", "1");
        Section(f, "APP.INI", "b");
    });
    Details(0, [&](HWND, HWND page) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_INI_SHOW_FILE)));  // until a file is chosen
        ChooseFile(page, "APP.INI");
        EXPECT_EQ(ShowFile(page), "[a]\r\nx = 1\r\n\r\n[b]\r\n\r\n");
    });
}

TEST_F(IniFilesPageTest, AValueAddedTwiceHasOneNodeAndDeletingItLeavesNothingBehind) {
    Stream(snapin::kAttrIniSettings, [](HFILE f) { Ident(f, "WIN.INI", "windows", "load", "app.exe", 2, 0); });
    Details(0, [&](HWND, HWND page) {
        ChooseFile(page, "WIN.INI");
        ui::SelectTreeNode(page, IDC_INI_TREE, {"windows"});
        AddValue(page, "load", "app.exe");
        // The value's one node is selected, now Create "if does not exist".
        EXPECT_EQ(TreeText(page), "windows\n  load = app.exe\n");
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_INI_CREATE_ITEM), BST_CHECKED);
        ui::SelectTreeNode(page, IDC_INI_TREE, {"windows"});
        AddValue(page, "load", "app.exe");
        EXPECT_EQ(TreeText(page), "windows\n  load = app.exe\n");
        ui::Click(page, IDC_INI_DELETE);
        EXPECT_EQ(TreeText(page), "windows\n");
        // The section, now without values, is selected and writes as a section.
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_INI_DELETE_ITEM), BST_CHECKED);
        ui::Click(page, IDC_INI_DELETE);
        EXPECT_EQ(TreeText(page), "");
    });
    EXPECT_EQ(Saved(snapin::kAttrIniSettings), Records{});
}

TEST_F(IniFilesPageTest, NamesWithBracketsOrEqualsAreRefusedAndACaseVariantSectionGetsItsNode) {
    std::vector<std::string> messages;
    auto answer = [&](const ModalElement& box) {
        messages.push_back(box.caption + ": " + box.text);
        ui::Click(box.window, IDOK);
    };
    for (int i = 0; i < 3; ++i) driver_.OnMessageBox("The entry contains", answer);
    Stream(snapin::kAttrIniSettings, [](HFILE f) { Ident(f, "WIN.INI", "windows", "load", "app.exe"); });
    Details(0, [&](HWND, HWND page) {
        ChooseFile(page, "WIN.INI");
        FillName("[x]");
        AddSection(page, "Windows");  // runs again after the message
        EXPECT_EQ(TreeText(page), "windows\n  load = app.exe\nWindows\n");
        // The new section is selected; the editor runs again after each refusal.
        FillValue("a=b", "c");
        FillValue("a", "c=]");
        AddValue(page, "b", "2");
        EXPECT_EQ(TreeText(page), "windows\n  load = app.exe\nWindows\n  b = 2\n");
    });
    EXPECT_EQ(messages, (std::vector<std::string>{"Dravik Error: The entry contains the invalid character '['",
                                                  "Dravik Error: The entry contains the invalid character '='",
                                                  "Dravik Error: The entry contains the invalid character ']'"}));
}

TEST_F(IniFilesPageTest, AValueWithFlagsNoLineHasLeavesTheFlagsAsTheyWere) {
    Stream(snapin::kAttrIniSettings, [](HFILE f) {
        Ident(f, "WIN.INI", "s", "a", "1", 1, 0x1);
        Ident(f, "WIN.INI", "s", "b", "2", 1, 0x8);
    });
    Details(0, [&](HWND, HWND page) {
        ChooseFile(page, "WIN.INI");
        ui::SelectTreeNode(page, IDC_INI_TREE, {"s", "a = 1"});
        LRESULT shown = SendDlgItemMessageA(page, IDC_INI_FLAGS, CB_GETCURSEL, 0, 0);
        EXPECT_NE(shown, CB_ERR);
        ui::SelectTreeNode(page, IDC_INI_TREE, {"s", "b = 2"});
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_INI_FLAGS, CB_GETCURSEL, 0, 0), shown);
    });
}

TEST_F(IniFilesPageTest, WithoutTheWriteRightFilesTreeAndShowFileStayUsable) {
    Stream(snapin::kAttrIniSettings, [](HFILE f) { Ident(f, "WIN.INI", "windows", "load", "app.exe"); });
    tree_.User("reader.acme").Grant(kObject, "reader.acme", "[All Attributes Rights]", DIR_ATTR_READ).LogIn("reader.acme");
    Details(0, [&](HWND, HWND page) {
        ChooseFile(page, "WIN.INI");
        ui::SelectTreeNode(page, IDC_INI_TREE, {"windows", "load = app.exe"});
        for (int id : {IDC_INI_ADD_SECTION, IDC_INI_DELETE_FILE, IDC_INI_DELETE, IDC_INI_IMPORT, IDC_INI_ADD_VALUE,
                       IDC_INI_DELETE_ITEM, IDC_INI_MODIFY, IDC_INI_MODIFY_FILE, IDC_INI_NEW_FILE, IDC_INI_CREATE_ITEM})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
        EXPECT_EQ(ShowFile(page), "[windows]\r\nload = app.exe\r\n\r\n");
        driver_.OnDialog(IDD_VIEW_INI_FILE, [](const ModalElement& dialog) { ui::Click(dialog.window, IDOK); });
        ui::DoubleClickRow(page, IDC_INI_FILE_LIST, 0);
        EXPECT_FALSE(g_page->IsModified());
    });
}

}  // namespace
