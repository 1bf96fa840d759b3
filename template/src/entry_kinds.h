// The one table of record kinds. The record writers, the serializer and the
// parser all take the record's shape from here, so the two sides of the format
// cannot drift apart.
#pragma once

#include <cstdint>

namespace vpr::qmt {

// Every record starts with kind, subtype and length.
constexpr uint32_t kHeaderSize = 12;

struct EntryKind {
    // Fixed u32 values after the header.
    uint32_t valueCount;
    // Counted-field slots of the in-memory entry: the largest field count of
    // any subtype.
    uint32_t slotCount;
    // Writers and the serializer refuse subtypes outside 1..highestSubtype;
    // 0 accepts every subtype. The parser refuses none.
    uint32_t highestSubtype;
    // Counted fields present: [1]..[4] for subtypes 1 to 4, [0] for any
    // other subtype.
    uint8_t fieldsBySubtype[5];

    uint32_t FixedSize() const { return kHeaderSize + 4 * valueCount; }
    uint32_t FieldCount(uint32_t subtype) const {
        return fieldsBySubtype[subtype >= 1 && subtype <= 4 ? subtype : 0];
    }
    bool Accepts(uint32_t subtype) const {
        return highestSubtype == 0 || (subtype >= 1 && subtype <= highestSubtype);
    }
};

// The kind's shape, or null for a kind outside 1-20.
const EntryKind* FindEntryKind(uint32_t kind);

}  // namespace vpr::qmt
