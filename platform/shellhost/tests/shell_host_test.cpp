#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "shellapi.h"
#include "vpr/com/guid.h"
#include "vpr/com/ref_counted.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/machine/machine.h"
#include "vpr/shellhost/browser.h"
#include "vpr/shellhost/shell_host.h"
#include "vpr/shellhost/shell_script.h"

#include <sstream>
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/clock.h"
#include "vpr/win/path.h"

using namespace vpr::shellhost;

namespace {

constexpr GUID kTestExtension = {0x7E57E570, 0x1111, 0x4222, {0x83, 0x33, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE5}};
constexpr const char* kTestExtensionText = "{7E57E570-1111-4222-8333-0000000000E5}";

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr), ERROR_SUCCESS);
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), value.size() + 1);
    RegCloseKey(handle);
}

void RegisterTestExtension() {
    std::string key = std::string("CLSID\\") + kTestExtensionText;
    SetString(HKEY_CLASSES_ROOT, key, nullptr, "Test Folder");
    SetString(HKEY_CLASSES_ROOT, key + "\\InProcServer32", nullptr, "TESTEXT.DLL");
    SetString(HKEY_LOCAL_MACHINE,
              std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\") + kTestExtensionText,
              nullptr, "Test Folder");
}

// Runs the test client as another process of the machine while the shell
// serves; its exit code.
DWORD RunClient(ShellHost* host, const std::string& arguments) {
    std::string command = vpr::testing::BuildBinFolder() + "/shellclient " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 99;
    auto done = [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; };
    if (host) {
        host->PumpUntil(done, 60000);
    } else {
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

std::vector<std::string> Journal(const vpr::testing::TempMachine& machine, const std::string& kind) {
    std::vector<std::string> out;
    for (const auto& entry : machine.machine()->ReadJournal()) {
        if (entry.kind == kind) out.push_back(entry.text);
    }
    return out;
}

TEST(ShellHost, OneShellPerMachineAndLoadsFromAnotherProcess) {
    vpr::testing::TempMachine machine;
    RegisterTestExtension();
    EXPECT_EQ(RunClient(nullptr, std::string("load ") + kTestExtensionText), 1u);  // no shell runs: E_FAIL
    ShellHost host;
    std::string error;
    ASSERT_TRUE(host.Start(&error)) << error;
    ShellHost second;
    EXPECT_FALSE(second.Start(&error));
    EXPECT_NE(error.find("a shell runs"), std::string::npos) << error;

    EXPECT_EQ(RunClient(&host, std::string("load ") + kTestExtensionText), 0u);
    EXPECT_EQ(host.Loaded(), std::vector<std::string>{kTestExtensionText});
    host.Stop();
    EXPECT_EQ(Journal(machine, "testext"), std::vector<std::string>{"unloaded"});  // every server freed at exit
}

TEST(ShellHost, DesktopBrowserTrayDragAndUnload) {
    vpr::testing::TempMachine machine;
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    vpr::user::UiDriver driver;
    {
        ShellHost host;
        std::string error;
        ASSERT_TRUE(host.Start(&error)) << error;
        EXPECT_TRUE(host.Desktop().empty());
        // Registered, then a notification from another process shows it.
        RegisterTestExtension();
        EXPECT_EQ(RunClient(&host, "notify-desktop"), 0u);
        ASSERT_TRUE(host.PumpUntil([&] { return !host.Desktop().empty(); }, 60000));
        ASSERT_EQ(host.Desktop().size(), 1u);
        EXPECT_EQ(host.Desktop()[0].name, "Test Folder");
        EXPECT_TRUE(host.Desktop()[0].nameSpace);

        // Browsing into it: the view merges its menu, toolbar and status.
        auto list = host.ParsePath("Test Folder", &error);
        ASSERT_TRUE(list) << error;
        Browser* browser = host.Open(*list, true, &error);
        ASSERT_NE(browser, nullptr) << error;
        EXPECT_EQ(browser->StatusText(), "2 items");
        EXPECT_EQ(SendMessageA(browser->Toolbar(), TB_BUTTONCOUNT, 0, 0), 1);
        char text[64] = {};
        EXPECT_GT(GetMenuStringA(GetMenu(browser->Window()), 100, text, sizeof(text), MF_BYCOMMAND), 0);
        EXPECT_STREQ(text, "&Test Item");
        SendMessageA(browser->Window(), WM_COMMAND, 100, 0);
        EXPECT_EQ(Journal(machine, "testext").back(), "command 1");

        // The view state is passed on: back on the folder, the view counts a second visit.
        ASSERT_TRUE(browser->Navigate(nullptr, SBSP_PARENT, &error)) << error;
        EXPECT_EQ(browser->Location(), (vpr::com::IdListBytes{0, 0}));
        ASSERT_TRUE(browser->Navigate(reinterpret_cast<LPCITEMIDLIST>(list->data()), SBSP_ABSOLUTE, &error)) << error;
        SendMessageA(browser->Window(), WM_COMMAND, 100, 0);
        EXPECT_EQ(Journal(machine, "testext").back(), "command 2");

        // An item dragged to the desktop becomes a shortcut in the public format.
        HWND items = FindWindowExA(browser->ViewWindow(), nullptr, WC_LISTVIEWA, nullptr);
        ASSERT_NE(items, nullptr);
        driver.OnDrag([&](const vpr::user::DragStart&) {
            vpr::user::DropPlace place;
            place.window = host.DesktopWindow();
            place.point = {10, 10};
            return place;
        });
        ASSERT_TRUE(vpr::user::ui::DragItem(items, 0));
        EXPECT_EQ(Journal(machine, "testext").back(), "dragged " + std::to_string(DROPEFFECT_LINK));
        vpr::com::ShellLink link;
        ASSERT_TRUE(vpr::com::ReadShellLinkFile("C:\\WINDOWS\\Desktop\\Alpha.lnk", &link, &error)) << error;
        EXPECT_EQ(vpr::com::IdListText(reinterpret_cast<LPCITEMIDLIST>(link.idList.data())),
                  std::string("::") + kTestExtensionText + "\\tree\\tAlpha");

        // The tray: a click reaches the extension's window.
        ASSERT_EQ(host.Tray().size(), 1u);
        EXPECT_TRUE(host.ClickTray("Test Tray", false));
        EXPECT_EQ(Journal(machine, "testext").back(), "tray click");
        // The click happened with the pointer on the icon, at the screen's
        // bottom right.
        POINT cursor{};
        ASSERT_TRUE(GetCursorPos(&cursor));
        const POINT icon = host.TrayIconPoint(0);
        EXPECT_EQ(cursor.x, icon.x);
        EXPECT_EQ(cursor.y, icon.y);
        EXPECT_EQ(icon.x, GetSystemMetrics(SM_CXSCREEN) - vpr::shellhost::ShellHost::kTrayIconPitch / 2);
        EXPECT_EQ(icon.y, GetSystemMetrics(SM_CYSCREEN) - vpr::shellhost::ShellHost::kTrayIconPitch / 2);
        EXPECT_FALSE(host.ClickTray("Nobody", false));

        // Stopped by its named event, it is unloaded on the next timer once
        // no object lives.
        SendMessageA(browser->Window(), WM_COMMAND, kCommandClose, 0);
        HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, "Stop Test Extension");
        ASSERT_NE(stop, nullptr);
        SetEvent(stop);
        CloseHandle(stop);
        ASSERT_TRUE(host.PumpUntil([&] { return host.Tray().empty(); }, 60000));
        EXPECT_TRUE(host.Unloaded().empty());
        clock->Advance(2000);
        host.PumpUntil([&] { return !host.Unloaded().empty(); }, 100);
        EXPECT_EQ(host.Unloaded(), std::vector<std::string>{kTestExtensionText});
    }
    EXPECT_TRUE(driver.Failures().empty());
    vpr::win::SetClock(nullptr);
}

}  // namespace

