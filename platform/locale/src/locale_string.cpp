// The string functions of the locale library.
#include <cstddef>
#include <cstring>
#include <string>

#include "vpr/locale/locale.h"
#include "vpr/machine/code_page.h"

using vpr::locale::CurrentCodePage;
// Stepping and case folding are shared with the path resolver.
using vpr::machine::CharLength;
using vpr::machine::FoldCase;

namespace {

UINT CharValue(const unsigned char* text, size_t length) {
    UINT value = 0;
    for (size_t i = 0; i < length; ++i) value = (value << 8) | text[i];
    return value;
}

// Upper case of a single-byte character: ASCII, and in 1252 the Latin-1
// letters (the inverse of the lower-case folding).
unsigned char UpperCase(unsigned char c, UINT codePage) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (codePage == 1252) {
        if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
        if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 0x10);
        if (c == 0xFF) return 0x9F;
    }
    return c;
}

}  // namespace

extern "C" LPSTR WINAPI KMNextChar(LPCSTR text) {
    auto bytes = reinterpret_cast<const unsigned char*>(text);
    return const_cast<LPSTR>(text + CharLength(bytes, CurrentCodePage()));
}

extern "C" LPSTR WINAPI KMPrevChar(LPCSTR start, LPCSTR current) {
    UINT codePage = CurrentCodePage();
    const char* previous = start;
    for (const char* at = start; at < current && *at != '\0';) {
        previous = at;
        at += CharLength(reinterpret_cast<const unsigned char*>(at), codePage);
    }
    return const_cast<LPSTR>(previous);
}

extern "C" UINT WINAPI KMCharVal(LPCSTR text) {
    auto bytes = reinterpret_cast<const unsigned char*>(text);
    return CharValue(bytes, CharLength(bytes, CurrentCodePage()));
}

extern "C" LPSTR WINAPI KMstrncpy(LPSTR dest, LPCSTR source, size_t count) {
    if (count == 0) return dest;
    UINT codePage = CurrentCodePage();
    size_t used = 0;
    for (;;) {
        size_t length = CharLength(reinterpret_cast<const unsigned char*>(source + used), codePage);
        if (length == 0 || used + length > count - 1) break;
        used += length;
    }
    std::memmove(dest, source, used);
    dest[used] = '\0';
    return dest;
}

extern "C" LPCSTR WINAPI KMLsetlocale(int category, LPCSTR locale) {
    constexpr int kLastCategory = 5;  // LC_TIME
    thread_local std::string answer;
    if (category < 0 || category > kLastCategory) return nullptr;
    std::string current = "." + std::to_string(CurrentCodePage());
    if (locale != nullptr && *locale != '\0' && std::strcmp(locale, ".ACP") != 0 && current != locale) return nullptr;
    answer = current;
    return answer.c_str();
}

extern "C" LPSTR WINAPI KMLstrchr(LPCSTR text, UINT ch) {
    UINT codePage = CurrentCodePage();
    auto bytes = reinterpret_cast<const unsigned char*>(text);
    while (*bytes != 0) {
        size_t length = CharLength(bytes, codePage);
        if (CharValue(bytes, length) == ch) return const_cast<LPSTR>(reinterpret_cast<const char*>(bytes));
        bytes += length;
    }
    return nullptr;
}

extern "C" LPSTR WINAPI KMLstrstr(LPCSTR text, LPCSTR find) {
    UINT codePage = CurrentCodePage();
    size_t findLength = std::strlen(find);
    auto bytes = reinterpret_cast<const unsigned char*>(text);
    for (;;) {
        if (std::strncmp(reinterpret_cast<const char*>(bytes), find, findLength) == 0)
            return const_cast<LPSTR>(reinterpret_cast<const char*>(bytes));
        if (*bytes == 0) return nullptr;
        bytes += CharLength(bytes, codePage);
    }
}

extern "C" LPSTR WINAPI KMLstrupr(LPSTR text) {
    auto bytes = reinterpret_cast<unsigned char*>(text);
    // Bytes under 0x80 are characters of their own in every code page, so
    // the code page is looked up only past the first byte over 0x7F.
    for (; *bytes != 0 && *bytes < 0x80; ++bytes)
        if (*bytes >= 'a' && *bytes <= 'z') *bytes = static_cast<unsigned char>(*bytes - 0x20);
    if (*bytes == 0) return text;
    UINT codePage = CurrentCodePage();
    while (*bytes != 0) {
        size_t length = CharLength(bytes, codePage);
        if (length == 1) *bytes = UpperCase(*bytes, codePage);
        bytes += length;
    }
    return text;
}

extern "C" LPSTR WINAPI LocNextChar(LPCSTR text) { return KMNextChar(text); }

extern "C" LPSTR WINAPI LocUpperCase(LPSTR text) { return KMLstrupr(text); }

extern "C" LPSTR WINAPI KMLstrrchr(LPCSTR text, UINT ch) {
    const char* found = nullptr;
    auto bytes = reinterpret_cast<const unsigned char*>(text);
    // As in KMLstrupr: the code page matters only from the first byte over 0x7F.
    for (; *bytes != 0 && *bytes < 0x80; ++bytes)
        if (*bytes == ch) found = reinterpret_cast<const char*>(bytes);
    if (*bytes == 0) return const_cast<LPSTR>(found);
    UINT codePage = CurrentCodePage();
    while (*bytes != 0) {
        size_t length = CharLength(bytes, codePage);
        if (CharValue(bytes, length) == ch) found = reinterpret_cast<const char*>(bytes);
        bytes += length;
    }
    return const_cast<LPSTR>(found);
}

extern "C" int WINAPI LocFindChar(LPCSTR text, UINT ch) {
    LPCSTR found = KMLstrchr(text, ch);
    return found ? static_cast<int>(found - text) : -1;
}

extern "C" int WINAPI LocFindLastChar(LPCSTR text, UINT ch) {
    LPCSTR found = KMLstrrchr(text, ch);
    return found ? static_cast<int>(found - text) : -1;
}

extern "C" int WINAPI KMLstricmp(LPCSTR first, LPCSTR second) {
    // Up to the first byte over 0x7F every code page agrees: each byte is a
    // character and only 'A' to 'Z' fold. Sorting compares names this way
    // many times over, so the code page is looked up only past that point.
    auto a = reinterpret_cast<const unsigned char*>(first);
    auto b = reinterpret_cast<const unsigned char*>(second);
    size_t i = 0;
    for (;; ++i) {
        unsigned char p = a[i], q = b[i];
        if (p >= 0x80 || q >= 0x80) break;
        if (p == 0 || q == 0) return p ? 1 : q ? -1 : 0;
        if (p != q) {
            int difference = (p >= 'A' && p <= 'Z' ? p + 0x20 : p) - (q >= 'A' && q <= 'Z' ? q + 0x20 : q);
            if (difference != 0) return difference;
        }
    }
    return vpr::machine::CompareNoCase(first + i, second + i, CurrentCodePage());
}
