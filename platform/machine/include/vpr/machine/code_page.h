// Character stepping and case folding in the code pages a machine speaks:
// 65001 (UTF-8; ASCII case mapping), 1252 (single byte; Latin-1 case
// mapping) and 932 (double byte; its trail bytes include '\'). The locale
// library and the path resolver both step text through these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vpr::machine {

// Number of bytes of the character at `text`: 0 at the terminating NUL, never
// past it, and 1 for a byte that starts no valid sequence.
size_t CharLength(const unsigned char* text, unsigned codePage);
// The length of the character at `at` of a text that need not end in a NUL,
// never past the text's end; a NUL inside the text is a character of one byte.
size_t CharLengthAt(std::string_view text, size_t at, unsigned codePage);

// True when `byte` starts a character of more than one byte in the code
// page: the double-byte lead bytes of 932 (0x81-0x9F, 0xE0-0xFC) and the lead
// bytes of UTF-8's multibyte sequences (0xC2-0xF4); never in 1252.
bool IsLeadByte(unsigned char byte, unsigned codePage);

// Lower case of a single-byte character in the code page.
unsigned char FoldCase(unsigned char c, unsigned codePage);

// The one comparison of names without regard to case (file names, ini
// sections and keys, sorted lists, lstrcmpi): single-byte characters compare
// by their lower case, a multibyte character by its bytes, so it only equals
// itself. Negative, zero or positive as `a` sorts before, with or after `b`;
// a text that is the start of the other sorts first.
int CompareNoCase(std::string_view a, std::string_view b, unsigned codePage);
inline bool SameNoCase(std::string_view a, std::string_view b, unsigned codePage) {
    return CompareNoCase(a, b, codePage) == 0;
}
// The text with every single-byte character in lower case: two names are the
// same by SameNoCase exactly when their folded texts are equal, so a folded
// text serves as a key of a map.
std::string FoldNoCase(std::string_view text, unsigned codePage);
// A hash of the folded text, made without making it: texts that are the
// same by SameNoCase hash alike. `seed` chains texts into one hash.
uint64_t HashNoCase(std::string_view text, unsigned codePage, uint64_t seed = 14695981039346656037ull);

}  // namespace vpr::machine
