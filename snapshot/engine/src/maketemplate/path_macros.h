// Machine-specific directories turned into macros, so that a template
// applies on other workstations.
#pragma once

#include <string>

namespace snapshot {

// Replaces the first of the well-known directories (settings record) that
// begins the text, followed by its end or a backslash, by its macro; tried
// in this order: desktop, common desktop, Start Menu, common Start Menu,
// 16-bit system, system and Windows directory, then the install directory
// when one was given. Compared in locale upper case; at most one
// replacement; an empty text or directory never matches. The result may be
// longer than the text.
std::string PathToMacro(const std::string& text);

}  // namespace snapshot
