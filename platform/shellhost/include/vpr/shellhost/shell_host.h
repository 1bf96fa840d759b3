// The shell EXPLORER.EXE: loads name-space extensions, hosts their views in
// its browser windows, keeps the desktop and the tray, and answers the
// machine's other processes through the shell channel. One shell runs per
// machine. The core runs on the thread that starts it (its UI thread), in
// the program or inside a test.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shellapi.h"
#include "vpr/com/change_notify.h"
#include "vpr/com/id_list.h"

namespace vpr::shellhost {

class Browser;

// One item the desktop shows.
struct DesktopItem {
    std::string name;       // display name
    std::string path;       // a file of the desktop directory; empty for a name-space entry
    bool nameSpace = false;
    CLSID clsid{};          // of a name-space entry
    std::string icon;       // DefaultIcon of a name-space entry
    DWORD attributes = 0;   // ShellFolder\Attributes of a name-space entry
};

// One tray icon.
struct TrayIcon {
    HWND window = nullptr;
    UINT id = 0;
    UINT callbackMessage = 0;
    HICON icon = nullptr;
    std::string tip;
};

class ShellHost {
public:
    ShellHost();
    ~ShellHost();
    ShellHost(const ShellHost&) = delete;
    ShellHost& operator=(const ShellHost&) = delete;

    // Takes the machine's one shell lock, makes the shell's windows, then
    // listens on the channel. False with the reason (naming the holder when
    // another shell runs).
    bool Start(std::string* error);
    // Closes every browser, releases every object, frees every server (so
    // their exits run) and lets the lock go. Also run by the destructor.
    void Stop();
    bool Running() const;

    // Takes the UI thread's messages: once, or until `done` holds (checked
    // after each round) or the platform clock passed `milliseconds`.
    void Pump();
    bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds);

    // The desktop.
    std::vector<DesktopItem> Desktop() const;
    HWND DesktopWindow() const;
    // The list control of the desktop's view.
    HWND DesktopList() const;
    // Drops a "Shell IDList Array" of items on the desktop: one shortcut per
    // item, named after it; the effect answered (DROPEFFECT_LINK or none).
    DWORD DropOnDesktop(IDataObject* data);

    // The tray.
    std::vector<TrayIcon> Tray() const;
    // The screen point at the centre of the index-th tray icon: the icons sit
    // in a row at the screen's bottom right, one every kTrayIconPitch pixels,
    // the newest rightmost.
    static constexpr int kTrayIconPitch = 20;
    POINT TrayIconPoint(size_t index) const;
    // Clicks the icon whose tip is `tip` (left: WM_LBUTTONDOWN and UP; right:
    // WM_RBUTTONDOWN and UP, posted to its window), with the cursor put on
    // the icon first. False when none has it.
    bool ClickTray(const std::string& tip, bool right);

    // Creates the class on this thread and releases it (SHLoadInProc).
    HRESULT LoadInProc(REFCLSID clsid);
    // Classes created and modules unloaded since the start, as text ("{CLSID}").
    std::vector<std::string> Loaded() const;
    std::vector<std::string> Unloaded() const;
    // Notifications the shell received, in order.
    std::vector<vpr::com::ChangeNotification> Notifications() const;

    // Opens a browser on an absolute list: with the tree pane (explore) or not.
    Browser* Open(const vpr::com::IdListBytes& list, bool explore, std::string* error);
    std::vector<Browser*> Browsers() const;
    // The list of a path of display names from the desktop joined by "\"
    // ("Test Folder\Beta"), or of a Windows path; nullopt when not found.
    std::optional<vpr::com::IdListBytes> ParsePath(const std::string& path, std::string* error);

    // What a person does with an item that a browser without a view lists
    // (Browser::ListedItems), through the item's folder (GetUIObjectOf):
    // opens it by its menu's default command (a folder of the name space
    // opens as that command says), shows its context menu (IContextMenu,
    // chosen through the UI driver's pop-up menu hook), shows its property
    // sheet (the pages of its IShellPropSheetExt, modal, captioned
    // PropertiesCaption). False with the reason.
    bool OpenListed(Browser* browser, const vpr::com::IdListBytes& item, std::string* error);
    void ShowListedMenu(Browser* browser, const vpr::com::IdListBytes& item);
    bool ShowListedProperties(Browser* browser, const vpr::com::IdListBytes& item, std::string* error);

    // The text of a command of the item's context menu now shown, as its
    // menu gives it (GetCommandString): owner-drawn entries show none.
    std::string MenuCommandText(UINT command);
    // The caption of the property sheet the shell shows for an item of the
    // desktop or of a browser's view, by its display name.
    std::string PropertiesCaption(const std::string& name) const;

    // A test switch: GetViewStateStream fails.
    void SetViewStateStreamFails(bool fails);

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace vpr::shellhost
