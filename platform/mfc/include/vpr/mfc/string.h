// CString: the class library's text, bytes in the machine's ANSI code page.
//
// Positions and lengths count bytes, as in every caller written for the
// code page. Every search and case operation steps whole characters through
// the locale library, so a double-byte character whose trail byte looks like
// '\' or a letter is never taken for one; Left, Mid and Right never return
// part of a character (a cut that would split one leaves it out).
#pragma once

#include <cstdarg>
#include <string>

#include "windows.h"

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(LPCSTR text) : text_(text ? text : "") {}
    CString(LPCSTR text, int length) : text_(text ? std::string(text, length > 0 ? length : 0) : std::string()) {}
    CString(char ch, int repeat = 1) : text_(repeat > 0 ? repeat : 0, ch) {}
    ~CString() = default;

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCSTR text);
    CString& operator=(char ch);

    CString& operator+=(const CString& text);
    CString& operator+=(LPCSTR text);
    CString& operator+=(char ch);

    int GetLength() const { return static_cast<int>(text_.size()); }
    BOOL IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    char GetAt(int index) const { return text_.at(index); }
    void SetAt(int index, char ch) { text_.at(index) = ch; }
    char operator[](int index) const { return GetAt(index); }
    operator LPCSTR() const { return text_.c_str(); }

    // Byte order comparison (<0, 0, >0) and the locale library's
    // comparison without regard to case.
    int Compare(LPCSTR text) const;
    int CompareNoCase(LPCSTR text) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    void MakeUpper();

    // Byte position of the first (or, for ReverseFind, the last) character
    // or text found at or after `start`; -1 when there is none.
    int Find(char ch) const { return Find(ch, 0); }
    int Find(char ch, int start) const;
    int Find(LPCSTR sub) const { return Find(sub, 0); }
    int Find(LPCSTR sub, int start) const;
    int ReverseFind(char ch) const;

    void Format(LPCSTR format, ...);
    void FormatV(LPCSTR format, va_list args);
    // Loads string `id` through the class library's current resource handle;
    // FALSE (and the text emptied) when the string does not exist.
    BOOL LoadString(UINT id);
    BOOL LoadStringFrom(HINSTANCE instance, UINT id);

    // A writable buffer of at least `minLength` bytes plus the terminator;
    // ReleaseBuffer ends the text at `newLength`, or at the first NUL when -1.
    LPSTR GetBuffer(int minLength = 0);
    LPSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

private:
    // Byte range [first, last) shrunk to whole characters.
    CString WholeCharacters(size_t first, size_t last) const;
    std::string text_;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCSTR b);
bool operator==(LPCSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCSTR b);
bool operator!=(LPCSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator>(const CString& a, const CString& b);
