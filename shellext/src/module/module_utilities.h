// Free functions the extension shares with its loader program: file
// versions, special folders, the language and module file searches,
// string-array searches, tree names, restarting Windows and registry
// clean-up. They need neither the module object nor the launcher library,
// so the loader compiles this file on its own.
#pragma once

#include "afxwin.h"

// The file version of `path`: major, minor, build, revision in 16-bit steps
// from the top; 0 when the file has no version resource or it cannot be read.
ULONGLONG GetFileVersion(LPCSTR path);
// The path of a shell special folder (CSIDL_*); FALSE and an empty `path`
// when the shell does not know it.
BOOL GetSpecialFolderPath(int folder, CString& path);
// Ends a connection's tree name (32 characters padded with underscores)
// after its last character that is not an underscore.
void TrimTreeName(LPSTR tree);
// Looks for `file` under `base`\NLS\<language> for each language of
// KMLANGUAGE (comma-separated; "English" when unset); `path` the first hit.
BOOL FindLanguageFile(LPCSTR file, LPCSTR base, CString& path);
// Looks for `file` beside this module, in its language folders and its
// parent's, on the search path, then in each subfolder of its folder.
BOOL FindModuleFile(LPCSTR file, CString& path);
// String arrays, compared case-sensitively character by character.
int FindStringInArray(const CStringArray& array, LPCSTR text, int start);
int CountStringInArray(const CStringArray& array, LPCSTR text);
int FindSubstringInArray(const CStringArray& array, LPCSTR text);
BOOL SameStringArrays(const CStringArray& a, const CStringArray& b);
// Asks Windows to restart, with the shutdown privilege where it can be had.
void RestartWindows();
// Deletes every value of `root`\`subkey` (its subkeys stay); stops at the
// first value that cannot be deleted.
void DeleteRegistryValues(HKEY root, LPCSTR subkey);
