// The folder view as a browser drives it: the view-state record in the
// browser's stream and from the view before it, the merged menus by folder
// kind, the toolbar and status bar, Refresh's quiet time, the problem mode,
// and the refill message.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "list/app_list_ctrl.h"
#include "items/folder_item.h"
#include "view_fixture.h"
#include "module/module_resource.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/clock.h"

namespace {

// The defaults in their stored form: signature, version 3, reserved, four
// columns of 160, 100, 150, 150, all little-endian.
const std::vector<BYTE> kDefaultBytes = {
    0xA4, 0xC1, 0xE7, 0xC8, 0x26, 0xBE, 0xCF, 0x11, 0xAE, 0x84, 0x00, 0x80, 0x29, 0xEF, 0x2E, 0xCB,
    0x03, 0x00, 0, 0, 0, 0, 0, 0, 0x04, 0x00, 0x00, 0x00,
    0xA0, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x96, 0x00, 0x00, 0x00, 0x96, 0x00, 0x00, 0x00};

std::vector<BYTE> Bytes(const ViewStateRecord& record) {
    std::vector<BYTE> bytes(kViewStateSize);
    WriteViewState(record, bytes.data());
    return bytes;
}

ViewStateRecord Record(LONG a, LONG b, LONG c, LONG d) {
    ViewStateRecord record;
    SetDefaultViewState(&record);
    record.columnWidths[0] = a;
    record.columnWidths[1] = b;
    record.columnWidths[2] = c;
    record.columnWidths[3] = d;
    return record;
}

const char kAppsFolder[] = "TEST_TREE\tjdoe.sales.acme";

}  // namespace

TEST(ViewStateRecordTest, IsStoredLittleEndianAndTakenOnlyWithItsSignatureAndVersion) {
    ViewStateRecord defaults;
    SetDefaultViewState(&defaults);
    EXPECT_EQ(Bytes(defaults), kDefaultBytes);
    std::vector<BYTE> negative = Bytes(Record(200, 80, 120, -1));
    EXPECT_EQ(std::vector<BYTE>(negative.begin() + 40, negative.end()), (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));

    std::vector<BYTE> otherSignature = kDefaultBytes;
    otherSignature[3] ^= 0x01;
    std::vector<BYTE> version2 = kDefaultBytes;
    version2[16] = 2;
    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
        bool taken;
        std::vector<LONG> widths;  // of the record afterwards
    } cases[] = {
        {"no bytes", {}, false, {1, 2, 3, 4}},
        {"signature and version only", std::vector<BYTE>(kDefaultBytes.begin(), kDefaultBytes.begin() + 18), true,
         {160, 100, 150, 150}},
        {"a whole record", negative, true, {200, 80, 120, -1}},
        {"three widths", std::vector<BYTE>(negative.begin(), negative.begin() + 40), true, {200, 80, 120, 150}},
        {"another signature", otherSignature, false, {1, 2, 3, 4}},
        {"version 2", version2, false, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        ViewStateRecord record = Record(1, 2, 3, 4);
        EXPECT_EQ(ReadViewState(c.bytes.data(), static_cast<ULONG>(c.bytes.size()), &record), c.taken ? TRUE : FALSE)
            << c.name;
        EXPECT_EQ(std::vector<LONG>(record.columnWidths, record.columnWidths + 4), c.widths) << c.name;
    }
}

