// Attribute lists: an object's attributes with their values, as linked nodes
// the caller walks and frees with KMAPPFreeGetObjectAttributes.
#include <cstring>
#include <string>
#include <vector>

#include "directory_calls.h"
#include "kmapp32.h"

using namespace vpr::launcher;

namespace {

// A decoded typed name or ACL points into its own block: the copy's texts
// are pointed at the copy.
void RebaseTexts(uint32_t syntax, const uint8_t* from, uint8_t* to) {
    auto rebase = [&](char*& text) { text = reinterpret_cast<char*>(to + (reinterpret_cast<uint8_t*>(text) - from)); };
    if (syntax == DIR_SYNTAX_TYPED_NAME) {
        rebase(reinterpret_cast<DirTypedName*>(to)->name);
    } else if (syntax == DIR_SYNTAX_OBJECT_ACL) {
        rebase(reinterpret_cast<DirAclValue*>(to)->protectedAttribute);
        rebase(reinterpret_cast<DirAclValue*>(to)->trustee);
    }
}

// The node's data in the list's form (see kmapp32.h); null when a stream
// cannot be opened.
KmappValue* NewValue(DIR_CONTEXT context, const std::string& object, const ReadAttribute& attribute,
                     const std::vector<uint8_t>& decoded) {
    auto value = new KmappValue{attribute.syntax, nullptr, 0, nullptr};
    switch (attribute.syntax) {
        case DIR_SYNTAX_OCTET_STRING: {
            DirOctetString octets;
            std::memcpy(&octets, decoded.data(), sizeof octets);
            auto bytes = new uint8_t[octets.length + 1];
            if (octets.length) std::memcpy(bytes, octets.data, octets.length);
            bytes[octets.length] = 0;
            value->data = bytes;
            value->length = octets.length;
            break;
        }
        case DIR_SYNTAX_STREAM: {
            HFILE file = HFILE_ERROR;
            if (DirOpenStreamAttribute(context, object.c_str(), attribute.name.c_str(), DIR_STREAM_READ,
                                       &file) != DIR_SUCCESS) {
                delete value;
                return nullptr;
            }
            value->data = new HFILE(file);
            value->length = sizeof(HFILE);
            break;
        }
        default: {
            auto bytes = new uint8_t[decoded.size()];
            std::memcpy(bytes, decoded.data(), decoded.size());
            RebaseTexts(attribute.syntax, decoded.data(), bytes);
            value->data = bytes;
            bool text = attribute.syntax != DIR_SYNTAX_INTEGER && attribute.syntax != DIR_SYNTAX_BOOLEAN &&
                        attribute.syntax != DIR_SYNTAX_TIME && attribute.syntax != DIR_SYNTAX_TYPED_NAME &&
                        attribute.syntax != DIR_SYNTAX_OBJECT_ACL;
            value->length = text ? static_cast<DWORD>(std::strlen(reinterpret_cast<char*>(bytes)))
                                 : static_cast<DWORD>(decoded.size());
            break;
        }
    }
    return value;
}

void FreeValue(KmappValue* value) {
    if (value->syntax == DIR_SYNTAX_STREAM) {
        HFILE* file = static_cast<HFILE*>(value->data);
        _lclose(*file);
        delete file;
    } else {
        delete[] static_cast<uint8_t*>(value->data);
    }
    delete value;
}

}  // namespace

extern "C" KmappAttribute* KMAPPGetObjectAttributes(DIR_CONTEXT context, LPCSTR object,
                                                    const LPCSTR* names, DWORD count) {
    if (!object) return nullptr;
    std::vector<std::string> wanted;
    for (DWORD i = 0; names && i < count; ++i)
        if (names[i]) wanted.push_back(names[i]);
    if (names && count > 0 && wanted.empty()) return nullptr;
    std::vector<ReadAttribute> read;
    if (ReadAttributes(context, object, wanted, &read) != DIR_SUCCESS) return nullptr;
    KmappAttribute* first = nullptr;
    KmappAttribute** link = &first;
    for (const ReadAttribute& attribute : read) {
        auto node = new KmappAttribute{NewText(attribute.name), nullptr, nullptr};
        KmappValue** valueLink = &node->values;
        for (const auto& decoded : attribute.values) {
            if (KmappValue* value = NewValue(context, object, attribute, decoded)) {
                *valueLink = value;
                valueLink = &value->next;
            }
        }
        *link = node;
        link = &node->next;
    }
    return first;
}

extern "C" void KMAPPFreeGetObjectAttributes(KmappAttribute* list) {
    while (list) {
        KmappAttribute* next = list->next;
        for (KmappValue* value = list->values; value;) {
            KmappValue* following = value->next;
            FreeValue(value);
            value = following;
        }
        delete[] list->name;
        delete list;
        list = next;
    }
}
