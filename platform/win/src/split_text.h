// Splitting a list such as "C:\A;C:\B" or "\StringFileInfo\040904E4\Name"
// into its parts; empty parts are dropped.
#pragma once

#include <string>
#include <vector>

namespace vpr::win {

inline std::vector<std::string> SplitNonEmpty(const char* text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = text; *p; ++p) {
        if (*p == separator) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace vpr::win
