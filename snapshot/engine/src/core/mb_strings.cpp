// The multibyte-safe string routines.
#include "snapshot/engine/mb_strings.h"

#include <atomic>

#include "vpr/locale/locale.h"
#include "windows.h"

namespace snapshot {

namespace {

std::atomic<bool> g_leadBytes{true};

// Byte offset of the first byte of character `index` (1-based), or the
// text's size when it has fewer characters.
size_t OffsetOfCharacter(const std::string& text, size_t index) {
    const char* start = text.c_str();
    const char* at = start;
    for (size_t n = 1; n < index && *at != '\0'; ++n) at = KMNextChar(at);
    return static_cast<size_t>(at - start);
}

}  // namespace

void MBStringsInit() {
    bool any = false;
    for (int byte = 0; byte <= 255 && !any; ++byte) any = IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
    g_leadBytes = any;
}

bool MBHasLeadBytes() { return g_leadBytes; }

void MBCheckBoundary(const std::string& text, size_t index) {
    if (!g_leadBytes || index <= 1) return;
    const size_t offset = index - 1;
    const char* start = text.c_str();
    const char* at = start;
    while (static_cast<size_t>(at - start) < offset && *at != '\0') {
        const char* next = KMNextChar(at);
        if (static_cast<size_t>(next - start) > offset) throw EMBIndex();
        at = next;
    }
}

void MBCheckRange(const std::string& text, size_t from, size_t count) {
    MBCheckBoundary(text, from);
    MBCheckBoundary(text, from + count);
}

size_t MBPos(const std::string& sub, const std::string& text) {
    if (sub.empty()) return 0;
    const char* found = KMLstrstr(text.c_str(), sub.c_str());
    return found ? static_cast<size_t>(found - text.c_str()) + 1 : 0;
}

std::string MBCopy(const std::string& text, size_t from, size_t count) {
    MBCheckRange(text, from, count);
    if (from == 0) from = 1;
    if (from > text.size()) return "";
    return text.substr(from - 1, count);
}

void MBDelete(std::string& text, size_t from, size_t count) {
    MBCheckRange(text, from, count);
    if (from == 0 || from > text.size()) return;
    text.erase(from - 1, count);
}

std::string MBCopyChars(const std::string& text, size_t index, size_t n) {
    if (index == 0) index = 1;
    size_t begin = OffsetOfCharacter(text, index);
    size_t end = begin + OffsetOfCharacter(text.substr(begin), n + 1);
    return text.substr(begin, end - begin);
}

size_t MBLength(const std::string& text) {
    size_t count = 0;
    for (const char* at = text.c_str(); *at != '\0'; at = KMNextChar(at)) ++count;
    return count;
}

std::string MBLastChar(const std::string& text) {
    if (text.empty()) return "";
    const char* end = text.c_str() + text.size();
    const char* last = KMPrevChar(text.c_str(), end);
    return std::string(last, end);
}

std::string MBUpperCase(std::string text) {
    if (!text.empty()) KMLstrupr(text.data());
    return text;
}

std::string MBExtractFileDir(const std::string& path) {
    const char* slash = KMLstrrchr(path.c_str(), '\\');
    return slash ? std::string(path.c_str(), slash) : std::string();
}

std::string MBExtractFileName(const std::string& path) {
    const char* slash = KMLstrrchr(path.c_str(), '\\');
    return slash ? std::string(slash + 1) : path;
}

std::string MBExtractFileExt(const std::string& path) {
    const char* slash = KMLstrrchr(path.c_str(), '\\');
    const char* name = slash ? slash + 1 : path.c_str();
    const char* dot = KMLstrrchr(name, '.');
    return dot ? std::string(dot) : std::string();
}

}  // namespace snapshot
