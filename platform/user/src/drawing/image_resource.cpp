// Icons, cursors and bitmaps from module resources, and the standard ones.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "module_resource.h"
#include "paint.h"
#include "vpr/user/controls.h"
#include "vpr/locale/locale.h"
#include "vpr/user/images.h"
#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"
#include "vpr/win/resource_format.h"
#include "vpr/win/thread.h"
#include "vpr/win/system.h"

namespace vpr::user {
namespace {

constexpr int kMaxSide = 4096;  // larger images are taken as damaged

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// A device-independent bitmap: its header, colour table and pixel rows.
// For an icon image the header counts the colour and the mask rows, and the
// mask follows the colour rows.
bool DecodeDib(const uint8_t* data, size_t size, bool iconImage, std::shared_ptr<Surface>* color,
               std::shared_ptr<Surface>* mask) {
    if (size < 12) return false;
    uint32_t headerSize = U32(data);
    // Sides as stored, in 64 bits, so that any stored value (-2^31 too) can be
    // turned and compared.
    int64_t storedWidth, storedHeight;
    int bits;
    uint32_t compression = 0, used = 0;
    size_t entrySize = 4;
    if (headerSize == 12) {
        storedWidth = U16(data + 4);
        storedHeight = static_cast<int16_t>(U16(data + 6));
        bits = U16(data + 10);
        entrySize = 3;
    } else if (headerSize >= 40 && headerSize <= size) {
        storedWidth = static_cast<int32_t>(U32(data + 4));
        storedHeight = static_cast<int32_t>(U32(data + 8));
        bits = U16(data + 14);
        compression = U32(data + 16);
        used = U32(data + 32);
    } else {
        return false;
    }
    bool bottomUp = storedHeight > 0;
    if (storedHeight < 0) storedHeight = -storedHeight;
    if (iconImage) storedHeight /= 2;
    if (storedWidth <= 0 || storedHeight <= 0 || storedWidth > kMaxSide || storedHeight > kMaxSide) return false;
    int width = static_cast<int>(storedWidth), height = static_cast<int>(storedHeight);
    if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32))) return false;  // RLE: not ours
    // Bit-field masks are the 12 bytes after the first 40 of the header: behind
    // a 40-byte header, inside a longer one. A header that ends inside them is
    // damaged.
    if (compression == 3 && headerSize > 40 && headerSize < 52) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    size_t colors = bits <= 8 ? (used ? used : 1u << bits) : 0;
    if (colors > 256) return false;
    size_t offset = headerSize + (compression == 3 && headerSize == 40 ? 12 : 0);
    const uint8_t* table = data + offset;
    offset += colors * entrySize;
    size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    size_t needed = offset + stride * height + (iconImage ? maskStride * height : 0);
    if (needed > size) return false;

    // Masks of 16-bit pixels: five bits each unless given.
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (compression == 3)
        for (int i = 0; i < 3; ++i) masks[i] = U32(data + 40 + 4 * i);
    auto channel = [](uint32_t value, uint32_t channelMask) -> BYTE {
        if (!channelMask) return 0;
        int shift = 0;
        while (!(channelMask & (1u << shift))) ++shift;
        uint32_t max = channelMask >> shift;
        return static_cast<BYTE>(((value & channelMask) >> shift) * 255 / max);
    };

    *color = std::make_shared<Surface>(width, height, false, RGB(0, 0, 0));
    const uint8_t* pixels = data + offset;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + stride * (bottomUp ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            COLORREF value = 0;
            if (bits <= 8) {
                unsigned index = (row[x * bits / 8] >> (8 - bits - (x * bits) % 8)) & ((1u << bits) - 1);
                if (index >= colors) return false;
                const uint8_t* entry = table + index * entrySize;
                value = RGB(entry[2], entry[1], entry[0]);
            } else if (bits == 24) {
                const uint8_t* p = row + x * 3;
                value = RGB(p[2], p[1], p[0]);
            } else {
                uint32_t raw = bits == 16 ? U16(row + x * 2) : U32(row + x * 4);
                value = RGB(channel(raw, masks[0]), channel(raw, masks[1]), channel(raw, masks[2]));
            }
            (*color)->At(x, y) = value;
        }
    }
    if (iconImage) {
        *mask = std::make_shared<Surface>(width, height, true, RGB(0, 0, 0));
        const uint8_t* maskRows = pixels + stride * height;
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = maskRows + maskStride * (bottomUp ? height - 1 - y : y);
            for (int x = 0; x < width; ++x)
                if (row[x / 8] & (0x80 >> (x % 8))) (*mask)->At(x, y) = RGB(255, 255, 255);
        }
    }
    return true;
}

