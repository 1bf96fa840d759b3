// Fuzz target of the icon readers: the first byte of the input chooses the
// reader, the rest is its input. Even: an icon image (bitmap header, colour
// table, colour and mask rows) made into an icon as CreateIconFromResourceEx
// makes it; odd: an icon file read by ExtractIconA.
#include <cstdint>
#include <string>

#include "fuzz_kit.h"
#include "windows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if ((data[0] & 1) == 0) {
        for (int side : {0, 16}) {
            HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                                                  TRUE, 0x30000, side, side, side == 0 ? LR_DEFAULTSIZE : 0);
            if (icon) DestroyIcon(icon);
        }
    } else {
        std::string path = vpr::fuzz::WriteInputFile(data + 1, size - 1);
        ExtractIconA(nullptr, path.c_str(), 0xFFFFFFFF);
        HICON icon = ExtractIconA(nullptr, path.c_str(), 0);
        if (icon) DestroyIcon(icon);
    }
    return 0;
}
