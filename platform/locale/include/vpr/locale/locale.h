// The locale library: multibyte-safe string functions that step through text
// one whole character at a time in the machine's ANSI code page (65001 UTF-8,
// 1252 Latin-1 or 932 double-byte), so that no routine splits a character.
//
// A character's value (the `ch` of KMLstrrchr) is its bytes read as one
// big-endian number: 'A' is 0x41, the 932 character 0x95 0x5C is 0x955C.
#pragma once

#include "windows.h"

extern "C" {

// The character after the one at `text`; `text` itself at the terminating NUL.
LPSTR WINAPI KMNextChar(LPCSTR text);
// The first character of `text` whose value is `ch`, or NULL.
LPSTR WINAPI KMLstrchr(LPCSTR text, UINT ch);
// The last character of `text` whose value is `ch`, or NULL.
LPSTR WINAPI KMLstrrchr(LPCSTR text, UINT ch);
// The first place in `text`, on a character boundary, where `find` occurs;
// `text` itself for an empty `find`; NULL when there is none.
LPSTR WINAPI KMLstrstr(LPCSTR text, LPCSTR find);
// Upper-cases the single-byte characters of `text` in place (the code page's
// case mapping; multibyte characters stay as they are); returns `text`.
LPSTR WINAPI KMLstrupr(LPSTR text);
// Compares two texts without regard to case (the code page's case mapping of
// single-byte characters; double-byte characters compare exactly).
// Returns <0, 0 or >0.
int WINAPI KMLstricmp(LPCSTR first, LPCSTR second);

}  // extern "C"

namespace vpr::locale {

constexpr UINT kCodePageUtf8 = 65001;
constexpr UINT kCodePageLatin1 = 1252;
constexpr UINT kCodePageJapanese = 932;

// The ANSI code page of the machine the process runs on, which every
// function above steps by; UTF-8 when the process runs on no machine.
UINT CurrentCodePage();

}  // namespace vpr::locale
