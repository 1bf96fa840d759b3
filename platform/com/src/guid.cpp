#include "vpr/com/guid.h"

#include <cstdio>

#include "vpr/locale/locale.h"

namespace vpr::com {

std::string GuidText(REFGUID g) {
    char text[40];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::optional<GUID> ParseGuid(std::string_view text) {
    // Positions of the 32 hex digits in "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-') {
        return std::nullopt;
    }
    uint8_t digits[32];
    size_t n = 0;
    for (size_t i = 1; i < 37; ++i) {
        if (text[i] == '-') continue;
        char c = text[i];
        int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (v < 0) return std::nullopt;
        digits[n++] = static_cast<uint8_t>(v);
    }
    auto hex = [&](size_t from, size_t count) {
        uint32_t value = 0;
        for (size_t i = 0; i < count; ++i) value = value << 4 | digits[from + i];
        return value;
    };
    GUID g{};
    g.Data1 = hex(0, 8);
    g.Data2 = static_cast<WORD>(hex(8, 4));
    g.Data3 = static_cast<WORD>(hex(12, 4));
    for (size_t i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(hex(16 + 2 * i, 2));
    return g;
}

void GuidToBytes(REFGUID g, uint8_t bytes[16]) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(g.Data1 >> (8 * i));
    bytes[4] = static_cast<uint8_t>(g.Data2);
    bytes[5] = static_cast<uint8_t>(g.Data2 >> 8);
    bytes[6] = static_cast<uint8_t>(g.Data3);
    bytes[7] = static_cast<uint8_t>(g.Data3 >> 8);
    for (int i = 0; i < 8; ++i) bytes[8 + i] = g.Data4[i];
}

GUID GuidFromBytes(const uint8_t bytes[16]) {
    GUID g{};
    for (int i = 0; i < 4; ++i) g.Data1 |= static_cast<DWORD>(bytes[i]) << (8 * i);
    g.Data2 = static_cast<WORD>(bytes[4] | bytes[5] << 8);
    g.Data3 = static_cast<WORD>(bytes[6] | bytes[7] << 8);
    for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
    return g;
}

}  // namespace vpr::com

STDAPI_(int) StringFromGUID2(REFGUID guid, LPOLESTR text, int size) {
    std::string narrow = vpr::com::GuidText(guid);
    if (!text || size < static_cast<int>(narrow.size()) + 1) return 0;
    for (size_t i = 0; i < narrow.size(); ++i) text[i] = static_cast<OLECHAR>(narrow[i]);
    text[narrow.size()] = 0;
    return static_cast<int>(narrow.size()) + 1;
}

STDAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
    if (!text || !clsid) return E_INVALIDARG;
    auto guid = vpr::com::ParseGuid(vpr::locale::FromWide(text));
    if (!guid) return CO_E_CLASSSTRING;
    *clsid = *guid;
    return S_OK;
}