TEST_F(ViewTest, TakesTheBrowsersRecordOnlyWithItsSignatureAndVersion3) {
    Start();
    std::vector<BYTE> full = Bytes(Record(200, 80, 120, -1));
    std::vector<BYTE> otherSignature = full;
    otherSignature[0] ^= 0xFF;
    std::vector<BYTE> version2 = full;
    version2[16] = 2;
    struct Case {
        const char* name;
        std::optional<std::vector<BYTE>> stream;
        std::vector<LONG> widths;
    } cases[] = {
        {"no stream", std::nullopt, {50, 60, 70, 80}},
        {"an empty stream", std::vector<BYTE>{}, {50, 60, 70, 80}},
        {"18 bytes: signature and version 3", std::vector<BYTE>(full.begin(), full.begin() + 18), {160, 100, 150, 150}},
        {"a whole record", full, {200, 80, 120, -1}},
        {"another signature", otherSignature, {50, 60, 70, 80}},
        {"version 2", version2, {50, 60, 70, 80}},
    };
    for (const Case& c : cases) {
        ViewStateRecord start = Record(50, 60, 70, 80);
        app->SetLastViewState(&start);
        browser->stored = c.stream;
        CShellView* view = Open(kAppsFolder);
        ASSERT_NE(view, nullptr) << c.name;
        EXPECT_EQ(Widths(view->GetViewState()), c.widths) << c.name;
        // The list's columns are made with the record's first three widths.
        CAppListCtrl* list = view->GetListCtrl();
        ASSERT_NE(list, nullptr);
        for (int column = 0; column < 3 && c.widths[column] > 0; ++column) {
            EXPECT_EQ(list->GetColumnWidth(column), c.widths[column]) << c.name << " column " << column;
        }
        // The private interface hands the same record on.
        IViewStateTransfer* transfer = nullptr;
        ASSERT_EQ(view->GetShellView()->QueryInterface(IID_IViewStateTransfer, reinterpret_cast<void**>(&transfer)), S_OK);
        ViewStateRecord passed;
        EXPECT_EQ(transfer->GetViewState(&passed), S_OK);
        EXPECT_EQ(Bytes(passed), Bytes(view->GetViewState())) << c.name;
        transfer->Release();
        Close(view);
    }
}

TEST_F(ViewTest, SavesTheColumnsWidthsToTheStreamAndToTheModulesCopy) {
    Start();
    browser->stored = std::vector<BYTE>{};
    CShellView* view = Open(kAppsFolder);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->IsListMode());
    view->GetListCtrl()->SetColumnWidth(1, 123);

    EXPECT_EQ(view->GetShellView()->SaveViewState(), S_OK);
    IStream* flush = nullptr;
    browser->GetViewStateStream(STGM_READ, &flush);  // takes what was written
    if (flush) flush->Release();
    EXPECT_EQ(*browser->stored, Bytes(Record(160, 123, 150, 150)));
    ViewStateRecord copy;
    app->GetLastViewState(&copy);
    EXPECT_EQ(Widths(copy), (std::vector<LONG>{160, 123, 150, 150}));

    // A browser without a stream: the save fails, yet the widths are read
    // and the module keeps them for the next view.
    browser->stored.reset();
    view->GetListCtrl()->SetColumnWidth(2, 77);
    EXPECT_EQ(view->GetShellView()->SaveViewState(), E_FAIL);
    EXPECT_FALSE(browser->stored.has_value());
    app->GetLastViewState(&copy);
    EXPECT_EQ(Widths(copy), (std::vector<LONG>{160, 123, 77, 150}));

    // In the icon modes the columns are not read.
    view->SendMessage(WM_COMMAND, kCmdLargeIcons);
    view->GetListCtrl()->SetColumnWidth(0, 33);
    view->GetShellView()->SaveViewState();
    app->GetLastViewState(&copy);
    EXPECT_EQ(Widths(copy), (std::vector<LONG>{160, 123, 77, 150}));
    Close(view);
}

TEST_F(ViewTest, TheNextFolderTakesTheWidthsFromTheViewBeforeWithoutTheStream) {
    Start();
    browser->stored = Bytes(Record(200, 80, 120, -1));
    CShellView* first = Open("TEST_TREE\t");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(browser->streamReads, 1);

    // The next folder's stream holds other widths; the view before wins and
    // the stream is not asked.
    browser->stored = Bytes(Record(10, 10, 10, 10));
    CShellView* second = Open(kAppsFolder, first->GetShellView());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Widths(second->GetViewState()), (std::vector<LONG>{200, 80, 120, -1}));
    EXPECT_EQ(second->GetListCtrl()->GetColumnWidth(0), 200);
    EXPECT_EQ(browser->streamReads, 1);
    Close(first);
    Close(second);
}