namespace {

TEST(ShellScript, APersonBrowsesUsesTheTrayAndMeetsErrors) {
    vpr::testing::TempMachine machine;
    RegisterTestExtension();
    std::istringstream in(
        "desktop\n"
        "explore Test Folder\n"
        "list\n"
        "command File>Test Item\n"
        "tray click Test Tray\n"
        "open Gamma\n"
        "browse No Such Folder\n"
        "close\n"
        "clipboard\n"
        "exit\n"
        "desktop\n");
    std::ostringstream out;
    ShellHost host;
    EXPECT_EQ(RunShellScript(host, in, out, false), 1);
    EXPECT_EQ(out.str(),
              "shell started\n"
              "  Test Folder  {7E57E570-1111-4222-8333-0000000000E5}\n"
              "exploring Test Folder\n"
              "status: 2 items\n"
              "  Alpha\n"
              "  Beta\n"
              "command File>Test Item\n"
              "tray click Test Tray\n"
              "error: no item \"Gamma\"\n"
              "error: no item \"No Such Folder\" in Desktop\n"
              "closed\n");
    EXPECT_EQ(Journal(machine, "testext"), (std::vector<std::string>{"command 1", "tray click"}));
}

}  // namespace

namespace {

TEST(ShellHost, TrayRulesOpeningByListAndRemovedFolders) {
    vpr::testing::TempMachine machine;
    RegisterTestExtension();
    ShellHost host;
    std::string error;
    ASSERT_TRUE(host.Start(&error)) << error;
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = 7;
    data.uFlags = NIF_TIP;
    std::strcpy(data.szTip, "first");
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data));  // not there yet
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));     // the same id twice
    std::strcpy(data.szTip, "second");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
    ASSERT_EQ(host.Tray().size(), 1u);
    EXPECT_EQ(host.Tray()[0].tip, "second");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &data));
    DestroyWindow(owner);

    // Opening a list: "Explore" with the tree pane, "Open" without.
    vpr::com::IdListBytes root = vpr::com::NameSpaceIdList(kTestExtension);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "Explore";
    info.lpIDList = root.data();
    ASSERT_TRUE(ShellExecuteExA(&info));
    info.lpVerb = "Open";
    ASSERT_TRUE(ShellExecuteExA(&info));
    auto browsers = host.Browsers();
    ASSERT_EQ(browsers.size(), 2u);
    char name[32] = {};
    GetClassNameA(browsers[0]->Window(), name, sizeof(name));
    EXPECT_STREQ(name, "ExploreWClass");
    EXPECT_NE(browsers[0]->Tree(), nullptr);
    GetClassNameA(browsers[1]->Window(), name, sizeof(name));
    EXPECT_STREQ(name, "CabinetWClass");
    EXPECT_EQ(browsers[1]->Tree(), nullptr);

    // The name space's root removed: each browser showing it moves to the desktop.
    SHChangeNotify(SHCNE_RMDIR, SHCNF_IDLIST | SHCNF_FLUSH, root.data(), nullptr);
    ASSERT_TRUE(host.PumpUntil([&] { return host.Browsers()[0]->Location().size() == 2; }, 60000));
    EXPECT_EQ(host.Browsers()[1]->Location(), (vpr::com::IdListBytes{0, 0}));
}

}  // namespace

