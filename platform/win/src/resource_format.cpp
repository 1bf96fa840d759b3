// Encoders and decoders of the resource container and its records; the layout
// is documented in docs/resource_format.md.
#include "vpr/win/resource_format.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "vpr/win/error.h"

namespace vpr::win {
namespace {

constexpr char kContainerMagic[8] = {'V', 'P', 'R', 'R', 'S', 'R', 'C', '1'};
constexpr char kTrailerMagic[8] = {'V', 'P', 'R', 'R', 'T', 'A', 'I', 'L'};
constexpr size_t kHeaderSize = 16;   // magic, entry count, checksum
constexpr size_t kTrailerSize = 24;  // offset, length, magic

uint32_t Crc32(const uint8_t* data, size_t size) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

class Writer {
public:
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v) {
        U8(v & 0xFF);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v));
        U32(static_cast<uint32_t>(v >> 32));
    }
    void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
    void Bytes(const void* data, size_t size) {
        auto p = static_cast<const uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    // Texts longer than 65535 bytes are cut; the compiler refuses them first.
    void Text(const std::string& s) {
        size_t n = s.size() > 0xFFFF ? 0xFFFF : s.size();
        U16(static_cast<uint16_t>(n));
        Bytes(s.data(), n);
    }
    void Id(const ResourceId& id) {
        U8(id.isNumber ? 0 : 1);
        if (id.isNumber)
            U16(id.number);
        else
            Text(id.name);
    }
    std::vector<uint8_t>& out() { return out_; }

private:
    std::vector<uint8_t> out_;
};

// Reads fields in order; any read past the end marks the reader failed and
// yields zeros, so a decoder checks ok() once at its end.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return pos_ == size_; }
    size_t remaining() const { return size_ - pos_; }
    uint8_t U8() { return Need(1) ? data_[pos_++] : 0; }
    uint16_t U16() {
        uint16_t lo = U8();
        return static_cast<uint16_t>(lo | (U8() << 8));
    }
    uint32_t U32() {
        uint32_t lo = U16();
        return lo | (static_cast<uint32_t>(U16()) << 16);
    }
    uint64_t U64() {
        uint64_t lo = U32();
        return lo | (static_cast<uint64_t>(U32()) << 32);
    }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    const uint8_t* Bytes(size_t n) {
        if (!Need(n)) return nullptr;
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    std::string Text() {
        uint16_t n = U16();
        const uint8_t* p = Bytes(n);
        return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
    }
    ResourceId Id() {
        uint8_t kind = U8();
        if (kind == 0) return ResourceId::Number(U16());
        if (kind != 1) ok_ = false;
        return ResourceId::Name(Text());
    }
    // A count of records that each take at least `minSize` bytes: refuses
    // counts the remaining bytes cannot hold, so damage never allocates much.
    size_t Count(size_t value, size_t minSize) {
        if (value * minSize > remaining()) ok_ = false;
        return ok_ ? value : 0;
    }

private:
    bool Need(size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return false;
        }
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, DWORD* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = ErrorFromErrno(errno);
        return false;
    }
    bytes->clear();
    uint8_t buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = ErrorFromErrno(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes->insert(bytes->end(), buffer, buffer + n);
    }
    ::close(fd);
    return true;
}

DWORD WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    // Written beside the file and renamed over it, so a failed write leaves
    // the old file as it was; the file's mode is kept.
    struct stat st {};
    mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    std::string temp = path + ".vprrc-tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return ErrorFromErrno(errno);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            DWORD code = ErrorFromErrno(errno);
            ::close(fd);
            ::unlink(temp.c_str());
            return code;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        DWORD code = ErrorFromErrno(errno);
        ::unlink(temp.c_str());
        return code;
    }
    return ERROR_SUCCESS;
}

// Where the container sits in a module file's bytes: [offset, offset+length).
// A file with neither a container magic nor a trailer has none.
bool LocateContainer(const std::vector<uint8_t>& file, size_t* offset, size_t* length) {
    if (HasContainerMagic(file.data(), file.size())) {
        *offset = 0;
        *length = file.size();
        return true;
    }
    if (file.size() < kTrailerSize) return false;
    Reader trailer(file.data() + file.size() - kTrailerSize, kTrailerSize);
    uint64_t off = trailer.U64();
    uint64_t len = trailer.U64();
    if (std::memcmp(trailer.Bytes(8), kTrailerMagic, 8) != 0) return false;
    uint64_t body = file.size() - kTrailerSize;
    if (off > body || len > body - off) return false;
    *offset = static_cast<size_t>(off);
    *length = static_cast<size_t>(len);
    return true;
}

}  // namespace

