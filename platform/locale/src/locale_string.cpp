// The string functions of the locale library.
#include <cstddef>

#include "vpr/locale/locale.h"

using vpr::locale::CurrentCodePage;

namespace {

bool IsJapaneseLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Number of bytes of the character at `text` in the given code page: never
// past the terminating NUL, and 1 for a byte that starts no valid sequence.
size_t CharLength(const unsigned char* text, UINT codePage) {
    unsigned char lead = text[0];
    if (lead == 0) return 0;
    if (codePage == vpr::locale::kCodePageJapanese) {
        return IsJapaneseLeadByte(lead) && text[1] != 0 ? 2 : 1;
    }
    if (codePage != vpr::locale::kCodePageUtf8) return 1;
    size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                                                   : 1;
    for (size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 1;
    }
    return length;
}

UINT CharValue(const unsigned char* text, size_t length) {
    UINT value = 0;
    for (size_t i = 0; i < length; ++i) value = (value << 8) | text[i];
    return value;
}

// Lower case of a single-byte character in the given code page.
unsigned char FoldCase(unsigned char c, UINT codePage) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (codePage == vpr::locale::kCodePageLatin1) {
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
        if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 0x10);
        if (c == 0x9F) return 0xFF;
    }
    return c;
}

}  // namespace

extern "C" LPSTR WINAPI KMNextChar(LPCSTR text) {
    auto bytes = reinterpret_cast<const unsigned char*>(text);
    return const_cast<LPSTR>(text + CharLength(bytes, CurrentCodePage()));
}

extern "C" LPSTR WINAPI KMLstrrchr(LPCSTR text, UINT ch) {
    UINT codePage = CurrentCodePage();
    const char* found = nullptr;
    auto bytes = reinterpret_cast<const unsigned char*>(text);
    while (*bytes != 0) {
        size_t length = CharLength(bytes, codePage);
        if (CharValue(bytes, length) == ch) found = reinterpret_cast<const char*>(bytes);
        bytes += length;
    }
    return const_cast<LPSTR>(found);
}

extern "C" int WINAPI KMLstricmp(LPCSTR first, LPCSTR second) {
    UINT codePage = CurrentCodePage();
    auto a = reinterpret_cast<const unsigned char*>(first);
    auto b = reinterpret_cast<const unsigned char*>(second);
    for (;;) {
        size_t lengthA = CharLength(a, codePage);
        size_t lengthB = CharLength(b, codePage);
        if (lengthA == 1 && lengthB == 1) {
            int difference = FoldCase(*a, codePage) - FoldCase(*b, codePage);
            if (difference != 0) return difference;
        } else {
            // A multibyte character against anything: compare the bytes as they
            // stand, up to the end of the shorter character.
            size_t common = lengthA < lengthB ? lengthA : lengthB;
            for (size_t i = 0; i < common; ++i) {
                if (a[i] != b[i]) return a[i] - b[i];
            }
            if (lengthA != lengthB) {
                // Same leading bytes: the shorter character (or the text's end)
                // sorts first.
                return lengthA < lengthB ? (a[lengthA] - b[lengthA]) : (a[lengthB] - b[lengthB]);
            }
        }
        if (lengthA == 0) return 0;  // both ended together
        a += lengthA;
        b += lengthB;
    }
}
