#include "vpr/com/shell_link_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "vpr/com/guid.h"
#include "vpr/locale/locale.h"
#include "vpr/machine/atomic_file.h"
#include "vpr/win/path.h"

namespace vpr::com {

namespace {

DEFINE_GUID(kShellLinkClass, 0x00021401, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

constexpr uint32_t kPresenceFlags = kLinkHasIdList | kLinkHasLinkInfo | kLinkHasName | kLinkHasRelativePath |
                                    kLinkHasWorkingDir | kLinkHasArguments | kLinkHasIconLocation | kLinkIsUnicode;
constexpr uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr uint32_t kLinkInfoUnicodeHeaderSize = 0x24;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kVolumeIdHeaderSize = 0x10;

class Writer {
public:
    void U16(uint32_t v) { Bytes({static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); }
    void U32(uint32_t v) { for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i))); }
    void U64(uint64_t v) { U32(static_cast<uint32_t>(v)); U32(static_cast<uint32_t>(v >> 32)); }
    void Bytes(std::initializer_list<uint8_t> bytes) { out_.insert(out_.end(), bytes); }
    void Bytes(const uint8_t* data, size_t size) { out_.insert(out_.end(), data, data + size); }
    void Text(const std::string& text) { Bytes(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1); }
    void PatchU32(size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(v >> (8 * i)); }
    size_t Size() const { return out_.size(); }
    std::vector<uint8_t> Take() { return std::move(out_); }

private:
    std::vector<uint8_t> out_;
};

// Reads inside a bounded piece of the file; every read past its end fails.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Has(size_t n) const { return n <= size_ - at_; }
    bool U16(uint16_t* v) {
        if (!Has(2)) return false;
        *v = static_cast<uint16_t>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return true;
    }
    bool U32(uint32_t* v) {
        if (!Has(4)) return false;
        *v = 0;
        for (int i = 0; i < 4; ++i) *v |= static_cast<uint32_t>(data_[at_ + i]) << (8 * i);
        at_ += 4;
        return true;
    }
    bool U64(uint64_t* v) {
        uint32_t low = 0, high = 0;
        if (!U32(&low) || !U32(&high)) return false;
        *v = static_cast<uint64_t>(high) << 32 | low;
        return true;
    }
    bool Skip(size_t n) {
        if (!Has(n)) return false;
        at_ += n;
        return true;
    }
    const uint8_t* Here() const { return data_ + at_; }
    size_t Left() const { return size_ - at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A NUL-terminated ANSI text at `offset` of a block; false when it runs out.
bool TextAt(const uint8_t* block, size_t size, uint32_t offset, std::string* text) {
    if (offset >= size) return false;
    const char* start = reinterpret_cast<const char*>(block + offset);
    size_t length = strnlen(start, size - offset);
    if (length == size - offset) return false;
    *text = std::string(start, length);
    return true;
}

// A NUL-terminated UTF-16 text at `offset` of a block, as ANSI.
bool WideTextAt(const uint8_t* block, size_t size, uint32_t offset, std::string* text) {
    std::u16string wide;
    for (size_t i = offset; i + 1 < size; i += 2) {
        char16_t c = static_cast<char16_t>(block[i] | block[i + 1] << 8);
        if (c == 0) {
            *text = vpr::locale::FromWide(wide);
            return true;
        }
        wide.push_back(c);
    }
    return false;
}

void WriteLinkInfo(Writer* w, const ShellLinkInfo& info) {
    uint32_t volumeSize = kVolumeIdHeaderSize + static_cast<uint32_t>(info.volumeLabel.size()) + 1;
    uint32_t volumeOffset = kLinkInfoHeaderSize;
    uint32_t basePathOffset = volumeOffset + volumeSize;
    uint32_t suffixOffset = basePathOffset + static_cast<uint32_t>(info.localBasePath.size()) + 1;
    uint32_t total = suffixOffset + static_cast<uint32_t>(info.commonPathSuffix.size()) + 1;
    w->U32(total);
    w->U32(kLinkInfoHeaderSize);
    w->U32(kVolumeIdAndLocalBasePath);
    w->U32(volumeOffset);
    w->U32(basePathOffset);
    w->U32(0);  // no network location
    w->U32(suffixOffset);
    w->U32(volumeSize);
    w->U32(info.driveType);
    w->U32(info.driveSerialNumber);
    w->U32(kVolumeIdHeaderSize);
    w->Text(info.volumeLabel);
    w->Text(info.localBasePath);
    w->Text(info.commonPathSuffix);
}

bool ReadLinkInfo(Reader* r, ShellLinkInfo* info, std::string* error) {
    const uint8_t* block = r->Here();
    uint32_t size = 0, headerSize = 0, flags = 0, volumeOffset = 0, basePathOffset = 0, networkOffset = 0,
             suffixOffset = 0;
    if (!r->U32(&size) || size < kLinkInfoHeaderSize || !r->Has(size - 4)) {
        *error = "the link information runs past the file";
        return false;
    }
    Reader header(block, size);
    header.Skip(4);
    header.U32(&headerSize);
    header.U32(&flags);
    header.U32(&volumeOffset);
    header.U32(&basePathOffset);
    header.U32(&networkOffset);
    header.U32(&suffixOffset);
    if (headerSize < kLinkInfoHeaderSize || headerSize > size) {
        *error = "the link information's header is malformed";
        return false;
    }
    bool ok = true;
    if (flags & kVolumeIdAndLocalBasePath) {
        Reader volume(block, size);
        uint32_t volumeSize = 0, labelOffset = 0;
        ok = volume.Skip(volumeOffset) && volume.U32(&volumeSize) && volumeSize >= kVolumeIdHeaderSize &&
             volumeSize <= size - volumeOffset && volume.U32(&info->driveType) &&
             volume.U32(&info->driveSerialNumber) && volume.U32(&labelOffset);
        if (ok && labelOffset == 0x14) {
            uint32_t wideOffset = 0;
            ok = volume.U32(&wideOffset) && WideTextAt(block + volumeOffset, volumeSize, wideOffset, &info->volumeLabel);
        } else if (ok) {
            ok = TextAt(block + volumeOffset, volumeSize, labelOffset, &info->volumeLabel);
        }
        uint32_t wideBasePath = 0;
        if (ok && headerSize >= kLinkInfoUnicodeHeaderSize) {
            Reader unicode(block, size);
            unicode.Skip(kLinkInfoHeaderSize);
            unicode.U32(&wideBasePath);
        }
        if (ok) {
            ok = wideBasePath ? WideTextAt(block, size, wideBasePath, &info->localBasePath)
                              : TextAt(block, size, basePathOffset, &info->localBasePath);
        }
    }
    if (ok && suffixOffset) {
        uint32_t wideSuffix = 0;
        if (headerSize >= kLinkInfoUnicodeHeaderSize) {
            Reader unicode(block, size);
            unicode.Skip(kLinkInfoHeaderSize + 4);
            unicode.U32(&wideSuffix);
        }
        ok = wideSuffix ? WideTextAt(block, size, wideSuffix, &info->commonPathSuffix)
                        : TextAt(block, size, suffixOffset, &info->commonPathSuffix);
    }
    if (!ok) {
        *error = "a text of the link information runs past it";
        return false;
    }
    r->Skip(size - 4);
    return true;
}

void WriteStringData(Writer* w, const std::optional<std::string>& text) {
    if (!text) return;
    std::u16string wide = vpr::locale::ToWide(*text);
    w->U16(static_cast<uint32_t>(wide.size()));
    for (char16_t c : wide) w->U16(c);
}

bool ReadStringData(Reader* r, bool present, bool unicode, std::optional<std::string>* text) {
    if (!present) return true;
    uint16_t count = 0;
    if (!r->U16(&count)) return false;
    size_t bytes = unicode ? count * 2u : count;
    if (!r->Has(bytes)) return false;
    const uint8_t* p = r->Here();
    if (unicode) {
        std::u16string wide;
        for (size_t i = 0; i < count; ++i) wide.push_back(static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8));
        *text = vpr::locale::FromWide(wide);
    } else {
        *text = std::string(reinterpret_cast<const char*>(p), count);
    }
    return r->Skip(bytes);
}

}  // namespace

