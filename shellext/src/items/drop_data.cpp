#include "items/drop_data.h"

#include <cstdint>
#include <cstring>

#include "namespace/item_id_list.h"
#include "vpr/com/id_list.h"

namespace {

// Longest dropped file name taken, terminator included.
constexpr UINT kDroppedNameSize = 260;

uint32_t ReadU32(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof(value));
    return value;
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
        if (offset < header || offset >= size || !vpr::com::CheckIdList(bytes + offset, size - offset)) return FALSE;
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

BOOL GetDroppedItems(const void* block, SIZE_T size, std::vector<DroppedItem>& items) {
    items.clear();
    IdListArray array;
    if (!ReadIdListArray(block, size, array)) return FALSE;
    const auto* start = static_cast<const BYTE*>(block);
    // The bytes from a list to the end of the block.
    auto room = [&](LPCITEMIDLIST list) {
        return static_cast<size_t>(size - (reinterpret_cast<const BYTE*>(list) - start));
    };
    CString parentKey;
    if (!ItemKeyFromIdList(array.parent, parentKey, TRUE, room(array.parent))) return FALSE;
    for (LPCITEMIDLIST list : array.items) {
        DroppedItem item;
        item.list = list;
        ItemKeyFromIdList(list, item.key, FALSE, room(list));
        items.push_back(item);
    }
    return TRUE;
}

BOOL GetDropParameters(HDROP drop, CString& parameters) {
    parameters.Empty();
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char name[kDroppedNameSize] = {};
        DragQueryFileA(drop, i, name, kDroppedNameSize);
        if (!name[0]) continue;
        parameters += parameters.IsEmpty() ? "~" : " ";
        parameters += name;
    }
    return !parameters.IsEmpty();
}
