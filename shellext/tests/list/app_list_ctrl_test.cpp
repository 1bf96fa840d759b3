// The item list as a person uses it inside the folder view: sorting by a
// column, deleting rows after the right question, renaming only what may be
// renamed, copying to the clipboard, pasting, and dragging an application
// onto a personal folder.
#include <algorithm>
#include <string>
#include <vector>

#include "commctrl.h"
#include "items/drop_data.h"
#include "items/folder_item.h"
#include "items_fixture.h"
#include "list/app_list_ctrl.h"
#include "list/item_data_object.h"
#include "namespace/shell_folder.h"
#include "view/shell_view.h"
#include "vpr/com/id_list.h"
#include "vpr/user/ui_driver.h"

namespace {

namespace ui = vpr::user::ui;

// jdoe's tree holds calc, edit and draw; the personal folder Mine holds all
// three, Work holds edit.
class AppListCtrlTest : public ItemsTest {
protected:
    void SetUp() override {
        ItemsTest::SetUp();
        for (const char* name : {"calc.acme", "edit.acme", "draw.acme"}) {
            App(name);
            Associate("jdoe.sales.acme", name, KMAPP_ASSOC_LAUNCHER);
            ASSERT_EQ(KMAPPAddPersonalFolderItem("TEST_TREE", "Mine", name, 0x80000001), 1);
        }
        ASSERT_EQ(KMAPPAddPersonalFolderItem("TEST_TREE", "Work", "edit.acme", 0x80000001), 1);
        StartCache();
        // What the tray's timer does at its first tick: the schedules make
        // the applications active.
        cache->CheckSchedules();
        // The shell is new enough: the views show lists.
        app->m_bOldShell = FALSE;
        ASSERT_EQ(OleInitialize(nullptr), S_OK);
        parent_ = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                                  nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        for (CShellView* view : views_) {
            view->DestroyWindow();
            view->Release();
        }
        views_.clear();
        DestroyWindow(parent_);
        OleSetClipboard(nullptr);
        OleUninitialize();
        ItemsTest::TearDown();
    }

    // A view of the folder named by the keys below the root, filled: the
    // root folder binds to it as the shell's browser does.
    CShellView* Open(const std::vector<const char*>& keys) {
        CItemIdList relative;
        for (const char* key : keys) relative = relative + CItemIdList(key);
        CShellFolder* root = new CShellFolder;
        IPersistFolder* persist = nullptr;
        EXPECT_EQ(root->QueryInterface(IID_IPersistFolder, reinterpret_cast<void**>(&persist)), S_OK);
        persist->Initialize(RootIdList());
        persist->Release();
        IShellFolder* bound = nullptr;
        EXPECT_EQ(root->BindToObject(relative, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bound)), S_OK);
        root->Release();
        auto* folder = static_cast<CShellFolder*>(bound);
        CShellView* view = new CShellView(folder);
        folder->Release();
        const int x = static_cast<int>(views_.size()) * 400;
        EXPECT_TRUE(view->CreateEx(0, nullptr, "Vpr Explorer Window", WS_CHILD | WS_VISIBLE, x, 0, 400, 500, parent_,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kViewControlId))));
        views_.push_back(view);
        EXPECT_NE(view->GetListCtrl(), nullptr);
        view->FillList();
        return view;
    }
    static CAppListCtrl& List(CShellView* view) { return *view->GetListCtrl(); }
    static std::vector<std::string> Rows(CShellView* view) {
        std::vector<std::string> rows;
        CAppListCtrl& list = List(view);
        for (int row = 0; row < list.GetItemCount(); ++row) rows.push_back(static_cast<LPCSTR>(list.GetItemText(row, 0)));
        return rows;
    }
    static int RowOf(CShellView* view, const std::string& text) {
        const auto rows = Rows(view);
        auto at = std::find(rows.begin(), rows.end(), text);
        return at == rows.end() ? -1 : static_cast<int>(at - rows.begin());
    }
    // Selects the rows so named as a person does, the later ones with Ctrl.
    static void Select(CShellView* view, const std::vector<std::string>& texts) {
        for (size_t i = 0; i < texts.size(); ++i) {
            const int row = RowOf(view, texts[i]);
            ASSERT_GE(row, 0) << texts[i];
            ui::ClickItem(List(view).m_hWnd, row, i ? MK_CONTROL : 0);
        }
    }
    static std::vector<std::string> Boxes(const vpr::user::UiDriver& driver) {
        std::vector<std::string> texts;
        for (const auto& element : driver.Seen())
            if (element.messageBox) texts.push_back(element.text);
        return texts;
    }
    // Waits for the rebuild the list's commands start, then checks the
    // schedules as the tray's timer would.
    void WaitForRebuild() {
        cache->WaitForRefresh(nullptr);
        cache->CheckSchedules();
    }

    HWND parent_ = nullptr;
    std::vector<CShellView*> views_;
};

