// The locale library's time formatting: strftime's conversions, with the
// format and the result stepped one whole character at a time in the
// machine's code page so that no character is split.
#include <cstring>
#include <ctime>
#include <string>

#include "vpr/locale/locale.h"

namespace {

// The characters that may stand between '%' and the conversion letter in
// the C library's strftime: flags, a field width and the E / O modifiers.
bool IsSpecifierPrefix(char c) {
    return (c != '\0' && std::strchr("_-0^#+EO", c) != nullptr) || (c >= '0' && c <= '9');
}

// One conversion, "%" up to and including its letter, as the
// C library formats it.
std::string Convert(const std::string& conversion, const std::tm* time) {
    char text[512];
    size_t length = std::strftime(text, sizeof text, conversion.c_str(), time);
    return std::string(text, length);
}

}  // namespace

extern "C" size_t WINAPI LocFormat(LPSTR buffer, size_t size, LPCSTR format, const struct tm* time) {
    if (buffer == nullptr || size == 0) return 0;
    buffer[0] = '\0';
    if (format == nullptr || time == nullptr) return 0;

    std::string result;
    for (const char* at = format; *at != '\0';) {
        const char* next = KMNextChar(at);
        if (*at != '%' || at[1] == '\0') {
            result.append(at, next);
            at = next;
            continue;
        }
        const char* end = at + 1;
        while (IsSpecifierPrefix(*end)) ++end;
        if (*end == '\0') {  // a conversion cut by the end stays as written
            result.append(at, end);
            break;
        }
        end = KMNextChar(end);
        result += Convert(std::string(at, end), time);
        at = end;
    }

    // Only whole characters go into the buffer; a text that does not fit is
    // cut before the first character that would overflow it.
    KMstrncpy(buffer, result.c_str(), size);
    return result.size() < size ? result.size() : 0;
}