namespace {

void RegisterPropertySheetHandler() {
    std::string key = std::string("CLSID\\") + kTestExtensionText + "\\shellex\\PropertySheetHandlers\\" + kTestExtensionText;
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(handle);
}

void WriteDesktopFile(const std::string& name) {
    HANDLE file = CreateFileA(("C:\\WINDOWS\\Desktop\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "notes", 5, &written, nullptr);
    CloseHandle(file);
}

// The desktop's own items: the name-space entry's properties through its
// handler, a file renamed through SetNameOf and deleted from its menu, a
// shortcut into the name space opened by the item's default command.
TEST(ShellScript, ThePersonUsesTheDesktopsOwnItems) {
    vpr::testing::TempMachine machine;
    RegisterTestExtension();
    RegisterPropertySheetHandler();
    WriteDesktopFile("Notes.txt");
    std::istringstream in(
        "list\n"
        "properties Test Folder\n"
        "page Test Page\n"
        "set 201 Changed\n"
        "check 202 on\n"
        "ok\n"
        "rename Notes.txt Memo.txt\n"
        "wait row Memo.txt\n"
        "menu Memo.txt Delete\n"
        "wait gone Memo.txt\n"
        "menu Test Folder Delete\n"
        "menu Gamma Open\n"
        "properties Gamma\n"
        "explore Test Folder\n"
        "drag Alpha to desktop\n"
        "close\n"
        "wait row Alpha.lnk\n"
        "open Alpha.lnk\n"
        "menu Alpha.lnk Open\n");
    std::ostringstream out;
    ShellHost host;
    EXPECT_EQ(RunShellScript(host, in, out, false), 1);
    EXPECT_EQ(out.str(),
              "shell started\n"
              "  Notes.txt\n"
              "  Test Folder\n"
              "window Properties for Test Folder\n"
              "page Test Page\n"
              "set 201\n"
              "checked 202 on\n"
              "renamed Notes.txt\n"
              "waited row Memo.txt\n"
              "chose Delete\n"
              "waited gone Memo.txt\n"
              "error: no menu item \"Delete\"\n"
              "error: menu NAME TEXT: no such item\n"
              "error: no item \"Gamma\"\n"
              "exploring Test Folder\n"
              "status: 2 items\n"
              "dropped on the desktop\n"
              "closed\n"
              "waited row Alpha.lnk\n"
              "opened Alpha.lnk\n"
              "chose Open\n");
    EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\Desktop\\Memo.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Journal(machine, "testext"),
              (std::vector<std::string>{std::string("sheet for ::") + kTestExtensionText, "page applied Changed shared",
                                        "dragged " + std::to_string(DROPEFFECT_LINK), "command 0 Alpha", "command 0 Alpha"}));
}

}  // namespace

namespace {

// The tree pane: the name space's folders asked as they are expanded, their
// menu from the name space (owner-drawn entries measured through
// HandleMenuMsg, chosen by the text GetCommandString gives), a label edit
// through SetNameOf, a window the item opens acted on beside the shell.
TEST(ShellScript, ThePersonUsesTheTreePane) {
    vpr::testing::TempMachine machine;
    RegisterTestExtension();
    std::istringstream in(
        "explore Test Folder\n"
        "tree\n"
        "menu Test Folder\\Alpha Explore\n"
        "rename Test Folder\\Alpha Gamma\n"
        "menu Test Folder\\Alpha Properties\n"
        "window Test Item Properties\n"
        "set 211 Edited\n"
        "ok\n"
        "open Test Folder\\Beta\n"
        "tree\n"
        "drag Test Folder\\Beta\\Alpha to desktop\n"
        "shortcuts\n"
        "window Nobody\n");
    std::ostringstream out;
    ShellHost host;
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    EXPECT_EQ(RunShellScript(host, in, out, false), 1);
    vpr::win::SetClock(nullptr);
    EXPECT_EQ(out.str(),
              "shell started\n"
              "exploring Test Folder\n"
              "status: 2 items\n"
              "  Desktop\n"
              " *  Test Folder\n"
              "      Alpha\n"
              "      Beta\n"
              "chose Explore\n"
              "renamed Alpha\n"
              "chose Properties\n"
              "window Test Item Properties\n"
              "set 211\n"
              "opened Test Folder\\Beta\n"
              "  Desktop\n"
              "    Test Folder\n"
              "      Alpha\n"  // browsed into by the rename's first click
              "        Alpha\n"
              "        Beta\n"
              " *    Beta\n"
              "        Alpha\n"
              "        Beta\n"
              "dropped on the desktop\n"
              "  Alpha.lnk -> ::{7E57E570-1111-4222-8333-0000000000E5}\\tree\\tBeta\\tree\\tAlpha\n"
              "error: no window \"Nobody\"\n");
    std::vector<std::string> journal = Journal(machine, "testext");
    EXPECT_NE(std::find(journal.begin(), journal.end(), "measured &Explore"), journal.end());
    journal.erase(std::remove_if(journal.begin(), journal.end(), [](const std::string& e) { return e.rfind("measured", 0) == 0; }),
                  journal.end());
    EXPECT_EQ(journal, (std::vector<std::string>{"command 1 Alpha", "renamed Alpha to Gamma", "properties ok Edited"}));
}

}  // namespace

namespace {

// A window's drop target that keeps the files of a CF_HDROP dropped on it.
class FilesTarget final : public vpr::com::RefCounted<IDropTarget> {
public:
    void* Find(REFIID iid) override { return IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget) ? this : nullptr; }
    STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect &= DROPEFFECT_COPY;
        return S_OK;
    }
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        *effect = DROPEFFECT_NONE;
        if (FAILED(data->GetData(&format, &medium))) return S_OK;
        auto drop = static_cast<HDROP>(medium.hGlobal);
        for (UINT i = 0; i < DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0); ++i) {
            char path[MAX_PATH] = {};
            DragQueryFileA(drop, i, path, sizeof(path));
            files.push_back(path);
        }
        ReleaseStgMedium(&medium);
        *effect = DROPEFFECT_COPY;
        return S_OK;
    }
    std::vector<std::string> files;
};

