#include "share_table.h"

#include <memory>

#include "vpr/win/file.h"

namespace vpr::win {

ShareTable& ShareTable::Instance() {
    static auto* table = new ShareTable;
    return *table;
}

std::shared_ptr<void> ShareTable::Open(FileId id, DWORD access, DWORD share) {
    std::lock_guard lock(mutex_);
    bool reads = access & GENERIC_READ;
    bool writes = access & GENERIC_WRITE;
    // An open without data access (attributes only) neither meets nor
    // makes sharing conflicts.
    if (!reads && !writes) return std::make_shared<int>(0);
    auto [begin, end] = opens_.equal_range(id);
    for (auto it = begin; it != end; ++it) {
        const OpenRecord& other = it->second.second;
        if ((reads && !(other.share & FILE_SHARE_READ)) || (writes && !(other.share & FILE_SHARE_WRITE)) ||
            ((other.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) ||
            ((other.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)))
            return nullptr;
    }
    uint64_t serial = nextSerial_++;
    opens_.emplace(id, std::make_pair(serial, OpenRecord{access, share}));
    return std::shared_ptr<Token>(new Token{this, id, serial});
}

bool ShareTable::MayDelete(FileId id) {
    std::lock_guard lock(mutex_);
    auto [begin, end] = opens_.equal_range(id);
    for (auto it = begin; it != end; ++it)
        if (!(it->second.second.share & FILE_SHARE_DELETE)) return false;
    return true;
}

void ShareTable::Close(FileId id, uint64_t serial) {
    std::lock_guard lock(mutex_);
    auto [begin, end] = opens_.equal_range(id);
    for (auto it = begin; it != end; ++it) {
        if (it->second.first == serial) {
            opens_.erase(it);
            return;
        }
    }
}

}  // namespace vpr::win
