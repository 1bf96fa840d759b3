// The process's task allocator. It keeps the size of every live block in a
// table, so GetSize and DidAlloc answer exactly without ever reading memory
// that is not its own.
#include "vpr/com/task_allocator.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "objbase.h"
#include "shlobj.h"

namespace vpr::com {

namespace {

std::mutex g_blocksLock;
std::unordered_map<void*, size_t> g_blocks;  // GUARDED_BY(g_blocksLock)

void* Allocate(SIZE_T size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) return nullptr;
    std::lock_guard lock(g_blocksLock);
    g_blocks[block] = size;
    return block;
}

void FreeBlock(void* block) {
    if (!block) return;
    {
        std::lock_guard lock(g_blocksLock);
        if (g_blocks.erase(block) == 0) return;  // not ours: left alone
    }
    std::free(block);
}

void* Reallocate(void* block, SIZE_T size) {
    if (!block) return Allocate(size);
    if (size == 0) {
        FreeBlock(block);
        return nullptr;
    }
    std::lock_guard lock(g_blocksLock);
    auto it = g_blocks.find(block);
    if (it == g_blocks.end()) return nullptr;
    void* moved = std::realloc(block, size);
    if (!moved) return nullptr;
    g_blocks.erase(it);
    g_blocks[moved] = size;
    return moved;
}

std::optional<size_t> BlockSize(void* block) {
    std::lock_guard lock(g_blocksLock);
    auto it = g_blocks.find(block);
    if (it == g_blocks.end()) return std::nullopt;
    return it->second;
}

// One allocator object for the process; its reference count is not what
// keeps it alive.
class TaskAllocator : public IMalloc {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMalloc)) {
            *object = static_cast<IMalloc*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return references_ > 1 ? --references_ : 1; }
    STDMETHODIMP_(void*) Alloc(SIZE_T size) override { return Allocate(size); }
    STDMETHODIMP_(void*) Realloc(void* block, SIZE_T size) override { return Reallocate(block, size); }
    STDMETHODIMP_(void) Free(void* block) override { vpr::com::FreeBlock(block); }
    STDMETHODIMP_(SIZE_T) GetSize(void* block) override {
        return BlockSize(block).value_or(static_cast<SIZE_T>(-1));
    }
    STDMETHODIMP_(int) DidAlloc(void* block) override { return block ? (BlockSize(block) ? 1 : 0) : -1; }
    STDMETHODIMP_(void) HeapMinimize() override {}

private:
    std::atomic<ULONG> references_{1};
};

TaskAllocator& TheAllocator() {
    static TaskAllocator* allocator = new TaskAllocator;  // lives as long as the process
    return *allocator;
}

}  // namespace

size_t LiveTaskBlocks() {
    std::lock_guard lock(g_blocksLock);
    return g_blocks.size();
}

}  // namespace vpr::com

STDAPI_(LPVOID) CoTaskMemAlloc(SIZE_T size) { return vpr::com::Allocate(size); }
STDAPI_(LPVOID) CoTaskMemRealloc(LPVOID block, SIZE_T size) { return vpr::com::Reallocate(block, size); }
STDAPI_(void) CoTaskMemFree(LPVOID block) { vpr::com::FreeBlock(block); }

STDAPI CoGetMalloc(DWORD context, LPMALLOC* malloc) {
    if (!malloc) return E_INVALIDARG;
    if (context != MEMCTX_TASK) {
        *malloc = nullptr;
        return E_INVALIDARG;
    }
    *malloc = &vpr::com::TheAllocator();
    (*malloc)->AddRef();
    return S_OK;
}

STDAPI SHGetMalloc(LPMALLOC* malloc) { return CoGetMalloc(MEMCTX_TASK, malloc); }
