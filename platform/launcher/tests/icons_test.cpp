#include <filesystem>
#include <fstream>

#include "launcher_fixture.h"
#include "vpr/testing/temp_machine.h"

namespace vpr::launcher {
namespace {

void Put16(std::string* b, uint32_t v) {
    b->push_back(static_cast<char>(v & 0xFF));
    b->push_back(static_cast<char>(v >> 8));
}
void Put32(std::string* b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A 16 by 16 icon of 16 colours: black, with its top-left pixel red and its
// top-right pixel blue, all opaque.
std::string IconFile() {
    std::string b;
    Put16(&b, 0), Put16(&b, 1), Put16(&b, 1);  // icon directory, one image
    const uint32_t xorBytes = 8 * 16, andBytes = 4 * 16, size = 40 + 16 * 4 + xorBytes + andBytes;
    b += std::string{16, 16, 16, 0};
    Put16(&b, 1), Put16(&b, 4), Put32(&b, size), Put32(&b, 22);
    Put32(&b, 40), Put32(&b, 16), Put32(&b, 32), Put16(&b, 1), Put16(&b, 4);
    for (int i = 0; i < 6; ++i) Put32(&b, 0);
    for (int i = 0; i < 16; ++i) Put32(&b, i == 1 ? 0x00FF0000 : i == 2 ? 0x000000FF : 0);  // 1 red, 2 blue
    for (int row = 0; row < 16; ++row) {  // bottom up: the last row is the top one
        std::string pixels(8, '\0');
        if (row == 15) pixels[0] = 0x10, pixels[7] = 0x02;
        b += pixels;
    }
    b += std::string(andBytes, '\0');
    return b;
}

COLORREF PixelOf(HICON icon, int x, int y) {
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return CLR_INVALID;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmColor);
    COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixel;
}

class IconsTest : public LauncherTest {};

TEST_F(IconsTest, AnIconStreamBecomesAnIcon) {
    App(".Word.sales.acme");
    tree.Stream("Word.sales.acme", "App:Icon", IconFile());
    LPCSTR names[] = {"App:Icon"};
    KmappAttribute* list = KMAPPGetObjectAttributes(context, ".Word.sales.acme", names, 1);
    ASSERT_TRUE(list && list->values);
    HICON icon = KMAPPGetIconFromHandle(nullptr, *static_cast<HFILE*>(list->values->data));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(PixelOf(icon, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(icon, 15, 0), RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(icon, 0, 1), RGB(0, 0, 0));
    DestroyIcon(icon);
    KMAPPFreeGetObjectAttributes(list);
}

TEST_F(IconsTest, AnIconFileBecomesAnIconAndOtherBytesNone) {
    testing::TempMachine machine;
    std::string host = machine.HostPath("C:\\APP.ICO");
    std::ofstream(host, std::ios::binary) << IconFile();
    HICON icon = KMAPPGetIconFromFile(nullptr, "C:\\APP.ICO");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(PixelOf(icon, 0, 0), RGB(255, 0, 0));
    DestroyIcon(icon);
    EXPECT_EQ(KMAPPGetIconFromFile(nullptr, "C:\\NONE.ICO"), nullptr);
    std::string cut = IconFile().substr(0, 100);
    for (const std::string& bad : {cut, std::string("not an icon at all")}) {
        std::ofstream(host, std::ios::binary | std::ios::trunc) << bad;
        EXPECT_EQ(KMAPPGetIconFromFile(nullptr, "C:\\APP.ICO"), nullptr);
    }
}

}  // namespace
}  // namespace vpr::launcher
