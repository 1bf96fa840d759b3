// Conversion between the machine's code pages and UTF-16. UTF-8 and 1252 are
// converted here; 932 goes through the host's iconv tables one character at a
// time, the characters found by the same stepping every other routine uses.
#include <iconv.h>

#include <cstring>
#include <optional>

#include "vpr/locale/locale.h"
#include "vpr/machine/code_page.h"
#include "vpr/win/error.h"

namespace vpr::locale {

namespace {

// 1252's characters 0x80..0x9F; the five undefined ones map to themselves.
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kReplacement932 = 0x30FB;

std::optional<UINT> ResolveCodePage(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_OEMCP) return CurrentCodePage();
    if (codePage == kCodePageUtf8 || codePage == kCodePageLatin1 || codePage == kCodePageJapanese) return codePage;
    return std::nullopt;
}

void AppendUtf16(char32_t c, std::u16string* out) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out->push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out->push_back(static_cast<char16_t>(c));
    }
}

// One iconv conversion of a short piece; nullopt when it does not convert.
std::optional<std::string> Iconv(const char* to, const char* from, const char* data, size_t size) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char buffer[16];
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    char* out = buffer;
    size_t outLeft = sizeof(buffer);
    size_t r = iconv(cd, &in, &inLeft, &out, &outLeft);
    if (r != static_cast<size_t>(-1)) r = iconv(cd, nullptr, nullptr, &out, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || inLeft != 0 || r != 0) return std::nullopt;
    return std::string(buffer, out);
}

// Decodes bytes; false on an invalid sequence when `strict`.
bool Decode(std::string_view text, UINT cp, bool strict, std::u16string* out) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out->push_back(c);
            ++i;
            continue;
        }
        if (cp == kCodePageLatin1) {
            out->push_back(c < 0xA0 ? k1252High[c - 0x80] : c);
            ++i;
            continue;
        }
        if (cp == kCodePageUtf8) {
            int extra = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 ? (c < 0xF0 ? 2 : -1) : c >= 0xC2 ? 1 : -1;
            char32_t value = extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
            bool ok = extra > 0;
            for (int k = 1; ok && k <= extra; ++k) {
                if (i + k >= text.size()) { ok = false; break; }
                unsigned char t = static_cast<unsigned char>(text[i + k]);
                if ((t & 0xC0) != 0x80) { ok = false; break; }
                value = (value << 6) | (t & 0x3F);
            }
            // Overlong forms, surrogates and values past U+10FFFF are no characters.
            if (ok && ((extra == 2 && value < 0x800) || (extra == 3 && (value < 0x10000 || value > 0x10FFFF)) ||
                       (value >= 0xD800 && value <= 0xDFFF))) {
                ok = false;
            }
            if (!ok) {
                if (strict) return false;
                out->push_back(kReplacement);
                ++i;
                continue;
            }
            AppendUtf16(value, out);
            i += extra + 1;
            continue;
        }
        // 932: one whole character as the stepping sees it.
        std::string piece(text.substr(i, 2));
        size_t length = vpr::machine::CharLength(reinterpret_cast<const unsigned char*>(piece.c_str()), cp);
        if (length == 0) length = 1;
        auto wide = Iconv("UTF-16LE", "CP932", text.data() + i, length);
        if (!wide || wide->size() < 2) {
            if (strict) return false;
            out->push_back(kReplacement932);
        } else {
            for (size_t k = 0; k + 1 < wide->size(); k += 2) {
                out->push_back(static_cast<char16_t>(static_cast<unsigned char>((*wide)[k]) |
                                                     static_cast<unsigned char>((*wide)[k + 1]) << 8));
            }
        }
        i += length;
    }
    return true;
}

// Encodes UTF-16; characters the code page lacks become `defaultChar`.
std::string Encode(std::u16string_view wide, UINT cp, const std::string& defaultChar, bool* usedDefault) {
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        if (pair) c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (cp == kCodePageUtf8) {
            if (c >= 0xD800 && c <= 0xDFFF) c = kReplacement;  // an unpaired surrogate
            if (c < 0x800) {
                out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            } else if (c < 0x10000) {
                out.push_back(static_cast<char>(0xE0 | (c >> 12)));
                out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            } else {
                out.push_back(static_cast<char>(0xF0 | (c >> 18)));
                out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            }
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            if (pair) ++i;
            continue;
        }
        std::optional<std::string> bytes;
        if (cp == kCodePageLatin1) {
            if (c >= 0xA0 && c <= 0xFF) bytes = std::string(1, static_cast<char>(c));
            for (int k = 0; k < 32 && !bytes; ++k) {
                if (k1252High[k] == c) bytes = std::string(1, static_cast<char>(0x80 + k));
            }
        } else if (!pair) {
            char units[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
            bytes = Iconv("CP932", "UTF-16LE", units, 2);
        }
        if (pair) ++i;
        if (!bytes) {
            out += defaultChar;
            if (usedDefault) *usedDefault = true;
        } else {
            out += *bytes;
        }
    }
    return out;
}

}  // namespace

std::u16string ToWide(std::string_view text, UINT codePage) {
    std::u16string out;
    Decode(text, ResolveCodePage(codePage).value_or(kCodePageUtf8), false, &out);
    return out;
}

std::string FromWide(std::u16string_view wide, UINT codePage, bool* usedDefault) {
    if (usedDefault) *usedDefault = false;
    return Encode(wide, ResolveCodePage(codePage).value_or(kCodePageUtf8), "?", usedDefault);
}

}  // namespace vpr::locale

using namespace vpr::locale;

extern "C" {

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int wideLength) {
    auto cp = ResolveCodePage(codePage);
    if (!cp || !text || length < -1 || length == 0 || wideLength < 0 || (wideLength > 0 && !wide)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t size = length == -1 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    std::u16string out;
    if (!Decode(std::string_view(text, size), *cp, (flags & MB_ERR_INVALID_CHARS) != 0, &out)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (wideLength == 0) return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(wideLength)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(wide, out.data(), out.size() * sizeof(WCHAR));
    return static_cast<int>(out.size());
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideLength, LPSTR text, int length,
                               LPCSTR defaultChar, LPBOOL usedDefault) {
    auto cp = ResolveCodePage(codePage);
    if (!cp || !wide || wideLength < -1 || wideLength == 0 || length < 0 || (length > 0 && !text) ||
        (*cp == kCodePageUtf8 && (defaultChar || usedDefault))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t size = 0;
    if (wideLength == -1) {
        while (wide[size]) ++size;
        ++size;
    } else {
        size = static_cast<size_t>(wideLength);
    }
    bool used = false;
    std::string out = Encode(std::u16string_view(wide, size), *cp, defaultChar ? std::string(defaultChar, 1) : "?", &used);
    if (usedDefault) *usedDefault = used ? TRUE : FALSE;
    if (length == 0) return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(length)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(text, out.data(), out.size());
    return static_cast<int>(out.size());
}

}  // extern "C"
