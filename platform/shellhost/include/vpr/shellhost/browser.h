// A browser window of the shell: ExploreWClass (with its tree pane) or
// CabinetWClass, hosting the view of one folder as its IShellBrowser.
#pragma once

#include <string>
#include <vector>

#include "shlobj.h"
#include "vpr/com/id_list.h"

namespace vpr::shellhost {

class ShellHost;

// An item of a folder that makes no view of its own, as the browser lists it.
struct ListedItem {
    std::string name;              // the folder's display name of it (in folder)
    vpr::com::IdListBytes list;    // its absolute list
};

// The browser's own commands.
constexpr UINT kCommandClose = 40993;
constexpr UINT kCommandToolbar = 41058;
constexpr UINT kCommandStatusBar = 41059;
constexpr UINT kCommandOptions = 41060;
constexpr UINT kCommandRefresh = 41061;

class Browser {
public:
    virtual ~Browser() = default;
    virtual HWND Window() const = 0;
    virtual bool Explore() const = 0;
    // The absolute list of the folder shown.
    virtual const vpr::com::IdListBytes& Location() const = 0;
    virtual IShellView* View() const = 0;
    virtual HWND ViewWindow() const = 0;
    virtual HWND StatusBar() const = 0;
    virtual HWND Toolbar() const = 0;
    virtual HWND Tree() const = 0;  // null without the tree pane
    virtual std::string StatusText() const = 0;
    // Goes to another folder as BrowseObject does; false with the reason.
    virtual bool Navigate(LPCITEMIDLIST list, UINT flags, std::string* error) = 0;
    // A folder whose CreateViewObject fails is shown without a view: the
    // browser lists it itself, as the tree pane lists folders (EnumObjects
    // and GetDisplayNameOf), asked again at every call.
    virtual bool Viewless() const = 0;
    virtual std::vector<ListedItem> ListedItems() = 0;
};

}  // namespace vpr::shellhost
