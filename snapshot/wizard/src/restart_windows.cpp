#include "restart_windows.h"

#include "windows.h"

namespace snapshot {

namespace {

// Windows 95 has no tokens; the restart is asked for all the same.
void EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
}

}  // namespace

bool RestartWindows() {
    EnableShutdownPrivilege();
    return ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0) != FALSE;
}

}  // namespace snapshot
