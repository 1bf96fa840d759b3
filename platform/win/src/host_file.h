// A file on the host disk behind a handle. Reads go through a read-ahead
// buffer, because the template reader reads a few bytes at a time and seeks
// back; writes and truncation go straight to the file and drop the buffer, so
// what a caller reads after its own write is always what the file holds.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "fault_table.h"
#include "vpr/win/handle_table.h"

namespace vpr::win {

class HostFile : public FileObject {
public:
    // `shareToken` keeps the open registered in the share table until the
    // file closes; `space`, when set, limits how much writes may grow files
    // (a disk made full by a test).
    explicit HostFile(int fd, std::shared_ptr<void> shareToken = nullptr,
                      std::shared_ptr<DiskSpace> space = nullptr);
    ~HostFile() override;

    DWORD Read(void* buffer, uint32_t count, uint32_t* done) override;
    DWORD Write(const void* buffer, uint32_t count, uint32_t* done) override;
    DWORD Seek(int64_t offset, int origin, uint64_t* position) override;
    DWORD Truncate() override;
    DWORD Size(uint64_t* size) override;
    DWORD Close() override;

private:
    static constexpr size_t kBufferSize = 64 * 1024;

    // Bytes of `count` at the position that fit on the disk; *growth is by
    // how much they grow the file.
    uint32_t Fitting(uint32_t count, uint64_t* growth);

    std::mutex mutex_;
    int fd_;
    std::shared_ptr<void> shareToken_;
    std::shared_ptr<DiskSpace> space_;
    uint64_t position_ = 0;
    std::vector<uint8_t> buffer_;  // bytes of the file from bufferStart_ on
    uint64_t bufferStart_ = 0;
};

}  // namespace vpr::win
