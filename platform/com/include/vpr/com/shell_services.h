// What the shell's calls need from the shell itself. The shell program
// (platform/shellhost) installs its services in its own process; elsewhere
// the calls that must reach the shell go through the machine-wide channel
// (vpr/com/shell_channel.h) and the rest fail as they would with no shell.
#pragma once

#include "shellapi.h"
#include "vpr/com/change_notify.h"

namespace vpr::com {

class ShellServices {
public:
    virtual ~ShellServices() = default;
    // Shell_NotifyIconA.
    virtual BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) = 0;
    // ShellExecuteExA with SEE_MASK_IDLIST.
    virtual BOOL OpenIdList(SHELLEXECUTEINFOA* info) = 0;
    // SHLoadInProc, in the shell's process.
    virtual HRESULT LoadInProc(REFCLSID clsid) = 0;
    // SHChangeNotify: only queues (called on any thread).
    virtual void Notify(const ChangeNotification& notification) = 0;
    // SHGetDesktopFolder.
    virtual HRESULT DesktopFolder(IShellFolder** folder) = 0;
};

// The services of this process; null when the shell does not run here.
void SetShellServices(ShellServices* services);
ShellServices* CurrentShellServices();

}  // namespace vpr::com
