// The reader: records from an open template or from a serialized entry in
// memory, whole templates as entry lists, and the matching free functions.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "entry_kinds.h"
#include "entry_memory.h"
#include "record_codec.h"
#include "template/template_library.h"
#include "vpr/win/handle_table.h"

using vpr::qmt::GetU32;
using vpr::qmt::kHeaderSize;

namespace {

// Record bytes from the file's current position. The file object behind the
// handle is looked up once per source, and a record of ordinary size is read
// in two calls (its header, then the rest as long as the header says): the
// fields are taken from that copy. A source that reads record after record
// (an entry list) reads ahead a block at a time instead, so that a record
// costs no call on the file. What the parse does not use goes back to the
// file when the source is done or given back, so the file stands after the
// last byte parsed, as if every field had been read on its own. A handle
// that names no file object goes through the _l* calls, which report it.
class FileSource : public vpr::qmt::RecordSource {
public:
    enum class Reading { kRecord, kAhead };
    explicit FileSource(HFILE handle, Reading reading = Reading::kRecord)
        : handle_(handle), file_(FileOf(handle)), ahead_(reading == Reading::kAhead) {}
    ~FileSource() override { GiveBack(); }

    // Puts back what the parse has not taken, so that the file stands after
    // the last byte parsed.
    void GiveBack() {
        if (next_ < end_) Seek(-static_cast<LONG>(end_ - next_), FILE_CURRENT);
        next_ = end_ = 0;
    }

    LONG ReadHeader(uint8_t* header) override {
        if (!ahead_) GiveBack();
        if (!Hold(kHeaderSize)) {
            next_ = end_;  // a cut header is taken, as a read of it would
            return TEMPLATE_ERR_END;
        }
        std::memcpy(header, held_ + next_, kHeaderSize);
        next_ += kHeaderSize;
        uint32_t length = GetU32(header + 8);
        if (length > kHeaderSize) Hold(length - kHeaderSize);  // what is there; Read tells a cut record
        return TEMPLATE_OK;
    }
    void UnreadHeader() override {
        Seek(-static_cast<LONG>(kHeaderSize + (end_ - next_)), FILE_CURRENT);
        next_ = end_ = 0;
    }
    bool Holds(uint64_t count) override {
        // Small fields are simply read; a large count is checked against the
        // bytes left before its buffer is allocated.
        if (count <= 64 * 1024) return true;
        LONG here = Seek(0, FILE_CURRENT);
        LONG end = Seek(0, FILE_END);
        if (here < 0 || end < 0 || Seek(here, FILE_BEGIN) != here) return true;
        return count <= static_cast<uint64_t>(end - here) + (end_ - next_);
    }
    bool Read(void* buffer, uint32_t count) override {
        uint32_t fromCopy = std::min(count, end_ - next_);
        if (fromCopy != 0) std::memcpy(buffer, held_ + next_, fromCopy);
        next_ += fromCopy;
        return fromCopy == count || ReadFile(static_cast<uint8_t*>(buffer) + fromCopy, count - fromCopy);
    }

private:
    // Makes `count` bytes held when they fit the buffer and the file has
    // them: reading exactly what is missing, or a whole buffer when reading
    // ahead. False when fewer are held.
    bool Hold(uint32_t count) {
        if (end_ - next_ >= count) return true;
        if (count > sizeof held_) return false;
        if (next_ + count > sizeof held_) {
            std::memmove(held_, held_ + next_, end_ - next_);
            end_ -= next_;
            next_ = 0;
        }
        uint32_t want = ahead_ ? static_cast<uint32_t>(sizeof held_) - end_ : count - (end_ - next_);
        end_ += ReadSome(held_ + end_, want);
        return end_ - next_ >= count;
    }

    static std::shared_ptr<vpr::win::FileObject> FileOf(HFILE handle) {
        return vpr::win::HandleTable::Instance().GetFile(static_cast<uint32_t>(handle));
    }

    bool ReadFile(void* buffer, uint32_t count) { return count == 0 || ReadSome(buffer, count) == count; }
    uint32_t ReadSome(void* buffer, uint32_t count) {
        if (!file_) {
            UINT done = _lread(handle_, buffer, count);
            return done == static_cast<UINT>(HFILE_ERROR) ? 0 : done;
        }
        uint32_t done = 0;
        DWORD error = file_->Read(buffer, count, &done);
        if (error != ERROR_SUCCESS && done == 0) SetLastError(error);  // as _lread reports it
        return done;
    }
    LONG Seek(LONG offset, int origin) {
        if (!file_) return _llseek(handle_, offset, origin);
        uint64_t position = 0;
        DWORD error = file_->Seek(offset, origin, &position);
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return HFILE_ERROR;
        }
        return static_cast<LONG>(position);
    }

    HFILE handle_;
    std::shared_ptr<vpr::win::FileObject> file_;
    bool ahead_;
    uint8_t held_[8192];  // bytes read from the file: [next_, end_) not yet parsed
    uint32_t next_ = 0;
    uint32_t end_ = 0;
};

// Record bytes from a serialized entry; never reads past its size.
class BufferSource : public vpr::qmt::RecordSource {
public:
    explicit BufferSource(const SerializedEntry& serialized)
        : next_(serialized.data), left_(serialized.data != nullptr ? serialized.size : 0) {}