int ListRow(HWND list, const std::string& text) {
    for (int i = 0; i < static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); ++i) {
        char row[260] = {};
        LVITEMA item{};
        item.pszText = row;
        item.cchTextMax = sizeof(row);
        SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        if (text == row) return i;
    }
    return -1;
}

// A desktop file dragged out as CF_HDROP; the name space's items in the
// tree pane with the icons IExtractIconA points at (S_FALSE: the shell
// reads the file), deleted with the Delete key through the verb "delete".
TEST(ShellHost, FilesDraggedOutIconsAndTheDeleteVerb) {
    vpr::testing::TempMachine machine;
    RegisterTestExtension();
    // The desktop entry's icon: DefaultIcon, the module's first.
    SetString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kTestExtensionText + "\\DefaultIcon", nullptr,
              vpr::win::WindowsPathFromHost(vpr::testing::BuildBinFolder() + "/TESTEXT.DLL") + ",0");
    WriteDesktopFile("Notes.txt");
    vpr::user::UiDriver driver;
    ShellHost host;
    std::string error;
    ASSERT_TRUE(host.Start(&error)) << error;

    HWND place = CreateWindowExA(0, "STATIC", "place", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    auto* target = new FilesTarget;
    ASSERT_EQ(RegisterDragDrop(place, target), S_OK);
    driver.OnDrag([&](const vpr::user::DragStart&) {
        vpr::user::DropPlace drop;
        drop.window = place;
        drop.point = {5, 5};
        return drop;
    });
    LVITEMA entry{};
    entry.mask = LVIF_IMAGE;
    entry.iItem = ListRow(host.DesktopList(), "Test Folder");
    ASSERT_TRUE(SendMessageA(host.DesktopList(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
    EXPECT_GE(entry.iImage, 0);
    int row = ListRow(host.DesktopList(), "Notes.txt");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(vpr::user::ui::DragItem(host.DesktopList(), row));
    EXPECT_EQ(target->files, std::vector<std::string>{"C:\\WINDOWS\\Desktop\\Notes.txt"});
    RevokeDragDrop(place);
    target->Release();
    DestroyWindow(place);

    auto list = host.ParsePath("Test Folder", &error);
    ASSERT_TRUE(list) << error;
    Browser* browser = host.Open(*list, true, &error);
    ASSERT_NE(browser, nullptr) << error;
    HWND tree = browser->Tree();
    auto folder = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    auto beta = reinterpret_cast<HTREEITEM>(SendMessageA(
        tree, TVM_GETNEXTITEM, TVGN_NEXT, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(folder))));
    ASSERT_NE(beta, nullptr);
    char text[64] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT | TVIF_IMAGE;
    item.hItem = beta;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Beta");
    auto icons = reinterpret_cast<HIMAGELIST>(SendMessageA(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    EXPECT_GE(item.iImage, 0);
    EXPECT_LT(item.iImage, ImageList_GetImageCount(icons));

    ASSERT_TRUE(vpr::user::ui::ClickItem(tree, reinterpret_cast<LPARAM>(beta)));
    SetFocus(tree);
    ASSERT_TRUE(vpr::user::ui::PressKey(browser->Window(), VK_DELETE));
    host.Pump();
    EXPECT_EQ(Journal(machine, "testext").back(), "delete Beta");

    // A folder made on the desktop, then removed: the tree pane asks the
    // desktop again each time, and the way to the folder shown stays open.
    auto desktopFolders = [&] {
        std::vector<std::string> names;
        auto root = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        for (auto node = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, root); node;
             node = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, node)) {
            char name[64] = {};
            TVITEMA one{};
            one.mask = TVIF_TEXT;
            one.hItem = reinterpret_cast<HTREEITEM>(node);
            one.pszText = name;
            one.cchTextMax = sizeof(name);
            SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&one));
            names.push_back(name);
        }
        return names;
    };
    const char* projects = "C:\\WINDOWS\\Desktop\\Projects";
    ASSERT_TRUE(CreateDirectoryA(projects, nullptr));
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATH, projects, nullptr);
    ASSERT_TRUE(host.PumpUntil([&] { return desktopFolders().size() == 2; }, 60000));
    EXPECT_EQ(desktopFolders(), (std::vector<std::string>{"Projects", "Test Folder"}));
    auto shown = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(shown)) != 0, true);
    ASSERT_TRUE(RemoveDirectoryA(projects));
    SHChangeNotify(SHCNE_RMDIR, SHCNF_PATH, projects, nullptr);
    ASSERT_TRUE(host.PumpUntil([&] { return desktopFolders().size() == 1; }, 60000));
    EXPECT_EQ(desktopFolders(), std::vector<std::string>{"Test Folder"});
    EXPECT_TRUE(driver.Failures().empty());
}

}  // namespace

