#include "entry_kinds.h"

#include <array>

namespace vpr::qmt {

namespace {

// A kind whose fields are the same for every subtype.
constexpr EntryKind Uniform(uint32_t values, uint8_t fields) {
    return {values, fields, 0, {fields, fields, fields, fields, fields}};
}

constexpr std::array<EntryKind, 21> kKinds = {{
    {},                         // 0: not a kind
    {1, 2, 2, {1, 2, 1, 1, 1}},  // 1 file: source; target for copy only
    Uniform(1, 1),              // 2 directory
    {1, 4, 2, {3, 4, 4, 3, 3}},  // 3 ini identifier: file, section, ident; value for 1, 2
    Uniform(0, 2),              // 4 ini section
    {2, 3, 0, {2, 3, 2, 2, 2}},  // 5 registry value: key, name; data for create only
    Uniform(1, 1),              // 6 registry key
    Uniform(0, 1),              // 7 application string
    Uniform(1, 0),              // 8 application value
    Uniform(1, 1),              // 9 value and string
    Uniform(0, 2),              // 10 macro
    Uniform(0, 2),              // 11 text add
    {1, 3, 2, {2, 3, 2, 2, 2}},  // 12 text find: file, find; replacement for 1
    Uniform(1, 0),              // 13 inventory RAM
    Uniform(1, 1),              // 14 inventory disk
    Uniform(1, 0),              // 15 inventory processor
    Uniform(2, 0),              // 16 inventory OS version
    Uniform(0, 1),              // 17 application data
    Uniform(0, 1),              // 18 program group
    {4, 6, 4, {1, 6, 2, 6, 1}},  // 19 user icon: six texts for adds, two or one for deletes
    Uniform(2, 0),              // 20
}};

}  // namespace

const EntryKind* FindEntryKind(uint32_t kind) {
    if (kind < 1 || kind >= kKinds.size()) return nullptr;
    return &kKinds[kind];
}

}  // namespace vpr::qmt