std::vector<uint8_t> EncodeShellLink(const ShellLink& link) {
    uint32_t flags = (link.otherFlags & ~kPresenceFlags) | kLinkIsUnicode;
    if (link.idList.size() >= 2) flags |= kLinkHasIdList;
    if (link.linkInfo) flags |= kLinkHasLinkInfo;
    if (link.name) flags |= kLinkHasName;
    if (link.relativePath) flags |= kLinkHasRelativePath;
    if (link.workingDirectory) flags |= kLinkHasWorkingDir;
    if (link.arguments) flags |= kLinkHasArguments;
    if (link.iconLocation) flags |= kLinkHasIconLocation;
    Writer w;
    w.U32(kShellLinkHeaderSize);
    uint8_t clsid[16];
    GuidToBytes(kShellLinkClass, clsid);
    w.Bytes(clsid, 16);
    w.U32(flags);
    w.U32(link.fileAttributes);
    w.U64(link.creationTime);
    w.U64(link.accessTime);
    w.U64(link.writeTime);
    w.U32(link.fileSize);
    w.U32(static_cast<uint32_t>(link.iconIndex));
    w.U32(link.showCommand);
    w.U16(link.hotKey);
    w.U16(0);
    w.U32(0);
    w.U32(0);
    if (flags & kLinkHasIdList) {
        w.U16(static_cast<uint32_t>(link.idList.size()));
        w.Bytes(link.idList.data(), link.idList.size());
    }
    if (link.linkInfo) WriteLinkInfo(&w, *link.linkInfo);
    WriteStringData(&w, link.name);
    WriteStringData(&w, link.relativePath);
    WriteStringData(&w, link.workingDirectory);
    WriteStringData(&w, link.arguments);
    WriteStringData(&w, link.iconLocation);
    for (const auto& block : link.extraBlocks) {
        w.U32(static_cast<uint32_t>(block.data.size() + 8));
        w.U32(block.signature);
        w.Bytes(block.data.data(), block.data.size());
    }
    w.U32(0);  // the terminal block
    return w.Take();
}