TEST_F(ViewTest, MergesItsMenusByFolderKind) {
    Start();
    const std::vector<std::string> tail = {"-", "Create &Shortcut", "&Delete", "Rena&me", "P&roperties...", "-", "&Close"};
    auto file = [&](std::vector<std::string> head) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    struct Case {
        const char* key;
        UINT state;
        std::vector<std::string> fileMenu;
    } cases[] = {
        {"Personal\t", SVUIA_ACTIVATE_FOCUS, file({"&Open", "&Explore", "&New Personal Folder"})},
        {"TEST_TREE\t", SVUIA_ACTIVATE_FOCUS, file({"&Open", "&Explore"})},
        {kAppsFolder, SVUIA_ACTIVATE_FOCUS, file({"&Open", "&Verify"})},
        {kAppsFolder, SVUIA_ACTIVATE_NOFOCUS, file({"&Open"})},
    };
    for (const Case& c : cases) {
        CShellView* view = Open(c.key);
        ASSERT_NE(view, nullptr) << c.key;
        EXPECT_EQ(view->GetShellView()->UIActivate(c.state), S_OK);
        EXPECT_EQ(browser->PopupTexts(FCIDM_MENU_FILE), c.fileMenu) << c.key << " state " << c.state;
        EXPECT_EQ(browser->PopupTexts(FCIDM_MENU_EDIT, true),
                  (std::vector<std::string>{"Cu&t\tCtrl+X (grayed)", "&Copy\tCtrl+C" + std::string(c.state == 1 ? "" : " (grayed)"),
                                            "&Paste\tCtrl+V (grayed)", "-", "Select &All\tCtrl+A", "&Invert Selection"}))
            << c.key;
        EXPECT_EQ(browser->PopupTexts(FCIDM_MENU_HELP),
                  (std::vector<std::string>{"&Contents\tF1", "&Search for help on...", "-", "&About VPR Explorer"}));
        // The browser's own check marks stay on its two View commands.
        EXPECT_TRUE(browser->State(kCmdToolBar) & MF_CHECKED);
        EXPECT_FALSE(browser->State(kCmdStatusBar) & MF_CHECKED);
        Close(view);
        EXPECT_EQ(browser->menu, nullptr);
    }
}

TEST_F(ViewTest, CutIsNeverEnabledAndTheOtherCommandsFollowTheSelection) {
    Start();
    CShellView* view = Open(kAppsFolder);
    ASSERT_NE(view, nullptr);
    view->GetShellView()->UIActivate(SVUIA_ACTIVATE_FOCUS);
    ASSERT_EQ(Rows(view).size(), 2u);
    EXPECT_EQ(browser->StatusText(), "2 Object(s)");
    auto grayed = [&](UINT id) { return (browser->State(id) & MF_GRAYED) != 0; };
    auto buttonEnabled = [&](UINT id) { return SendMessageA(browser->toolbar, TB_ISBUTTONENABLED, id, 0) != 0; };
    EXPECT_TRUE(grayed(kCmdCut));
    EXPECT_TRUE(grayed(kCmdCopy));
    EXPECT_TRUE(grayed(kCmdOpen));
    EXPECT_FALSE(grayed(kCmdSelectAll));
    EXPECT_FALSE(buttonEnabled(kCmdCut));
    EXPECT_FALSE(buttonEnabled(kCmdCopy));

    view->SendMessage(WM_COMMAND, kCmdSelectAll);
    view->UpdateCommandStates();
    view->UpdateStatusText();
    EXPECT_EQ(browser->StatusText(), "2 Object(s) Selected ");
    EXPECT_TRUE(grayed(kCmdCut));
    EXPECT_FALSE(buttonEnabled(kCmdCut));
    EXPECT_FALSE(grayed(kCmdCopy));
    EXPECT_FALSE(grayed(kCmdOpen));
    EXPECT_TRUE(grayed(kCmdRename));  // two rows: no rename
    EXPECT_TRUE(buttonEnabled(kCmdCopy));
    EXPECT_TRUE(grayed(11));  // Undo

    // One row: rename follows its item.
    view->SendMessage(WM_COMMAND, kCmdInvertSelection);
    view->GetListCtrl()->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    view->UpdateCommandStates();
    EXPECT_TRUE(grayed(kCmdCut));
    EXPECT_EQ(view->GetListCtrl()->GetSelectedCount(), 1u);
    Close(view);
}

