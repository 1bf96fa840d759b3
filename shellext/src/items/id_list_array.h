// Reading the "Shell IDList Array" block (CIDA) that the shell hands over in
// a drag or on the clipboard: cidl, then cidl + 1 offsets from the start of
// the block (the parent list's first), then the lists. The block comes from
// another program, so nothing in it is trusted: the count, every offset and
// every list are checked against the block's size before any list is read.
#pragma once

#include <vector>

#include "shlobj.h"

struct IdListArray {
    LPCITEMIDLIST parent = nullptr;     // inside the block
    std::vector<LPCITEMIDLIST> items;   // the cidl child lists, inside the block
};

// FALSE, with nothing in out, unless the count and offsets fit in the block
// and every list is whole inside it: items of at least 2 bytes each that end
// at a terminator before the block's end.
BOOL ReadIdListArray(const void* block, SIZE_T size, IdListArray& out);

// The size of a list known to be whole inside the block (terminator included).
SIZE_T IdListArrayListSize(LPCITEMIDLIST list);
