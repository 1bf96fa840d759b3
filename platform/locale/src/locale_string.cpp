// The string functions of the locale library.
#include <cstddef>

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
