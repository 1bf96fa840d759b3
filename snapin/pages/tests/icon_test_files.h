// Files for the icon tests: icon images and icon files made on the spot,
// and the test program's own file, which carries three icon groups.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vpr/testing/temp_machine.h"
#include "vpr/user/gdi.h"
#include "vpr/win/module.h"
#include "vpr/win/path.h"

namespace icon_test {

inline uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
inline uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}
inline void Put(std::vector<uint8_t>* b, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) b->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A square icon image: bitmap header with doubled height, colour table,
// colour rows (a diagonal pattern), an empty mask.
inline std::vector<uint8_t> DibImage(int side, int bits) {
    std::vector<uint8_t> b;
    Put(&b, 40, 4);
    Put(&b, static_cast<uint32_t>(side), 4);
    Put(&b, static_cast<uint32_t>(2 * side), 4);
    Put(&b, 1, 2);
    Put(&b, static_cast<uint32_t>(bits), 2);
    for (int i = 0; i < 6; ++i) Put(&b, 0, 4);
    for (int i = 0; i < (1 << bits); ++i) Put(&b, static_cast<uint32_t>(i * 0x010203), 4);
    size_t stride = static_cast<size_t>((side * bits + 31) / 32 * 4);
    for (int y = 0; y < side; ++y)
        for (size_t x = 0; x < stride; ++x) b.push_back(static_cast<uint8_t>(x + static_cast<size_t>(y)));
    b.insert(b.end(), static_cast<size_t>((side + 31) / 32 * 4 * side), 0);
    return b;
}

// An icon file of the images (each square, its side read from its header).
inline std::vector<uint8_t> IcoFile(const std::vector<std::vector<uint8_t>>& images) {
    std::vector<uint8_t> b;
    Put(&b, 0, 2);
    Put(&b, 1, 2);
    Put(&b, static_cast<uint32_t>(images.size()), 2);
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (const auto& image : images) {
        int side = image[4], bits = image[14];
        b.push_back(static_cast<uint8_t>(side));
        b.push_back(static_cast<uint8_t>(side));
        b.push_back(static_cast<uint8_t>(bits < 8 ? 1 << bits : 0));
        b.push_back(0);
        Put(&b, 1, 2);
        Put(&b, static_cast<uint32_t>(bits), 2);
        Put(&b, static_cast<uint32_t>(image.size()), 4);
        Put(&b, offset, 4);
        offset += static_cast<uint32_t>(image.size());
    }
    for (const auto& image : images) b.insert(b.end(), image.begin(), image.end());
    return b;
}

inline void WriteBytes(const vpr::testing::TempMachine& machine, const std::string& windowsPath,
                       const std::vector<uint8_t>& bytes) {
    std::ofstream out(machine.HostPath(windowsPath), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& windowsPath) {
    std::string host;
    vpr::win::ResolveHostPath(windowsPath.c_str(), &host);
    std::ifstream in(host, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The Windows name of the test program, which carries the test icons.
inline std::string ProgramPath() {
    char path[260] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// The width of an icon (0 for none); destroys it.
inline int IconSize(HICON icon) {
    if (!icon) return 0;
    ICONINFO info{};
    BITMAP bitmap{};
    GetIconInfo(icon, &info);
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    return bitmap.bmWidth;
}

}  // namespace icon_test
