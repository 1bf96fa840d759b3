#include "snapin/core/attribute_value.h"

#include <cstring>

CAttributeValue::CAttributeValue(LPCSTR text) {
    Assign(text ? static_cast<DWORD>(std::strlen(text)) : 0, text);
}

CAttributeValue::CAttributeValue(DWORD value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                           static_cast<BYTE>(value >> 24)};
    Assign(4, bytes);
}

CAttributeValue::CAttributeValue(DWORD length, const void* data) { Assign(data ? length : 0, data); }

CAttributeValue::~CAttributeValue() {
    if (m_data != m_inline) delete[] m_data;
}

void CAttributeValue::SetString(LPCSTR text) {
    if (!text) text = "";
    Assign(static_cast<DWORD>(std::strlen(text)) + 1, text);
}

void CAttributeValue::Assign(DWORD length, const void* data) {
    // The bytes are copied before the old array goes: they may lie in it.
    BYTE* bytes = nullptr;
    if (length > kInlineBytes) {
        bytes = new BYTE[length];
        std::memcpy(bytes, data, length);
    } else if (length) {
        std::memmove(m_inline, data, length);
        bytes = m_inline;
    }
    if (m_data != m_inline) delete[] m_data;
    m_data = bytes;
    m_length = length;
}
