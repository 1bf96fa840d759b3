// The item base and its kinds as the shell uses them: interface parts on one
// count, context menus, command texts, icons, ordering and desktop shortcuts.
#include <fstream>
#include <sstream>

#include "items/app_folder_item.h"
#include "items/app_tree.h"
#include "items/group_folder_item.h"
#include "items_fixture.h"
#include "module/module_utilities.h"
#include "objbase.h"
#include "vpr/locale/locale.h"

namespace {

// The items of a menu: "text|id" per entry ("-" a separator, "*" marks the
// default, "owner" an owner-drawn entry).
std::vector<std::string> MenuEntries(HMENU menu) {
    std::vector<std::string> entries;
    const UINT byDefault = GetMenuDefaultItem(menu, TRUE, 0);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info{};
        char text[64] = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            entries.push_back("-");
            continue;
        }
        std::string entry = (info.fType & MFT_OWNERDRAW) ? "owner" : text;
        entry += "|" + std::to_string(info.wID);
        if (static_cast<UINT>(i) == byDefault) entry += "*";
        entries.push_back(entry);
    }
    return entries;
}

class FolderItemTest : public ItemsTest {
protected:
    // Items of the personal tree, built straight from their classes.
    CGroupFolderItem* PersonalFolder(const char* name) {
        return new CGroupFolderItem("Personal\t", name, kPersonalItem | 1, RootIdList());
    }
};

