// The tray window and the shortcut manager on the scripted workstation (see
// script_fixture.h): the module object holds the cache and the library
// binding as in the shell, the shell's tray is a recording shell of this
// process, and the desktop is the user's desktop directory of the machine.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "script_fixture.h"
#include "vpr/com/shell_services.h"

class CTrayWnd;

// The shell's side of Shell_NotifyIconA: the icons shown (by identifier)
// and every call in order. Adding an identifier shown already, or changing
// or deleting one not shown, fails as in the shell.
class RecordingShell : public vpr::com::ShellServices {
public:
    struct Call {
        DWORD message;
        UINT id;
        UINT flags;
        std::string tip;
    };
    BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) override;
    BOOL OpenIdList(SHELLEXECUTEINFOA*) override { return FALSE; }
    HRESULT LoadInProc(REFCLSID) override { return E_NOTIMPL; }
    void Notify(const vpr::com::ChangeNotification&) override {}
    HRESULT DesktopFolder(IShellFolder**) override { return E_FAIL; }

    std::vector<Call> TakeCalls();
    // Tip of each shown icon, by identifier.
    std::map<UINT, std::string> Icons();
    // The callback message and window of a shown icon.
    UINT CallbackOf(UINT id);

private:
    std::mutex lock_;
    std::vector<Call> calls_;
    std::map<UINT, NOTIFYICONDATAA> icons_;
};

class TrayTest : public ScriptedCacheTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the cache on the script and waits for its first rebuild.
    void Start();
    // A rebuild asked for as a view's refresh, and waited for.
    void Rebuild();
    // Makes the tray window on this thread and hands it to the module.
    CTrayWnd* MakeTray();
    // Handles what is queued for this thread now.
    static void Pump();

    // The desktop's shortcuts as "file -> key" (plus " own" when it carries
    // the manager's marker), read by the shell's own shortcut reader;
    // "file -> -" for a file that is no shortcut into the name space.
    std::vector<std::string> Shortcuts();
    // A shortcut the user made to the item of `key` (no description).
    void UserShortcut(const std::string& key, const std::string& file);
    // The values recorded for the tree subkey.
    std::vector<std::string> Records(const std::string& tree);

    RecordingShell shell;
    std::string desktop;
};
