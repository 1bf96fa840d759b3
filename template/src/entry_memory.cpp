#include "entry_memory.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace vpr::qmt {

namespace {

constexpr size_t kChunkSize = size_t{2} << 20;  // one huge page
static_assert(kLargestBlock <= kChunkSize / 16, "a chunk holds many blocks");
constexpr size_t kAlign = 16;
constexpr size_t kSpareChunks = 8;   // 16 MB kept empty and ready
constexpr size_t kLazyChunks = 248;  // and up to 496 MB more the kernel may take back

// The start of a chunk; blocks follow it, each after a header with its size.
struct alignas(kAlign) ChunkHeader {
    size_t live = 0;  // blocks not yet freed
    size_t used = 0;  // bytes cut from the chunk, this header included
};
struct alignas(kAlign) BlockHeader {
    size_t size = 0;  // the block's bytes after this header
};

class Chunks {
public:
    Chunks() { spare_.reserve(kSpareChunks + kLazyChunks); }  // a free never allocates
    Chunks(const Chunks&) = delete;
    Chunks& operator=(const Chunks&) = delete;

    // Unmaps every chunk when no block is held, and says whether it did.
    bool ReleaseIfUnused() {
        std::lock_guard lock(mutex_);
        if (liveBlocks_ != 0) return false;
        for (uintptr_t base : chunks_) ::munmap(reinterpret_cast<void*>(base), kChunkSize);
        chunks_.clear();
        return true;
    }

    void* Allocate(size_t size) {
        size_t room = (sizeof(BlockHeader) + size + kAlign - 1) & ~(kAlign - 1);
        std::lock_guard lock(mutex_);
        if (current_ == nullptr || current_->used + room > kChunkSize) {
            ChunkHeader* next = nullptr;
            if (!spare_.empty()) {
                // A lazily freed chunk may have been taken back and read as
                // zeros since: its header is made anew.
                next = new (spare_.back()) ChunkHeader;
                next->used = sizeof(ChunkHeader);
                spare_.pop_back();
            } else {
                next = NewChunk();
                if (next == nullptr) return nullptr;
            }
            // The chunk left behind goes with its last block (Free).
            current_ = next;
        }
        auto* header = reinterpret_cast<BlockHeader*>(reinterpret_cast<uint8_t*>(current_) + current_->used);
        current_->used += room;
        ++current_->live;
        ++liveBlocks_;
        header->size = size;
        return header + 1;
    }

    bool Find(const void* block, const uint8_t** end) {
        std::lock_guard lock(mutex_);
        if (!Mapped(ChunkOf(block))) return false;
        auto* header = static_cast<const BlockHeader*>(block) - 1;
        *end = static_cast<const uint8_t*>(block) + header->size;
        return true;
    }

    // False when the block is not from a chunk.
    bool Free(void* block) {
        std::lock_guard lock(mutex_);
        uintptr_t base = ChunkOf(block);
        if (!Mapped(base)) return false;
        auto* chunk = reinterpret_cast<ChunkHeader*>(base);
        --liveBlocks_;
        if (--chunk->live == 0) {
            if (chunk == current_) {
                chunk->used = sizeof(ChunkHeader);  // filled again from the start
            } else {
                Retire(chunk);
            }
        }
        return true;
    }

private:
    static uintptr_t ChunkOf(const void* p) { return reinterpret_cast<uintptr_t>(p) & ~(kChunkSize - 1); }

    // Blocks are mostly freed in the order they were made: the chunk last
    // found answers without a look in the set.
    bool Mapped(uintptr_t base) {
        if (base == lastFound_) return true;
        if (!chunks_.contains(base)) return false;
        lastFound_ = base;
        return true;
    }

    // A chunk aligned to its size, so that a block's chunk is its address
    // rounded down: twice the size is mapped and the rest given back.
    ChunkHeader* NewChunk() {
        void* mapped = ::mmap(nullptr, 2 * kChunkSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) return nullptr;
        auto start = reinterpret_cast<uintptr_t>(mapped);
        uintptr_t base = (start + kChunkSize - 1) & ~(kChunkSize - 1);
        if (base > start) ::munmap(mapped, base - start);
        if (base + kChunkSize < start + 2 * kChunkSize) {
            ::munmap(reinterpret_cast<void*>(base + kChunkSize), start + 2 * kChunkSize - (base + kChunkSize));
        }
        ::madvise(reinterpret_cast<void*>(base), kChunkSize, MADV_HUGEPAGE);
        try {
            chunks_.insert(base);
        } catch (...) {
            ::munmap(reinterpret_cast<void*>(base), kChunkSize);
            return nullptr;
        }
        auto* chunk = new (reinterpret_cast<void*>(base)) ChunkHeader;
        chunk->used = sizeof(ChunkHeader);
        return chunk;
    }

    // An empty chunk is kept for the next blocks, so that reading one
    // template after another does not map and fault in fresh memory each
    // time (the kernel clears every page it hands out). Beyond a few, the
    // chunks kept are lazily freed: the kernel takes their pages back when it
    // needs memory, and until then they are used again as they are.
    void Retire(ChunkHeader* chunk) {
        if (spare_.size() < kSpareChunks + kLazyChunks) {
            if (spare_.size() >= kSpareChunks) ::madvise(chunk, kChunkSize, MADV_FREE);
            spare_.push_back(chunk);
            return;
        }
        chunks_.erase(reinterpret_cast<uintptr_t>(chunk));
        if (lastFound_ == reinterpret_cast<uintptr_t>(chunk)) lastFound_ = 0;
        ::munmap(chunk, kChunkSize);
    }

    std::mutex mutex_;
    ChunkHeader* current_ = nullptr;      // GUARDED_BY(mutex_): the chunk blocks are cut from
    std::vector<ChunkHeader*> spare_;     // GUARDED_BY(mutex_): empty chunks kept for reuse
    std::unordered_set<uintptr_t> chunks_;  // GUARDED_BY(mutex_): every chunk mapped
    uintptr_t lastFound_ = 0;               // GUARDED_BY(mutex_): a chunk of chunks_, or 0
    size_t liveBlocks_ = 0;                 // GUARDED_BY(mutex_): blocks not yet freed, in every chunk
};

// The module's chunks, made on first use. They outlive every caller at exit
// while a block is held; when the module is unloaded (or the process ends)
// with none held, they go back with it.
std::atomic<Chunks*> g_chunks{nullptr};

[[gnu::noinline]] Chunks& MakeChunks() {
    Chunks* chunks = nullptr;
    auto* made = new Chunks;
    if (g_chunks.compare_exchange_strong(chunks, made, std::memory_order_acq_rel)) return *made;
    delete made;  // another thread made them first
    return *chunks;
}

inline Chunks& TheChunks() {
    Chunks* chunks = g_chunks.load(std::memory_order_acquire);
    return chunks != nullptr ? *chunks : MakeChunks();
}

struct ReleaseWithTheModule {
    ~ReleaseWithTheModule() {
        Chunks* chunks = g_chunks.load(std::memory_order_acquire);
        if (chunks != nullptr && chunks->ReleaseIfUnused()) {
            g_chunks.store(nullptr, std::memory_order_release);
            delete chunks;
        }
    }
} g_releaseWithTheModule;

}  // namespace

void* AllocateBlock(size_t size) { return size <= kLargestBlock ? TheChunks().Allocate(size) : nullptr; }

bool FindBlock(const void* block, const uint8_t** end) { return TheChunks().Find(block, end); }

void FreeBlock(void* block) {
    if (block != nullptr && !TheChunks().Free(block)) std::free(block);
}

}  // namespace vpr::qmt
