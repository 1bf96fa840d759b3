#include "snapin/pages/object_attributes.h"

#include <cstring>
#include <vector>

CObjectAttributes::CObjectAttributes(DIR_CONTEXT context, LPCSTR object, std::initializer_list<LPCSTR> names) {
    std::vector<LPCSTR> list(names);
    m_list = theAppLibrary.GetObjectAttributes(context, object, list.data(), static_cast<DWORD>(list.size()));
}

CObjectAttributes::~CObjectAttributes() { theAppLibrary.FreeGetObjectAttributes(m_list); }

const KmappValue* CObjectAttributes::First(LPCSTR name) const {
    for (const KmappAttribute* node = m_list; node; node = node->next)
        if (node->name && std::strcmp(node->name, name) == 0) return node->values;
    return nullptr;
}

std::string CObjectAttributes::Text(LPCSTR name, DWORD size) const {
    const KmappValue* value = First(name);
    if (!value || !value->data) return "";
    if (value->syntax != DIR_SYNTAX_OCTET_STRING) return static_cast<const char*>(value->data);
    std::string text(size, '\0');
    theAppLibrary.OctetToString(value, text.data(), size);
    text.resize(std::strlen(text.c_str()));
    return text;
}

DWORD CObjectAttributes::Word(LPCSTR name) const {
    const KmappValue* value = First(name);
    if (!value || !value->data || value->length < sizeof(DWORD)) return 0;
    DWORD word = 0;
    std::memcpy(&word, value->data, sizeof word);
    return word;
}

std::string ReadStreamText(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute) {
    HFILE file = HFILE_ERROR;
    if (DirOpenStreamAttribute(context, object, attribute, DIR_STREAM_READ, &file) != DIR_SUCCESS) return "";
    LONG size = _llseek(file, 0, FILE_END);
    std::string text;
    if (size > 0 && _llseek(file, 0, FILE_BEGIN) == 0) {
        text.resize(static_cast<size_t>(size));
        UINT read = _lread(file, text.data(), static_cast<UINT>(size));
        text.resize(read == static_cast<UINT>(HFILE_ERROR) ? 0 : read);
        text.resize(std::strlen(text.c_str()));
    }
    _lclose(file);
    return text;
}
