#include "text.h"

#include "snapshot/engine/mb_strings.h"
#include "vpr/locale/locale.h"

namespace snapshot {

std::string UpperCase(std::string text) { return MBUpperCase(std::move(text)); }

std::string CutAtCharacter(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    const char* start = text.c_str();
    const char* end = start;
    while (*end != '\0') {
        const char* next = KMNextChar(end);
        if (static_cast<size_t>(next - start) > maxBytes) break;
        end = next;
    }
    return std::string(start, end);
}

std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> characters;
    for (const char* at = text.c_str(); *at != '\0';) {
        const char* next = KMNextChar(at);
        characters.emplace_back(at, next);
        at = next;
    }
    return characters;
}

size_t LastBackslash(const std::string& text) {
    const char* found = KMLstrrchr(text.c_str(), '\\');
    return found ? static_cast<size_t>(found - text.c_str()) : std::string::npos;
}

std::string FileExtension(const std::string& path) { return MBExtractFileExt(path); }

bool HasExtension(const std::string& path, const char* upperExtension) {
    return UpperCase(FileExtension(path)) == upperExtension;
}

std::string WithoutTrailingBackslash(const std::string& path) {
    size_t slash = LastBackslash(path);
    if (slash != std::string::npos && slash + 1 == path.size()) return path.substr(0, slash);
    return path;
}

}  // namespace snapshot