// Nearest-pixel copy of a surface at another size.
std::shared_ptr<Surface> Stretch(const Surface& from, int width, int height) {
    auto to = std::make_shared<Surface>(width, height, from.mono, RGB(0, 0, 0));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            to->At(x, y) = from.pixels[static_cast<size_t>(y * from.height / height) * from.width + x * from.width / width];
    return to;
}

int SystemIconSize(bool small) {
    int size = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    return size > 0 ? size : (small ? 16 : 32);
}

// The image of a list (a group resource, an icon file's directory) nearest to
// the wanted size, the one with the most colours among equals. `entry` gives
// the width, height and bits a pixel of image i.
template <class Entry>
size_t NearestImage(size_t count, int cx, int cy, Entry entry) {
    size_t best = 0;
    long bestDistance = 0;
    int bestBits = 0;
    for (size_t i = 0; i < count; ++i) {
        auto [width, height, bits] = entry(i);
        long distance = std::labs(width - cx) + std::labs(height - cy);
        if (i == 0 || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            best = i;
            bestDistance = distance;
            bestBits = bits;
        }
    }
    return best;
}

// An icon made from one icon image (bitmap header with doubled height, colour
// table, colour rows, mask rows) at the wanted size; 0 keeps the image's own.
HICON IconFromImage(const uint8_t* image, size_t size, int cx, int cy, bool shared) {
    std::shared_ptr<Surface> color, mask;
    if (!DecodeDib(image, size, true, &color, &mask)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    if (cx <= 0) cx = color->width;
    if (cy <= 0) cy = color->height;
    if (color->width != cx || color->height != cy) {
        color = Stretch(*color, cx, cy);
        mask = Stretch(*mask, cx, cy);
    }
    return IconFromSurfaces(mask, color, shared);
}

// The icon of a group resource at the wanted size: the image of that size with
// the most colours, else the nearest size, stretched. Group entries are 14
// bytes after a 6-byte header (docs/resource_format.md).
// An icon group's image nearest the size, its image found by its id.
using IconImageFinder = std::function<bool(uint16_t id, const uint8_t** image, size_t* size)>;
HICON IconFromGroupData(const uint8_t* group, size_t size, int cx, int cy, bool shared, const IconImageFinder& find) {
    size_t count = size >= 6 ? U16(group + 4) : 0;
    if (size < 6 || count == 0 || size < 6 + 14 * count) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    size_t best = NearestImage(count, cx, cy, [&](size_t i) {
        const uint8_t* entry = group + 6 + 14 * i;
        return std::tuple<int, int, int>(entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256, U16(entry + 6));
    });
    uint16_t imageId = U16(group + 6 + 14 * best + 12);
    const uint8_t* image = nullptr;
    size_t imageSize = 0;
    if (!find(imageId, &image, &imageSize)) return nullptr;
    return IconFromImage(image, imageSize, cx, cy, shared);
}

HICON IconFromGroup(HINSTANCE instance, LPCSTR name, int cx, int cy, bool shared) {
    const uint8_t* group = nullptr;
    size_t size = 0;
    if (!FindResourceData(instance, name, RT_GROUP_ICON, &group, &size)) return nullptr;
    return IconFromGroupData(group, size, cx, cy, shared, [instance](uint16_t id, const uint8_t** image, size_t* bytes) {
        return FindResourceData(instance, MAKEINTRESOURCEA(id), RT_ICON, image, bytes);
    });
}

// An icon of a module file read without loading it: the index-th icon group
// as ExtractIcon counts them (named groups by name, then numbered ones in
// ascending order; a negative index names the group's number), or with
// index -1 (0xFFFFFFFF) the number of groups.
HICON IconFromModuleFile(LPCSTR fileName, UINT index) {
    std::string host;
    std::vector<uint8_t> bytes;
    std::vector<vpr::win::ResourceEntry> entries;
    DWORD error = 0;
    if (!vpr::win::ResolveHostPath(fileName, &host) || !vpr::win::ReadModuleContainer(host, &bytes, &error) ||
        !vpr::win::DecodeContainer(bytes.data(), bytes.size(), &entries)) {
        return nullptr;
    }
    std::vector<const vpr::win::ResourceEntry*> groups;
    for (const auto& entry : entries) {
        if (entry.type.isNumber && entry.type.number == vpr::win::kResGroupIcon) groups.push_back(&entry);
    }
    std::stable_sort(groups.begin(), groups.end(), [](const auto* a, const auto* b) {
        if (a->name.isNumber != b->name.isNumber) return !a->name.isNumber;
        if (a->name.isNumber) return a->name.number < b->name.number;
        return KMLstricmp(a->name.name.c_str(), b->name.name.c_str()) < 0;
    });
    if (index == 0xFFFFFFFF) return reinterpret_cast<HICON>(static_cast<uintptr_t>(groups.size()));
    const vpr::win::ResourceEntry* group = nullptr;
    int signedIndex = static_cast<int>(index);
    for (const auto* candidate : groups) {
        if (signedIndex < 0 && candidate->name.isNumber && candidate->name.number == -signedIndex) group = candidate;
    }
    if (signedIndex >= 0 && static_cast<size_t>(signedIndex) < groups.size()) group = groups[signedIndex];
    if (!group) return nullptr;
    int side = SystemIconSize(false);
    return IconFromGroupData(group->data.data(), group->data.size(), side, side, false,
                             [&entries](uint16_t id, const uint8_t** image, size_t* size) {
                                 for (const auto& entry : entries) {
                                     if (entry.type.isNumber && entry.type.number == vpr::win::kResIcon && entry.name.isNumber &&
                                         entry.name.number == id) {
                                         *image = entry.data.data();
                                         *size = entry.data.size();
                                         return true;
                                     }
                                 }
                                 return false;
                             });
}

// The bytes of a whole file, when it has at most `limit` of them.
bool ReadSmallFile(LPCSTR name, size_t limit, std::vector<uint8_t>* bytes) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= limit;
    if (ok) {
        bytes->resize(size);
        DWORD read = 0;
        ok = ReadFile(file, bytes->data(), size, &read, nullptr) && read == size;
    }
    CloseHandle(file);
    return ok;
}

