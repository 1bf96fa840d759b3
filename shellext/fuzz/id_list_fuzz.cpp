// Fuzz target of raw identifier lists as the extension reads what the shell
// and other programs hand it: the input is a list of known size, read with
// ItemKeyFromIdList (with and without the root requirement). The key never
// reaches past the input, never holds a NUL, and a list the platform finds
// well formed reads the same after a copy through CItemIdList.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_kit.h"
#include "namespace/item_id_list.h"
#include "vpr/com/id_list.h"

using vpr::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy, so that a read past `size` is caught.
    std::vector<uint8_t> bytes(data, data + size);
    auto list = reinterpret_cast<LPCITEMIDLIST>(bytes.data());
    for (BOOL requireRoot : {FALSE, TRUE}) {
        CString key;
        BOOL root = ItemKeyFromIdList(size ? list : nullptr, key, requireRoot, size);
        if (static_cast<size_t>(key.GetLength()) + 2 > size && !key.IsEmpty()) Fail("a key longer than its list");
        if (std::strlen(key) != static_cast<size_t>(key.GetLength())) Fail("a key holding a NUL");
        if (requireRoot && !root && !key.IsEmpty()) Fail("a key without the root under the requirement");
        size_t wellFormed = size ? vpr::com::CheckIdList(bytes.data(), size) : 0;
        if (wellFormed) {
            CItemIdList copy(list);
            if (copy.GetSize() != wellFormed) Fail("a copy of another size");
            if (std::memcmp(copy.GetList(), bytes.data(), wellFormed) != 0) Fail("a copy with other bytes");
            CString again;
            if (copy.GetItemKey(again, requireRoot) != root || again != key) Fail("a copy names another key");
        }
    }
    return 0;
}
