// Builds TemplateEntry values in memory for the text-form tests.
#pragma once

#include <array>
#include <initializer_list>
#include <string>

#include "template/template_library.h"

class EntryBuilder {
public:
    EntryBuilder(DWORD kind, DWORD subtype, std::initializer_list<DWORD> values = {},
                 std::initializer_list<std::string> fields = {}) {
        head_.kind = kind;
        head_.subtype = subtype;
        head_.length = 0x40;
        size_t i = 0;
        for (DWORD v : values) head_.values[i++] = v;
        i = 0;
        for (const std::string& f : fields) fields_[i++] = f;
    }
    EntryBuilder& SetLength(DWORD length) {
        head_.length = length;
        return *this;
    }
    // The entry; its fields point into this builder.
    TemplateEntry entry() const {
        TemplateEntry entry = head_;
        for (size_t i = 0; i < fields_.size(); ++i) {
            entry.fields[i].length = static_cast<DWORD>(fields_[i].size());
            entry.fields[i].data = fields_[i].empty()
                                       ? nullptr
                                       : reinterpret_cast<BYTE*>(const_cast<char*>(fields_[i].data()));
        }
        return entry;
    }

private:
    TemplateEntry head_{};
    std::array<std::string, TEMPLATE_MAX_FIELDS> fields_;
};

// Little-endian bytes of 32-bit words.
inline std::string Le32(std::initializer_list<DWORD> words) {
    std::string bytes;
    for (DWORD w : words) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(w >> shift));
    }
    return bytes;
}