TEST_F(FolderItemTest, InterfacePartsShareTheItemsOneCount) {
    CFolderItem* item = new CAppTree("TEST_TREE\t", "TEST_TREE");
    EXPECT_EQ(app->m_nLiveObjects.load(), 1);
    const IID* parts[] = {&IID_IUnknown, &IID_IContextMenu, &IID_IContextMenu2, &IID_IExtractIconA,
                          &IID_IExtractIconW, &IID_IDropTarget, &IID_IShellPropSheetExt};
    std::vector<IUnknown*> held;
    for (const IID* iid : parts) {
        IUnknown* part = nullptr;
        ASSERT_EQ(item->QueryInterface(*iid, reinterpret_cast<void**>(&part)), S_OK);
        // Every part answers for the item: IUnknown is the context menu part.
        IUnknown* identity = nullptr;
        ASSERT_EQ(part->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
        EXPECT_EQ(identity, item->GetUnknown());
        identity->Release();
        held.push_back(part);
    }
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(item->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    // Eight references now; the last Release through any part deletes it.
    EXPECT_EQ(item->Release(), 7u);
    for (size_t i = 0; i + 1 < held.size(); ++i) held[i]->Release();
    EXPECT_EQ(app->m_nLiveObjects.load(), 1);
    EXPECT_EQ(held.back()->Release(), 0u);
    EXPECT_EQ(app->m_nLiveObjects.load(), 0);
}

TEST_F(FolderItemTest, ContextMenusByFlagsAndKind) {
    StartCache();
    CFolderItem* root = cache->GetItem("", kNoContext);
    CGroupFolderItem* personal = PersonalFolder("Mine");
    CGroupFolderItem* shared = new CGroupFolderItem("TEST_TREE\t", "Tools", 1, RootIdList());
    const struct {
        CFolderItem* item;
        UINT flags;
        HRESULT count;
        std::vector<std::string> entries;
    } cases[] = {
        {root, CMF_NORMAL, 4, {"&Open|100*", "&Explore|101", "-", "Create &Shortcut|104", "-", "P&roperties...|107"}},
        {root, CMF_DEFAULTONLY, 3, {"&Open|100*", "-", "Create &Shortcut|104", "-", "P&roperties...|107"}},
        {root, CMF_DEFAULTONLY | CMF_VERBSONLY, 1, {"&Open|100*"}},
        {root, CMF_EXPLORE, 4, {"owner|101*", "owner|100", "-", "owner|104", "-", "owner|107"}},
        {shared, CMF_NORMAL, 5,
         {"&Open|100*", "&Explore|101", "-", "&Copy|109", "-", "Create &Shortcut|104", "-", "P&roperties...|107"}},
        {personal, CMF_NORMAL, 9,
         {"&Open|100*", "&Explore|101", "-", "Cu&t|108", "&Copy|109", "&Paste|110", "-", "Create &Shortcut|104",
          "&Delete|105", "Rena&me|106", "-", "P&roperties...|107"}},
        {personal, CMF_VERBSONLY, 2, {"&Open|100*", "&Explore|101"}},
    };
    for (const auto& c : cases) {
        HMENU menu = CreatePopupMenu();
        EXPECT_EQ(c.item->QueryContextMenu(menu, 0, 100, 200, c.flags), c.count) << c.flags;
        EXPECT_EQ(MenuEntries(menu), c.entries) << c.flags;
        EXPECT_EQ(app->m_idCmdFirst.load(), 100u);
        DestroyMenu(menu);
    }
    CFolderItem* items[] = {root, personal, shared};
    ReleaseItems(items, 3);
}

TEST_F(FolderItemTest, CommandsByVerbAndNumber) {
    CFolderItem* item = new CAppTree("TEST_TREE\t", "TEST_TREE");
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    // The base deletes nothing, but "delete" is command 5, which it knows.
    info.lpVerb = "delete";
    EXPECT_EQ(item->InvokeCommand(&info), S_OK);
    info.lpVerb = "frobnicate";
    EXPECT_EQ(item->InvokeCommand(&info), S_OK);
    for (UINT unknown : {8u, 9u, 12u, 19u, 20u}) {
        info.lpVerb = MAKEINTRESOURCEA(unknown);
        EXPECT_EQ(item->InvokeCommand(&info), E_FAIL) << unknown;
    }

    char text[80];
    const struct {
        UINT id;
        UINT type;
        const char* text;
    } strings[] = {
        {4, GCS_VERBA, "Create &Shortcut"},       {4, GCS_HELPTEXTA, "Creates shortcuts to the selected items."},
        {18, GCS_VERBA, "&Auto Arrange"},         {3, GCS_HELPTEXTA, "Verify the installation of the selected application."},
        {12, GCS_VERBA, ""},                      {25, GCS_HELPTEXTA, ""},
    };
    IContextMenu* menu = nullptr;
    ASSERT_EQ(item->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    for (const auto& s : strings) {
        std::memset(text, 'x', sizeof(text));
        EXPECT_EQ(menu->GetCommandString(s.id, s.type, nullptr, text, sizeof(text)), S_OK);
        EXPECT_STREQ(text, s.text) << s.id;
    }
    // A buffer too small takes what fits.
    EXPECT_EQ(menu->GetCommandString(0, GCS_VERBA, nullptr, text, 4), S_OK);
    EXPECT_STREQ(text, "&Op");
    menu->Release();
    item->Release();
}

TEST_F(FolderItemTest, IconLocationsByKindAndState) {
    CGroupFolderItem* personal = PersonalFolder("Mine");
    CGroupFolderItem* shared = new CGroupFolderItem("TEST_TREE\t", "Tools", 1, RootIdList());
    const struct {
        CFolderItem* item;
        UINT flags;
        int index;
    } cases[] = {{shared, 0, 0}, {shared, GIL_OPENICON, 1}, {personal, 0, 2}, {personal, GIL_OPENICON, 3}};
    for (const auto& c : cases) {
        IExtractIconA* icon = nullptr;
        ASSERT_EQ(c.item->QueryInterface(IID_IExtractIconA, reinterpret_cast<void**>(&icon)), S_OK);
        char file[MAX_PATH] = {};
        int index = -1;
        UINT flags = 0;
        EXPECT_EQ(icon->GetIconLocation(c.flags, file, sizeof(file), &index, &flags), S_OK);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(flags, static_cast<UINT>(GIL_PERINSTANCE));
        EXPECT_NE(file[0], 0);
        HICON large = nullptr, small = nullptr;
        EXPECT_EQ(icon->Extract(file, index, &large, &small, 0), S_FALSE);
        icon->Release();
        IExtractIconW* wide = nullptr;
        ASSERT_EQ(c.item->QueryInterface(IID_IExtractIconW, reinterpret_cast<void**>(&wide)), S_OK);
        WCHAR wideFile[MAX_PATH] = {};
        EXPECT_EQ(wide->GetIconLocation(c.flags, wideFile, MAX_PATH, &index, &flags), S_OK);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(flags, 0u);
        EXPECT_EQ(vpr::locale::FromWide(wideFile), file);
        wide->Release();
    }
    personal->Release();
    shared->Release();

    // An application's icon is its slot in the icon cache, drawn from there.
    HICON handle = LoadIconA(nullptr, IDI_APPLICATION);
    ASSERT_NE(handle, nullptr);
    CAppFolderItem* application = new CAppFolderItem("TEST_TREE\t", "calc.acme", "Calculator", handle);
    ASSERT_TRUE(application->GetIcon().IsValid());
    char file[8] = "x";
    int index = -1;
    UINT flags = 0;
    EXPECT_EQ(application->GetIconLocation(0, file, sizeof(file), &index, &flags), S_OK);
    EXPECT_STREQ(file, "");
    EXPECT_EQ(index, application->GetIcon().GetIndex());
    EXPECT_EQ(flags, 0x1Au);
    HICON large = nullptr, small = nullptr;
    EXPECT_EQ(application->Extract(&large, &small, 0), S_OK);
    EXPECT_NE(large, nullptr);
    EXPECT_NE(small, nullptr);
    DestroyIcon(large);
    DestroyIcon(small);
    application->Release();
}

TEST_F(FolderItemTest, PersonalItemsComeFirstWhateverTheOrder) {
    CGroupFolderItem* personal = PersonalFolder("Zeta");
    CGroupFolderItem* shared = new CGroupFolderItem("TEST_TREE\t", "Alpha", 1, RootIdList());
    CGroupFolderItem* other = new CGroupFolderItem("OTHER\t", "Beta", 1, RootIdList());
    for (int column : {0, 1, 2}) {
        for (BOOL descending : {FALSE, TRUE}) {
            EXPECT_EQ(personal->Compare(shared, column, descending), 1) << column;
        }
    }
    // A shared item against a personal one compares its texts.
    EXPECT_EQ(shared->Compare(personal, 0, FALSE), -1);  // "Alpha" < "Zeta"
    EXPECT_EQ(shared->Compare(personal, 0, TRUE), 1);
    EXPECT_EQ(shared->Compare(other, 1, FALSE), 1);       // "TEST_TREE" > "OTHER"
    EXPECT_EQ(shared->Compare(other, 2, FALSE), -1);      // "Alpha" < "Beta"
    EXPECT_EQ(shared->Compare(shared, 2, TRUE), 0);
    CFolderItem* items[] = {personal, shared, other};
    ReleaseItems(items, 3);
}

TEST_F(FolderItemTest, LongNamesByKind) {
    CGroupFolderItem* folder = new CGroupFolderItem("TEST_TREE\t", "Tools", 1, RootIdList());
    CAppTree* tree = new CAppTree("TEST_TREE\t", "TEST_TREE");
    CAppFolderItem* application = new CAppFolderItem("TEST_TREE\t", "calc.acme", "Calculator", nullptr);
    char name[64];
    const struct {
        CFolderItem* item;
        const char* parsing;
        const char* shown;
    } cases[] = {
        {folder, "Tools (in tree TEST_TREE)", "Tools"},
        {tree, "TEST_TREE (Veltrix Directory Services)", "TEST_TREE"},
        {application, "Calculator (Veltrix Delivered)", "Calculator"},
    };
    for (const auto& c : cases) {
        c.item->GetDisplayName(SHGDN_FORPARSING, name, sizeof(name));
        EXPECT_STREQ(name, c.parsing);
        c.item->GetDisplayName(0, name, sizeof(name));
        EXPECT_STREQ(name, c.shown);
    }
    EXPECT_EQ(folder->GetAttributes(), 0x21040045u);
    EXPECT_EQ(tree->GetAttributes(), 0x21040044u);
    EXPECT_EQ(application->GetAttributes(), 0x01040145u);
    CFolderItem* items[] = {folder, tree, application};
    ReleaseItems(items, 3);
}

TEST_F(FolderItemTest, ShellPagesRefusedAreDestroyedWithTheirHoldOnTheItem) {
    CGroupFolderItem* shared = new CGroupFolderItem("TEST_TREE\t", "Tools", 1, RootIdList());
    CAppFolderItem* application = new CAppFolderItem("TEST_TREE\t", "calc.acme", "Calculator", nullptr);
    struct Offer {
        int offered = 0;
        static BOOL CALLBACK Refuse(HPROPSHEETPAGE, LPARAM param) {
            ++reinterpret_cast<Offer*>(param)->offered;
            return FALSE;
        }
    };
    for (CFolderItem* item : {static_cast<CFolderItem*>(shared), static_cast<CFolderItem*>(application)}) {
        IShellPropSheetExt* pages = nullptr;
        ASSERT_EQ(item->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&pages)), S_OK);
        Offer offer;
        EXPECT_EQ(pages->AddPages(&Offer::Refuse, reinterpret_cast<LPARAM>(&offer)), S_OK);
        EXPECT_EQ(offer.offered, 3);
        EXPECT_EQ(pages->ReplacePage(0, &Offer::Refuse, 0), E_FAIL);
        pages->Release();
    }
    // The pages that were refused gave their references back.
    EXPECT_EQ(shared->Release(), 0u);
    EXPECT_EQ(application->Release(), 0u);
    EXPECT_EQ(app->m_nLiveObjects.load(), 0);
}

// ---- desktop shortcuts

class ShortcutTest : public FolderItemTest {
protected:
    void SetUp() override {
        FolderItemTest::SetUp();
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        CString path;
        ASSERT_TRUE(GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY, path));
        desktop = static_cast<LPCSTR>(path);
    }
    void TearDown() override {
        CoUninitialize();
        FolderItemTest::TearDown();
    }
    // Runs command 4 (Create Shortcut) of an application item so named.
    void CreateShortcutOf(const char* display) {
        CAppFolderItem* item = new CAppFolderItem("TEST_TREE\t", "calc.acme", display, nullptr);
        item->SetParentIdList(RootIdList() + CItemIdList("TEST_TREE\t") + CItemIdList("TEST_TREE\tTools"));
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof(info);
        info.lpVerb = MAKEINTRESOURCEA(kCmdCreateShortcut);
        EXPECT_EQ(item->InvokeCommand(&info), S_OK);
        item->Release();
    }
    // The item key of the shortcut file's list ("" when it is none).
    std::string KeyOf(const std::string& path) {
        IShellLinkA* link = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)),
                  S_OK);
        IPersistFile* file = nullptr;
        link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        CString key;
        LPITEMIDLIST list = nullptr;
        if (SUCCEEDED(file->Load(vpr::locale::ToWide(path).c_str(), STGM_READ)) && SUCCEEDED(link->GetIDList(&list))) {
            ItemKeyFromIdList(list, key, TRUE);
            CoTaskMemFree(list);
        }
        file->Release();
        link->Release();
        return static_cast<LPCSTR>(key);
    }
    std::string desktop;
};

