// Fuzz target of the resource container reader: the input is a container as
// a module carries it. It is decoded as it stands and once more with its
// checksum made right (so that damage past the checksum reaches the entry
// reader); every entry is then decoded by its type as the module loader, the
// window system and the version calls decode them, and a decoded record must
// encode back to the bytes it came from.
#include <cstdio>
#include <cstdlib>
#include <array>
#include <string>
#include <vector>

#include "fuzz_kit.h"
#include "vpr/win/resource_format.h"

using namespace vpr::win;

namespace {

using vpr::fuzz::Fail;

void Expect(const std::vector<uint8_t>& encoded, const std::vector<uint8_t>& data, const char* what) {
    if (encoded != data) Fail(what);
}

// CRC-32 of the body, the checksum a container's header carries.
uint32_t BodyChecksum(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

void DecodeEntry(const ResourceEntry& entry) {
    const uint8_t* data = entry.data.data();
    size_t size = entry.data.size();
    if (!entry.type.isNumber) return;
    switch (entry.type.number) {
        case kResString: {
            std::array<std::string, 16> strings;
            if (DecodeStringBlock(data, size, &strings)) Expect(EncodeStringBlock(strings), entry.data, "string block");
            break;
        }
        case kResDialog: {
            DialogTemplate dialog;
            if (DecodeDialog(data, size, &dialog)) Expect(EncodeDialog(dialog), entry.data, "dialog");
            break;
        }
        case kResMenu: {
            std::vector<MenuItem> items;
            if (DecodeMenu(data, size, &items)) Expect(EncodeMenu(items), entry.data, "menu");
            break;
        }
        case kResAccelerator: {
            std::vector<Accelerator> table;
            if (DecodeAccelerators(data, size, &table)) Expect(EncodeAccelerators(table), entry.data, "accelerators");
            break;
        }
        case kResVersion: {
            VersionResource version;
            if (DecodeVersion(data, size, &version)) Expect(EncodeVersion(version), entry.data, "version");
            break;
        }
        default:
            break;
    }
}

void DecodeAll(const uint8_t* data, size_t size) {
    std::vector<ResourceEntry> entries;
    if (!DecodeContainer(data, size, &entries)) return;
    for (const ResourceEntry& entry : entries) DecodeEntry(entry);
    Expect(EncodeContainer(entries), std::vector<uint8_t>(data, data + size), "container");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodeAll(data, size);
    constexpr size_t kHeader = 16;  // magic, entry count, checksum
    if (size >= kHeader && HasContainerMagic(data, size)) {
        std::vector<uint8_t> fixed(data, data + size);
        uint32_t crc = BodyChecksum(data + kHeader, size - kHeader);
        for (int i = 0; i < 4; ++i) fixed[12 + i] = static_cast<uint8_t>(crc >> (8 * i));
        DecodeAll(fixed.data(), fixed.size());
    }
    return 0;
}