TEST_F(AppListCtrlTest, AColumnSortsAscendingThenDescendingAndAnotherStartsAscending) {
    vpr::user::UiDriver driver;
    CShellView* view = Open({"Personal\t", "Personal\tMine"});
    CAppListCtrl& list = List(view);
    ASSERT_EQ(Rows(view).size(), 3u);
    // The fill sorts by the title, ascending.
    EXPECT_EQ(Rows(view), (std::vector<std::string>{"calc", "draw", "edit"}));
    const HWND window = view->m_hWnd;
    ASSERT_TRUE(ui::ClickColumn(window, kViewControlId, 0));
    EXPECT_EQ(Rows(view), (std::vector<std::string>{"edit", "draw", "calc"}));
    EXPECT_EQ(list.GetSortColumn(), 0);
    EXPECT_TRUE(list.IsSortDescending());
    ASSERT_TRUE(ui::ClickColumn(window, kViewControlId, 0));
    EXPECT_EQ(Rows(view), (std::vector<std::string>{"calc", "draw", "edit"}));
    EXPECT_FALSE(list.IsSortDescending());
    ASSERT_TRUE(ui::ClickColumn(window, kViewControlId, 0));
    EXPECT_TRUE(list.IsSortDescending());
    // Another column starts ascending, whatever the last direction was.
    ASSERT_TRUE(ui::ClickColumn(window, kViewControlId, 2));
    EXPECT_EQ(list.GetSortColumn(), 2);
    EXPECT_FALSE(list.IsSortDescending());
    EXPECT_EQ(Rows(view), (std::vector<std::string>{"calc", "draw", "edit"}));
    // The view's sort commands go the same way.
    EXPECT_TRUE(list.OnCommand(kCmdSortByName));
    EXPECT_TRUE(list.IsSortDescending());
    EXPECT_EQ(Rows(view), (std::vector<std::string>{"edit", "draw", "calc"}));
    EXPECT_TRUE(driver.Failures().empty());
}

TEST_F(AppListCtrlTest, DeletingSeveralRowsAsksOnceWithTheirNumberAndOneRowAsksItsOwn) {
    vpr::user::UiDriver driver;
    CShellView* view = Open({"Personal\t", "Personal\tMine"});
    CAppListCtrl& list = List(view);

    // Three rows, answered No: nothing goes.
    Select(view, {"calc", "draw", "edit"});
    driver.OnMessageBox("Are you sure you want to delete these 3 items?",
                        [](const vpr::user::ModalElement& box) { ui::Click(box.window, IDNO); });
    EXPECT_TRUE(list.OnCommand(kCmdDelete));
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine").size(), 3u);

    // One row: no common question, the item's own.
    Select(view, {"draw"});
    driver.OnMessageBox("Are you sure you want to delete the application 'draw'?",
                        [](const vpr::user::ModalElement& box) { ui::Click(box.window, IDYES); });
    EXPECT_TRUE(list.OnCommand(kCmdDelete));
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine"), (std::vector<std::string>{"calc.acme", "edit.acme"}));
    WaitForRebuild();
    view->FillList();
    EXPECT_EQ(Rows(view), (std::vector<std::string>{"calc", "edit"}));

    // Two rows, answered Yes: both go without another question.
    Select(view, {"calc", "edit"});
    driver.OnMessageBox("Are you sure you want to delete these 2 items?",
                        [](const vpr::user::ModalElement& box) { ui::Click(box.window, IDYES); });
    EXPECT_TRUE(list.OnCommand(kCmdDelete));
    EXPECT_TRUE(PersonalFolderItems("TEST_TREE", "Mine").empty());

    const auto boxes = Boxes(driver);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], "Are you sure you want to delete these 3 items?");
    EXPECT_EQ(boxes[1], "Are you sure you want to delete the application 'draw'?");
    EXPECT_EQ(boxes[2], "Are you sure you want to delete these 2 items?");
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(driver.PendingHandlers(), 0u);
}