bool ResourceId::Matches(const ResourceId& other) const {
    if (isNumber != other.isNumber) return false;
    if (isNumber) return number == other.number;
    return name.size() == other.name.size() && ::strcasecmp(name.c_str(), other.name.c_str()) == 0;
}

std::string ResourceId::ToString() const { return isNumber ? "#" + std::to_string(number) : name; }

std::vector<uint8_t> EncodeContainer(const std::vector<ResourceEntry>& entries) {
    Writer body;
    for (const ResourceEntry& e : entries) {
        body.Id(e.type);
        body.Id(e.name);
        body.U32(static_cast<uint32_t>(e.data.size()));
        body.Bytes(e.data.data(), e.data.size());
    }
    Writer out;
    out.Bytes(kContainerMagic, 8);
    out.U32(static_cast<uint32_t>(entries.size()));
    out.U32(Crc32(body.out().data(), body.out().size()));
    out.Bytes(body.out().data(), body.out().size());
    return std::move(out.out());
}

bool HasContainerMagic(const uint8_t* data, size_t size) {
    return size >= 8 && std::memcmp(data, kContainerMagic, 8) == 0;
}

bool DecodeContainer(const uint8_t* data, size_t size, std::vector<ResourceEntry>* entries) {
    if (size < kHeaderSize || !HasContainerMagic(data, size)) return false;
    Reader header(data + 8, 8);
    uint32_t count = header.U32();
    uint32_t crc = header.U32();
    if (Crc32(data + kHeaderSize, size - kHeaderSize) != crc) return false;
    Reader r(data + kHeaderSize, size - kHeaderSize);
    std::vector<ResourceEntry> result(r.Count(count, 7));
    for (ResourceEntry& e : result) {
        e.type = r.Id();
        e.name = r.Id();
        uint32_t length = r.U32();
        const uint8_t* p = r.Bytes(length);
        if (!p) return false;
        e.data.assign(p, p + length);
    }
    if (!r.ok() || !r.AtEnd()) return false;
    *entries = std::move(result);
    return true;
}

bool ReadModuleContainer(const std::string& hostPath, std::vector<uint8_t>* container,
                         DWORD* error) {
    std::vector<uint8_t> file;
    if (!ReadWholeFile(hostPath, &file, error)) return false;
    size_t offset = 0, length = 0;
    if (!LocateContainer(file, &offset, &length)) {
        *error = ERROR_RESOURCE_DATA_NOT_FOUND;
        return false;
    }
    container->assign(file.begin() + static_cast<ptrdiff_t>(offset),
                      file.begin() + static_cast<ptrdiff_t>(offset + length));
    return true;
}

DWORD WriteModuleContainer(const std::string& hostPath, const std::vector<uint8_t>& container) {
    std::vector<uint8_t> file;
    DWORD error = ERROR_SUCCESS;
    if (!ReadWholeFile(hostPath, &file, &error)) {
        if (error != ERROR_FILE_NOT_FOUND) return error;
        return WriteWholeFile(hostPath, container);
    }
    size_t offset = 0, length = 0;
    if (LocateContainer(file, &offset, &length)) {
        if (offset == 0) return WriteWholeFile(hostPath, container);  // a bare container
        file.resize(offset);  // drop the old container and its trailer
    }
    Writer out;
    out.Bytes(file.data(), file.size());
    out.Bytes(container.data(), container.size());
    out.U64(file.size());
    out.U64(container.size());
    out.Bytes(kTrailerMagic, 8);
    return WriteWholeFile(hostPath, out.out());
}

std::vector<uint8_t> EncodeStringBlock(const std::array<std::string, 16>& strings) {
    Writer w;
    for (const std::string& s : strings) w.Text(s);
    return std::move(w.out());
}

