// The values of an attribute as the directory holds them now, as texts
// (numbers in decimal), read through the bound KMAPP32.DLL.
#pragma once

#include <string>
#include <vector>

#include "snapin/core/app_library.h"

inline std::vector<std::string> StoredValues(DIR_CONTEXT context, const char* object, const char* attribute) {
    std::vector<std::string> texts;
    const LPCSTR names[1] = {attribute};
    KmappAttribute* list = theAppLibrary.GetObjectAttributes(context, object, names, 1);
    for (KmappAttribute* node = list; node; node = node->next)
        for (KmappValue* value = node->values; value; value = value->next) {
            if (value->syntax == DIR_SYNTAX_INTEGER)
                texts.push_back(std::to_string(*static_cast<DWORD*>(value->data)));
            else if (value->syntax == DIR_SYNTAX_OCTET_STRING)
                texts.emplace_back(static_cast<char*>(value->data), value->length);
            else
                texts.emplace_back(static_cast<char*>(value->data));
        }
    theAppLibrary.FreeGetObjectAttributes(list);
    return texts;
}
