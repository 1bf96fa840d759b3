#include "vpr/win/memory_file.h"

#include <algorithm>
#include <cstring>

#include "vpr/win/error.h"
#include "vpr/win/file.h"

namespace vpr::win {

MemoryFile::MemoryFile(std::vector<uint8_t> contents) : data_(std::move(contents)) {}

void MemoryFile::SetCapacity(uint64_t capacity) {
    std::lock_guard lock(mutex_);
    capacity_ = capacity;
}

void MemoryFile::FailReadsAfter(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    readBudget_ = bytes;
}

void MemoryFile::FailWritesAfter(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    writeBudget_ = bytes;
}

void MemoryFile::SetReadOnly() {
    std::lock_guard lock(mutex_);
    readOnly_ = true;
}

bool MemoryFile::Changed() const {
    std::lock_guard lock(mutex_);
    return changed_;
}

std::vector<uint8_t> MemoryFile::Contents() const {
    std::lock_guard lock(mutex_);
    return data_;
}

uint64_t MemoryFile::Position() const {
    std::lock_guard lock(mutex_);
    return position_;
}

bool MemoryFile::closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

HFILE MemoryFile::Open(const std::shared_ptr<MemoryFile>& file) {
    {
        std::lock_guard lock(file->mutex_);
        file->closed_ = false;
        file->position_ = 0;
    }
    return OpenFileObject(file);
}

DWORD MemoryFile::Read(void* buffer, uint32_t count, uint32_t* done) {
    std::lock_guard lock(mutex_);
    *done = 0;
    uint64_t available = position_ < data_.size() ? data_.size() - position_ : 0;
    uint64_t wanted = std::min<uint64_t>(count, available);
    if (wanted > 0 && readBudget_ == 0) return ERROR_READ_FAULT;
    uint64_t n = std::min(wanted, readBudget_);
    if (n > 0) std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    if (readBudget_ != kUnlimited) readBudget_ -= n;
    *done = static_cast<uint32_t>(n);
    return ERROR_SUCCESS;
}

DWORD MemoryFile::Write(const void* buffer, uint32_t count, uint32_t* done) {
    std::lock_guard lock(mutex_);
    *done = 0;
    if (readOnly_) return ERROR_ACCESS_DENIED;
    if (count == 0) return ERROR_SUCCESS;
    if (writeBudget_ == 0) return ERROR_WRITE_FAULT;
    uint64_t room = capacity_ > position_ ? capacity_ - position_ : 0;
    if (room == 0) return ERROR_DISK_FULL;
    uint64_t n = std::min<uint64_t>({count, room, writeBudget_});
    if (data_.size() < position_ + n) data_.resize(position_ + n);
    std::memcpy(data_.data() + position_, buffer, n);
    position_ += n;
    if (writeBudget_ != kUnlimited) writeBudget_ -= n;
    changed_ = true;
    *done = static_cast<uint32_t>(n);
    if (n < count) return n == room ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
    return ERROR_SUCCESS;
}

DWORD MemoryFile::Seek(int64_t offset, int origin, uint64_t* position) {
    std::lock_guard lock(mutex_);
    int64_t base = origin == FILE_BEGIN     ? 0
                   : origin == FILE_CURRENT ? static_cast<int64_t>(position_)
                   : origin == FILE_END     ? static_cast<int64_t>(data_.size())
                                            : -1;
    if (base < 0) return ERROR_INVALID_PARAMETER;
    if (base + offset < 0) return ERROR_NEGATIVE_SEEK;
    position_ = static_cast<uint64_t>(base + offset);
    *position = position_;
    return ERROR_SUCCESS;
}

DWORD MemoryFile::Truncate() {
    std::lock_guard lock(mutex_);
    if (readOnly_) return ERROR_ACCESS_DENIED;
    if (position_ > capacity_) return ERROR_DISK_FULL;
    data_.resize(position_);
    changed_ = true;
    return ERROR_SUCCESS;
}

DWORD MemoryFile::Size(uint64_t* size) {
    std::lock_guard lock(mutex_);
    *size = data_.size();
    return ERROR_SUCCESS;
}

DWORD MemoryFile::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    return ERROR_SUCCESS;
}

}  // namespace vpr::win