TEST_F(AppListCtrlTest, OnlyAnItemThatMayBeRenamedOpensItsLabel) {
    vpr::user::UiDriver driver;
    // Applications cannot be renamed: the label never opens.
    CShellView* apps = Open({"Personal\t", "Personal\tMine"});
    const int calc = RowOf(apps, "calc");
    ASSERT_GE(calc, 0);
    List(apps).SetFocus();
    EXPECT_EQ(List(apps).EditLabel(calc), nullptr);
    EXPECT_EQ(Rows(apps)[calc], "calc");

    // A personal folder can: its new name comes from the item, and the row
    // names the folder by its new key.
    CShellView* folders = Open({"Personal\t"});
    ASSERT_GE(RowOf(folders, "Work"), 0);
    // A label left as it was renames nothing (the folder would say that the
    // name exists already: an unexpected message box fails the driver).
    ASSERT_TRUE(ui::EditItemLabel(List(folders).m_hWnd, RowOf(folders, "Work"), "Work"));
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Work"), std::vector<std::string>{"edit.acme"});
    ui::ClickItem(List(folders).m_hWnd, RowOf(folders, "Mine"));
    ASSERT_TRUE(ui::EditItemLabel(List(folders).m_hWnd, RowOf(folders, "Work"), "Games"));
    const int games = RowOf(folders, "Games");
    ASSERT_GE(games, 0);
    CString key;
    ASSERT_TRUE(List(folders).GetRowKey(games, key));
    EXPECT_STREQ(key, "Personal\tGames");
    EXPECT_EQ(List(folders).GetItemState(games, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Games"), std::vector<std::string>{"edit.acme"});
    const auto notes = TakeNotifications();
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](const std::string& note) {
        return note.find("RENAMEFOLDER") != std::string::npos;
    }));
    EXPECT_TRUE(driver.Failures().empty());
}

// A right-click finds its row where the pointer was and opens the item's
// menu there, also in a view that does not sit at the window's corner.
TEST_F(AppListCtrlTest, ARightClickOpensTheItemsMenuUnderThePointer) {
    Open({"Personal\t", "Personal\tWork"});
    CShellView* apps = Open({"Personal\t", "Personal\tMine"});
    vpr::user::UiDriver driver;
    std::vector<LONG> heights;
    for (const char* name : {"calc", "draw"}) {
        const int row = RowOf(apps, name);
        ASSERT_GE(row, 0) << name;
        POINT opened{-1, -1};
        driver.OnPopupMenu([&](const vpr::user::PopupMenu& open) {
            opened = open.at;
            return 0u;
        });
        ASSERT_TRUE(ui::RightClickItem(List(apps).m_hWnd, row)) << name;
        POINT cursor{};
        ASSERT_TRUE(GetCursorPos(&cursor));
        EXPECT_EQ(opened.x, cursor.x) << name;
        EXPECT_EQ(opened.y, cursor.y) << name;
        EXPECT_GT(cursor.x, 400) << name;
        heights.push_back(opened.y);
    }
    EXPECT_NE(heights[0], heights[1]);
    EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
}

TEST_F(AppListCtrlTest, CopyPutsTheSelectionOnTheClipboardAndNothingSelectedLeavesItAlone) {
    CShellView* view = Open({"Personal\t", "Personal\tMine"});
    CAppListCtrl& list = List(view);
    auto clipboardBlock = [] {
        IDataObject* data = nullptr;
        std::vector<uint8_t> bytes;
        if (FAILED(OleGetClipboard(&data)) || !data) return bytes;
        FORMATETC format = CItemDataObject::GetFormat();
        STGMEDIUM medium{};
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            const auto* at = static_cast<const uint8_t*>(GlobalLock(medium.hGlobal));
            bytes.assign(at, at + GlobalSize(medium.hGlobal));
            GlobalUnlock(medium.hGlobal);
            ReleaseStgMedium(&medium);
        }
        data->Release();
        return bytes;
    };
    // Something else is on the clipboard first: the root alone.
    IDataObject* before = new CItemDataObject(RootIdList());
    ASSERT_EQ(OleSetClipboard(before), S_OK);
    before->Release();
    ASSERT_EQ(OleFlushClipboard(), S_OK);
    const std::vector<uint8_t> earlier = clipboardBlock();
    ASSERT_EQ(earlier.size(), 8u + RootIdList().GetSize());
    EXPECT_FALSE(list.OnCommand(kCmdCopy));
    EXPECT_EQ(clipboardBlock(), earlier);

    Select(view, {"edit", "calc"});
    EXPECT_TRUE(list.OnCommand(kCmdCopy));
    const std::vector<uint8_t> block = clipboardBlock();
    IdListArray read;
    ASSERT_TRUE(ReadIdListArray(block.data(), block.size(), read));
    ASSERT_EQ(read.items.size(), 2u);
    EXPECT_EQ(vpr::com::IdListText(read.parent), vpr::com::IdListText(view->GetFolderIdList()));
    // Row order, whatever order they were clicked in.
    std::vector<DroppedItem> items;
    ASSERT_TRUE(GetDroppedItems(block.data(), block.size(), items));
    EXPECT_STREQ(items[0].key, "Personal\tcalc.acme");
    EXPECT_STREQ(items[1].key, "Personal\tedit.acme");
}

