// The process's global memory blocks, kept in one table under a lock.
#include "vpr/win/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "vpr/win/error.h"

namespace vpr::win {

namespace {

struct GlobalBlock {
    void* data = nullptr;
    SIZE_T size = 0;
    bool moveable = false;
    UINT locks = 0;
};

// Moveable handles are small odd numbers from a counter shifted past any
// address a block could have, so they never collide with a fixed block.
constexpr uintptr_t kMoveableBase = 0x7A0000000001ull;

std::mutex g_lock;
std::unordered_map<uintptr_t, GlobalBlock> g_blocks;  // GUARDED_BY(g_lock): handle to block
uintptr_t g_nextMoveable = kMoveableBase;              // GUARDED_BY(g_lock)

GlobalBlock* Find(HGLOBAL memory) {
    auto it = g_blocks.find(reinterpret_cast<uintptr_t>(memory));
    if (it == g_blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return &it->second;
}

}  // namespace

size_t LiveGlobalBlocks() {
    std::lock_guard lock(g_lock);
    return g_blocks.size();
}

}  // namespace vpr::win

using namespace vpr::win;

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    void* data = std::malloc(bytes ? bytes : 1);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (flags & GMEM_ZEROINIT) std::memset(data, 0, bytes ? bytes : 1);
    std::lock_guard lock(g_lock);
    GlobalBlock block{data, bytes, (flags & GMEM_MOVEABLE) != 0, 0};
    uintptr_t handle = reinterpret_cast<uintptr_t>(data);
    if (block.moveable) {
        handle = g_nextMoveable;
        g_nextMoveable += 2;
    }
    g_blocks[handle] = block;
    return reinterpret_cast<HGLOBAL>(handle);
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags) {
    std::lock_guard lock(g_lock);
    GlobalBlock* block = Find(memory);
    if (!block) return nullptr;
    if (flags & GMEM_MODIFY) return memory;
    // A fixed or locked block keeps its address unless it may move.
    bool mayMove = block->moveable ? block->locks == 0 : (flags & GMEM_MOVEABLE) != 0;
    void* data = mayMove ? std::realloc(block->data, bytes ? bytes : 1) : nullptr;
    if (!data) {
        if (!mayMove && bytes <= block->size) {
            block->size = bytes;
            return memory;
        }
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if ((flags & GMEM_ZEROINIT) && bytes > block->size) {
        std::memset(static_cast<char*>(data) + block->size, 0, bytes - block->size);
    }
    GlobalBlock moved = *block;
    moved.data = data;
    moved.size = bytes;
    if (moved.moveable) {
        *block = moved;
        return memory;
    }
    g_blocks.erase(reinterpret_cast<uintptr_t>(memory));
    g_blocks[reinterpret_cast<uintptr_t>(data)] = moved;
    return data;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
    if (!memory) return nullptr;
    void* data = nullptr;
    {
        std::lock_guard lock(g_lock);
        GlobalBlock* block = Find(memory);
        if (!block) return memory;
        data = block->data;
        g_blocks.erase(reinterpret_cast<uintptr_t>(memory));
    }
    std::free(data);
    return nullptr;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
    std::lock_guard lock(g_lock);
    GlobalBlock* block = Find(memory);
    if (!block) return nullptr;
    if (block->moveable && block->locks < GMEM_LOCKCOUNT) ++block->locks;
    return block->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
    std::lock_guard lock(g_lock);
    GlobalBlock* block = Find(memory);
    if (!block) return FALSE;
    if (block->locks == 0) {
        SetLastError(block->moveable ? ERROR_NOT_LOCKED : NO_ERROR);
        return FALSE;
    }
    --block->locks;
    if (block->locks == 0) SetLastError(NO_ERROR);
    return block->locks != 0;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory) {
    std::lock_guard lock(g_lock);
    GlobalBlock* block = Find(memory);
    return block ? block->size : 0;
}

UINT WINAPI GlobalFlags(HGLOBAL memory) {
    std::lock_guard lock(g_lock);
    GlobalBlock* block = Find(memory);
    return block ? block->locks : GMEM_INVALID_HANDLE;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID address) {
    std::lock_guard lock(g_lock);
    for (const auto& [handle, block] : g_blocks) {
        if (block.data == address) return reinterpret_cast<HGLOBAL>(handle);
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

}  // extern "C"