    LONG ReadHeader(uint8_t* header) override {
        return Read(header, kHeaderSize) ? TEMPLATE_OK : TEMPLATE_ERR_READ;
    }
    void UnreadHeader() override {}
    bool Holds(uint64_t count) override { return count <= left_; }
    bool Read(void* buffer, uint32_t count) override {
        if (count > left_) return false;
        if (count != 0) std::memcpy(buffer, next_, count);
        next_ += count;
        left_ -= count;
        return true;
    }

private:
    const uint8_t* next_;
    uint64_t left_;
};

void FreeList(EntryList* list) {
    while (list != nullptr) {
        EntryList* next = list->next;
        kmapptFreeReadEntry(list->entry);
        vpr::qmt::FreeBlock(list);
        list = next;
    }
}

// With a kind mask, moves past the records whose kind lacks a bit of the mask
// and stops at the start of the next record that has them all. Returns 0 at
// such a record, TEMPLATE_ERR_END at the end of the template, or
// TEMPLATE_ERR_KIND for a record whose length cannot be stepped over.
LONG SkipToKind(HFILE handle, DWORD kindMask) {
    for (;;) {
        LONG start = _llseek(handle, 0, FILE_CURRENT);
        if (start < 0) return TEMPLATE_ERR_READ;
        uint8_t header[kHeaderSize];
        if (_lread(handle, header, kHeaderSize) != kHeaderSize) return TEMPLATE_ERR_END;
        DWORD kind = GetU32(header);
        DWORD length = GetU32(header + 8);
        if ((kind & kindMask) == kindMask) {
            _llseek(handle, start, FILE_BEGIN);
            return TEMPLATE_OK;
        }
        // A length shorter than a header would step back onto the same record
        // (or into it) and never reach the end.
        if (length < kHeaderSize) {
            _llseek(handle, start, FILE_BEGIN);
            return TEMPLATE_ERR_KIND;
        }
        int64_t next = int64_t{start} + length;
        // Offsets past what a file position can hold lie past the end.
        if (next > INT32_MAX) return TEMPLATE_ERR_END;
        if (_llseek(handle, static_cast<LONG>(next), FILE_BEGIN) != next) return TEMPLATE_ERR_READ;
    }
}

}  // namespace

extern "C" {

LONG kmapptReadEntry(HFILE handle, TemplateEntry** entry) {
    FileSource source(handle);
    return vpr::qmt::ParseRecord(source, entry);
}

LONG kmapptReadEntryFromBuffer(const SerializedEntry* serialized, TemplateEntry** entry) {
    BufferSource source(*serialized);
    return vpr::qmt::ParseRecord(source, entry);
}

LONG kmapptGetEntries(HFILE handle, DWORD kindMask, DWORD appendAtTail, EntryList** list) {
    *list = nullptr;
    if (LONG result = kmapptVerifySignature(handle); result != TEMPLATE_OK) return result;
    EntryList* head = nullptr;
    EntryList* tail = nullptr;
    LONG result = TEMPLATE_OK;
    // One source for every record, reading ahead when every record is
    // parsed; a kind mask steps over records on the file itself, so the
    // source then takes exactly each record it parses.
    FileSource source(handle, kindMask == 0 ? FileSource::Reading::kAhead : FileSource::Reading::kRecord);
    for (;;) {
        if (kindMask != 0) {
            source.GiveBack();
            result = SkipToKind(handle, kindMask);
            if (result != TEMPLATE_OK) break;
        }
        TemplateEntry* entry;
        result = vpr::qmt::ParseRecord(source, &entry);
        if (result != TEMPLATE_OK) break;
        auto* node = static_cast<EntryList*>(vpr::qmt::AllocateBlock(sizeof(EntryList)));
        if (node == nullptr) {
            kmapptFreeReadEntry(entry);
            result = TEMPLATE_ERR_MEMORY;
            break;
        }
        node->kind = entry->kind;
        node->entry = entry;
        node->next = nullptr;
        if (!appendAtTail) {
            node->next = head;
            head = node;
        } else if (tail == nullptr) {
            head = tail = node;
        } else {
            tail->next = node;
            tail = node;
        }
    }
    if (result != TEMPLATE_ERR_END) {
        FreeList(head);
        return result;
    }
    *list = head;
    return TEMPLATE_OK;
}

LONG kmapptFreeReadEntry(TemplateEntry* entry) {
    if (entry == nullptr) return TEMPLATE_OK;
    const vpr::qmt::EntryKind* kind = vpr::qmt::FindEntryKind(entry->kind);
    // An entry of no known kind was not made here: leave it alone.
    if (kind == nullptr) return TEMPLATE_OK;
    // A read entry holds its small fields' bytes in its own block; a field
    // buffer elsewhere (a large field, or one a caller put there) is freed
    // on its own.
    const uint8_t* end = reinterpret_cast<const uint8_t*>(entry);
    vpr::qmt::FindBlock(entry, &end);
    auto begin = reinterpret_cast<uintptr_t>(entry);
    for (uint32_t i = 0; i < kind->slotCount; ++i) {
        auto data = reinterpret_cast<uintptr_t>(entry->fields[i].data);
        if (data < begin || data >= reinterpret_cast<uintptr_t>(end)) std::free(entry->fields[i].data);
    }
    vpr::qmt::FreeBlock(entry);
    return TEMPLATE_OK;
}

LONG kmapptFreeEntries(EntryList* list) {
    FreeList(list);
    return TEMPLATE_OK;
}

char* kmapptGetEnv(LPCSTR name) { return std::getenv(name); }

}  // extern "C"
