// Icons from icon-file bytes (.ICO): the image of 32 by 32 pixels when the
// file has one, else its first, turned into an icon handle.
#include <cstdint>
#include <vector>

#include "kmapp32.h"

namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}

std::vector<uint8_t> ReadAll(HFILE file) {
    std::vector<uint8_t> bytes;
    if (file == HFILE_ERROR || _llseek(file, 0, 0) != 0) return bytes;
    uint8_t block[4096];
    for (;;) {
        UINT got = _lread(file, block, sizeof block);
        if (got == static_cast<UINT>(HFILE_ERROR) || got == 0) break;
        bytes.insert(bytes.end(), block, block + got);
    }
    return bytes;
}

// One image of the file as 32-bit colour rows and a 1-bit mask, both top
// down with rows padded to 16 bits, as CreateIcon takes them.
HICON IconFromBytes(HINSTANCE instance, const std::vector<uint8_t>& b) {
    constexpr size_t kDirSize = 6, kEntrySize = 16, kHeaderSize = 40;
    if (b.size() < kDirSize || U16(b, 0) != 0 || U16(b, 2) != 1) return nullptr;
    uint32_t count = U16(b, 4);
    if (count == 0 || b.size() < kDirSize + count * kEntrySize) return nullptr;
    size_t chosen = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (b[kDirSize + i * kEntrySize] == 32) chosen = i;
    size_t entry = kDirSize + chosen * kEntrySize;
    uint64_t offset = U32(b, entry + 12), size = U32(b, entry + 8);
    if (offset + size > b.size() || size < kHeaderSize || U32(b, offset) < kHeaderSize) return nullptr;
    const size_t image = static_cast<size_t>(offset);
    int32_t width = static_cast<int32_t>(U32(b, image + 4));
    int32_t height = static_cast<int32_t>(U32(b, image + 8)) / 2;  // colour and mask stacked
    uint32_t bits = U16(b, image + 14);
    uint32_t colours = U32(b, image + 32);
    if (width <= 0 || height <= 0 || width > 256 || height > 256 || U32(b, image + 16) != 0) return nullptr;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return nullptr;
    if (bits <= 8 && colours == 0) colours = 1u << bits;
    size_t palette = image + U32(b, image);
    size_t xorAt = palette + (bits <= 8 ? colours * 4 : 0);
    size_t xorStride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    size_t andAt = xorAt + xorStride * height;
    size_t andStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    if (andAt + andStride * height > image + size) return nullptr;

    size_t colourStride = static_cast<size_t>(width) * 4;
    size_t maskStride = ((static_cast<size_t>(width) + 15) / 16) * 2;
    std::vector<uint8_t> colour(colourStride * height), mask(maskStride * height);
    for (int32_t y = 0; y < height; ++y) {
        size_t row = static_cast<size_t>(height - 1 - y);  // the file's rows are bottom up
        const uint8_t* src = b.data() + xorAt + row * xorStride;
        uint8_t* dst = colour.data() + y * colourStride;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* bgr;
            if (bits <= 8) {
                uint32_t index = bits == 8 ? src[x] : bits == 4 ? (src[x / 2] >> (x % 2 ? 0 : 4)) & 0xF
                                                                : (src[x / 8] >> (7 - x % 8)) & 1;
                if (index >= colours) index = 0;
                bgr = b.data() + palette + index * 4;
            } else {
                bgr = src + x * (bits / 8);
            }
            dst[x * 4] = bgr[0];
            dst[x * 4 + 1] = bgr[1];
            dst[x * 4 + 2] = bgr[2];
        }
        const uint8_t* andRow = b.data() + andAt + row * andStride;
        for (size_t i = 0; i < maskStride; ++i) mask[y * maskStride + i] = andRow[i];
    }
    return CreateIcon(instance, width, height, 1, 32, mask.data(), colour.data());
}

}  // namespace

extern "C" HICON KMAPPGetIconFromHandle(HINSTANCE instance, HFILE file) {
    return IconFromBytes(instance, ReadAll(file));
}

extern "C" HICON KMAPPGetIconFromFile(HINSTANCE instance, LPCSTR path) {
    if (!path) return nullptr;
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR) return nullptr;
    HICON icon = IconFromBytes(instance, ReadAll(file));
    _lclose(file);
    return icon;
}