bool DecodeStringBlock(const uint8_t* data, size_t size, std::array<std::string, 16>* strings) {
    Reader r(data, size);
    std::array<std::string, 16> result;
    for (std::string& s : result) s = r.Text();
    if (!r.ok() || !r.AtEnd()) return false;
    *strings = std::move(result);
    return true;
}

std::vector<uint8_t> EncodeDialog(const DialogTemplate& d) {
    Writer w;
    w.U32(d.style);
    w.U32(d.exStyle);
    w.I16(d.x);
    w.I16(d.y);
    w.I16(d.cx);
    w.I16(d.cy);
    w.U8(d.menu ? 1 : 0);
    if (d.menu) w.Id(*d.menu);
    w.Text(d.className);
    w.Text(d.caption);
    w.U16(d.pointSize);
    w.Text(d.fontName);
    w.U16(static_cast<uint16_t>(d.controls.size()));
    for (const DialogControl& c : d.controls) {
        w.Text(c.className);
        w.Id(c.text);
        w.U32(static_cast<uint32_t>(c.id));
        w.U32(c.style);
        w.U32(c.exStyle);
        w.I16(c.x);
        w.I16(c.y);
        w.I16(c.cx);
        w.I16(c.cy);
    }
    return std::move(w.out());
}

bool DecodeDialog(const uint8_t* data, size_t size, DialogTemplate* dialog) {
    Reader r(data, size);
    DialogTemplate d;
    d.style = r.U32();
    d.exStyle = r.U32();
    d.x = r.I16();
    d.y = r.I16();
    d.cx = r.I16();
    d.cy = r.I16();
    if (r.U8() != 0) d.menu = r.Id();
    d.className = r.Text();
    d.caption = r.Text();
    d.pointSize = r.U16();
    d.fontName = r.Text();
    d.controls.resize(r.Count(r.U16(), 25));
    for (DialogControl& c : d.controls) {
        c.className = r.Text();
        c.text = r.Id();
        c.id = static_cast<int32_t>(r.U32());
        c.style = r.U32();
        c.exStyle = r.U32();
        c.x = r.I16();
        c.y = r.I16();
        c.cx = r.I16();
        c.cy = r.I16();
    }
    if (!r.ok() || !r.AtEnd()) return false;
    *dialog = std::move(d);
    return true;
}

namespace {

void EncodeMenuItems(Writer& w, const std::vector<MenuItem>& items) {
    w.U16(static_cast<uint16_t>(items.size()));
    for (const MenuItem& item : items) {
        w.U32(item.flags);
        w.U32(item.id);
        w.Text(item.text);
        if (item.flags & kMenuPopup) EncodeMenuItems(w, item.children);
    }
}

bool DecodeMenuItems(Reader& r, std::vector<MenuItem>* items, int depth) {
    if (depth > 32) return false;  // deeper than any real menu: damaged data
    items->resize(r.Count(r.U16(), 10));
    for (MenuItem& item : *items) {
        item.flags = r.U32();
        item.id = r.U32();
        item.text = r.Text();
        if ((item.flags & kMenuPopup) && !DecodeMenuItems(r, &item.children, depth + 1))
            return false;
    }
    return r.ok();
}

}  // namespace

std::vector<uint8_t> EncodeMenu(const std::vector<MenuItem>& items) {
    Writer w;
    EncodeMenuItems(w, items);
    return std::move(w.out());
}

bool DecodeMenu(const uint8_t* data, size_t size, std::vector<MenuItem>* items) {
    Reader r(data, size);
    std::vector<MenuItem> result;
    if (!DecodeMenuItems(r, &result, 0) || !r.AtEnd()) return false;
    *items = std::move(result);
    return true;
}

std::vector<uint8_t> EncodeAccelerators(const std::vector<Accelerator>& table) {
    Writer w;
    w.U16(static_cast<uint16_t>(table.size()));
    for (const Accelerator& a : table) {
        w.U16(a.flags);
        w.U16(a.key);
        w.U16(a.id);
    }
    return std::move(w.out());
}

bool DecodeAccelerators(const uint8_t* data, size_t size, std::vector<Accelerator>* table) {
    Reader r(data, size);
    std::vector<Accelerator> result(r.Count(r.U16(), 6));
    for (Accelerator& a : result) {
        a.flags = r.U16();
        a.key = r.U16();
        a.id = r.U16();
    }
    if (!r.ok() || !r.AtEnd()) return false;
    *table = std::move(result);
    return true;
}

