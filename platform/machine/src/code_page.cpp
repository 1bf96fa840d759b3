#include "vpr/machine/code_page.h"

#include <algorithm>
#include <cstring>

namespace vpr::machine {

namespace {

bool IsJapaneseLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Below 0x80 a byte is a character of its own in every code page, and only
// 'A' to 'Z' have another case: the common path of the loops below.
unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c; }

}  // namespace

size_t CharLengthAt(std::string_view text, size_t at, unsigned codePage) {
    unsigned char bytes[5] = {};
    std::memcpy(bytes, text.data() + at, std::min<size_t>(4, text.size() - at));
    size_t n = CharLength(bytes, codePage);
    return n == 0 ? 1 : n;
}

bool IsLeadByte(unsigned char byte, unsigned codePage) {
    if (codePage == 932) return IsJapaneseLeadByte(byte);
    return codePage == 65001 && byte >= 0xC2 && byte <= 0xF4;
}

size_t CharLength(const unsigned char* text, unsigned codePage) {
    unsigned char lead = text[0];
    if (lead == 0) return 0;
    if (codePage == 932) return IsJapaneseLeadByte(lead) && text[1] != 0 ? 2 : 1;
    if (codePage != 65001) return 1;
    size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                                                   : 1;
    for (size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 1;
    }
    return length;
}

unsigned char FoldCase(unsigned char c, unsigned codePage) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (codePage == 1252) {
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
        if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 0x10);
        if (c == 0x9F) return 0xFF;
    }
    return c;
}

int CompareNoCase(std::string_view a, std::string_view b, unsigned codePage) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        auto p = static_cast<unsigned char>(a[i]), q = static_cast<unsigned char>(b[j]);
        if (p < 0x80 && q < 0x80) {
            if (int difference = FoldAscii(p) - FoldAscii(q); difference != 0) return difference;
            ++i;
            ++j;
            continue;
        }
        size_t n = CharLengthAt(a, i, codePage);
        size_t m = CharLengthAt(b, j, codePage);
        auto x = reinterpret_cast<const unsigned char*>(a.data() + i);
        auto y = reinterpret_cast<const unsigned char*>(b.data() + j);
        if (n == 1 && m == 1) {
            int difference = FoldCase(*x, codePage) - FoldCase(*y, codePage);
            if (difference != 0) return difference;
        } else {
            // A multibyte character against anything: the bytes as they stand,
            // the shorter character first when one starts the other.
            int difference = std::memcmp(x, y, std::min(n, m));
            if (difference != 0) return difference;
            if (n != m) return n < m ? -1 : 1;
        }
        i += n;
        j += m;
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

std::string FoldNoCase(std::string_view text, unsigned codePage) {
    std::string folded(text);
    for (size_t i = 0; i < folded.size();) {
        size_t n = CharLengthAt(folded, i, codePage);
        if (n == 1) folded[i] = static_cast<char>(FoldCase(static_cast<unsigned char>(folded[i]), codePage));
        i += n;
    }
    return folded;
}

uint64_t HashNoCase(std::string_view text, unsigned codePage, uint64_t seed) {
    // FNV-1a over the bytes FoldNoCase would give.
    constexpr uint64_t kPrime = 1099511628211ull;
    uint64_t hash = seed;
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            hash = (hash ^ FoldAscii(c)) * kPrime;
            ++i;
            continue;
        }
        size_t n = CharLengthAt(text, i, codePage);
        if (n == 1) c = FoldCase(c, codePage);
        for (size_t k = 0; k < n; ++k, ++i) {
            hash = (hash ^ (k == 0 ? c : static_cast<unsigned char>(text[i]))) * kPrime;
        }
    }
    return hash;
}

}  // namespace vpr::machine
