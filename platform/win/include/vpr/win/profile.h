// Private profile (ini) files and win.ini.
//
// The functions work on real text files under the Windows rules: sections and
// keys match without regard to case, the first match wins, blanks around names
// and values are trimmed, one pair of quotes around a value is removed, a
// line without '=' is passed over on reading and kept on rewriting, and new
// lines end in CR LF. A file name without any folder (no '\', '/' or ':')
// names a file in the machine's Windows folder. Every read holds a shared lock
// on the file and every change an exclusive one around its read-modify-write,
// so processes writing different keys at once lose nothing.
//
// Lines end in CR LF, LF or a CR alone; lines a write adds end in CR LF. The
// section calls list a section's lines ("name=value",
// blanks trimmed, quotes kept; a line without '=' as it stands; comments left
// out) or the section names as NUL-separated strings ending in a second NUL.
// A list that does not fit the buffer keeps the whole entries that do, ends
// in two NULs, and the call returns nSize - 2; a NULL buffer or a size of 0
// gets nothing and 0 (ERROR_INVALID_PARAMETER), as does a NULL section.
// WritePrivateProfileSectionA gives a section exactly the lines of the list
// (made at the end of the file when missing; later sections of the same name
// removed), and with a NULL list removes the section.
// WritePrivateProfileStringA with a NULL section (the request to flush)
// answers FALSE with ERROR_FILE_NOT_FOUND for a missing or empty file and
// makes none.
//
// GetPrivateProfileIntA reads an optional sign and decimal digits, or "0x"
// and hexadecimal digits; it stops at the first other character, and a value
// without digits reads as 0. A negative value comes back as its two's
// complement.
#pragma once

#include "vpr/win/types.h"

extern "C" {
DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName);
UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName);
BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName);

// The same on win.ini.
DWORD WINAPI GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize);
BOOL WINAPI WriteProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString);
UINT WINAPI GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault);
}
