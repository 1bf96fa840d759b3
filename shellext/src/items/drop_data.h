// Reading what is dropped on items: the "Shell IDList Array" block (CIDA)
// that the shell hands over in a drag or on the clipboard (cidl, then cidl + 1
// offsets from the start of the block, the parent list's first, then the
// lists), and the CF_HDROP block of dropped files. Both come from another
// program, so nothing in them is trusted: the CIDA's count, every offset and
// every list are checked against the block's size before any list is read.
#pragma once

#include <vector>

#include "afxwin.h"
#include "shellapi.h"
#include "shlobj.h"

struct IdListArray {
    LPCITEMIDLIST parent = nullptr;     // inside the block
    std::vector<LPCITEMIDLIST> items;   // the cidl child lists, inside the block
};

// FALSE, with nothing in out, unless the count and offsets fit in the block
// and every list is whole inside it: items of at least 2 bytes each that end
// at a terminator before the block's end.
BOOL ReadIdListArray(const void* block, SIZE_T size, IdListArray& out);


// One child of a dropped CIDA: its item key (empty when the list names none)
// and its list, inside the block.
struct DroppedItem {
    CString key;
    LPCITEMIDLIST list = nullptr;
};

// The children of a CIDA block of `size` bytes whose parent list holds the
// extension's root item, in order. FALSE, with no items, when the block is
// refused by ReadIdListArray or the parent list does not hold the root item:
// such a drop adds nothing.
BOOL GetDroppedItems(const void* block, SIZE_T size, std::vector<DroppedItem>& items);

// The parameters of a drop of files on an application: "~" and the first
// name, then a blank and each later one (names of at most 259 characters,
// empty names skipped). FALSE, with an empty text, when no name was taken.
BOOL GetDropParameters(HDROP drop, CString& parameters);
