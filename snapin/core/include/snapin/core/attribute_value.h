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

    DWORD GetLength() const { return m_length; }
    const BYTE* GetData() const { return m_data; }
    BYTE* GetData() { return m_data; }

private:
    void Assign(DWORD length, const void* data);

    DWORD m_length = 0;
    BYTE* m_data = nullptr;  // null when the length is 0
};
