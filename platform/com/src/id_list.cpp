#include "vpr/com/id_list.h"

#include <cstring>

#include "vpr/com/guid.h"
#include "vpr/locale/locale.h"
#include "vpr/win/path.h"

namespace vpr::com {

namespace {

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

const uint8_t* Bytes(LPCITEMIDLIST list) { return reinterpret_cast<const uint8_t*>(list); }

void AppendItem(IdListBytes* list, const uint8_t* item, size_t size) {
    list->insert(list->end(), item, item + size);
}

IdListBytes FileSystemItem(uint8_t kind, const std::string& name) {
    size_t size = std::max(kFileSystemItemMinimum, 4 + name.size() + 1);
    IdListBytes item(size, 0);
    item[0] = static_cast<uint8_t>(size);
    item[1] = static_cast<uint8_t>(size >> 8);
    item[2] = kind;
    std::memcpy(item.data() + 4, name.data(), name.size());
    return item;
}

// The name of a file-system item; nullopt for any other item.
std::optional<std::string> FileSystemItemName(const uint8_t* item, uint8_t* kind) {
    uint16_t cb = ReadU16(item);
    if (cb < kFileSystemItemMinimum || item[3] != 0) return std::nullopt;
    if (item[2] != kRootItemKind && item[2] != kFolderItemKind && item[2] != kFileItemKind) return std::nullopt;
    const char* name = reinterpret_cast<const char*>(item + 4);
    size_t length = strnlen(name, cb - 4);
    if (length == 0 || length == static_cast<size_t>(cb - 4)) return std::nullopt;
    for (size_t i = 4 + length; i < cb; ++i) {
        if (item[i] != 0) return std::nullopt;
    }
    *kind = item[2];
    return std::string(name, length);
}

// Splits a full Windows path into its root ("C:\", "\\SERVER\SHARE\") and
// components, stepping whole characters so that no trail byte is taken for
// a separator.
bool SplitWindowsPath(const std::string& path, std::string* root, std::vector<std::string>* parts) {
    std::vector<std::string> pieces;
    std::string current;
    for (const char* p = path.c_str(); *p;) {
        const char* next = KMNextChar(p);
        if (*p == '\\' && next == p + 1) {
            pieces.push_back(current);
            current.clear();
        } else {
            current.append(p, next);
        }
        p = next;
    }
    pieces.push_back(current);
    if (pieces.size() >= 4 && pieces[0].empty() && pieces[1].empty() && !pieces[2].empty() && !pieces[3].empty()) {
        *root = "\\\\" + pieces[2] + "\\" + pieces[3] + "\\";
        pieces.erase(pieces.begin(), pieces.begin() + 4);
    } else if (pieces.size() >= 2 && pieces[0].size() == 2 && pieces[0][1] == ':' && std::isalpha(static_cast<unsigned char>(pieces[0][0]))) {
        *root = pieces[0] + "\\";
        pieces.erase(pieces.begin());
    } else {
        return false;
    }
    for (auto& piece : pieces) {
        if (piece.empty()) continue;  // "C:\" alone, or a trailing separator
        parts->push_back(piece);
    }
    return true;
}

std::string ItemText(const uint8_t* item) {
    uint16_t cb = ReadU16(item);
    const char* text = reinterpret_cast<const char*>(item + 2);
    size_t length = strnlen(text, cb - 2);
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02X", c);
            out += hex;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

}  // namespace

size_t CheckIdList(const uint8_t* data, size_t size) {
    size_t offset = 0;
    while (true) {
        if (offset + 2 > size) return 0;
        uint16_t cb = ReadU16(data + offset);
        if (cb == 0) return offset + 2;
        if (cb < 2 || offset + cb > size) return 0;
        offset += cb;
    }
}

size_t IdListSize(LPCITEMIDLIST list) {
    if (!list) return 2;
    const uint8_t* p = Bytes(list);
    size_t size = 0;
    while (uint16_t cb = ReadU16(p + size)) size += cb;
    return size + 2;
}

IdListBytes CopyIdList(LPCITEMIDLIST list) {
    if (!list) return {0, 0};
    const uint8_t* p = Bytes(list);
    return IdListBytes(p, p + IdListSize(list));
}

std::vector<LPCITEMIDLIST> IdListItems(LPCITEMIDLIST list) {
    std::vector<LPCITEMIDLIST> items;
    if (!list) return items;
    const uint8_t* p = Bytes(list);
    while (uint16_t cb = ReadU16(p)) {
        items.push_back(reinterpret_cast<LPCITEMIDLIST>(p));
        p += cb;
    }
    return items;
}

IdListBytes ConcatIdLists(const IdListBytes& first, const IdListBytes& second) {
    IdListBytes out;
    if (first.size() > 2) out.assign(first.begin(), first.end() - 2);
    if (second.size() > 2) out.insert(out.end(), second.begin(), second.end() - 2);
    out.push_back(0);
    out.push_back(0);
    return out;
}

IdListBytes NameSpaceIdList(REFCLSID clsid) {
    IdListBytes list(kNameSpaceItemSize + 2, 0);
    list[0] = kNameSpaceItemSize;
    list[2] = kNameSpaceItemKind;
    GuidToBytes(clsid, list.data() + 4);
    return list;
}

std::optional<CLSID> NameSpaceItemClass(LPCITEMIDLIST item) {
    const uint8_t* p = Bytes(item);
    if (!item || ReadU16(p) != kNameSpaceItemSize || p[2] != kNameSpaceItemKind || p[3] != 0) return std::nullopt;
    return GuidFromBytes(p + 4);
}

std::optional<IdListBytes> FileSystemIdList(const std::string& windowsPath) {
    std::string root;
    std::vector<std::string> parts;
    if (!SplitWindowsPath(windowsPath, &root, &parts)) return std::nullopt;
    IdListBytes list = FileSystemItem(kRootItemKind, root);
    std::string path = root;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (path.back() != '\\') path += '\\';
        path += parts[i];
        DWORD attributes = GetFileAttributesA(path.c_str());
        bool folder = attributes != INVALID_FILE_ATTRIBUTES ? (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                                                              : i + 1 < parts.size();
        IdListBytes item = FileSystemItem(folder ? kFolderItemKind : kFileItemKind, parts[i]);
        AppendItem(&list, item.data(), item.size());
    }
    list.push_back(0);
    list.push_back(0);
    return list;
}

std::optional<std::string> PathFromIdList(LPCITEMIDLIST list) {
    auto items = IdListItems(list);
    if (items.empty()) return std::nullopt;
    std::string path;
    for (size_t i = 0; i < items.size(); ++i) {
        uint8_t kind = 0;
        auto name = FileSystemItemName(Bytes(items[i]), &kind);
        if (!name || (i == 0) != (kind == kRootItemKind)) return std::nullopt;
        if (i > 0 && path.back() != '\\') path += '\\';
        path += *name;
    }
    return path;
}

std::string IdListText(LPCITEMIDLIST list) {
    auto items = IdListItems(list);
    if (items.empty()) return "desktop";
    std::string text;
    // File-system items are read as such only in an unbroken run from a
    // root at the start; whatever follows a name space is the name space's.
    bool fileSystem = true;
    for (size_t i = 0; i < items.size(); ++i) {
        const uint8_t* item = Bytes(items[i]);
        std::string piece;
        uint8_t kind = 0;
        std::optional<std::string> name;
        if (fileSystem) name = FileSystemItemName(item, &kind);
        if (name && (i == 0) == (kind == kRootItemKind)) {
            piece = *name;
            // A junction directory "NAME.{CLSID}" leads into a name space.
            if (name->size() > 39 && (*name)[name->size() - 39] == '.' && ParseGuid(name->substr(name->size() - 38))) {
                fileSystem = false;
            }
        } else if (auto clsid = NameSpaceItemClass(items[i])) {
            piece = "::" + GuidText(*clsid);
            fileSystem = false;
        } else {
            piece = ItemText(item);
            fileSystem = false;
        }
        if (i > 0 && text.back() != '\\') text += '\\';
        text += piece;
    }
    return text;
}

LPITEMIDLIST TaskMemoryIdList(const IdListBytes& list) {
    constexpr size_t kSlack = 16;
    IdListBytes whole = list.empty() ? IdListBytes{0, 0} : list;
    auto* block = static_cast<uint8_t*>(CoTaskMemAlloc(whole.size() + kSlack));
    if (!block) return nullptr;
    std::memcpy(block, whole.data(), whole.size());
    std::memset(block + whole.size(), 0, kSlack);
    return reinterpret_cast<LPITEMIDLIST>(block);
}

}  // namespace vpr::com
