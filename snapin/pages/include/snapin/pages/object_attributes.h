// What the attribute pages read of the open object through the launcher
// support library: the attributes asked for, looked up by exact name, and
// the stream attributes' texts.
#pragma once

#include <initializer_list>
#include <string>

#include "snapin/core/app_library.h"
#include "vpr/directory/client.h"

class CObjectAttributes {
public:
    // Reads the named attributes of the object (none when the read fails).
    CObjectAttributes(DIR_CONTEXT context, LPCSTR object, std::initializer_list<LPCSTR> names);
    ~CObjectAttributes();
    CObjectAttributes(const CObjectAttributes&) = delete;
    CObjectAttributes& operator=(const CObjectAttributes&) = delete;

    // The first value of the attribute whose name equals `name`; null when
    // it came back without values or not at all.
    const KmappValue* First(LPCSTR name) const;
    // The first value as a text: an octet string through the library's
    // conversion into `size` bytes, any other syntax as its own text.
    std::string Text(LPCSTR name, DWORD size) const;
    // The first 32-bit word of the first value; 0 when there is none.
    DWORD Word(LPCSTR name) const;

private:
    KmappAttribute* m_list = nullptr;
};

// The text a stream attribute holds, up to its first zero byte; empty when
// the stream cannot be opened or is empty.
std::string ReadStreamText(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute);