TEST_F(ViewTest, ViewModesCommandsAndToolbar) {
    Start();
    CShellView* view = Open(kAppsFolder);
    ASSERT_NE(view, nullptr);
    view->GetShellView()->UIActivate(SVUIA_ACTIVATE_FOCUS);
    // Thirteen entries, the ten images in order after the first the toolbar gave.
    ASSERT_EQ(browser->buttons.size(), 13u);
    std::vector<int> commands, images;
    for (const TBBUTTON& button : browser->buttons) {
        commands.push_back(button.fsStyle & TBSTYLE_SEP ? -1 : button.idCommand);
        if (!(button.fsStyle & TBSTYLE_SEP)) images.push_back(button.iBitmap - browser->buttons[0].iBitmap);
    }
    EXPECT_EQ(commands, (std::vector<int>{8, 9, 10, -1, 11, -1, 5, 7, -1, 14, 15, 16, 17}));
    EXPECT_EQ(images, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // The details mode the browser asked for, then small icons by command.
    EXPECT_EQ(view->GetListCtrl()->GetStyle() & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
    EXPECT_TRUE(SendMessageA(browser->toolbar, TB_ISBUTTONCHECKED, kCmdDetails, 0));
    view->SendMessage(WM_COMMAND, kCmdSmallIcons);
    EXPECT_EQ(view->GetListCtrl()->GetStyle() & LVS_TYPEMASK, static_cast<DWORD>(LVS_SMALLICON));
    EXPECT_TRUE(browser->State(kCmdSmallIcons) & MF_CHECKED);
    EXPECT_FALSE(browser->State(kCmdDetails) & MF_CHECKED);
    EXPECT_TRUE(SendMessageA(browser->toolbar, TB_ISBUTTONCHECKED, kCmdSmallIcons, 0));
    EXPECT_FALSE(SendMessageA(browser->toolbar, TB_ISBUTTONCHECKED, kCmdDetails, 0));
    view->SendMessage(WM_COMMAND, kCmdAutoArrange);
    EXPECT_TRUE(browser->State(kCmdAutoArrange) & MF_CHECKED);
    FOLDERSETTINGS settings{};
    EXPECT_EQ(view->GetShellView()->GetCurrentInfo(&settings), S_OK);
    EXPECT_EQ(settings.ViewMode, static_cast<UINT>(FVM_SMALLICON));
    EXPECT_EQ(settings.fFlags, 0x1u);

    // Tool tips by command.
    NMTTDISPINFOA tip{};
    tip.hdr.hwndFrom = browser->toolbar;
    tip.hdr.idFrom = kCmdDetails;
    tip.hdr.code = TTN_NEEDTEXTA;
    view->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(tip.lpszText, "Details View");
    tip.hdr.idFrom = kCmdDelete;
    view->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(tip.lpszText, "Delete");
    Close(view);
}

TEST_F(ViewTest, RefreshWithinHalfASecondOfTheLastDoesNothing) {
    Start();
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    // The cache's wait for a rebuild looks again whenever the clock is
    // told anything; time itself stands still.
    std::atomic<bool> waking{true};
    std::thread waker([&] {
        while (waking) {
            clock->Advance(0);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    CShellView* view = Open(kAppsFolder);
    ASSERT_NE(view, nullptr);
    // A refresh empties the list, has the cache rebuild and fills it again,
    // so a selected row comes back unselected.
    CAppListCtrl* list = view->GetListCtrl();
    auto selected = [&] { return list->GetItemState(0, LVIS_SELECTED) != 0; };
    LONG rebuilds = cache->GetRebuildCount();
    list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(view->GetShellView()->Refresh(), S_OK);
    EXPECT_GT(cache->GetRebuildCount(), rebuilds);
    EXPECT_EQ(Rows(view).size(), 2u);
    EXPECT_FALSE(selected());

    // 200 ms later: nothing happens.
    list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    rebuilds = cache->GetRebuildCount();
    clock->Advance(200);
    EXPECT_EQ(view->GetShellView()->Refresh(), S_OK);
    EXPECT_TRUE(selected());
    EXPECT_EQ(Rows(view).size(), 2u);

    // Half a second after the last accepted one it runs again.
    clock->Advance(300);
    EXPECT_EQ(view->GetShellView()->Refresh(), S_OK);
    EXPECT_GT(cache->GetRebuildCount(), rebuilds);
    EXPECT_FALSE(selected());
    EXPECT_EQ(Rows(view).size(), 2u);
    Close(view);
    waking = false;
    waker.join();
    vpr::win::SetClock(nullptr);
}

TEST_F(ViewTest, WithoutTheLauncherLibraryShowsTheProblemsAndOnlyClose) {
    std::filesystem::remove(machine->HostPath(machine->machine()->SystemDirectory() + "\\KMAPP32.DLL"));
    library = std::make_unique<CShellAppLibrary>();
    ASSERT_FALSE(library->IsLoaded());
    app->m_pLibrary = library.get();
    cache = std::make_unique<CAppCache>(library.get());
    app->m_pCache = cache.get();
    browser->stored = std::vector<BYTE>{};

    CShellView* view = Open("");
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->IsListMode());
    EXPECT_EQ(view->GetListCtrl(), nullptr);
    CString text;
    view->GetDlgItem(kViewControlId)->GetWindowText(text);
    EXPECT_NE(std::string(text).find("Unable to load KMAPP32.DLL."), std::string::npos) << text;
    EXPECT_TRUE(browser->buttons.empty());

    view->GetShellView()->UIActivate(SVUIA_ACTIVATE_FOCUS);
    EXPECT_EQ(browser->PopupTexts(FCIDM_MENU_FILE), std::vector<std::string>{"&Close"});
    EXPECT_TRUE(browser->PopupTexts(FCIDM_MENU_EDIT).empty());
    EXPECT_EQ(browser->StatusText(), "Errors.");
    EXPECT_EQ(view->GetShellView()->SaveViewState(), E_FAIL);
    EXPECT_EQ(browser->streamWrites, 0);
    Close(view);
}

TEST_F(ViewTest, AFolderThatIsGoneSendsTheBrowserElsewhere) {
    Start();
    CShellFolder* folder = Folder("TEST_TREE\tnobody.sales.acme");
    IShellView* view = nullptr;
    ASSERT_EQ(folder->CreateViewObject(nullptr, IID_IShellView, reinterpret_cast<void**>(&view)), S_OK);
    folder->Release();
    RECT rect{0, 0, 100, 100};
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(view->CreateViewWindow(nullptr, nullptr, browser, &rect, &window), E_FAIL);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(browser->browsed, std::vector<UINT>{SBSP_PARENT | SBSP_SAMEBROWSER});
    view->Release();

    // The refill message: a view whose folder went goes to the root; one of
    // a stopping module closes its browser window.
    CShellView* shown = Open(kAppsFolder);
    ASSERT_NE(shown, nullptr);
    shown->SendMessage(app->m_uRefillMessage);
    EXPECT_EQ(browser->browsed.size(), 1u);
    EXPECT_EQ(Rows(shown).size(), 2u);
    app->m_bRunning = FALSE;
    shown->SendMessage(app->m_uRefillMessage);
    MSG message{};
    EXPECT_TRUE(PeekMessageA(&message, browser->window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    app->m_bRunning = TRUE;
    Close(shown);
}

TEST_F(ViewTest, AnswersForItsWindowItemsAndPage) {
    Start();
    CShellView* view = Open(kAppsFolder);
    ASSERT_NE(view, nullptr);
    IShellView* shell = view->GetShellView();
    EXPECT_EQ(shell->GetWindow(nullptr), E_INVALIDARG);
    HWND window = nullptr;
    EXPECT_EQ(shell->GetWindow(&window), S_OK);
    EXPECT_EQ(window, view->GetSafeHwnd());
    char name[64] = {};
    GetWindowTextA(window, name, sizeof(name));
    EXPECT_STREQ(name, "Vpr Explorer Window");
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(shell->QueryInterface(IID_IShellFolder, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);

    // Selecting by identifier list; an empty key selects nothing.
    EXPECT_EQ(shell->SelectItem(CItemIdList("").GetList(), SVSI_SELECT), E_FAIL);
    CStringArray keys;
    CString first;
    ASSERT_TRUE(view->GetListCtrl()->GetRowKey(0, first));
    EXPECT_EQ(shell->SelectItem(CItemIdList(static_cast<LPCSTR>(first)).GetList(), SVSI_SELECT), S_OK);
    EXPECT_EQ(view->GetListCtrl()->GetSelectedKeys(keys), 1);
    EXPECT_EQ(keys[0], first);

    // The selection's item and the folder's own.
    IContextMenu* menu = nullptr;
    EXPECT_EQ(shell->GetItemObject(SVGIO_SELECTION, IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    ASSERT_NE(menu, nullptr);
    menu->Release();
    view->GetListCtrl()->SetItemState(0, 0, LVIS_SELECTED);
    EXPECT_EQ(shell->GetItemObject(SVGIO_SELECTION, IID_IContextMenu, reinterpret_cast<void**>(&menu)), E_OUTOFMEMORY);
    EXPECT_EQ(shell->GetItemObject(SVGIO_BACKGROUND, IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    menu->Release();

    // The options page from dialog 1000.
    std::vector<HPROPSHEETPAGE> pages;
    auto add = [](HPROPSHEETPAGE page, LPARAM param) -> BOOL {
        reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(param)->push_back(page);
        return TRUE;
    };
    EXPECT_EQ(shell->AddPropertySheetPages(0, add, reinterpret_cast<LPARAM>(&pages)), S_OK);
    ASSERT_EQ(pages.size(), 1u);
    DestroyPropertySheetPage(pages[0]);
    // The browser's reference is the last one; its release takes the view,
    // its window and its reference on the folder.
    EXPECT_EQ(shell->AddRef(), 2u);
    EXPECT_EQ(shell->Release(), 1u);
    CShellFolder* folder = view->GetShellFolder();
    folder->AddRef();
    Close(view);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(folder->Release(), 0u);
}

TEST_F(ViewTest, TranslatesTheModulesAcceleratorsAndBackspaceInALabel) {
    Start();
    app->m_hAccel = LoadAcceleratorsA(app->GetResources(), MAKEINTRESOURCEA(IDR_VIEW_ACCELERATORS));
    ASSERT_NE(app->m_hAccel, nullptr);
    CShellView* view = Open(kAppsFolder);
    ASSERT_NE(view, nullptr);
    IShellView* shell = view->GetShellView();
    vpr::user::UiDriver driver;

    // Ctrl+A selects every row; A alone is not the view's.
    MSG key{view->GetListCtrl()->GetSafeHwnd(), WM_KEYDOWN, 'A', 0};
    EXPECT_EQ(shell->TranslateAccelerator(&key), E_NOTIMPL);
    EXPECT_EQ(view->GetListCtrl()->GetSelectedCount(), 0u);
    vpr::user::ui::HoldKeys({VK_CONTROL}, true);
    EXPECT_EQ(shell->TranslateAccelerator(&key), S_OK);
    vpr::user::ui::HoldKeys({VK_CONTROL}, false);
    EXPECT_EQ(view->GetListCtrl()->GetSelectedCount(), 2u);

    // Backspace aimed at a label editor edits the label, not the browser.
    HWND edit = CreateWindowExA(0, "edit", "Games", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, view->GetSafeHwnd(), nullptr,
                                nullptr, nullptr);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 5, 5);
    MSG back{edit, WM_KEYDOWN, VK_BACK, 0};
    EXPECT_EQ(shell->TranslateAccelerator(&back), S_OK);
    char text[16] = {};
    GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ(text, "Game");
    DestroyWindow(edit);
    Close(view);
    DestroyAcceleratorTable(app->m_hAccel);
    app->m_hAccel = nullptr;
}

TEST_F(ViewTest, ARefreshTheUserMayNotAskForKeepsTheRowsAndIsGrayed) {
    // The user's launcher configuration: bit 0x2, no refresh on request.
    std::string record(KMAPP_CONFIG_SIZE, '\0');
    auto raw = reinterpret_cast<BYTE*>(record.data());
    KmappConfigSet(raw, KMAPP_CONFIG_OFFSET_MAGIC, KMAPP_CONFIG_MAGIC);
    KmappConfigSet(raw, KMAPP_CONFIG_OFFSET_FLAGS, CACHE_CONFIG_NO_USER_REFRESH);
    KmappConfigSet(raw, KMAPP_CONFIG_OFFSET_INTERVAL, 3600);
    KmappConfigSet(raw, KMAPP_CONFIG_OFFSET_LEVELS, 1);
    tree.Stream("jdoe.sales.acme", "App:Launcher Config", record);
    Start();
    ASSERT_TRUE(cache->GetConfigFlags() & CACHE_CONFIG_NO_USER_REFRESH);
    CShellView* view = Open(kAppsFolder);
    ASSERT_NE(view, nullptr);
    view->GetShellView()->UIActivate(SVUIA_ACTIVATE_FOCUS);
    EXPECT_TRUE(browser->State(kCmdRefresh) & MF_GRAYED);

    // Asked all the same (the browser may), the cache refuses and no refill
    // follows: the view shows its rows again itself.
    LONG rebuilds = cache->GetRebuildCount();
    EXPECT_EQ(view->GetShellView()->Refresh(), S_OK);
    EXPECT_EQ(cache->GetRebuildCount(), rebuilds);
    EXPECT_EQ(Rows(view).size(), 2u);
    EXPECT_EQ(browser->StatusText(), "2 Object(s)");
    Close(view);
}
