// CAttributeValue: the counted byte buffer in which list rows keep one
// attribute value (registry data, counted template fields). It owns its bytes.
#pragma once

#include "afxwin.h"

class CAttributeValue : public CObject {
public:
    // The text's bytes without a terminator.
    explicit CAttributeValue(LPCSTR text);
    // The number's 4 bytes, little-endian.
    explicit CAttributeValue(DWORD value);
    // A copy of `length` bytes (none when `data` is null).
    CAttributeValue(DWORD length, const void* data);
    ~CAttributeValue() override;

    // Replaces the bytes by the text and its terminating zero byte; the
    // length counts the terminator.
    void SetString(LPCSTR text);
    // Replaces the bytes by a copy of `length` bytes, which may be its own.
    void Assign(DWORD length, const void* data);

    DWORD GetLength() const { return m_length; }
    const BYTE* GetData() const { return m_data; }
    BYTE* GetData() { return m_data; }

private:
    // Most values (numbers, names, short texts) fit here: a list of many
    // rows then costs no allocation per value.
    static constexpr DWORD kInlineBytes = 16;

    DWORD m_length = 0;
    BYTE* m_data = nullptr;  // null when the length is 0; m_inline or an array
    BYTE m_inline[kInlineBytes];
};
