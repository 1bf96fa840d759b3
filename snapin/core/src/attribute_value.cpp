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

CAttributeValue::~CAttributeValue() { delete[] m_data; }

void CAttributeValue::SetString(LPCSTR text) {
    if (!text) text = "";
    Assign(static_cast<DWORD>(std::strlen(text)) + 1, text);
}

void CAttributeValue::Assign(DWORD length, const void* data) {
    BYTE* bytes = length ? new BYTE[length] : nullptr;
    if (length) std::memcpy(bytes, data, length);
    delete[] m_data;
    m_data = bytes;
    m_length = length;
}