void VersionResource::SetString(const std::string& key, const std::string& name,
                                const std::string& value) {
    VersionStringTable* table = nullptr;
    for (VersionStringTable& t : tables)
        if (::strcasecmp(t.key.c_str(), key.c_str()) == 0) table = &t;
    if (!table) {
        tables.push_back({key, {}});
        table = &tables.back();
    }
    for (auto& [n, v] : table->values) {
        if (::strcasecmp(n.c_str(), name.c_str()) == 0) {
            v = value;
            return;
        }
    }
    table->values.emplace_back(name, value);
}

std::vector<uint8_t> EncodeVersion(const VersionResource& v) {
    Writer w;
    for (uint16_t part : v.fileVersion) w.U16(part);
    for (uint16_t part : v.productVersion) w.U16(part);
    w.U32(v.fileFlags);
    w.U32(v.fileOs);
    w.U32(v.fileType);
    w.U32(v.fileSubtype);
    w.U16(static_cast<uint16_t>(v.tables.size()));
    for (const VersionStringTable& t : v.tables) {
        w.Text(t.key);
        w.U16(static_cast<uint16_t>(t.values.size()));
        for (const auto& [name, value] : t.values) {
            w.Text(name);
            w.Text(value);
        }
    }
    return std::move(w.out());
}

bool DecodeVersion(const uint8_t* data, size_t size, VersionResource* version) {
    Reader r(data, size);
    VersionResource v;
    for (uint16_t& part : v.fileVersion) part = r.U16();
    for (uint16_t& part : v.productVersion) part = r.U16();
    v.fileFlags = r.U32();
    v.fileOs = r.U32();
    v.fileType = r.U32();
    v.fileSubtype = r.U32();
    v.tables.resize(r.Count(r.U16(), 4));
    for (VersionStringTable& t : v.tables) {
        t.key = r.Text();
        t.values.resize(r.Count(r.U16(), 4));
        for (auto& [name, value] : t.values) {
            name = r.Text();
            value = r.Text();
        }
    }
    if (!r.ok() || !r.AtEnd()) return false;
    *version = std::move(v);
    return true;
}

bool ParseVersionText(const std::string& text, std::array<uint16_t, 4>* parts) {
    std::array<uint16_t, 4> result{};
    size_t index = 0;
    size_t pos = 0;
    while (true) {
        if (index == 4 || pos >= text.size() || text[pos] < '0' || text[pos] > '9') return false;
        uint32_t value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<uint32_t>(text[pos++] - '0');
            if (value > 0xFFFF) return false;
        }
        result[index++] = static_cast<uint16_t>(value);
        if (pos == text.size()) break;
        if (text[pos++] != '.') return false;
    }
    *parts = result;
    return true;
}

std::string VersionText(const std::array<uint16_t, 4>& parts) {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

DWORD StampModuleVersion(const std::string& hostPath, const std::array<uint16_t, 4>& version) {
    std::vector<uint8_t> bytes;
    DWORD error = ERROR_SUCCESS;
    if (!ReadModuleContainer(hostPath, &bytes, &error)) return error;
    std::vector<ResourceEntry> entries;
    if (!DecodeContainer(bytes.data(), bytes.size(), &entries)) return ERROR_INVALID_DATA;
    ResourceEntry* entry = nullptr;
    for (ResourceEntry& e : entries)
        if (e.type.Matches(ResourceId::Number(kResVersion))) entry = &e;
    VersionResource v;
    if (!entry) {
        entries.push_back({ResourceId::Number(kResVersion), ResourceId::Number(1), {}});
        entry = &entries.back();
    } else if (!DecodeVersion(entry->data.data(), entry->data.size(), &v)) {
        return ERROR_INVALID_DATA;
    }
    v.fileVersion = version;
    v.productVersion = version;
    if (v.tables.empty()) v.tables.push_back({"040904E4", {}});
    for (VersionStringTable& t : v.tables) {
        v.SetString(t.key, "FileVersion", VersionText(version));
        v.SetString(t.key, "ProductVersion", VersionText(version));
    }
    entry->data = EncodeVersion(v);
    return WriteModuleContainer(hostPath, EncodeContainer(entries));
}

}  // namespace vpr::win
