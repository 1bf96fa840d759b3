#include "request_buffer.h"

#include "vpr/directory/client.h"
#include "vpr/directory/value_codec.h"

namespace vpr::directory {

void ByteWriter::U32(uint32_t value) { PutU32(bytes_, value); }

void ByteWriter::Counted(std::string_view text) {
    U32(static_cast<uint32_t>(text.size()));
    bytes_->insert(bytes_->end(), text.begin(), text.end());
}

void ByteWriter::Counted(const std::vector<uint8_t>& data) {
    U32(static_cast<uint32_t>(data.size()));
    bytes_->insert(bytes_->end(), data.begin(), data.end());
}

bool ByteReader::U32(uint32_t* value) {
    if (bytes_.size() < at_ + 4) return false;
    *value = GetU32(bytes_.data() + at_);
    at_ += 4;
    return true;
}

bool ByteReader::Counted(std::vector<uint8_t>* data) {
    uint32_t length;
    if (!U32(&length) || bytes_.size() - at_ < length) return false;
    data->assign(bytes_.begin() + static_cast<ptrdiff_t>(at_),
                 bytes_.begin() + static_cast<ptrdiff_t>(at_ + length));
    at_ += length;
    return true;
}

bool ByteReader::Counted(std::string* text) {
    std::vector<uint8_t> data;
    if (!Counted(&data)) return false;
    text->assign(data.begin(), data.end());
    return true;
}

uint32_t RequestOperation(const DirBuffer& buffer) {
    return buffer.bytes.size() >= 8 ? GetU32(buffer.bytes.data()) : 0;
}

int AppendEntry(DirBuffer* buffer, const RequestEntry& entry) {
    if (buffer->bytes.size() < 8) return DIR_ERR_BAD_REQUEST;
    std::vector<uint8_t> encoded;
    ByteWriter writer(&encoded);
    writer.U32(entry.tag);
    switch (entry.tag) {
        case kTagChange:
            writer.U32(entry.kind);
            writer.Counted(entry.name);
            break;
        case kTagValue:
            writer.U32(entry.value.syntax);
            writer.Counted(entry.value.bytes);
            break;
        default:
            writer.Counted(entry.name);
            break;
    }
    if (buffer->bytes.size() + encoded.size() > buffer->budget) return DIR_ERR_BUFFER_FULL;
    buffer->bytes.insert(buffer->bytes.end(), encoded.begin(), encoded.end());
    uint32_t count = GetU32(buffer->bytes.data() + 4) + 1;
    std::vector<uint8_t> countBytes;
    PutU32(&countBytes, count);
    std::copy(countBytes.begin(), countBytes.end(), buffer->bytes.begin() + 4);
    return DIR_SUCCESS;
}

int ReadEntries(const DirBuffer& buffer, std::vector<RequestEntry>* entries) {
    ByteReader reader(buffer.bytes, 4);
    uint32_t count;
    if (!reader.U32(&count)) return DIR_ERR_BAD_REQUEST;
    entries->clear();
    for (uint32_t i = 0; i < count; ++i) {
        RequestEntry entry;
        bool ok = reader.U32(&entry.tag);
        switch (entry.tag) {
            case kTagChange:
                ok = ok && reader.U32(&entry.kind) && reader.Counted(&entry.name);
                break;
            case kTagValue:
                ok = ok && reader.U32(&entry.value.syntax) && reader.Counted(&entry.value.bytes);
                break;
            case kTagAttributeName:
            case kTagClassName:
                ok = ok && reader.Counted(&entry.name);
                break;
            default:
                ok = false;
        }
        if (!ok) return DIR_ERR_BAD_REQUEST;
        entries->push_back(std::move(entry));
    }
    return DIR_SUCCESS;
}

}  // namespace vpr::directory
