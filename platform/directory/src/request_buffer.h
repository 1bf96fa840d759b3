// Request and reply buffers: real byte arrays with a byte budget. A request is
// written entry by entry, little-endian:
//   u32 operation, u32 entry count, then per entry u32 tag and its fields:
//   attribute name / class name: counted text; change: u32 kind, counted text;
//   value: u32 syntax, counted bytes (the stored form, value_codec.h).
// A reply of a read:   u32 3, u32 object count, per object counted name,
//   u32 attribute count, per attribute counted name, u32 syntax, u32 value
//   count, per value counted bytes.
// A reply of class definitions: u32 15, u32 definition count, per definition
//   counted name, u32 flags, then five lists of u32 count and counted names.
// (counted = u32 byte count, then the bytes.)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vpr/directory/store.h"

struct DirBuffer {
    size_t budget = 0;
    std::vector<uint8_t> bytes;
    // Reply reading state.
    size_t cursor = 0;
    uint32_t itemsLeft = 0;      // attributes of the object, or definitions
    uint32_t valuesLeft = 0;     // values of the current attribute, or names of the current list
    uint32_t listsLeft = 0;      // lists of the current class definition
    uint32_t syntax = 0;         // of the current attribute
    uint32_t attributeCount = 0;
};

namespace vpr::directory {

enum RequestTag : uint32_t {
    kTagAttributeName = 1,
    kTagClassName = 2,
    kTagChange = 3,
    kTagValue = 4,
};

struct RequestEntry {
    uint32_t tag = 0;
    uint32_t kind = 0;  // change kind
    std::string name;
    Value value;
};

// Byte writer that keeps to a budget.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>* bytes) : bytes_(bytes) {}
    void U32(uint32_t value);
    void Counted(std::string_view text);
    void Counted(const std::vector<uint8_t>& data);
    static size_t CountedSize(size_t length) { return 4 + length; }

private:
    std::vector<uint8_t>* bytes_;
};

// Byte reader that never reads past the end.
class ByteReader {
public:
    ByteReader(const std::vector<uint8_t>& bytes, size_t offset) : bytes_(bytes), at_(offset) {}
    bool U32(uint32_t* value);
    bool Counted(std::string* text);
    bool Counted(std::vector<uint8_t>* data);
    size_t offset() const { return at_; }

private:
    const std::vector<uint8_t>& bytes_;
    size_t at_;
};

uint32_t RequestOperation(const DirBuffer& buffer);
// Appends one entry when it fits the budget; DIR_ERR_BUFFER_FULL otherwise.
int AppendEntry(DirBuffer* buffer, const RequestEntry& entry);
int ReadEntries(const DirBuffer& buffer, std::vector<RequestEntry>* entries);

}  // namespace vpr::directory
