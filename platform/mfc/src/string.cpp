#include "vpr/mfc/string.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "vpr/locale/locale.h"
#include "vpr/mfc/win_app.h"

namespace {

// Byte offsets of every character start in `text`, and its end.
std::vector<size_t> CharacterStarts(const std::string& text) {
    std::vector<size_t> starts;
    const char* begin = text.c_str();
    for (const char* p = begin; *p; p = KMNextChar(p)) starts.push_back(static_cast<size_t>(p - begin));
    starts.push_back(text.size());
    return starts;
}

// The first character start at or after `offset` (the end when none).
size_t StartAtOrAfter(const std::vector<size_t>& starts, size_t offset) {
    for (size_t s : starts)
        if (s >= offset) return s;
    return starts.back();
}

// The last character start at or before `offset`.
size_t StartAtOrBefore(const std::vector<size_t>& starts, size_t offset) {
    size_t found = 0;
    for (size_t s : starts) {
        if (s > offset) break;
        found = s;
    }
    return found;
}

size_t Clamp(int value, size_t limit) {
    if (value < 0) return 0;
    return static_cast<size_t>(value) > limit ? limit : static_cast<size_t>(value);
}

}  // namespace

CString& CString::operator=(LPCSTR text) {
    text_ = text ? text : "";
    return *this;
}

CString& CString::operator=(char ch) {
    text_.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& text) {
    text_ += text.text_;
    return *this;
}

CString& CString::operator+=(LPCSTR text) {
    if (text) text_ += text;
    return *this;
}

CString& CString::operator+=(char ch) {
    text_ += ch;
    return *this;
}

int CString::Compare(LPCSTR text) const { return std::strcmp(text_.c_str(), text ? text : ""); }

int CString::CompareNoCase(LPCSTR text) const { return KMLstricmp(text_.c_str(), text ? text : ""); }

CString CString::WholeCharacters(size_t first, size_t last) const {
    std::vector<size_t> starts = CharacterStarts(text_);
    first = StartAtOrAfter(starts, first);
    last = StartAtOrBefore(starts, last);
    if (last <= first) return CString();
    return CString(text_.c_str() + first, static_cast<int>(last - first));
}

CString CString::Mid(int first) const { return WholeCharacters(Clamp(first, text_.size()), text_.size()); }

CString CString::Mid(int first, int count) const {
    size_t from = Clamp(first, text_.size());
    return WholeCharacters(from, from + Clamp(count, text_.size() - from));
}

CString CString::Left(int count) const { return WholeCharacters(0, Clamp(count, text_.size())); }

CString CString::Right(int count) const {
    return WholeCharacters(text_.size() - Clamp(count, text_.size()), text_.size());
}

void CString::MakeUpper() { KMLstrupr(text_.data()); }

int CString::Find(char ch, int start) const {
    if (start < 0 || static_cast<size_t>(start) > text_.size()) return -1;
    // Step from the beginning so that `start` inside a character is no
    // character boundary.
    size_t from = StartAtOrAfter(CharacterStarts(text_), static_cast<size_t>(start));
    LPCSTR found = KMLstrchr(text_.c_str() + from, static_cast<unsigned char>(ch));
    return found ? static_cast<int>(found - text_.c_str()) : -1;
}

int CString::Find(LPCSTR sub, int start) const {
    if (!sub || start < 0 || static_cast<size_t>(start) > text_.size()) return -1;
    size_t from = StartAtOrAfter(CharacterStarts(text_), static_cast<size_t>(start));
    LPCSTR found = KMLstrstr(text_.c_str() + from, sub);
    return found ? static_cast<int>(found - text_.c_str()) : -1;
}

int CString::ReverseFind(char ch) const {
    LPCSTR found = KMLstrrchr(text_.c_str(), static_cast<unsigned char>(ch));
    return found ? static_cast<int>(found - text_.c_str()) : -1;
}

void CString::Format(LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(LPCSTR format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        text_.clear();
        return;
    }
    std::string result(static_cast<size_t>(length), '\0');
    std::vsnprintf(result.data(), result.size() + 1, format, args);
    text_ = std::move(result);
}

BOOL CString::LoadString(UINT id) { return LoadStringFrom(AfxGetResourceHandle(), id); }

BOOL CString::LoadStringFrom(HINSTANCE instance, UINT id) {
    // A string may be longer than any first guess: grow until it fits.
    std::vector<char> buffer(256);
    for (;;) {
        int length = LoadStringA(instance, id, buffer.data(), static_cast<int>(buffer.size()));
        if (length <= 0) {
            text_.clear();
            return FALSE;
        }
        if (static_cast<size_t>(length) < buffer.size() - 1) {
            text_.assign(buffer.data(), static_cast<size_t>(length));
            return TRUE;
        }
        buffer.resize(buffer.size() * 2);
    }
}

LPSTR CString::GetBuffer(int minLength) {
    if (minLength > 0 && static_cast<size_t>(minLength) > text_.size()) text_.resize(static_cast<size_t>(minLength));
    return text_.data();
}

LPSTR CString::GetBufferSetLength(int length) {
    text_.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text_.data();
}

void CString::ReleaseBuffer(int newLength) {
    size_t length = newLength < 0 ? std::strlen(text_.c_str()) : static_cast<size_t>(newLength);
    if (length < text_.size()) text_.resize(length);
}

CString operator+(const CString& a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}
CString operator+(const CString& a, LPCSTR b) {
    CString result(a);
    result += b;
    return result;
}
CString operator+(LPCSTR a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}
CString operator+(const CString& a, char b) {
    CString result(a);
    result += b;
    return result;
}
CString operator+(char a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
bool operator!=(LPCSTR a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
