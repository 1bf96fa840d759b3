// A stream attribute opened as a file: the content is read when the stream is
// opened, edited in memory, and stored in one transaction when the handle is
// closed (only when something was written). It keeps the store alive by
// itself, so it outlives the context it was opened from.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vpr/directory/store.h"
#include "vpr/win/handle_table.h"

namespace vpr::directory {

class StreamFile : public win::FileObject {
public:
    StreamFile(std::shared_ptr<Store> store, NameParts object, std::string attribute,
               std::vector<uint8_t> content, bool writable, uint64_t writeBudget);

    DWORD Read(void* buffer, uint32_t count, uint32_t* done) override;
    DWORD Write(const void* buffer, uint32_t count, uint32_t* done) override;
    DWORD Seek(int64_t offset, int origin, uint64_t* position) override;
    DWORD Truncate() override;
    DWORD Size(uint64_t* size) override;
    DWORD Close() override;

private:
    std::mutex mutex_;
    std::shared_ptr<Store> store_;
    NameParts object_;
    std::string attribute_;
    std::vector<uint8_t> content_;
    uint64_t position_ = 0;
    bool writable_;
    bool dirty_ = false;
    uint64_t writeBudget_;
};

}  // namespace vpr::directory
