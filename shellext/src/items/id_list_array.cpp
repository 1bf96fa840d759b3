#include "items/id_list_array.h"

#include <cstdint>
#include <cstring>

namespace {

uint32_t ReadU32(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

// Whether a list starting at `offset` ends with its terminator inside the
// block, every item counting at least its two count bytes.
bool ListFits(const uint8_t* bytes, SIZE_T size, SIZE_T offset) {
    SIZE_T at = offset;
    while (true) {
        if (at > size || size - at < 2) return false;
        const unsigned cb = bytes[at] | (bytes[at + 1] << 8);
        if (cb == 0) return true;
        if (cb < 2 || cb > size - at) return false;
        at += cb;
    }
}

}  // namespace

BOOL ReadIdListArray(const void* block, SIZE_T size, IdListArray& out) {
    out = IdListArray{};
    const auto* bytes = static_cast<const uint8_t*>(block);
    if (!bytes || size < 4) return FALSE;
    const uint32_t cidl = ReadU32(bytes);
    // cidl + 1 offsets after the count, each four bytes.
    const SIZE_T offsets = (size - 4) / 4;
    if (cidl >= offsets) return FALSE;
    const SIZE_T header = 4 + (static_cast<SIZE_T>(cidl) + 1) * 4;
    IdListArray read;
    for (uint32_t i = 0; i <= cidl; ++i) {
        const uint32_t offset = ReadU32(bytes + 4 + static_cast<SIZE_T>(i) * 4);
        // A list lies after the offsets, never over them.
        if (offset < header || !ListFits(bytes, size, offset)) return FALSE;
        auto list = reinterpret_cast<LPCITEMIDLIST>(bytes + offset);
        if (i == 0) {
            read.parent = list;
        } else {
            read.items.push_back(list);
        }
    }
    out = std::move(read);
    return TRUE;
}

SIZE_T IdListArrayListSize(LPCITEMIDLIST list) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(list);
    SIZE_T at = 0;
    while (true) {
        const unsigned cb = bytes[at] | (bytes[at + 1] << 8);
        if (cb == 0) return at + 2;
        at += cb;
    }
}
