// The locale library: multibyte-safe string functions that step through text
// one whole character at a time in the machine's ANSI code page (65001 UTF-8,
// 1252 Latin-1 or 932 double-byte), so that no routine splits a character.
//
// A character's value (the `ch` of KMLstrrchr) is its bytes read as one
// big-endian number: 'A' is 0x41, the 932 character 0x95 0x5C is 0x955C.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "windows.h"

extern "C" {

// The character after the one at `text`; `text` itself at the terminating NUL.
LPSTR WINAPI KMNextChar(LPCSTR text);
// The character before the one at `current`, found by stepping from `start`
// (a position inside a character counts as that character's end); `start`
// itself when `current` is not past it.
LPSTR WINAPI KMPrevChar(LPCSTR start, LPCSTR current);
// The value of the character at `text` (see above); 0 at the terminating NUL.
UINT WINAPI KMCharVal(LPCSTR text);
// Copies the whole characters of `source` that fit into `count` - 1 bytes of
// `dest`, then a NUL, so a double-byte character is never cut; returns `dest`.
// A `count` of 0 writes nothing.
LPSTR WINAPI KMstrncpy(LPSTR dest, LPCSTR source, size_t count);
// Asks for a locale, as the C library's setlocale does. The code page is the
// machine's and cannot be changed: NULL, "" and ".ACP" name it, as does
// "." followed by its number; each of those answers ".N" (".932"), N being
// the machine's code page. Any other name, or a category outside 0 to 5
// (LC_ALL to LC_TIME), answers NULL. The text stays valid until the next call
// of the thread.
LPCSTR WINAPI KMLsetlocale(int category, LPCSTR locale);
// The first character of `text` whose value is `ch`, or NULL.
LPSTR WINAPI KMLstrchr(LPCSTR text, UINT ch);
// The last character of `text` whose value is `ch`, or NULL.
LPSTR WINAPI KMLstrrchr(LPCSTR text, UINT ch);
// The byte offsets of the first and of the last character of `text` whose
// value is `ch`; -1 when there is none.
int WINAPI LocFindChar(LPCSTR text, UINT ch);
int WINAPI LocFindLastChar(LPCSTR text, UINT ch);
// The first place in `text`, on a character boundary, where `find` occurs;
// `text` itself for an empty `find`; NULL when there is none.
LPSTR WINAPI KMLstrstr(LPCSTR text, LPCSTR find);
// Upper-cases the single-byte characters of `text` in place (the code page's
// case mapping; multibyte characters stay as they are); returns `text`.
LPSTR WINAPI KMLstrupr(LPSTR text);
// The names the shell extension and its loader use for the same two steps:
// LocNextChar is KMNextChar, LocUpperCase is KMLstrupr.
LPSTR WINAPI LocNextChar(LPCSTR text);
LPSTR WINAPI LocUpperCase(LPSTR text);
// Compares two texts without regard to case (the code page's case mapping of
// single-byte characters; double-byte characters compare exactly).
// Returns <0, 0 or >0.
int WINAPI KMLstricmp(LPCSTR first, LPCSTR second);
// Formats the broken-down time `time` by `format` into `buffer` of `size`
// bytes, as the C library's strftime does ("%x" the locale's date, "%X" its
// time, "%c" both, "%Y", "%d", "%H", "%%" and the others; flags, widths and
// the E and O modifiers as strftime takes them). Other characters of the
// format are copied whole. Returns the length of the text without its NUL;
// when the text does not fit, the buffer holds the whole characters of it
// that fit in `size` - 1 bytes and the answer is 0. Nothing is written for
// a NULL buffer or a `size` of 0; a NULL format or time gives "" and 0.
size_t WINAPI LocFormat(LPSTR buffer, size_t size, LPCSTR format, const struct tm* time);

// Conversion between the code pages and UTF-16, with the kernel's rules: a
// length of -1 takes the text to its NUL and counts the NUL; an output length
// of 0 asks for the size needed; a buffer too small gives 0 with
// ERROR_INSUFFICIENT_BUFFER. Code pages: CP_ACP (the machine's), CP_OEMCP
// (the same here), 65001, 1252 and 932; any other gives 0 with
// ERROR_INVALID_PARAMETER. A byte sequence that is no character becomes
// U+FFFD (U+30FB in 932), or fails with ERROR_NO_UNICODE_TRANSLATION under
// MB_ERR_INVALID_CHARS; a character the code page lacks becomes the default
// character ("?" unless given; none may be given for 65001).
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define ERROR_NO_UNICODE_TRANSLATION 1113L
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                               int wideLength);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR text,
                               int length, LPCSTR defaultChar, LPBOOL usedDefault);

}  // extern "C"

namespace vpr::locale {

constexpr UINT kCodePageUtf8 = 65001;
constexpr UINT kCodePageLatin1 = 1252;
constexpr UINT kCodePageJapanese = 932;

// The ANSI code page of the machine the process runs on, which every
// function above steps by; UTF-8 when the process runs on no machine.
UINT CurrentCodePage();

// The same conversions for whole texts (no NUL counted); CP_ACP is the
// machine's code page. Characters that do not convert are replaced as above.
std::u16string ToWide(std::string_view text, UINT codePage = CP_ACP);
std::string FromWide(std::u16string_view wide, UINT codePage = CP_ACP, bool* usedDefault = nullptr);

}  // namespace vpr::locale
