// What the directory holds now, read back through the bound KMAPP32.DLL and
// the directory client, as texts that tests compare with tables: numbers in
// decimal, names as they are stored, typed names "name;level;interval", ACL
// values "attribute;trustee;privileges" (the forms `vprdir get` prints), and
// a stream's bytes.
#pragma once

#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "vpr/directory/client.h"

inline std::vector<std::string> StoredValues(DIR_CONTEXT context, const char* object, const char* attribute) {
    std::vector<std::string> texts;
    const LPCSTR names[1] = {attribute};
    KmappAttribute* list = theAppLibrary.GetObjectAttributes(context, object, names, 1);
    for (KmappAttribute* node = list; node; node = node->next)
        for (KmappValue* value = node->values; value; value = value->next) {
            if (value->syntax == DIR_SYNTAX_INTEGER) {
                texts.push_back(std::to_string(*static_cast<DWORD*>(value->data)));
            } else if (value->syntax == DIR_SYNTAX_OCTET_STRING) {
                texts.emplace_back(static_cast<char*>(value->data), value->length);
            } else if (value->syntax == DIR_SYNTAX_TYPED_NAME) {
                const auto* typed = static_cast<const DirTypedName*>(value->data);
                texts.push_back(std::string(typed->name) + ";" + std::to_string(typed->level) + ";" +
                                std::to_string(typed->interval));
            } else if (value->syntax == DIR_SYNTAX_OBJECT_ACL) {
                const auto* acl = static_cast<const DirAclValue*>(value->data);
                texts.push_back(std::string(acl->protectedAttribute) + ";" + acl->trustee + ";" +
                                std::to_string(acl->privileges));
            } else {
                texts.emplace_back(static_cast<char*>(value->data));
            }
        }
    theAppLibrary.FreeGetObjectAttributes(list);
    return texts;
}

// A stream value's whole content, or "status N" when it cannot be opened.
inline std::string StoredStream(DIR_CONTEXT context, const char* object, const char* attribute) {
    HFILE file = HFILE_ERROR;
    int status = DirOpenStreamAttribute(context, object, attribute, DIR_STREAM_READ, &file);
    if (status != DIR_SUCCESS) return "status " + std::to_string(status);
    std::string content;
    char chunk[256];
    for (UINT n; (n = _lread(file, chunk, sizeof chunk)) > 0 && n != static_cast<UINT>(HFILE_ERROR);)
        content.append(chunk, n);
    _lclose(file);
    return content;
}