TEST_F(AppListCtrlTest, PasteHandsTheClipboardToTheSelectedPersonalFolder) {
    CShellView* mine = Open({"Personal\t", "Personal\tMine"});
    Select(mine, {"calc", "draw"});
    ASSERT_TRUE(List(mine).OnCommand(kCmdCopy));
    CShellView* folders = Open({"Personal\t"});
    Select(folders, {"Work"});
    EXPECT_TRUE(List(folders).OnCommand(kCmdPaste));
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Work"),
              (std::vector<std::string>{"calc.acme", "draw.acme", "edit.acme"}));
}

TEST_F(AppListCtrlTest, AnApplicationDraggedOntoAPersonalFolderAppearsThereAfterTheRebuild) {
    vpr::user::UiDriver driver;
    CShellView* mine = Open({"Personal\t", "Personal\tMine"});
    CShellView* folders = Open({"Personal\t"});
    const int work = RowOf(folders, "Work");
    ASSERT_GE(work, 0);
    RECT rect{};
    ASSERT_TRUE(List(folders).GetItemRect(work, &rect, LVIR_LABEL));
    const HWND target = List(folders).m_hWnd;
    DWORD allowed = 0;
    driver.OnDrag([&](const vpr::user::DragStart& start) {
        allowed = start.allowedEffects;
        vpr::user::DropPlace place;
        place.window = target;
        place.point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        return place;
    });
    const int draw = RowOf(mine, "draw");
    ASSERT_GE(draw, 0);
    ASSERT_TRUE(ui::DragItem(List(mine).m_hWnd, draw));
    EXPECT_EQ(allowed, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_LINK));
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Work"), (std::vector<std::string>{"draw.acme", "edit.acme"}));

    cache->Rebuild(FALSE);
    WaitForRebuild();
    CShellView* work_view = Open({"Personal\t", "Personal\tWork"});
    EXPECT_EQ(Rows(work_view), (std::vector<std::string>{"draw", "edit"}));
    EXPECT_TRUE(driver.Failures().empty());
}

TEST_F(AppListCtrlTest, ADropOnEmptySpaceOrAnApplicationTakesNothing) {
    CShellView* folders = Open({"Personal\t"});
    CShellView* mine = Open({"Personal\t", "Personal\tMine"});
    CItemDataObject* data = new CItemDataObject(mine->GetFolderIdList());
    data->Add(CItemIdList("TEST_TREE\tcalc.acme"));
    IDropTarget* target = List(folders).GetDropTarget();
    // Below every row.
    POINT empty{5, 450};
    ClientToScreen(List(folders).m_hWnd, &empty);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, POINTL{empty.x, empty.y}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(data, 0, POINTL{empty.x, empty.y}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    // Over a personal folder the folder answers.
    RECT rect{};
    ASSERT_TRUE(List(folders).GetItemRect(RowOf(folders, "Work"), &rect, LVIR_LABEL));
    POINT over{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(List(folders).m_hWnd, &over);
    effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, POINTL{over.x, over.y}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->AddRef(), 1u);
    EXPECT_EQ(target->Release(), 1u);
    data->Release();
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Work"), std::vector<std::string>{"edit.acme"});
}

TEST_F(AppListCtrlTest, SelectionCommandsAndTheStatusText) {
    CShellView* view = Open({"Personal\t", "Personal\tMine"});
    CAppListCtrl& list = List(view);
    CString text;
    list.GetStatusText(text);
    EXPECT_STREQ(text, "3 Object(s)");
    EXPECT_TRUE(list.OnCommand(kCmdSelectAll));
    list.GetStatusText(text);
    EXPECT_STREQ(text, "3 Object(s) Selected ");
    list.SelectKey("Personal\tdraw.acme");
    CStringArray keys;
    EXPECT_EQ(list.GetSelectedKeys(keys), 1);
    EXPECT_STREQ(keys[0], "Personal\tdraw.acme");
    EXPECT_TRUE(list.OnCommand(kCmdInvertSelection));
    keys.RemoveAll();
    EXPECT_EQ(list.GetSelectedKeys(keys), 2);
    EXPECT_STREQ(keys[0], "Personal\tcalc.acme");
    EXPECT_STREQ(keys[1], "Personal\tedit.acme");
    // The columns' widths: each positive width to the next column in turn.
    const LONG widths[4] = {120, 0, 90, 70};
    list.SetColumnWidths(4, widths);
    LONG read[4] = {1, 0, 1, 1};
    list.GetColumnWidths(4, read);
    EXPECT_EQ(read[0], 120);
    EXPECT_EQ(read[1], 0);
    EXPECT_EQ(read[2], 90);
    EXPECT_EQ(read[3], 70);
    // The image lists stay the icon cache's.
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(list.SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL)),
              app->GetSmallImageList());
}

