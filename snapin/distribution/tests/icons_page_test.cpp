// The Icons and Shortcuts page in the host: groups, items and shortcuts read
// from the stream (duplicates dropped), what a person adds, changes and
// deletes, and the records saved, as a table.
#include "page_host_fixture.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/icons_page.h"

namespace {

namespace ui = vpr::user::ui;
using vpr::user::ModalElement;

CIconsPage* g_page = nullptr;
CDialog* MakeIcons() { return g_page = new CIconsPage; }
const std::vector<PageSlot> kSlots = {{183, 373, 1, MakeIcons}};

int Lines(HWND page) { return static_cast<int>(SendDlgItemMessageA(page, IDC_ICON_LIST, LVM_GETITEMCOUNT, 0, 0)); }

std::string Cell(HWND page, int row, int column) {
    char text[260] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(GetDlgItem(page, IDC_ICON_LIST), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// What the person types into dialog 376.
struct Shortcut {
    std::string name, target, group, parameters, iconIndex;
};

class IconsPageTest : public PageHostFixture {
protected:
    void SetUp() override { Start(kSlots); }
    void TearDown() override {
        ExpectDriverDone();
        PageHostFixture::TearDown();
    }

public:
    void FillShortcut(const Shortcut& s) {
        driver_.OnDialog(IDD_SHORTCUT_PROPERTIES, [=](const ModalElement& dialog) {
            HWND d = dialog.window;
            ui::ReplaceText(d, IDC_SHORTCUT_NAME, s.name);
            ui::ReplaceText(d, IDC_SHORTCUT_TARGET, s.target);
            ui::ReplaceText(d, IDC_SHORTCUT_GROUP, s.group);
            if (!s.parameters.empty()) ui::ReplaceText(d, IDC_SHORTCUT_PARAMETERS, s.parameters);
            ui::ReplaceText(d, IDC_SHORTCUT_ICON_INDEX, s.iconIndex);
            ui::Click(d, IDOK);
        });
    }
    // Add, then the menu command and its dialog.
    void AddShortcut(HWND page, const std::string& command, const Shortcut& s) {
        driver_.OnPopupMenu([command](const vpr::user::PopupMenu& menu) { return ui::ChooseMenuItem(menu, command); });
        FillShortcut(s);
        ui::Click(page, IDC_ICON_ADD);
    }
    void AddGroup(HWND page, const std::string& name, bool create = true) {
        driver_.OnPopupMenu([](const vpr::user::PopupMenu& menu) { return ui::ChooseMenuItem(menu, "&Program Group"); });
        driver_.OnDialog(IDD_PROGRAM_GROUP, [=](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, IDC_GROUP_NAME, name);
            ui::Check(dialog.window, create ? IDC_GROUP_CREATE : IDC_GROUP_DELETE, true);
            ui::Click(dialog.window, IDOK);
        });
        ui::Click(page, IDC_ICON_ADD);
    }
};

void Group(HFILE f, const char* name) { kmapptWritePMGroupEntry(f, 1, name); }
void Item(HFILE f, const char* group, const char* name, const char* fourth = "") {
    kmapptWriteUserIconEntry(f, 1, group, name, "C:\\APP\\APP.EXE", fourth, "", "C:\\APP", 4, 0, 0, 0);
}
void Link(HFILE f, const char* path) {
    kmapptWriteUserIconEntry(f, 3, path, "", "C:\\APP\\APP.EXE", "/x", "C:\\APP\\APP.ICO", "C:\\APP", 8, 2, 7, 0);
}

struct Case {
    const char* name;
    std::function<void(HFILE)> stream;
    std::function<void(IconsPageTest&, HWND)> edit;
    std::function<void(HFILE)> saved;  // the records expected, written by the template library
};

TEST_F(IconsPageTest, EntriesReadEditedAndSavedAsATable) {
    const Case cases[] = {
        {"a shortcut named Word 7.0 in C:\\Menu is written as C:\\Menu\\Word 7.0.lnk; an empty icon index is 0",
         nullptr,
         [](IconsPageTest& t, HWND page) {
             t.AddShortcut(page, "&Shortcut", {"Word 7.0", "C:\\WORD\\WINWORD.EXE", "C:\\Menu", "/n", ""});
         },
         [](HFILE f) {
             kmapptWriteUserIconEntry(f, 3, "C:\\Menu\\Word 7.0.lnk", "", "C:\\WORD\\WINWORD.EXE", "/n", "", "", 8, 0,
                                      1, 0);
         }},
        {"unedited links come back byte for byte: a .pif, one without .lnk, one without a backslash",
         [](HFILE f) {
             Link(f, "C:\\Menu\\App.pif");
             Link(f, "C:\\Menu\\Word 7.0");
             Link(f, "NoFolder.lnk");
         },
         [](IconsPageTest& t, HWND page) {
             EXPECT_EQ(Cell(page, 0, 0), "");  // no backslash: no name
             EXPECT_EQ(Cell(page, 1, 0), "App");
             EXPECT_EQ(Cell(page, 2, 0), "Word 7");
             t.AddGroup(page, "Tools");
         },
         [](HFILE f) {
             Link(f, "NoFolder.lnk");
             Link(f, "C:\\Menu\\App.pif");
             Group(f, "Tools");
             Link(f, "C:\\Menu\\Word 7.0");
         }},
        {"an edited link is written from its folder and name",
         [](HFILE f) { Link(f, "C:\\Menu\\App.pif"); },
         [](IconsPageTest& t, HWND page) {
             ui::SelectRow(page, IDC_ICON_LIST, 0);
             t.FillShortcut({"App", "C:\\APP\\NEW.EXE", "C:\\Menu", "", "2"});
             ui::Click(page, IDC_ICON_MODIFY);
         },
         [](HFILE f) {
             kmapptWriteUserIconEntry(f, 3, "C:\\Menu\\App.lnk", "", "C:\\APP\\NEW.EXE", "/x", "C:\\APP\\APP.ICO",
                                      "C:\\APP", 8, 2, 7, 0);
         }},
        {"duplicate groups and items are dropped; a group named like an item's group stays; an item's fourth text "
         "is written empty; written by name",
         [](HFILE f) {
             Item(f, "Games", "Solitaire", "junk");
             Group(f, "Games");
             Group(f, "Games");
             Item(f, "Games", "Solitaire");
             Item(f, "Games", "Mines");
         },
         [](IconsPageTest& t, HWND page) {
             EXPECT_EQ(Lines(page), 3);
             t.AddGroup(page, "Games", false);  // refused, and the page is changed
             EXPECT_EQ(Lines(page), 3);
         },
         [](HFILE f) {
             Group(f, "Games");
             Item(f, "Games", "Mines");
             Item(f, "Games", "Solitaire");
         }},
        {"two adjacent lines selected: Delete removes both",
         [](HFILE f) {
             for (const char* name : {"A", "B", "C", "D"}) Group(f, name);
         },
         [](IconsPageTest&, HWND page) {
             SelectRows(page, IDC_ICON_LIST, {1, 2});
             ui::Click(page, IDC_ICON_DELETE);
         },
         [](HFILE f) {
             Group(f, "A");
             Group(f, "D");
         }},
        {"three adjacent lines selected: Delete removes them all",
         [](HFILE f) {
             for (const char* name : {"A", "B", "C", "D"}) Group(f, name);
         },
         [](IconsPageTest&, HWND page) {
             SelectRows(page, IDC_ICON_LIST, {0, 1, 2});
             ui::Click(page, IDC_ICON_DELETE);
         },
         [](HFILE f) { Group(f, "D"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream(snapin::kAttrProgramGroups, c.stream);
        auto outcome = Details(0, [&](HWND, HWND page) { c.edit(*this, page); });
        EXPECT_EQ(outcome.saveResult, 0);
        EXPECT_EQ(Saved(snapin::kAttrProgramGroups), ExpectedRecords(c.saved));
    }
}

TEST_F(IconsPageTest, AShortcutWrittenFromItsFolderAndNameReadsBackAsThem) {
    Details(0, [&](HWND, HWND page) {
        AddShortcut(page, "&Shortcut", {"Word 7.0", "C:\\WORD\\WINWORD.EXE", "C:\\Menu", "", "12"});
    });
    Details(0, [&](HWND, HWND page) {
        ASSERT_EQ(Lines(page), 1);
        EXPECT_EQ(Cell(page, 0, 0), "Word 7.0");
        EXPECT_EQ(Cell(page, 0, 1), "Explorer Shortcut");
        driver_.OnDialog(IDD_SHORTCUT_PROPERTIES, [](const ModalElement& dialog) {
            char text[64] = {};
            GetDlgItemTextA(dialog.window, IDC_SHORTCUT_GROUP, text, sizeof text);
            EXPECT_STREQ(text, "C:\\Menu");
            GetDlgItemTextA(dialog.window, IDC_SHORTCUT_ICON_INDEX, text, sizeof text);
            EXPECT_STREQ(text, "12");
            EXPECT_EQ(dialog.caption, "Explorer Shortcut");
            ui::Click(dialog.window, IDCANCEL);
        });
        ui::DoubleClickRow(page, IDC_ICON_LIST, 0);
        EXPECT_FALSE(g_page->IsModified());
    });
}

TEST_F(IconsPageTest, WithoutTheWriteRightTheLinesShowAndNothingEdits) {
    Stream(snapin::kAttrProgramGroups, [](HFILE f) { Group(f, "Games"); });
    tree_.User("reader.acme").Grant(kObject, "reader.acme", "[All Attributes Rights]", DIR_ATTR_READ).LogIn("reader.acme");
    Details(0, [&](HWND, HWND page) {
        EXPECT_EQ(Lines(page), 1);
        for (int id : {IDC_ICON_ADD, IDC_ICON_DELETE, IDC_ICON_IMPORT, IDC_ICON_MODIFY})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
        ui::DoubleClickRow(page, IDC_ICON_LIST, 0);  // no dialog opens
        EXPECT_FALSE(g_page->IsModified());
    });
}

}  // namespace
