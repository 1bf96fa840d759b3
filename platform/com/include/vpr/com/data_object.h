// A data object over blocks of global memory it owns, one per format: the
// clipboard's flushed copies and the items the shell's views hand out.
#pragma once

#include <vector>

#include "ole2.h"

namespace vpr::com {

struct DataBlock {
    CLIPFORMAT format = 0;
    HGLOBAL block = nullptr;  // owned by the data object once handed over
};

// Every GetData hands out a fresh copy of the format's block; the formats
// are listed in the order given. One reference, the caller's.
IDataObject* NewDataObject(std::vector<DataBlock> blocks);

// A copy of a block (same size and bytes), or null.
HGLOBAL CopyGlobalBlock(HGLOBAL from);

}  // namespace vpr::com