// The images of an icon file: a 6-byte header (reserved 0, type 1, count),
// then 16 bytes per image (width, height, colours, reserved, planes, bits a
// pixel, size, offset). False unless every image lies inside the file.
bool IconFileImages(const std::vector<uint8_t>& file, size_t* count) {
    if (file.size() < 6 || U16(file.data()) != 0 || U16(file.data() + 2) != 1) return false;
    *count = U16(file.data() + 4);
    if (*count == 0 || file.size() < 6 + 16 * *count) return false;
    for (size_t i = 0; i < *count; ++i) {
        const uint8_t* entry = file.data() + 6 + 16 * i;
        uint64_t size = U32(entry + 8), offset = U32(entry + 12);
        if (size == 0 || offset + size > file.size()) return false;
    }
    return true;
}

// The standard icons and cursors: a disc (icons) or a pointer (cursors) in a
// colour of its own on a transparent ground, made once.
HICON StandardImage(LPCSTR name, bool cursor) {
    struct Standard {
        int id;
        COLORREF color;
    };
    static const Standard kIcons[] = {{32512, RGB(255, 255, 255)}, {32513, RGB(255, 0, 0)},
                                      {32514, RGB(0, 0, 255)},     {32515, RGB(255, 255, 0)},
                                      {32516, RGB(0, 128, 255)},   {32517, RGB(0, 128, 0)}};
    static const Standard kCursors[] = {{32512, RGB(255, 255, 255)}, {32513, RGB(0, 0, 0)},   {32514, RGB(128, 128, 128)},
                                        {32515, RGB(255, 0, 255)},   {32516, RGB(0, 255, 0)}, {32642, RGB(0, 0, 128)},
                                        {32643, RGB(0, 128, 128)},   {32644, RGB(128, 0, 0)}, {32645, RGB(128, 0, 128)},
                                        {32646, RGB(128, 128, 0)},   {32648, RGB(255, 0, 0)}, {32650, RGB(192, 192, 192)},
                                        {32651, RGB(0, 0, 255)}};
    static std::mutex mutex;
    static std::map<std::pair<bool, int>, HICON> made;
    if (!IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    int id = static_cast<int>(reinterpret_cast<uintptr_t>(name));
    const Standard* found = nullptr;
    const Standard* begin = cursor ? std::begin(kCursors) : std::begin(kIcons);
    const Standard* end = cursor ? std::end(kCursors) : std::end(kIcons);
    for (const Standard* s = begin; s != end; ++s)
        if (s->id == id) found = s;
    if (!found) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard lock(mutex);
    HICON& icon = made[{cursor, id}];
    if (icon) return icon;
    int side = SystemIconSize(false);
    auto color = std::make_shared<Surface>(side, side, false, RGB(0, 0, 0));
    auto mask = std::make_shared<Surface>(side, side, true, RGB(255, 255, 255));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            // Icons: a disc filling the image. Cursors: a triangle from the top left.
            int dx = 2 * x + 1 - side, dy = 2 * y + 1 - side;
            bool inside = cursor ? (x <= y && y < side / 2 + 4) : (dx * dx + dy * dy <= side * side);
            if (!inside) continue;
            color->At(x, y) = found->color;
            mask->At(x, y) = RGB(0, 0, 0);
        }
    icon = IconFromSurfaces(mask, color, true);
    return icon;
}

