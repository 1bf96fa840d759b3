// The snapshot tool's string routines that never split a double-byte
// character: every step through a text goes one whole character at a time
// through the locale library. Texts are growable strings of any length.
// Positions and counts are 1-based byte positions unless a routine says
// characters.
#pragma once

#include <stdexcept>
#include <string>

namespace snapshot {

// Raised when a position does not fall on a character boundary.
class EMBIndex : public std::runtime_error {
public:
    EMBIndex() : std::runtime_error("String index is not on a character boundary.") {}
};

// Start-up step: notes whether the machine's code page has lead bytes at all.
// Without any, every byte is a character and the boundary checks pass at once.
void MBStringsInit();
bool MBHasLeadBytes();

// Raises EMBIndex when byte position `index` (1-based; length + 1 is the end)
// falls inside a character. A position past the end is no error.
void MBCheckBoundary(const std::string& text, size_t index);
// Both ends of the byte range [from, from + count).
void MBCheckRange(const std::string& text, size_t from, size_t count);

// Position of the first occurrence of `sub` in `text`, on a character
// boundary; 0 when absent or when `sub` is empty.
size_t MBPos(const std::string& sub, const std::string& text);
// `count` bytes from position `from` (cut at the end of the text), after
// checking both ends.
std::string MBCopy(const std::string& text, size_t from, size_t count);
void MBDelete(std::string& text, size_t from, size_t count);
// `n` characters from character `index` (1-based).
std::string MBCopyChars(const std::string& text, size_t index, size_t n);
// Number of characters.
size_t MBLength(const std::string& text);
// The last character; "" for an empty text.
std::string MBLastChar(const std::string& text);
// Locale upper case.
std::string MBUpperCase(std::string text);
// Text before the last backslash; "" when there is none.
std::string MBExtractFileDir(const std::string& path);
// Text after the last backslash; the whole text when there is none, "" when
// the path ends in a backslash.
std::string MBExtractFileName(const std::string& path);
// From the last "." behind the last backslash, dot included; "" when none.
std::string MBExtractFileExt(const std::string& path);

}  // namespace snapshot
