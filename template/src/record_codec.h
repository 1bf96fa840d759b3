// The file form of one record: its size, its encoding and its parser. Every
// integer is written and read little-endian byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "entry_kinds.h"
#include "template/template_library.h"

namespace vpr::qmt {

inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Bytes of the record's file form: the fixed part and each field the subtype
// carries. Above 0xFFFFFFFF the record cannot be stored.
uint64_t RecordSize(const EntryKind& kind, const TemplateEntry& entry);

// Checks that every field the subtype carries has bytes behind its length.
bool FieldsReadable(const EntryKind& kind, const TemplateEntry& entry);

// Writes the record's file form, RecordSize bytes, to `out`. The length field
// is the entry's own.
void EncodeRecord(const EntryKind& kind, const TemplateEntry& entry, uint8_t* out);

// Where the parser takes a record's bytes from: an open file or a buffer.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // Reads the 12-byte header; 0, or the code for a missing header.
    virtual LONG ReadHeader(uint8_t* header) = 0;
    // Goes back to the start of the record whose header was just read.
    virtual void UnreadHeader() = 0;
    // True when `count` more bytes could be read (checked before a field's
    // buffer is allocated, so a damaged count cannot ask for gigabytes).
    virtual bool Holds(uint64_t count) = 0;
    // True when all `count` bytes were read.
    virtual bool Read(void* buffer, uint32_t count) = 0;
};

// Parses one record into a new entry. Returns 0 with the entry, the source's
// header code, TEMPLATE_ERR_KIND for an unknown kind (source back at the
// record's start), TEMPLATE_ERR_READ for a record cut short, or
// TEMPLATE_ERR_MEMORY. On failure *entry is null and nothing stays allocated.
LONG ParseRecord(RecordSource& source, TemplateEntry** entry);

}  // namespace vpr::qmt
