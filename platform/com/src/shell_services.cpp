// The shell's calls that need the shell: answered by the shell's services in
// its own process, through the machine-wide channel elsewhere.
#include <atomic>
#include <cstdio>

#include "shellapi.h"
#include "vpr/com/guid.h"
#include "vpr/com/shell_channel.h"
#include "vpr/com/shell_services.h"

namespace vpr::com {

namespace {

std::atomic<ShellServices*> g_services{nullptr};

}  // namespace

void SetShellServices(ShellServices* services) { g_services = services; }

ShellServices* CurrentShellServices() { return g_services; }

// Hands a recorded notification on: to the shell of this process, else to
// the machine's running shell; with none running it is only recorded.
void DeliverChangeNotification(const ChangeNotification& notification) {
    if (ShellServices* services = g_services) {
        services->Notify(notification);
        return;
    }
    std::string answer;
    SendShellRequest(NotificationRequest(notification), &answer);
}

}  // namespace vpr::com

using namespace vpr::com;

BOOL WINAPI Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    ShellServices* services = g_services;
    if (!services || !data) return FALSE;
    return services->NotifyIcon(message, *data);
}

BOOL WINAPI ShellExecuteExA(LPSHELLEXECUTEINFOA info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (info->fMask & SEE_MASK_IDLIST) {
        ShellServices* services = g_services;
        if (!services) {
            info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(SE_ERR_NOASSOC));
            SetLastError(ERROR_NO_ASSOCIATION);
            return FALSE;
        }
        return services->OpenIdList(info);
    }
    HINSTANCE result = ShellExecuteA(info->hwnd, info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory,
                                     info->nShow);
    info->hInstApp = result;
    return reinterpret_cast<intptr_t>(result) > 32;
}

STDAPI SHLoadInProc(REFCLSID clsid) {
    if (ShellServices* services = g_services) return services->LoadInProc(clsid);
    std::string answer;
    if (!SendShellRequest("load " + GuidText(clsid), &answer)) return E_FAIL;
    unsigned long value = 0;
    if (std::sscanf(answer.c_str(), "0x%lx", &value) != 1) return E_FAIL;
    return static_cast<HRESULT>(value);
}

STDAPI SHGetDesktopFolder(LPSHELLFOLDER* folder) {
    if (!folder) return E_INVALIDARG;
    *folder = nullptr;
    ShellServices* services = g_services;
    if (!services) return E_FAIL;
    return services->DesktopFolder(folder);
}
