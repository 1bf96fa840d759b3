// Text helpers of the engine. Every step through a text goes one whole
// character at a time in the machine's code page (the locale library), so
// that no cut or search splits a double-byte character.
#pragma once

#include <string>
#include <vector>

namespace snapshot {

// Locale upper case.
std::string UpperCase(std::string text);
// The longest start of `text` that holds whole characters and at most
// `maxBytes` bytes.
std::string CutAtCharacter(const std::string& text, size_t maxBytes);
// The characters of a text, each as its bytes.
std::vector<std::string> Characters(const std::string& text);

// Position of the last backslash (or dot) character, npos when none.
size_t LastBackslash(const std::string& text);
// The extension from the last dot behind the last backslash, dot included;
// "" when there is none.
std::string FileExtension(const std::string& path);
// True when the extension, in upper case, is `upperExtension` (".INI").
bool HasExtension(const std::string& path, const char* upperExtension);
// The text without one trailing backslash.
std::string WithoutTrailingBackslash(const std::string& path);

}  // namespace snapshot
