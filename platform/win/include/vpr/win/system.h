// System facts: versions, metrics, the Windows and system folders, computer
// and user names, environment. Every answer comes from the machine the
// process runs on (a Windows 95 machine's defaults when there is none).
#pragma once

#include "vpr/win/types.h"

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXSMICON 49
#define SM_CYSMICON 50
#define SM_CLEANBOOT 67
#define SM_CXMENUCHECK 71
#define SM_CYMENUCHECK 72

#define MAX_COMPUTERNAME_LENGTH 15

extern "C" {
// Windows 95: 0xC0000000 | minor << 8 | major; NT: build << 16 | minor << 8 | major.
DWORD WINAPI GetVersion(void);
// dwOSVersionInfoSize must be sizeof(OSVERSIONINFOA).
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
// SM_CLEANBOOT is 1 when the machine started in safe mode; an unknown index is 0.
int WINAPI GetSystemMetrics(int nIndex);
// Buffer rules as Windows: the length without the terminator, or the size
// needed with it when the buffer is too small.
UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
// *nSize in: the buffer's size; out: the name's length (ERROR_BUFFER_OVERFLOW
// and the size needed when too small).
BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);
// *pcbBuffer out: the name's size with its terminator (also when too small,
// with ERROR_INSUFFICIENT_BUFFER).
BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer);
// The process environment as it stands; a name matches without regard to
// case when no exact match exists.
DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);
// TRUE when the byte starts a character of more than one byte in the
// machine's code page (IsDBCSLeadByteEx: in `CodePage`, CP_ACP 0 and CP_OEMCP 1 the
// machine's): the double-byte lead bytes of 932 and, unlike Windows, the lead
// bytes of UTF-8's multibyte sequences, so that a program that steps its
// texts only when some lead byte exists steps UTF-8 too. Never in 1252; an
// unknown code page gives FALSE with ERROR_INVALID_PARAMETER.
BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
}
