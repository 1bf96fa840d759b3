// Memory for what the reader hands out: entries (each with its field bytes in
// the same block) and list nodes. Blocks are cut one after another from 2 MB
// chunks that the kernel may back with huge pages, so reading a template of a
// million records takes a hundred chunks from the system instead of touching
// fifty thousand fresh pages one by one. A chunk is emptied when its last
// block is freed and kept for the next blocks: a few as they are, more lazily
// freed (the kernel takes their pages back when it needs memory), the rest
// given back to the system.
//
// Each block is still freed on its own (kmapptFreeReadEntry frees an entry,
// kmapptFreeEntries each node), as callers expect; FreeBlock hands memory it
// did not make (an entry a caller built with malloc) to free().
#pragma once

#include <cstddef>
#include <cstdint>

namespace vpr::qmt {

// The largest block AllocateBlock makes.
constexpr size_t kLargestBlock = 128 * 1024;

// A block of `size` bytes, 16-byte aligned, its content undefined; null when
// memory is out or `size` is above kLargestBlock.
void* AllocateBlock(size_t size);
// When AllocateBlock made the block `block` starts: [block, *end) is the
// block. False for memory it did not make.
bool FindBlock(const void* block, const uint8_t** end);
// Frees a block AllocateBlock made, or hands other memory to free().
void FreeBlock(void* block);

}  // namespace vpr::qmt
