// Writing and reading picture files.
#include "picture_file.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "../core/text.h"
#include "snapshot/engine/engine_ui.h"

namespace snapshot {

namespace {

// Records are gathered up to this size before one write.
constexpr size_t kWriteChunk = 64 * 1024;
constexpr size_t kReadChunk = 64 * 1024;

void PutInt(std::vector<uint8_t>* bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes->push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t GetInt(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

// ---- writer ----

PictureWriter::~PictureWriter() {
    if (file_ != HFILE_ERROR) _lclose(file_);
}

void PictureWriter::Create(const std::string& path) {
    Close();
    file_ = _lcreat(path.c_str(), 0);
    if (file_ == HFILE_ERROR) StopProgram(kStrDiskWriteFailed);
}

void PictureWriter::Close() {
    if (file_ == HFILE_ERROR) return;
    Flush();
    HFILE file = file_;
    file_ = HFILE_ERROR;
    if (_lclose(file) == HFILE_ERROR) StopProgram(kStrDiskWriteFailed);
}

void PictureWriter::Flush() {
    if (pending_.empty()) return;
    UINT count = static_cast<UINT>(pending_.size());
    UINT written = _lwrite(file_, reinterpret_cast<LPCSTR>(pending_.data()), count);
    pending_.clear();
    if (written != count) StopProgram(kStrDiskWriteFailed);
}

void PictureWriter::WriteInt(uint32_t value) {
    PutInt(&pending_, value);
    if (pending_.size() >= kWriteChunk) Flush();
}

void PictureWriter::WriteString(const std::string& text) {
    std::string cut = CutAtCharacter(text, kMaxPictureString);
    WriteBlob(reinterpret_cast<const uint8_t*>(cut.data()), cut.size());
}

void PictureWriter::WriteBlob(const uint8_t* bytes, size_t length) {
    PutInt(&pending_, static_cast<uint32_t>(length));
    if (length >= kWriteChunk) {
        Flush();
        UINT written = _lwrite(file_, reinterpret_cast<LPCSTR>(bytes), static_cast<UINT>(length));
        if (written != length) StopProgram(kStrDiskWriteFailed);
        return;
    }
    pending_.insert(pending_.end(), bytes, bytes + length);
    if (pending_.size() >= kWriteChunk) Flush();
}

void PictureWriter::WriteHeader() {
    WriteInt(kTagHeader);
    WriteString(kPictureHeaderText);
}

void PictureWriter::WriteDirRecord(const std::string& path) {
    WriteInt(kTagDirectory);
    WriteString(path);
}

void PictureWriter::WriteFileRecord(const FileRecord& record) {
    WriteInt(kTagFile);
    WriteInt(record.time);
    WriteInt(record.size);
    WriteString(CutAtCharacter(record.name, kMaxFileName));
}

void PictureWriter::WriteKeyRecord(const std::string& key) {
    WriteInt(kTagKey);
    WriteString(key);
}

void PictureWriter::WriteRegValueRecord(const std::string& name, uint32_t type, const uint8_t* data, size_t length) {
    WriteInt(kTagValue);
    WriteString(name);
    WriteInt(type);
    WriteBlob(data, length);
}

void PictureWriter::WriteGroupItemRecord(const GroupItem& item) {
    WriteInt(kTagGroupItem);
    WriteString(item.group);
    WriteString(item.text1);
    WriteString(item.text2);
    WriteString(item.text3);
    WriteString(item.text4);
    WriteInt(static_cast<uint32_t>(item.integer1));
    WriteString(item.text5);
    WriteInt(static_cast<uint32_t>(item.integer2));
}

// ---- reader ----

PictureReader::~PictureReader() { Close(); }

bool PictureReader::Open(const std::string& path) {
    Close();
    HFILE file = _lopen(path.c_str(), OF_READ | OF_SHARE_DENY_NONE);
    if (file == HFILE_ERROR) return false;
    LONG end = _llseek(file, 0, FILE_END);
    if (end < 0 || _llseek(file, 0, FILE_BEGIN) != 0) {
        _lclose(file);
        return false;
    }
    file_ = file;
    size_ = static_cast<uint64_t>(end);
    position_ = 0;
    buffer_.clear();
    bufferStart_ = 0;
    return true;
}

void PictureReader::Close() {
    if (file_ != HFILE_ERROR) _lclose(file_);
    file_ = HFILE_ERROR;
    buffer_.clear();
}

bool PictureReader::Seek(uint64_t position) {
    if (position > size_) return false;
    position_ = position;
    return true;
}

// Makes the buffer hold the bytes at the position (as many as the file has,
// up to one chunk).
bool PictureReader::Fill() {
    if (position_ >= bufferStart_ && position_ < bufferStart_ + buffer_.size()) return true;
    if (position_ >= size_ || position_ > 0x7FFFFFFF) return false;
    if (_llseek(file_, static_cast<LONG>(position_), FILE_BEGIN) != static_cast<LONG>(position_)) return false;
    // A chunk, or the rest of a smaller file: a small picture is not read
    // into (and zeroed for) a whole chunk.
    size_t want = static_cast<size_t>(std::min<uint64_t>(kReadChunk, size_ - position_));
    buffer_.resize(want);
    UINT got = _lread(file_, buffer_.data(), static_cast<UINT>(want));
    if (got == static_cast<UINT>(HFILE_ERROR) || got == 0) {
        buffer_.clear();
        return false;
    }
    buffer_.resize(got);
    bufferStart_ = position_;
    return true;
}

bool PictureReader::ReadBytes(void* target, size_t count) {
    if (count > size_ - position_) return false;
    auto* out = static_cast<uint8_t*>(target);
    while (count > 0) {
        if (!Fill()) return false;
        size_t offset = static_cast<size_t>(position_ - bufferStart_);
        size_t step = std::min(count, buffer_.size() - offset);
        std::memcpy(out, buffer_.data() + offset, step);
        out += step;
        position_ += step;
        count -= step;
    }
    return true;
}

bool PictureReader::Skip(uint64_t count) {
    if (count > size_ - position_) return false;
    position_ += count;
    return true;
}

bool PictureReader::ReadTag(uint32_t* tag) { return ReadInt(tag); }

bool PictureReader::ReadInt(uint32_t* value) {
    uint8_t bytes[4];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    *value = GetInt(bytes);
    return true;
}

bool PictureReader::ReadString(std::string* text) {
    uint32_t length = 0;
    if (!ReadInt(&length) || length > kMaxPictureString) return false;
    char bytes[kMaxPictureString];
    if (!ReadBytes(bytes, length)) return false;
    text->assign(bytes, length);
    return true;
}

bool PictureReader::ReadHeader(std::string* text) {
    uint32_t tag = 0;
    return Seek(0) && ReadTag(&tag) && tag == kTagHeader && ReadString(text);
}

bool PictureReader::ReadFileRecord(FileRecord* record) {
    if (!ReadInt(&record->time) || !ReadInt(&record->size) || !ReadString(&record->name)) return false;
    record->name = CutAtCharacter(record->name, kMaxFileName);
    return true;
}

bool PictureReader::ReadKeyRecord(std::string* key) {
    if (!ReadString(key)) return false;
    *key = CutAtCharacter(*key, kMaxKeyKept);
    return true;
}

bool PictureReader::ReadRegValueRecord(RegValueRecord* record) {
    uint32_t length = 0;
    if (!ReadString(&record->name) || !ReadInt(&record->type) || !ReadInt(&length)) return false;
    if (length > size_ - position_) return false;
    try {
        record->data.resize(length);
    } catch (const std::bad_alloc&) {
        StopProgram(kStrOutOfMemory);
    }
    return ReadBytes(record->data.data(), length);
}

bool PictureReader::ReadGroupItemRecord(GroupItem* item) {
    uint32_t integer1 = 0, integer2 = 0;
    if (!ReadString(&item->group) || !ReadString(&item->text1) || !ReadString(&item->text2) ||
        !ReadString(&item->text3) || !ReadString(&item->text4) || !ReadInt(&integer1) ||
        !ReadString(&item->text5) || !ReadInt(&integer2))
        return false;
    item->integer1 = static_cast<int32_t>(integer1);
    item->integer2 = static_cast<int32_t>(integer2);
    return true;
}

bool PictureReader::SkipFileRecord() {
    uint32_t length = 0;
    return Skip(8) && ReadInt(&length) && length <= kMaxPictureString && Skip(length);
}

bool PictureReader::SkipValueRecord() {
    uint32_t length = 0;
    if (!ReadInt(&length) || length > kMaxPictureString || !Skip(length) || !Skip(4)) return false;
    return ReadInt(&length) && Skip(length);
}

}  // namespace snapshot
