#include "host_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "vpr/win/error.h"
#include "vpr/win/file.h"

namespace vpr::win {

HostFile::HostFile(int fd, std::shared_ptr<void> shareToken, std::shared_ptr<DiskSpace> space)
    : fd_(fd), shareToken_(std::move(shareToken)), space_(std::move(space)) {}

uint32_t HostFile::Fitting(uint32_t count, uint64_t* growth) {
    *growth = 0;
    if (!space_) return count;
    struct stat st;
    if (::fstat(fd_, &st) != 0) return count;
    uint64_t size = static_cast<uint64_t>(st.st_size);
    std::lock_guard lock(space_->mutex);
    uint64_t end = position_ + count;
    if (end <= size) return count;
    uint64_t grow = end - size;
    if (grow > space_->bytesLeft) {
        uint64_t limit = size + space_->bytesLeft;
        count = limit > position_ ? static_cast<uint32_t>(limit - position_) : 0;
        grow = position_ + count > size ? position_ + count - size : 0;
    }
    space_->bytesLeft -= grow;
    *growth = grow;
    return count;
}

HostFile::~HostFile() {
    if (fd_ >= 0) ::close(fd_);
}

DWORD HostFile::Read(void* buffer, uint32_t count, uint32_t* done) {
    std::lock_guard lock(mutex_);
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t copied = 0;
    while (copied < count) {
        uint64_t bufferEnd = bufferStart_ + buffer_.size();
        if (position_ >= bufferStart_ && position_ < bufferEnd) {
            size_t offset = position_ - bufferStart_;
            size_t n = std::min<size_t>(count - copied, buffer_.size() - offset);
            std::memcpy(out + copied, buffer_.data() + offset, n);
            copied += n;
            position_ += n;
            continue;
        }
        uint32_t left = count - copied;
        if (left >= kBufferSize) {
            // Large reads bypass the buffer.
            ssize_t n = ::pread(fd_, out + copied, left, static_cast<off_t>(position_));
            if (n < 0) {
                if (errno == EINTR) continue;
                *done = copied;
                return ErrorFromErrno(errno);
            }
            if (n == 0) break;
            copied += static_cast<uint32_t>(n);
            position_ += static_cast<uint64_t>(n);
            continue;
        }
        buffer_.resize(kBufferSize);
        ssize_t n = ::pread(fd_, buffer_.data(), kBufferSize, static_cast<off_t>(position_));
        if (n < 0) {
            buffer_.clear();
            if (errno == EINTR) continue;
            *done = copied;
            return ErrorFromErrno(errno);
        }
        buffer_.resize(static_cast<size_t>(n));
        bufferStart_ = position_;
        if (n == 0) break;
    }
    *done = copied;
    return ERROR_SUCCESS;
}

DWORD HostFile::Write(const void* buffer, uint32_t count, uint32_t* done) {
    std::lock_guard lock(mutex_);
    buffer_.clear();
    const auto* in = static_cast<const uint8_t*>(buffer);
    uint64_t growth = 0;
    uint32_t fitting = Fitting(count, &growth);
    uint32_t written = 0;
    while (written < fitting) {
        ssize_t n = ::pwrite(fd_, in + written, fitting - written,
                             static_cast<off_t>(position_));
        if (n < 0) {
            if (errno == EINTR) continue;
            *done = written;
            // A handle opened for reading only refuses writes as Windows does.
            return errno == EBADF ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno);
        }
        written += static_cast<uint32_t>(n);
        position_ += static_cast<uint64_t>(n);
    }
    *done = written;
    return written < count ? ERROR_DISK_FULL : ERROR_SUCCESS;
}

DWORD HostFile::Seek(int64_t offset, int origin, uint64_t* position) {
    std::lock_guard lock(mutex_);
    int64_t base;
    if (origin == FILE_BEGIN) {
        base = 0;
    } else if (origin == FILE_CURRENT) {
        base = static_cast<int64_t>(position_);
    } else if (origin == FILE_END) {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return ErrorFromErrno(errno);
        base = st.st_size;
    } else {
        return ERROR_INVALID_PARAMETER;
    }
    if (base + offset < 0) return ERROR_NEGATIVE_SEEK;
    position_ = static_cast<uint64_t>(base + offset);
    *position = position_;
    return ERROR_SUCCESS;
}

DWORD HostFile::Truncate() {
    std::lock_guard lock(mutex_);
    buffer_.clear();
    if (::ftruncate(fd_, static_cast<off_t>(position_)) != 0) return ErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

DWORD HostFile::Size(uint64_t* size) {
    std::lock_guard lock(mutex_);
    struct stat st;
    if (::fstat(fd_, &st) != 0) return ErrorFromErrno(errno);
    *size = static_cast<uint64_t>(st.st_size);
    return ERROR_SUCCESS;
}

DWORD HostFile::Close() {
    std::lock_guard lock(mutex_);
    buffer_.clear();
    int fd = fd_;
    fd_ = -1;
    shareToken_.reset();
    if (fd >= 0 && ::close(fd) != 0) return ErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

}  // namespace vpr::win