TEST_F(AppListCtrlTest, ARowIsDrawnInItsColoursAndTheSelectedItemMeasuresItsMenuEntry) {
    CShellView* view = Open({"Personal\t", "Personal\tMine"});
    CAppListCtrl& list = List(view);
    const int draw = RowOf(view, "draw");
    ASSERT_GE(draw, 0);
    // A row drawn by its owner, reflected by the view: the item's name,
    // opaque, in the selection's colours when selected.
    auto paint = [&](UINT state) {
        vpr::user::ClearPaintRecord(list.m_hWnd);
        HDC dc = GetDC(list.m_hWnd);
        DRAWITEMSTRUCT item{};
        item.CtlType = 102;  // a list view's own drawing
        item.CtlID = kViewControlId;
        item.itemID = static_cast<UINT>(draw);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = list.m_hWnd;
        item.hDC = dc;
        item.rcItem = RECT{4, 40, 200, 56};
        view->SendMessage(WM_DRAWITEM, kViewControlId, reinterpret_cast<LPARAM>(&item));
        ReleaseDC(list.m_hWnd, dc);
        for (const auto& call : vpr::user::PaintRecord(list.m_hWnd))
            if (call.kind == vpr::user::GdiCall::Kind::kText) return call;
        return vpr::user::GdiCall{};
    };
    auto plain = paint(0);
    EXPECT_EQ(plain.text, "draw");
    EXPECT_EQ(plain.rect.left, 4);
    EXPECT_EQ(plain.rect.top, 40);
    EXPECT_TRUE(plain.flags & ETO_OPAQUE);
    EXPECT_EQ(plain.color, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(plain.background, GetSysColor(COLOR_WINDOW));
    auto selected = paint(ODS_SELECTED);
    EXPECT_EQ(selected.text, "draw");
    EXPECT_EQ(selected.color, GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(selected.background, GetSysColor(COLOR_HIGHLIGHT));

    // An owner-drawn entry of an item's menu over the list is measured by
    // the first selected row's item; with no row selected, by nobody.
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, app->m_idCmdFirst + kCmdOpen, 0, 0, 0};
    list.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 0u);
    Select(view, {"draw"});
    list.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_GT(measure.itemWidth, 0u);
    EXPECT_GT(measure.itemHeight, 0u);
}

TEST_F(AppListCtrlTest, RowsGiveTheirIconUsesBackAndTheImageListsOutliveTheList) {
    CShellView* view = Open({"Personal\t", "Personal\tMine"});
    ASSERT_EQ(Rows(view).size(), 3u);
    CString key;
    ASSERT_TRUE(List(view).GetRowKey(0, key));
    CFolderItem* first = cache->GetItem(key, kNoContext);
    ASSERT_NE(first, nullptr);
    const int slot = first->GetIcon().GetIndex();
    first->Release();
    ASSERT_GE(slot, 0);
    const HIMAGELIST large = app->GetLargeImageList();
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(List(view).SendMessage(LVM_GETIMAGELIST, LVSIL_NORMAL)), large);
    const int images = ImageList_GetImageCount(large);
    ASSERT_GT(images, 0);
    // The cache's worker stopped (its preloading takes uses of the same
    // slot), only the rows still hold uses of their own: all three
    // applications show the default icon.
    cache->Stop();
    const int uses = app->GetUseCount(slot);
    ASSERT_GE(uses, 3);
    view->DestroyWindow();
    views_.erase(std::find(views_.begin(), views_.end(), view));
    view->Release();
    EXPECT_EQ(app->GetUseCount(slot), uses - 3);
    // The control shared the icon cache's lists: they are whole after it.
    EXPECT_EQ(app->GetLargeImageList(), large);
    EXPECT_EQ(ImageList_GetImageCount(large), images);
}

}  // namespace