bool DecodeShellLink(const uint8_t* data, size_t size, ShellLink* link, std::string* error) {
    std::string problem;
    if (!error) error = &problem;
    *link = ShellLink{};
    Reader r(data, size);
    uint32_t headerSize = 0, flags = 0, iconIndex = 0;
    if (!r.U32(&headerSize) || headerSize != kShellLinkHeaderSize || !r.Has(kShellLinkHeaderSize - 4)) {
        *error = "not a shortcut: the header is not 76 bytes";
        return false;
    }
    if (!(GuidFromBytes(r.Here()) == kShellLinkClass)) {
        *error = "not a shortcut: wrong class identifier";
        return false;
    }
    r.Skip(16);
    r.U32(&flags);
    r.U32(&link->fileAttributes);
    r.U64(&link->creationTime);
    r.U64(&link->accessTime);
    r.U64(&link->writeTime);
    r.U32(&link->fileSize);
    r.U32(&iconIndex);
    link->iconIndex = static_cast<int32_t>(iconIndex);
    r.U32(&link->showCommand);
    r.U16(&link->hotKey);
    r.Skip(10);
    link->otherFlags = flags & ~kPresenceFlags;
    if (flags & kLinkHasIdList) {
        uint16_t listSize = 0;
        if (!r.U16(&listSize) || !r.Has(listSize)) {
            *error = "the identifier list runs past the file";
            return false;
        }
        size_t used = CheckIdList(r.Here(), listSize);
        if (used == 0) {
            *error = "the identifier list is malformed";
            return false;
        }
        link->idList.assign(r.Here(), r.Here() + used);
        r.Skip(listSize);
    }
    if (flags & kLinkHasLinkInfo) {
        link->linkInfo.emplace();
        if (!ReadLinkInfo(&r, &*link->linkInfo, error)) return false;
    }
    bool unicode = (flags & kLinkIsUnicode) != 0;
    if (!ReadStringData(&r, flags & kLinkHasName, unicode, &link->name) ||
        !ReadStringData(&r, flags & kLinkHasRelativePath, unicode, &link->relativePath) ||
        !ReadStringData(&r, flags & kLinkHasWorkingDir, unicode, &link->workingDirectory) ||
        !ReadStringData(&r, flags & kLinkHasArguments, unicode, &link->arguments) ||
        !ReadStringData(&r, flags & kLinkHasIconLocation, unicode, &link->iconLocation)) {
        *error = "a string runs past the file";
        return false;
    }
    // Extra blocks up to the terminal block (a size below 4); a file that
    // simply ends is taken as ended.
    while (r.Left() >= 4) {
        uint32_t blockSize = 0;
        r.U32(&blockSize);
        if (blockSize < 4) break;
        if (blockSize < 8 || !r.Has(blockSize - 4)) {
            *error = "an extra data block runs past the file";
            return false;
        }
        ShellLinkExtraBlock block;
        r.U32(&block.signature);
        block.data.assign(r.Here(), r.Here() + (blockSize - 8));
        r.Skip(blockSize - 8);
        link->extraBlocks.push_back(std::move(block));
    }
    return true;
}

