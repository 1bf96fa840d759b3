// File handles: the 16-bit style _l* calls that the template library and the
// system's file helpers use. Every handle lives in the one handle table.
#pragma once

#include "vpr/win/types.h"

// _lopen modes and sharing flags.
#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define OF_SHARE_COMPAT 0x0000
#define OF_SHARE_EXCLUSIVE 0x0010
#define OF_SHARE_DENY_WRITE 0x0020
#define OF_SHARE_DENY_READ 0x0030
#define OF_SHARE_DENY_NONE 0x0040

// _lcreat attributes.
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080

// Seek origins shared by _llseek and SetFilePointer.
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

extern "C" {
HFILE WINAPI _lcreat(LPCSTR lpPathName, int iAttribute);
HFILE WINAPI _lopen(LPCSTR lpPathName, int iReadWrite);
UINT WINAPI _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes);
UINT WINAPI _lwrite(HFILE hFile, LPCSTR lpBuffer, UINT uBytes);
LONG WINAPI _llseek(HFILE hFile, LONG lOffset, int iOrigin);
HFILE WINAPI _lclose(HFILE hFile);

// Paths (see vpr/win/path.h for how names are read). Buffer rules as
// Windows: the length without the terminator on success, the size needed
// with it when the buffer is too small, 0 on failure.
DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart);
DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName);
}
