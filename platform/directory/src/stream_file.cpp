#include "stream_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "vpr/directory/client.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"

namespace vpr::directory {

namespace {
// Streams are addressed with 32-bit offsets by the file calls.
constexpr uint64_t kMaxStreamSize = std::numeric_limits<int32_t>::max();
}  // namespace

StreamFile::StreamFile(std::shared_ptr<Store> store, NameParts object, std::string attribute,
                       std::vector<uint8_t> content, bool writable, uint64_t writeBudget)
    : store_(std::move(store)),
      object_(std::move(object)),
      attribute_(std::move(attribute)),
      content_(std::move(content)),
      writable_(writable),
      writeBudget_(writeBudget) {}

DWORD StreamFile::Read(void* buffer, uint32_t count, uint32_t* done) {
    std::lock_guard lock(mutex_);
    uint64_t available = position_ < content_.size() ? content_.size() - position_ : 0;
    uint64_t n = std::min<uint64_t>(count, available);
    if (n > 0) std::memcpy(buffer, content_.data() + position_, n);
    position_ += n;
    *done = static_cast<uint32_t>(n);
    return ERROR_SUCCESS;
}

DWORD StreamFile::Write(const void* buffer, uint32_t count, uint32_t* done) {
    std::lock_guard lock(mutex_);
    *done = 0;
    if (!writable_) return ERROR_ACCESS_DENIED;
    if (count == 0) return ERROR_SUCCESS;
    if (writeBudget_ == 0) return ERROR_WRITE_FAULT;
    if (position_ + count > kMaxStreamSize) return ERROR_DISK_FULL;
    uint64_t n = std::min<uint64_t>(count, writeBudget_);
    if (content_.size() < position_ + n) content_.resize(position_ + n);
    std::memcpy(content_.data() + position_, buffer, n);
    position_ += n;
    if (writeBudget_ != std::numeric_limits<uint64_t>::max()) writeBudget_ -= n;
    dirty_ = true;
    *done = static_cast<uint32_t>(n);
    return n < count ? ERROR_WRITE_FAULT : ERROR_SUCCESS;
}

DWORD StreamFile::Seek(int64_t offset, int origin, uint64_t* position) {
    std::lock_guard lock(mutex_);
    int64_t base = origin == FILE_BEGIN     ? 0
                   : origin == FILE_CURRENT ? static_cast<int64_t>(position_)
                   : origin == FILE_END     ? static_cast<int64_t>(content_.size())
                                            : -1;
    if (base < 0) return ERROR_INVALID_PARAMETER;
    if (base + offset < 0) return ERROR_NEGATIVE_SEEK;
    position_ = static_cast<uint64_t>(base + offset);
    *position = position_;
    return ERROR_SUCCESS;
}

DWORD StreamFile::Truncate() {
    std::lock_guard lock(mutex_);
    if (!writable_) return ERROR_ACCESS_DENIED;
    if (position_ > kMaxStreamSize) return ERROR_DISK_FULL;
    content_.resize(position_);
    dirty_ = true;
    return ERROR_SUCCESS;
}

DWORD StreamFile::Size(uint64_t* size) {
    std::lock_guard lock(mutex_);
    *size = content_.size();
    return ERROR_SUCCESS;
}

DWORD StreamFile::Close() {
    std::lock_guard lock(mutex_);
    if (!dirty_) return ERROR_SUCCESS;
    dirty_ = false;
    return store_->WriteStream(object_, attribute_, content_) == DIR_SUCCESS ? ERROR_SUCCESS
                                                                             : ERROR_WRITE_FAULT;
}

}  // namespace vpr::directory