// Shared icons of modules, one handle per resource and size.
HICON SharedIcon(HINSTANCE instance, LPCSTR name, int cx, int cy) {
    static std::mutex mutex;
    static std::map<std::string, HICON> loaded;
    std::string key = std::to_string(reinterpret_cast<uintptr_t>(instance)) + " " +
                      (IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name)) : name) + " " +
                      std::to_string(cx) + "x" + std::to_string(cy);
    std::lock_guard lock(mutex);
    auto it = loaded.find(key);
    if (it != loaded.end()) return it->second;  // shared icons are never destroyed
    HICON icon = IconFromGroup(instance, name, cx, cy, true);
    if (icon) loaded[key] = icon;
    return icon;
}

HANDLE LoadIconOrCursor(HINSTANCE instance, LPCSTR name, bool cursor, int cx, int cy, UINT flags) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!instance) return StandardImage(name, cursor);
    if (cursor) {
        // The resource container has no cursor record: modules carry no cursors.
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    if (cx == 0) cx = SystemIconSize(false);
    if (cy == 0) cy = SystemIconSize(false);
    if (flags & LR_SHARED) return SharedIcon(instance, name, cx, cy);
    return IconFromGroup(instance, name, cx, cy, false);
}

}  // namespace
}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    return static_cast<HICON>(LoadIconOrCursor(instance, name, false, 0, 0, LR_SHARED));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    return static_cast<HCURSOR>(LoadIconOrCursor(instance, name, true, 0, 0, LR_SHARED));
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!FindResourceData(instance, name, RT_BITMAP, &data, &size)) return nullptr;
    std::shared_ptr<Surface> color, mask;
    if (!DecodeDib(data, size, false, &color, &mask)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return BitmapFromSurface(color);
}

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    if (flags & LR_LOADFROMFILE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    switch (type) {
    case IMAGE_BITMAP: return LoadBitmapA(instance, name);
    case IMAGE_ICON:
    case IMAGE_CURSOR: return LoadIconOrCursor(instance, name, type == IMAGE_CURSOR, cx, cy, flags);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HICON WINAPI CreateIconFromResourceEx(LPBYTE bits, DWORD size, BOOL icon, DWORD, int cx, int cy, UINT flags) {
    if (!bits || !icon) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (flags & LR_DEFAULTSIZE) {
        if (cx == 0) cx = SystemIconSize(false);
        if (cy == 0) cy = SystemIconSize(false);
    }
    return IconFromImage(bits, size, cx, cy, false);
}

HICON WINAPI CreateIconFromResource(LPBYTE bits, DWORD size, BOOL icon, DWORD version) {
    return CreateIconFromResourceEx(bits, size, icon, version, 0, 0, LR_DEFAULTSIZE);
}

HICON WINAPI ExtractIconA(HINSTANCE, LPCSTR fileName, UINT index) {
    constexpr size_t kMaxIconFile = 1 << 20;
    std::vector<uint8_t> file;
    size_t count = 0;
    if (!fileName) return nullptr;
    // A module (or resource library) gives the icons of its icon groups.
    if (!ReadSmallFile(fileName, kMaxIconFile, &file) || !IconFileImages(file, &count)) return IconFromModuleFile(fileName, index);
    if (index == 0xFFFFFFFF) return reinterpret_cast<HICON>(static_cast<uintptr_t>(1));
    if (index != 0) return nullptr;
    int side = SystemIconSize(false);
    size_t best = NearestImage(count, side, side, [&](size_t i) {
        const uint8_t* entry = file.data() + 6 + 16 * i;
        return std::tuple<int, int, int>(entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256, U16(entry + 6));
    });
    const uint8_t* entry = file.data() + 6 + 16 * best;
    return IconFromImage(file.data() + U32(entry + 12), U32(entry + 8), side, side, false);
}

}  // extern "C"

namespace {
thread_local HCURSOR t_cursor = nullptr;
}

extern "C" HCURSOR WINAPI SetCursor(HCURSOR cursor) { return std::exchange(t_cursor, cursor); }
extern "C" HCURSOR WINAPI GetCursor(void) { return t_cursor; }
extern "C" BOOL WINAPI DestroyCursor(HCURSOR cursor) { return DestroyIcon(static_cast<HICON>(cursor)); }
