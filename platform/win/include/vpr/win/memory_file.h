// The one in-memory file object: the test file with a capacity (writes past
// it are short, as on a full disk) and injectable read and write faults, and
// the base of files whose content lives elsewhere and is read whole when
// opened (a directory stream: it stores the content on Close when Changed).
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "vpr/win/handle_table.h"

namespace vpr::win {

class MemoryFile : public FileObject {
public:
    static constexpr uint64_t kUnlimited = std::numeric_limits<uint64_t>::max();

    explicit MemoryFile(std::vector<uint8_t> contents = {});

    // Largest size the file may grow to; a write that would pass it writes
    // what fits and reports ERROR_DISK_FULL.
    void SetCapacity(uint64_t capacity);
    // After this many more bytes have been read (or written) in total, every
    // further read (or write) fails with ERROR_READ_FAULT (ERROR_WRITE_FAULT);
    // a call that crosses the limit transfers the bytes before it.
    void FailReadsAfter(uint64_t bytes);
    void FailWritesAfter(uint64_t bytes);
    // Writes and truncations answer ERROR_ACCESS_DENIED.
    void SetReadOnly();
    // Whether a write or truncation changed anything since the file was made.
    bool Changed() const;

    std::vector<uint8_t> Contents() const;
    uint64_t Position() const;
    bool closed() const;

    // Opens a new handle on the file (the file stays alive while the caller
    // or a handle holds it).
    static HFILE Open(const std::shared_ptr<MemoryFile>& file);

    DWORD Read(void* buffer, uint32_t count, uint32_t* done) override;
    DWORD Write(const void* buffer, uint32_t count, uint32_t* done) override;
    DWORD Seek(int64_t offset, int origin, uint64_t* position) override;
    DWORD Truncate() override;
    DWORD Size(uint64_t* size) override;
    DWORD Close() override;

private:
    mutable std::mutex mutex_;  // guards every member below
    std::vector<uint8_t> data_;
    uint64_t position_ = 0;
    uint64_t capacity_ = kUnlimited;
    uint64_t readBudget_ = kUnlimited;
    uint64_t writeBudget_ = kUnlimited;
    bool readOnly_ = false;
    bool changed_ = false;
    bool closed_ = false;
};

}  // namespace vpr::win
