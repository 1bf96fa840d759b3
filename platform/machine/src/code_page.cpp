#include "vpr/machine/code_page.h"

namespace vpr::machine {

namespace {
bool IsJapaneseLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
}  // namespace

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

}  // namespace vpr::machine
