// Character stepping and case folding in the code pages a machine speaks:
// 65001 (UTF-8; ASCII case mapping), 1252 (single byte; Latin-1 case
// mapping) and 932 (double byte; its trail bytes include '\'). The locale
// library and the path resolver both step text through these.
#pragma once

#include <cstddef>

namespace vpr::machine {

// Number of bytes of the character at `text`: 0 at the terminating NUL, never
// past it, and 1 for a byte that starts no valid sequence.
size_t CharLength(const unsigned char* text, unsigned codePage);

// Lower case of a single-byte character in the code page.
unsigned char FoldCase(unsigned char c, unsigned codePage);

}  // namespace vpr::machine