namespace {

void RegisterViewlessFolder() {
    const std::string text = "{7E57E570-1111-4222-8333-0000000000E6}";
    SetString(HKEY_CLASSES_ROOT, "CLSID\\" + text, nullptr, "Viewless Folder");
    SetString(HKEY_CLASSES_ROOT, "CLSID\\" + text + "\\InProcServer32", nullptr, "TESTEXT.DLL");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\" + text,
              nullptr, "Viewless Folder");
}

// A folder whose CreateViewObject fails is still browsed into: the browser
// lists it as the tree pane would, and its items open, show their menu and
// their sheet through the folder's GetUIObjectOf.
TEST(ShellScript, AFolderWithoutAViewIsListedAndUsedThroughItsItems) {
    vpr::testing::TempMachine machine;
    RegisterViewlessFolder();
    std::istringstream in(
        "browse Viewless Folder\n"
        "list\n"
        "open Alpha\n"
        "menu Beta Explore\n"
        "properties Alpha\n"
        "show 201\n"
        "set 201 Edited\n"
        "peek Properties for Alpha\n"
        "ok\n"
        "wait row Beta\n"
        "select Alpha\n"
        "rename Beta Gamma\n"
        "explore Viewless Folder\\Beta\n"
        "list\n"
        "tree\n");
    std::ostringstream out;
    ShellHost host;
    EXPECT_EQ(RunShellScript(host, in, out, false), 1);
    EXPECT_EQ(out.str(),
              "shell started\n"
              "browsing Viewless Folder\n"
              "  Alpha\n"
              "  Beta\n"
              "opened Alpha\n"
              "chose Explore\n"
              "window Properties for Alpha\n"
              "201: Alpha\n"
              "set 201\n"
              "peek Properties for Alpha\n"
              "  1: OK\n"
              "  2: Cancel\n"
              "  12321: &Apply\n"
              "  0: Test Page\n"
              "  201: Edited\n"
              "  202: &Shared\n"
              "waited row Beta\n"
              "error: a folder without a view selects nothing\n"
              "error: a folder without a view edits no label\n"
              "exploring Viewless Folder\\Beta\n"
              "  Alpha\n"
              "  Beta\n"
              "  Desktop\n"
              "    Viewless Folder\n"
              "      Alpha\n"
              " *    Beta\n"
              "        Alpha\n"
              "        Beta\n");
    EXPECT_EQ(Journal(machine, "testext"),
              (std::vector<std::string>{"command 0 Alpha", "command 1 Beta", "item page applied Edited"}));
    std::vector<Browser*> browsers = host.Browsers();
    ASSERT_FALSE(browsers.empty());
    EXPECT_TRUE(browsers.back()->Viewless());
    EXPECT_EQ(browsers.back()->ViewWindow(), nullptr);
    host.Stop();
}

}  // namespace
