#include "record_codec.h"

#include "entry_memory.h"

#include <cstdlib>
#include <cstring>

namespace vpr::qmt {

uint64_t RecordSize(const EntryKind& kind, const TemplateEntry& entry) {
    uint64_t size = kind.FixedSize();
    uint32_t fields = kind.FieldCount(entry.subtype);
    for (uint32_t i = 0; i < fields; ++i) size += 4 + uint64_t{entry.fields[i].length};
    return size;
}

bool FieldsReadable(const EntryKind& kind, const TemplateEntry& entry) {
    uint32_t fields = kind.FieldCount(entry.subtype);
    for (uint32_t i = 0; i < fields; ++i) {
        if (entry.fields[i].length != 0 && entry.fields[i].data == nullptr) return false;
    }
    return true;
}

void EncodeRecord(const EntryKind& kind, const TemplateEntry& entry, uint8_t* out) {
    PutU32(out, entry.kind);
    PutU32(out + 4, entry.subtype);
    PutU32(out + 8, entry.length);
    out += kHeaderSize;
    for (uint32_t i = 0; i < kind.valueCount; ++i, out += 4) PutU32(out, entry.values[i]);
    uint32_t fields = kind.FieldCount(entry.subtype);
    for (uint32_t i = 0; i < fields; ++i) {
        const TemplateField& field = entry.fields[i];
        PutU32(out, field.length);
        out += 4;
        if (field.length != 0) std::memcpy(out, field.data, field.length);
        out += field.length;
    }
}

namespace {

// A record being parsed: its entry, and its fields' bytes gathered in one
// staging buffer while they fit (larger fields get buffers of their own), so
// that the entry and those bytes end up in one block of the right size.
struct ParsedRecord {
    TemplateEntry entry{};
    uint8_t staging[512];
    size_t staged = 0;
    uint32_t stagedOffset[TEMPLATE_MAX_FIELDS] = {};
    bool isStaged[TEMPLATE_MAX_FIELDS] = {};

    void FreeOwnBuffers() {
        for (uint32_t i = 0; i < TEMPLATE_MAX_FIELDS; ++i) {
            if (!isStaged[i]) std::free(entry.fields[i].data);
        }
    }
};

// Reads the fixed values and the counted fields of a record whose header is
// already in `fixed` and in `record.entry`.
LONG ParseBody(RecordSource& source, const EntryKind& kind, uint8_t* fixed, ParsedRecord& record) {
    TemplateEntry* entry = &record.entry;
    if (!source.Read(fixed + kHeaderSize, kind.FixedSize() - kHeaderSize)) {
        return TEMPLATE_ERR_READ;
    }
    for (uint32_t i = 0; i < kind.valueCount; ++i) {
        entry->values[i] = GetU32(fixed + kHeaderSize + 4 * i);
    }
    uint32_t fields = kind.FieldCount(entry->subtype);
    for (uint32_t i = 0; i < fields; ++i) {
        uint8_t count[4];
        if (!source.Read(count, 4)) return TEMPLATE_ERR_READ;
        uint32_t length = GetU32(count);
        if (length == 0) continue;
        if (length <= sizeof record.staging - record.staged) {
            if (!source.Read(record.staging + record.staged, length)) return TEMPLATE_ERR_READ;
            entry->fields[i].length = length;
            record.stagedOffset[i] = static_cast<uint32_t>(record.staged);
            record.isStaged[i] = true;
            record.staged += length;
            continue;
        }
        if (!source.Holds(length)) return TEMPLATE_ERR_READ;
        auto* bytes = static_cast<BYTE*>(std::malloc(length));
        if (bytes == nullptr) return TEMPLATE_ERR_MEMORY;
        if (!source.Read(bytes, length)) {
            std::free(bytes);
            return TEMPLATE_ERR_READ;
        }
        entry->fields[i] = {length, bytes};
    }
    return TEMPLATE_OK;
}

}  // namespace

LONG ParseRecord(RecordSource& source, TemplateEntry** entry) {
    *entry = nullptr;
    uint8_t fixed[kHeaderSize + 4 * TEMPLATE_MAX_VALUES];
    if (LONG result = source.ReadHeader(fixed); result != TEMPLATE_OK) return result;
    const EntryKind* kind = FindEntryKind(GetU32(fixed));
    if (kind == nullptr) {
        source.UnreadHeader();
        return TEMPLATE_ERR_KIND;
    }
    ParsedRecord record;
    record.entry.kind = GetU32(fixed);
    record.entry.subtype = GetU32(fixed + 4);
    record.entry.length = GetU32(fixed + 8);
    if (LONG result = ParseBody(source, *kind, fixed, record); result != TEMPLATE_OK) {
        record.FreeOwnBuffers();
        return result;
    }
    auto* block = static_cast<uint8_t*>(AllocateBlock(sizeof(TemplateEntry) + record.staged));
    if (block == nullptr) {
        record.FreeOwnBuffers();
        return TEMPLATE_ERR_MEMORY;
    }
    auto* parsed = reinterpret_cast<TemplateEntry*>(block);
    *parsed = record.entry;
    uint8_t* bytes = block + sizeof(TemplateEntry);
    if (record.staged != 0) std::memcpy(bytes, record.staging, record.staged);
    for (uint32_t i = 0; i < TEMPLATE_MAX_FIELDS; ++i) {
        if (record.isStaged[i]) parsed->fields[i].data = bytes + record.stagedOffset[i];
    }
    *entry = parsed;
    return TEMPLATE_OK;
}

}  // namespace vpr::qmt
