// The registry: one SQLite file per machine, shared by every process of it.
//
// The file is registry.db at the root of the machine the process runs on.
// Hives: HKEY_LOCAL_MACHINE and HKEY_USERS are stored; HKEY_CURRENT_USER is
// HKEY_USERS\<the machine's user name> (HKEY_USERS\.DEFAULT when there is no
// machine user) and HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\SOFTWARE\Classes;
// both are made when first used. Key and value names keep their case and
// match without regard to it; enumeration by index runs in case-insensitive
// name order, so it is the same on every run. Every call is one transaction.
//
// Handles of opened keys live in the process's handle table; the predefined
// HKEY values are the usual constants. RegDeleteKeyA deletes a key without
// subkeys only (ERROR_ACCESS_DENIED otherwise, as on NT). RegQueryValueA of a
// key without a default value gives an empty string.
//
// The store's own failures have codes of their own: ERROR_BADDB for a file
// that is damaged or not ours (it is never written over), ERROR_DISK_FULL,
// ERROR_LOCK_VIOLATION when another process holds the file longer than the
// stores' one busy timeout. A registry file that is read-only (the file or
// its folder) is opened for reading: queries work and changes fail with
// ERROR_ACCESS_DENIED.
#pragma once

#include <string>
#include <string_view>

#include "vpr/win/error.h"
#include "vpr/win/types.h"

struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef DWORD ACCESS_MASK;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_RESOURCE_LIST 8
#define REG_FULL_RESOURCE_DESCRIPTOR 9
#define REG_RESOURCE_REQUIREMENTS_LIST 10

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_READ ((STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE)
#define KEY_WRITE ((STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE)
#define KEY_EXECUTE (KEY_READ & ~SYNCHRONIZE)
#define KEY_ALL_ACCESS                                                                                  \
    ((STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | \
      KEY_NOTIFY | KEY_CREATE_LINK) &                                                                   \
     ~SYNCHRONIZE)

extern "C" {
LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                            REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition);
LONG WINAPI RegCloseKey(HKEY hKey);
LONG WINAPI RegFlushKey(HKEY hKey);

LONG WINAPI RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData);
LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData);
LONG WINAPI RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD cbData);
LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                           DWORD cbData);
LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);
LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                          LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                          LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                             LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                             LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                             LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime);
}

namespace vpr::win {

// Points this process's registry at another file (tests and tools); an empty
// path goes back to the machine's. Keys opened before keep their own file.
void SetRegistryFile(const std::string& hostPath);
// Host path of the registry file in use; empty when there is none.
std::string RegistryFile();

// Test hook: denies the given access rights on one key to every process of
// the machine (0 lifts the denial). An open or create asking for a denied
// right fails with ERROR_ACCESS_DENIED; RegOpenKeyA and RegCreateKeyA get what
// is left; a denied KEY_CREATE_SUB_KEY stops subkeys being made under it, and
// a denied DELETE stops the key being deleted. The key must exist.
LONG SetRegistryKeyDeniedAccess(HKEY root, const char* subKey, REGSAM denied);

// REGEDIT4 text. Export writes the key (a full name such as
// "HKEY_CURRENT_USER\Software", or "" for the whole registry) with every
// subkey and value, CR LF line ends; strings are written as "text" only when
// they read back to the very same bytes (an empty one as ""), DWORDs as
// dword:, everything else as hex: or hex(type):, lines of more than 80
// columns going on in the next after ",\" and two blanks. Import reads such
// text as regedit does (src/regedit_parser.h tells the rules: "[-key]"
// deletions, "name"=- value deletions, comments, continued lines, Windows'
// limits on names and depth) and applies it in one transaction: a text with
// an error changes nothing and `error` tells the line and what is wrong.
LONG ExportRegistryText(const char* key, std::string* text);
LONG ImportRegistryText(const std::string& text, std::string* error);
// Reads REGEDIT4 text without applying it: false, with the error that
// ImportRegistryText would give, when the text would be refused.
bool CheckRegistryText(std::string_view text, std::string* error);
// Exports to a host file, written whole or not at all: on failure `error`
// says why and the file is as it was.
LONG ExportRegistryFile(const char* key, const std::string& hostPath, std::string* error);

// Words for a registry call's failure: "the registry file PATH is locked by
// another process", "... is damaged", "... cannot grow: the disk is full",
// else "error N".
std::string RegistryErrorText(LONG error);

}  // namespace vpr::win
