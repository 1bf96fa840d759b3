// The task allocator behind CoTaskMemAlloc, CoGetMalloc and SHGetMalloc: one
// per process, counting the blocks it handed out and that are not freed yet,
// so that a test sees an identifier list that was never freed.
#pragma once

#include <cstddef>

namespace vpr::com {

// Blocks of the task allocator alive now.
size_t LiveTaskBlocks();

}  // namespace vpr::com
