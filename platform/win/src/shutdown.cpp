// Shutdown requests and the privilege calls that precede them: recorded in
// the machine's journal, never carried out.
#include <strings.h>

#include <string>

#include "vpr/machine/machine.h"
#include "vpr/win/error.h"
#include "vpr/win/process.h"
#include "vpr/win/waitable.h"

namespace vpr::win {
namespace {

// An access token of the process; privileges are only recorded.
class TokenObject : public KernelObject {};

struct Privilege {
    const char* name;
    DWORD luid;
};

// The privileges the system asks for, with the identifiers Windows uses.
constexpr Privilege kPrivileges[] = {
    {"SeShutdownPrivilege", 19},
    {"SeRemoteShutdownPrivilege", 24},
};

const char* PrivilegeName(const LUID& luid) {
    for (const auto& privilege : kPrivileges) {
        if (luid.HighPart == 0 && luid.LowPart == privilege.luid) return privilege.name;
    }
    return nullptr;
}

std::string ExitWindowsText(UINT flags) {
    std::string text = (flags & EWX_POWEROFF) ? "poweroff"
                       : (flags & EWX_REBOOT) ? "reboot"
                       : (flags & EWX_SHUTDOWN) ? "shutdown"
                                                : "logoff";
    if (flags & EWX_FORCE) text += " force";
    return text;
}

}  // namespace
}  // namespace vpr::win

using namespace vpr::win;

extern "C" BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD) {
    vpr::machine::Record("exit-windows", ExitWindowsText(uFlags));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

extern "C" BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD, PHANDLE TokenHandle) {
    bool known = ProcessHandle == GetCurrentProcess() ||
                 HandleTable::Instance().GetAs<Waitable>(ValueFromHandle(ProcessHandle)) != nullptr;
    if (!known || TokenHandle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *TokenHandle = HandleFromValue(HandleTable::Instance().Add(std::make_shared<TokenObject>()));
    return TRUE;
}

extern "C" BOOL WINAPI LookupPrivilegeValueA(LPCSTR, LPCSTR lpName, PLUID lpLuid) {
    for (const auto& privilege : kPrivileges) {
        if (lpName != nullptr && ::strcasecmp(lpName, privilege.name) == 0) {
            lpLuid->LowPart = privilege.luid;
            lpLuid->HighPart = 0;
            return TRUE;
        }
    }
    SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return FALSE;
}

extern "C" BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                             PTOKEN_PRIVILEGES NewState, DWORD,
                                             PTOKEN_PRIVILEGES, PDWORD ReturnLength) {
    if (!HandleTable::Instance().GetAs<TokenObject>(ValueFromHandle(TokenHandle))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (ReturnLength) *ReturnLength = 0;
    if (DisableAllPrivileges) {
        vpr::machine::Record("privilege", "all disabled");
    } else if (NewState != nullptr) {
        for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& entry = *(NewState->Privileges + i);
            const char* name = PrivilegeName(entry.Luid);
            if (!name) {
                SetLastError(ERROR_NO_SUCH_PRIVILEGE);
                return FALSE;
            }
            bool enable = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
            vpr::machine::Record("privilege", std::string(name) + (enable ? " enabled" : " disabled"));
        }
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