TEST_F(ShortcutTest, MadeOnceOnTheDesktopWithTheItemsWholeList) {
    CreateShortcutOf("Calculator");
    const std::string path = desktop + "\\Calculator.lnk";
    ASSERT_TRUE(Exists(path));
    EXPECT_EQ(KeyOf(path), "TEST_TREE\tcalc.acme");
    // The second time the shortcut is there already: nothing is written.
    const std::string first = ReadFile(path);
    WriteFile(path, first + "mark");
    CreateShortcutOf("Calculator");
    EXPECT_EQ(ReadFile(path), first + "mark");
    EXPECT_FALSE(Exists(desktop + "\\Calculator (2).lnk"));
}

TEST_F(ShortcutTest, NeverReplacesAnotherFileNorLeavesTheDesktop) {
    WriteFile(desktop + "\\Calculator.lnk", "a note of mine");
    CreateShortcutOf("Calculator");
    EXPECT_EQ(ReadFile(desktop + "\\Calculator.lnk"), "a note of mine");
    EXPECT_EQ(KeyOf(desktop + "\\Calculator (2).lnk"), "TEST_TREE\tcalc.acme");

    // Names from the directory may hold separators and dots.
    CreateShortcutOf("..\\..\\Start Menu\\Calc");
    EXPECT_EQ(KeyOf(desktop + "\\.._.._Start Menu_Calc.lnk"), "TEST_TREE\tcalc.acme");
    CreateShortcutOf("C:\\WINNT\\x");
    EXPECT_EQ(KeyOf(desktop + "\\C__WINNT_x.lnk"), "TEST_TREE\tcalc.acme");
    EXPECT_FALSE(Exists("C:\\WINNT\\x.lnk"));
    // "." and ".." make no file at all.
    CreateShortcutOf("..");
    CreateShortcutOf(".");
    EXPECT_FALSE(Exists(desktop + "\\...lnk"));
    EXPECT_FALSE(Exists(desktop + "\\..lnk"));
}

}  // namespace
