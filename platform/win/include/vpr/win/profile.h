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

// The same on win.ini.
DWORD WINAPI GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize);
BOOL WINAPI WriteProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString);
UINT WINAPI GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault);
}
