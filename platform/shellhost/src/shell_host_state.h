// The shell's state, shared by its parts (desktop, tray, browsers, folders,
// channel). Everything here belongs to the UI thread except what the lock
// guards: what other threads hand in (notifications, loads).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "shellapi.h"
#include "vpr/com/shell_channel.h"
#include "vpr/com/shell_services.h"
#include "vpr/shellhost/browser.h"
#include "vpr/shellhost/shell_host.h"

namespace vpr::shellhost {

class BrowserWindow;

// Messages of the desktop window, which the other threads send or post.
constexpr UINT kLoadMessage = WM_APP + 1;     // lParam: const CLSID*; answers the HRESULT
constexpr UINT kNotifyMessage = WM_APP + 2;   // notifications are queued
constexpr UINT kBrowserClosed = WM_APP + 3;   // lParam: the BrowserWindow that went
constexpr UINT_PTR kFreeTimer = 1;
constexpr UINT kFreeInterval = 2000;

struct ShellHost::State {
    ShellHost* host = nullptr;
    int lockFd = -1;
    HWND desktop = nullptr;
    IShellView* desktopView = nullptr;  // the shell's own view of the desktop folder
    HWND menuHost = nullptr;            // owner of the items' context menus
    IContextMenu* openMenu = nullptr;   // an item's menu while it is shown
    UINT openMenuFirst = 0;             // its first command id
    std::unique_ptr<vpr::com::ShellServices> services;
    std::unique_ptr<vpr::com::ShellChannelServer> channel;
    IDropTarget* desktopTarget = nullptr;

    std::vector<DesktopItem> desktopItems;
    std::vector<TrayIcon> tray;
    std::vector<BrowserWindow*> browsers;  // each lives while its window does
    std::vector<std::string> loaded;
    std::vector<std::string> unloaded;
    std::vector<vpr::com::ChangeNotification> notifications;
    bool viewStateFails = false;

    std::mutex lock;
    std::deque<vpr::com::ChangeNotification> pending;  // GUARDED_BY(lock)
    std::vector<std::string> freedNow;                  // GUARDED_BY(lock)
};

// The shell's own folders, over the desktop and the file system.
// The absolute list of a folder's child: the desktop's files are items of
// the desktop directory.
vpr::com::IdListBytes AbsoluteItemList(const vpr::com::IdListBytes& folder, LPCITEMIDLIST child);
std::string DesktopDirectory();
// Binds an absolute list to its folder: a name-space entry or a junction
// directory "NAME.{CLSID}" through its class (IPersistFolder::Initialize
// with the list up to it), the rest through BindToObject; other lists of the
// file system and the desktop (the empty list) are the shell's own folders.
HRESULT BindFolder(ShellHost::State& state, const vpr::com::IdListBytes& list, IShellFolder** folder);
// The shell's own folder of the desktop (the empty list) or of a directory.
IShellFolder* NewOwnFolder(ShellHost::State& state, const vpr::com::IdListBytes& list);
// A display name of an absolute list's last item (its parent folder asked).
std::string DisplayName(ShellHost::State& state, const vpr::com::IdListBytes& list);
// Reads a STRRET into text and frees what it holds.
std::string TakeStrRet(STRRET* name, LPCITEMIDLIST item);

// The view of the shell's own folders (the desktop and directories): a
// list that a person opens, right-clicks, renames and drags from. Without a
// browser its window stands in the desktop window.
IShellView* NewOwnView(ShellHost::State& state, IShellFolder* folder, const vpr::com::IdListBytes& location);
// Whether a view window is one of the shell's own views.
bool IsOwnViewWindow(HWND window);
// The list control of a view window (the window itself or its child).
HWND ViewList(HWND viewWindow);

// What a person does with one item of the shell's views, given by its
// absolute list. `browser`: the browser showing it (null on the desktop).
// Opens it: a folder in the browser (a new one from the desktop), a
// shortcut by its target, an item of a name space by its default command.
bool OpenItem(ShellHost::State& state, const vpr::com::IdListBytes& item, IShellBrowser* browser, std::string* error);
// Shows the item's context menu at a screen point and carries out what is
// chosen: the name space's own menu (IContextMenu2) for its items, the
// shell's for its own. `startRename` opens the item's label for editing.
void ShowItemMenu(ShellHost::State& state, const vpr::com::IdListBytes& item, HWND owner, POINT screen,
                  IShellBrowser* browser, bool explore, const std::function<void()>& startRename);
// Deletes the item: a file or directory of the shell's own, or an item of a
// name space through its menu's verb "delete".
bool DeleteItem(ShellHost::State& state, const vpr::com::IdListBytes& item, HWND owner, std::string* error);
// Renames through the parent folder's SetNameOf; the new absolute list.
bool RenameItem(ShellHost::State& state, const vpr::com::IdListBytes& item, const std::string& name, HWND owner,
                vpr::com::IdListBytes* renamed, std::string* error);
// The item's attributes as its parent folder answers them.
ULONG ItemAttributes(ShellHost::State& state, const vpr::com::IdListBytes& item, ULONG asked);
// Whether a name-space entry has property sheet handlers; shows its sheet.
bool HasPropertySheet(const vpr::com::IdListBytes& item);
bool ShowItemProperties(ShellHost::State& state, const vpr::com::IdListBytes& item, HWND owner, std::string* error);
// The property sheet of an item of a name space: the pages its folder's
// IShellPropSheetExt (GetUIObjectOf) adds, in a modal sheet of the shell.
bool ShowNameSpaceItemSheet(ShellHost::State& state, const vpr::com::IdListBytes& item, HWND owner, std::string* error);
// The item's icon: a name-space entry's DefaultIcon, a name space's item
// through IExtractIconA, a shortcut its target's; null when it has none.
HICON ItemIcon(ShellHost::State& state, const vpr::com::IdListBytes& item);
// Drags the items (absolute lists of one folder) out as "Shell IDList
// Array" and, for files, CF_HDROP; the effect the drop answered.
DWORD DragItems(ShellHost::State& state, const std::vector<vpr::com::IdListBytes>& items);
// The text of a command of the context menu shown (GetCommandString), for
// owner-drawn entries that carry none.
std::string OpenMenuCommandText(ShellHost::State& state, UINT command);

// The hidden window that owns the items' context menus and hands their
// messages to the menu shown (IContextMenu2::HandleMenuMsg).
HWND NewMenuHost(ShellHost::State& state);

// The desktop.
void ReadDesktop(ShellHost::State& state);
IDropTarget* NewDesktopDropTarget(ShellHost::State& state);
DWORD DropIdListArray(ShellHost::State& state, IDataObject* data);
// A "Shell IDList Array" (CIDA) block: the parent list, then each child's.
HGLOBAL MakeIdListArray(const vpr::com::IdListBytes& parent, const std::vector<vpr::com::IdListBytes>& children);

// Browsers.
BrowserWindow* OpenBrowser(ShellHost::State& state, const vpr::com::IdListBytes& list, bool explore,
                           std::string* error);
Browser* AsBrowser(BrowserWindow* window);
IShellBrowser* AsShellBrowser(BrowserWindow* window);
void CloseAllBrowsers(ShellHost::State& state);
// A notification for a list: folders shown again, browsers moved off removed folders.
void BrowsersNotified(ShellHost::State& state, const vpr::com::ChangeNotification& n);

// View state kept per folder in the user's registry.
HRESULT ViewStateStream(ShellHost::State& state, const vpr::com::IdListBytes& folder, DWORD mode, IStream** stream);

}  // namespace vpr::shellhost