ShellLink ShellLinkToPath(const std::string& windowsPath) {
    ShellLink link;
    std::string full = windowsPath;
    vpr::win::ResolvedPath resolved;
    if (vpr::win::ResolvePath(windowsPath.c_str(), &resolved)) full = vpr::win::WindowsPathFromHost(resolved.host);
    if (auto list = FileSystemIdList(full)) link.idList = *list;
    ShellLinkInfo info;
    info.localBasePath = full;
    link.linkInfo = info;
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(full.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        link.fileAttributes = data.dwFileAttributes;
        auto time = [](const FILETIME& t) { return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
        link.creationTime = time(data.ftCreationTime);
        link.accessTime = time(data.ftLastAccessTime);
        link.writeTime = time(data.ftLastWriteTime);
        link.fileSize = data.nFileSizeLow;
    }
    return link;
}

std::string ShellLinkTargetPath(const ShellLink& link) {
    if (link.linkInfo && !link.linkInfo->localBasePath.empty()) {
        return link.linkInfo->localBasePath + link.linkInfo->commonPathSuffix;
    }
    if (link.idList.size() > 2) {
        if (auto path = PathFromIdList(reinterpret_cast<LPCITEMIDLIST>(link.idList.data()))) return *path;
    }
    return {};
}

bool ReadShellLinkFile(const std::string& windowsPath, ShellLink* link, std::string* error) {
    std::string host;
    if (!vpr::win::ResolveHostPath(windowsPath.c_str(), &host)) {
        *error = "cannot resolve " + windowsPath;
        return false;
    }
    std::ifstream in(host, std::ios::binary);
    if (!in) {
        *error = "cannot open " + windowsPath;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!DecodeShellLink(bytes.data(), bytes.size(), link, error)) {
        *error = windowsPath + ": " + *error;
        return false;
    }
    return true;
}

bool WriteShellLinkFile(const std::string& windowsPath, const ShellLink& link, std::string* error) {
    std::string host;
    if (!vpr::win::ResolveHostPath(windowsPath.c_str(), &host)) {
        *error = "cannot resolve " + windowsPath;
        return false;
    }
    std::vector<uint8_t> bytes = EncodeShellLink(link);
    return vpr::machine::WriteFileAtomically(host, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error);
}

}  // namespace vpr::com
