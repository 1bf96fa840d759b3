// Fuzz target of the "Shell IDList Array" block (CIDA) that a personal
// folder's drop reads: the input is the whole block, exactly as large as
// GlobalSize says. A refused block gives no items; an accepted one has
// cidl items, every list well formed inside the block, keys without NUL no
// longer than their lists, and a block written again from its lists reads
// back the same keys. The item list's data object, given the same lists,
// renders exactly that block.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_kit.h"
#include "items/drop_data.h"
#include "list/item_data_object.h"
#include "vpr/com/id_list.h"

namespace {

using vpr::fuzz::Fail;

uint32_t ReadU32(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

// The size of a list already found whole inside [list, end).
size_t ListSize(LPCITEMIDLIST list, const uint8_t* end) {
    const auto* at = reinterpret_cast<const uint8_t*>(list);
    if (at < end) {
        if (size_t size = vpr::com::CheckIdList(at, static_cast<size_t>(end - at))) return size;
    }
    Fail("a list accepted that is not whole inside the block");
}

// A block holding the lists in order, after cidl and the offsets.
std::vector<uint8_t> Write(const std::vector<std::vector<uint8_t>>& lists) {
    std::vector<uint8_t> block(4 + 4 * lists.size(), 0);
    const uint32_t cidl = static_cast<uint32_t>(lists.size() - 1);
    std::memcpy(block.data(), &cidl, 4);
    for (size_t i = 0; i < lists.size(); ++i) {
        const uint32_t offset = static_cast<uint32_t>(block.size());
        std::memcpy(block.data() + 4 + 4 * i, &offset, 4);
        block.insert(block.end(), lists[i].begin(), lists[i].end());
    }
    return block;
}

// The data object's block of the same lists: byte for byte the block above,
// exactly as large as GlobalSize says.
void CheckRendered(const std::vector<std::vector<uint8_t>>& lists) {
    auto* data = new CItemDataObject(CItemIdList(reinterpret_cast<LPCITEMIDLIST>(lists[0].data())));
    for (size_t i = 1; i < lists.size(); ++i) data->Add(CItemIdList(reinterpret_cast<LPCITEMIDLIST>(lists[i].data())));
    HGLOBAL block = data->RenderIdListArray();
    data->Release();
    if (!block) Fail("no block rendered");
    const std::vector<uint8_t> expected = Write(lists);
    const auto* at = static_cast<const uint8_t*>(GlobalLock(block));
    const bool same = GlobalSize(block) == expected.size() && std::memcmp(at, expected.data(), expected.size()) == 0;
    GlobalUnlock(block);
    GlobalFree(block);
    if (!same) Fail("the data object renders another block");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy, so that a read past the block is caught.
    std::vector<uint8_t> bytes(data, data + size);
    const uint8_t* end = bytes.data() + size;
    IdListArray array;
    const BOOL read = ReadIdListArray(bytes.data(), size, array);
    std::vector<DroppedItem> items;
    const BOOL dropped = GetDroppedItems(bytes.data(), size, items);
    if (!read) {
        if (array.parent || !array.items.empty()) Fail("a refused block with lists");
        if (dropped || !items.empty()) Fail("a refused block gives items");
        return 0;
    }
    if (array.items.size() != ReadU32(bytes.data())) Fail("another number of lists than cidl");
    std::vector<std::vector<uint8_t>> lists;
    for (LPCITEMIDLIST list : {array.parent}) {
        const auto* at = reinterpret_cast<const uint8_t*>(list);
        lists.emplace_back(at, at + ListSize(list, end));
    }
    for (LPCITEMIDLIST list : array.items) {
        const auto* at = reinterpret_cast<const uint8_t*>(list);
        lists.emplace_back(at, at + ListSize(list, end));
    }
    CheckRendered(lists);
    if (!dropped) {
        if (!items.empty()) Fail("a drop without the root gives items");
        return 0;
    }
    if (items.size() != array.items.size()) Fail("another number of items than lists");
    for (size_t i = 0; i < items.size(); ++i) {
        const CString& key = items[i].key;
        if (std::strlen(key) != static_cast<size_t>(key.GetLength())) Fail("a key holding a NUL");
        if (static_cast<size_t>(key.GetLength()) + 2 > lists[i + 1].size() && !key.IsEmpty())
            Fail("a key longer than its list");
        if (items[i].list != array.items[i]) Fail("an item that is not its list");
    }
    // The same lists in a block of their own read back the same keys.
    std::vector<uint8_t> again = Write(lists);
    std::vector<DroppedItem> reread;
    if (!GetDroppedItems(again.data(), again.size(), reread)) Fail("a block written again is refused");
    if (reread.size() != items.size()) Fail("a block written again holds other items");
    for (size_t i = 0; i < items.size(); ++i) {
        if (reread[i].key != items[i].key) Fail("a block written again names other keys");
    }
    return 0;
}
