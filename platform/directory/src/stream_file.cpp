#include "stream_file.h"

#include <limits>

#include "vpr/directory/client.h"
#include "vpr/win/error.h"

namespace vpr::directory {

namespace {
// Streams are addressed with 32-bit offsets by the file calls.
constexpr uint64_t kMaxStreamSize = std::numeric_limits<int32_t>::max();
}  // namespace

StreamFile::StreamFile(std::shared_ptr<Store> store, NameParts object, std::string attribute,
                       std::vector<uint8_t> content, bool writable, uint64_t writeBudget)
    : MemoryFile(std::move(content)), store_(std::move(store)), object_(std::move(object)), attribute_(std::move(attribute)) {
    SetCapacity(kMaxStreamSize);
    FailWritesAfter(writeBudget);
    if (!writable) SetReadOnly();
}

DWORD StreamFile::Close() {
    MemoryFile::Close();
    if (!Changed()) return ERROR_SUCCESS;
    return store_->WriteStream(object_, attribute_, Contents()) == DIR_SUCCESS ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

}  // namespace vpr::directory
