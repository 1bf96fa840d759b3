// A stream attribute opened as a file: the one in-memory file object
// (MemoryFile) over the content read when the stream was opened, stored in
// one transaction when the handle is closed (only when something was
// written). It keeps the store alive by itself, so it outlives the context it
// was opened from.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vpr/directory/store.h"
#include "vpr/win/memory_file.h"

namespace vpr::directory {

class StreamFile : public win::MemoryFile {
public:
    StreamFile(std::shared_ptr<Store> store, NameParts object, std::string attribute,
               std::vector<uint8_t> content, bool writable, uint64_t writeBudget);

    DWORD Close() override;

private:
    std::shared_ptr<Store> store_;
    NameParts object_;
    std::string attribute_;
};

}  // namespace vpr::directory
