// Comparison of the names that the ini files and the registry look up without
// regard to case. Case is folded for ASCII letters only: bytes above 0x7F are
// compared as they stand, so no lead or trail byte of a multibyte character
// is ever changed.
#pragma once

#include <string_view>

namespace vpr::win {

inline char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

}  // namespace vpr::win
