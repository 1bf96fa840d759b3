// The shell's state, shared by its parts (desktop, tray, browsers, folders,
// channel). Everything here belongs to the UI thread except what the lock
// guards: what other threads hand in (notifications, loads).
#pragma once

#include <deque>
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
constexpr int kDesktopListId = 1;

struct ShellHost::State {
    ShellHost* host = nullptr;
    int lockFd = -1;
    HWND desktop = nullptr;
    HWND desktopList = nullptr;
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

// The desktop.
void ReadDesktop(ShellHost::State& state);
IDropTarget* NewDesktopDropTarget(ShellHost::State& state);
DWORD DropIdListArray(ShellHost::State& state, IDataObject* data);

// Browsers.
BrowserWindow* OpenBrowser(ShellHost::State& state, const vpr::com::IdListBytes& list, bool explore,
                           std::string* error);
Browser* AsBrowser(BrowserWindow* window);
void CloseAllBrowsers(ShellHost::State& state);
// A notification for a list: folders shown again, browsers moved off removed folders.
void BrowsersNotified(ShellHost::State& state, const vpr::com::ChangeNotification& n);

// View state kept per folder in the user's registry.
HRESULT ViewStateStream(ShellHost::State& state, const vpr::com::IdListBytes& folder, DWORD mode, IStream** stream);

}  // namespace vpr::shellhost
