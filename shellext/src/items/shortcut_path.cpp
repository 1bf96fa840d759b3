#include "items/shortcut_path.h"

#include <cstring>

#include "vpr/locale/locale.h"

namespace {

// Numbered names tried before giving up ("name (2).lnk" to this one).
constexpr int kLastNumber = 999;

}  // namespace

CString CleanFileName(LPCSTR displayName) {
    CString name;
    if (!displayName) return name;
    for (LPCSTR at = displayName; *at;) {
        LPCSTR next = KMNextChar(at);
        if (next == at) break;
        const unsigned char c = static_cast<unsigned char>(*at);
        // A lead byte with its trail byte is one character, whatever the
        // trail byte's value.
        if (next - at == 1 && (c < 0x20 || std::strchr("\\/:*?\"<>|", c))) {
            name += '_';
        } else {
            name += CString(at, static_cast<int>(next - at));
        }
        at = next;
    }
    if (name.IsEmpty() || name == "." || name == "..") return CString();
    return name;
}

BOOL FindShortcutPath(LPCSTR folder, LPCSTR displayName, const std::function<BOOL(LPCSTR path)>& isSameShortcut,
                      CString& path, BOOL& exists) {
    path.Empty();
    exists = FALSE;
    const CString name = CleanFileName(displayName);
    if (name.IsEmpty() || !folder) return FALSE;
    for (int number = 1; number <= kLastNumber; ++number) {
        CString candidate;
        if (number == 1) {
            candidate.Format("%s\\%s.lnk", folder, static_cast<LPCSTR>(name));
        } else {
            candidate.Format("%s\\%s (%d).lnk", folder, static_cast<LPCSTR>(name), number);
        }
        if (GetFileAttributesA(candidate) == INVALID_FILE_ATTRIBUTES) {
            path = candidate;
            return TRUE;
        }
        if (isSameShortcut(candidate)) {
            path = candidate;
            exists = TRUE;
            return TRUE;
        }
    }
    return FALSE;
}
