// Processes, the command line, program starts, restart and shutdown requests.
// Programs of the machine really start; every start, shutdown request and
// privilege change is recorded in the machine's journal, and no request ever
// shuts down or restarts the host.
#pragma once

#include <string>
#include <vector>

#include "vpr/win/thread.h"
#include "vpr/win/types.h"

#define CREATE_NEW_CONSOLE 0x00000010u
#define NORMAL_PRIORITY_CLASS 0x00000020u
#define CREATE_NO_WINDOW 0x08000000u
// STARTUPINFOA.dwFlags: wShowWindow holds how the program's first window shows.
#define STARTF_USESHOWWINDOW 0x00000001u

#ifndef SW_HIDE
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWDEFAULT 10
#endif

// ShellExecuteA results at or below 32 are errors.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

#define EWX_LOGOFF 0x00000000u
#define EWX_SHUTDOWN 0x00000001u
#define EWX_REBOOT 0x00000002u
#define EWX_FORCE 0x00000004u
#define EWX_POWEROFF 0x00000008u

#define TOKEN_ADJUST_PRIVILEGES 0x0020u
#define TOKEN_QUERY 0x0008u
#define SE_PRIVILEGE_ENABLED 0x00000002u
#define SE_SHUTDOWN_NAME "SeShutdownPrivilege"

typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

typedef struct _LUID {
    DWORD LowPart;
    LONG HighPart;
} LUID, *PLUID;

typedef struct _LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
} LUID_AND_ATTRIBUTES;

typedef struct _TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
} TOKEN_PRIVILEGES, *PTOKEN_PRIVILEGES;

typedef HANDLE* PHANDLE;
typedef DWORD* PDWORD;

extern "C" {
// The program's Windows path, then its arguments, quoted as Windows quotes.
LPSTR WINAPI GetCommandLineA(void);
DWORD WINAPI GetCurrentProcessId(void);
// The pseudo handle of the calling process (not in the handle table).
HANDLE WINAPI GetCurrentProcess(void);

// Starts a host executable or script named by a Windows path. A program
// named on the command line without a folder is looked for as Windows does
// (the caller's folder, the current folder, the system folder, on NT also
// SYSTEM, the Windows folder, then the folders of a Windows-style PATH), with
// ".EXE" added to a name without extension; lpApplicationName is taken as
// given. The process handle is signalled when the program ends; the thread
// handle with it.
BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation);
BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow);
// "open" (or no verb) on a program starts it. A document is opened by the
// program registered for its type and the verb (HKEY_CLASSES_ROOT\.ext names
// the class, whose shell\<verb>\command is the command line; no verb: the
// class's default verb, else "open"), started for real; SE_ERR_NOASSOC when
// there is none. Opening a folder is only recorded. Results above 32 mean
// success.
HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile,
                               LPCSTR lpParameters, LPCSTR lpDirectory, INT nShowCmd);

// Recorded in the machine's journal, never carried out.
BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason);
BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle);
BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid);
BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                  PTOKEN_PRIVILEGES NewState, DWORD BufferLength,
                                  PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength);
}

namespace vpr::win {

// Windows command line rules: one argument quoted when it must be, and a
// command line split into arguments (as the C run-time of a program does).
std::string QuoteArgument(const std::string& argument);
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Waits until every program this process started (CreateProcessA, WinExec,
// ShellExecuteA) has ended; false when one still runs after the time (on the
// platform clock).
bool WaitForStartedPrograms(DWORD milliseconds);

}  // namespace vpr::win
