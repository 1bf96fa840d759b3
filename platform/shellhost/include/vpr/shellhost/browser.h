// A browser window of the shell: ExploreWClass (with its tree pane) or
// CabinetWClass, hosting the view of one folder as its IShellBrowser.
#pragma once

#include <string>
#include <vector>

#include "shlobj.h"
#include "vpr/com/id_list.h"

namespace vpr::shellhost {

class ShellHost;

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
};

}  // namespace vpr::shellhost
