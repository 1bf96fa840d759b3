// Images, menus, accelerators and dialogs from module resources: the test
// program's own (tests/resources/user_tests.vrc) and a resource library's.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "commctrl.h"
#include "test_ids.h"
#include "vpr/testing/temp_machine.h"
#include "windows.h"

using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;

namespace {

HINSTANCE Program() { return GetModuleHandleA(nullptr); }

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    COLORREF pixel = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteDC(memory);
    return pixel;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

// An icon's colour and mask pixel (mask white: transparent).
struct IconPixels {
    SIZE size;
    COLORREF color;
    COLORREF mask;
};

IconPixels ReadIcon(HICON icon, int x, int y) {
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(icon, &info));
    IconPixels pixels{BitmapSize(info.hbmColor), BitmapPixel(info.hbmColor, x, y), BitmapPixel(info.hbmMask, x, y)};
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

TEST(ResourceImageTest, BitmapKeepsItsPixels) {
    for (LPCSTR name : {static_cast<LPCSTR>(MAKEINTRESOURCEA(IDB_FLAG)), "flag_by_name"}) {
        HBITMAP flag = LoadBitmapA(Program(), name);
        ASSERT_NE(flag, nullptr);
        EXPECT_EQ(BitmapSize(flag).cx, 8);
        EXPECT_EQ(BitmapSize(flag).cy, 6);
        EXPECT_EQ(BitmapPixel(flag, 0, 0), RGB(128, 0, 128));
        EXPECT_EQ(BitmapPixel(flag, 1, 1), RGB(255, 0, 0));
        EXPECT_EQ(BitmapPixel(flag, 2, 2), RGB(255, 0, 0));
        EXPECT_EQ(BitmapPixel(flag, 3, 3), RGB(128, 0, 128));
        EXPECT_EQ(BitmapPixel(flag, 7, 5), kBlack);  // rows are stored bottom-up
        EXPECT_NE(LoadBitmapA(Program(), name), flag);  // each load is the caller's own bitmap
        DeleteObject(flag);
    }
    HBITMAP strip = static_cast<HBITMAP>(LoadImageA(Program(), MAKEINTRESOURCEA(IDB_STRIP), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(BitmapPixel(strip, 15, 14), RGB(255, 0, 0));
    EXPECT_EQ(BitmapPixel(strip, 16, 0), RGB(0, 0, 255));
    DeleteObject(strip);
}

TEST(ResourceImageTest, IconImageOfTheWantedSize) {
    HICON large = LoadIconA(Program(), MAKEINTRESOURCEA(IDI_TWO_SIZES));
    ASSERT_NE(large, nullptr);
    IconPixels top = ReadIcon(large, 20, 1), left = ReadIcon(large, 3, 10), right = ReadIcon(large, 20, 10);
    EXPECT_EQ(top.size.cx, 32);
    EXPECT_EQ(top.size.cy, 32);
    EXPECT_EQ(top.mask, kWhite);  // the top rows are transparent
    EXPECT_EQ(left.mask, kBlack);
    EXPECT_EQ(left.color, RGB(255, 0, 0));
    EXPECT_EQ(right.color, RGB(0, 0, 255));

    HICON small = static_cast<HICON>(LoadImageA(Program(), MAKEINTRESOURCEA(IDI_TWO_SIZES), IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(ReadIcon(small, 0, 0).size.cx, 16);
    EXPECT_EQ(ReadIcon(small, 1, 5).mask, kWhite);
    EXPECT_EQ(ReadIcon(small, 5, 5).color, RGB(0, 255, 0));
    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_FALSE(DestroyIcon(small));  // a caller's own icon goes for good

    // No image of 48 pixels: the nearest one, stretched.
    HICON stretched = static_cast<HICON>(LoadImageA(Program(), MAKEINTRESOURCEA(IDI_TWO_SIZES), IMAGE_ICON, 48, 48, 0));
    ASSERT_NE(stretched, nullptr);
    EXPECT_EQ(ReadIcon(stretched, 0, 0).size.cx, 48);
    EXPECT_EQ(ReadIcon(stretched, 47, 47).color, RGB(0, 0, 255));
    DestroyIcon(stretched);
}

TEST(ResourceImageTest, LoadedIconsAreSharedAndSurviveDestroyIcon) {
    HICON icon = LoadIconA(Program(), MAKEINTRESOURCEA(IDI_TWO_SIZES));
    EXPECT_EQ(LoadIconA(Program(), MAKEINTRESOURCEA(IDI_TWO_SIZES)), icon);
    // Callers that destroy what they loaded leave it for the others.
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(ReadIcon(icon, 3, 10).color, RGB(255, 0, 0));
    HICON copy = CopyIcon(icon);
    EXPECT_NE(copy, icon);
    EXPECT_TRUE(DestroyIcon(copy));
    EXPECT_FALSE(DestroyIcon(copy));

    // The standard icons and cursors: one shared handle each, each its own picture.
    HICON warning = LoadIconA(nullptr, IDI_EXCLAMATION);
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, IDI_WARNING), warning);
    EXPECT_NE(ReadIcon(warning, 16, 16).color, ReadIcon(LoadIconA(nullptr, IDI_HAND), 16, 16).color);
    EXPECT_EQ(ReadIcon(warning, 0, 0).mask, kWhite);
    EXPECT_EQ(ReadIcon(warning, 16, 16).mask, kBlack);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(wait, nullptr);
    EXPECT_NE(wait, arrow);
    HCURSOR before = SetCursor(wait);
    EXPECT_EQ(GetCursor(), wait);
    EXPECT_EQ(SetCursor(arrow), wait);
    SetCursor(before);
}

TEST(ResourceImageTest, MissingOrDamagedImagesFailWithTheReason) {
    auto add = [](const char* what, DWORD error, auto call) {
        SetLastError(0);
        HANDLE result = call();
        EXPECT_EQ(result, nullptr) << what;
        EXPECT_EQ(GetLastError(), error) << what;
    };
    add("missing bitmap", ERROR_RESOURCE_NAME_NOT_FOUND, [] { return LoadBitmapA(Program(), MAKEINTRESOURCEA(999)); });
    add("damaged bitmap", ERROR_INVALID_DATA, [] { return LoadBitmapA(Program(), MAKEINTRESOURCEA(IDB_DAMAGED)); });
    add("missing icon", ERROR_RESOURCE_NAME_NOT_FOUND, [] { return LoadIconA(Program(), "NO_SUCH_ICON"); });
    add("damaged icon group", ERROR_INVALID_DATA, [] { return LoadIconA(Program(), MAKEINTRESOURCEA(IDI_DAMAGED)); });
    add("unknown standard icon", ERROR_RESOURCE_NAME_NOT_FOUND, [] { return LoadIconA(nullptr, MAKEINTRESOURCEA(5)); });
    add("cursor the module lacks", ERROR_RESOURCE_TYPE_NOT_FOUND,
        [] { return LoadCursorA(Program(), MAKEINTRESOURCEA(IDI_TWO_SIZES)); });
    add("image from a file", ERROR_NOT_SUPPORTED,
        [] { return LoadImageA(nullptr, "c:\\flag.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE); });
    add("image kind unknown", ERROR_INVALID_PARAMETER,
        [] { return LoadImageA(Program(), MAKEINTRESOURCEA(IDB_FLAG), 7, 0, 0, 0); });
    add("missing menu", ERROR_RESOURCE_NAME_NOT_FOUND, [] { return LoadMenuA(Program(), MAKEINTRESOURCEA(999)); });
    add("damaged menu", ERROR_INVALID_DATA, [] { return LoadMenuA(Program(), MAKEINTRESOURCEA(IDR_DAMAGED)); });
    add("damaged accelerators", ERROR_INVALID_DATA,
        [] { return LoadAcceleratorsA(Program(), MAKEINTRESOURCEA(IDA_DAMAGED)); });
}

// The bytes of a module resource.
std::vector<uint8_t> ResourceBytes(LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(Program(), name, type);
    auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(Program(), found)));
    return data ? std::vector<uint8_t>(data, data + SizeofResource(Program(), found)) : std::vector<uint8_t>{};
}

TEST(ResourceImageTest, IconFilesAndIconImagesFromBytes) {
    // The icon file of the program's two-size icon: header, 16-byte entries, images.
    std::vector<uint8_t> group = ResourceBytes(MAKEINTRESOURCEA(IDI_TWO_SIZES), RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    std::vector<uint8_t> file(group.begin(), group.begin() + 6), images;
    std::vector<uint8_t> small;
    for (int i = 0; i < 2; ++i) {
        const uint8_t* entry = group.data() + 6 + 14 * i;
        std::vector<uint8_t> image = ResourceBytes(MAKEINTRESOURCEA(entry[12] | entry[13] << 8), RT_ICON);
        if (entry[0] == 16) small = image;
        uint32_t offset = static_cast<uint32_t>(6 + 2 * 16 + images.size()), size = static_cast<uint32_t>(image.size());
        file.insert(file.end(), entry, entry + 8);
        for (uint32_t value : {size, offset})
            for (int b = 0; b < 4; ++b) file.push_back(static_cast<uint8_t>(value >> (8 * b)));
        images.insert(images.end(), image.begin(), image.end());
    }
    file.insert(file.end(), images.begin(), images.end());

    vpr::testing::TempMachine machine;
    auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(machine.HostPath(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    write("C:\\TWO.ICO", file);
    EXPECT_EQ(ExtractIconA(nullptr, "C:\\TWO.ICO", static_cast<UINT>(-1)), reinterpret_cast<HICON>(1));
    HICON icon = ExtractIconA(nullptr, "C:\\TWO.ICO", 0);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(ReadIcon(icon, 3, 10).size.cx, 32);  // the image of the system size
    EXPECT_EQ(ReadIcon(icon, 3, 10).color, RGB(255, 0, 0));
    EXPECT_EQ(ReadIcon(icon, 20, 1).mask, kWhite);
    EXPECT_TRUE(DestroyIcon(icon));  // the caller's own
    EXPECT_EQ(ExtractIconA(nullptr, "C:\\TWO.ICO", 1), nullptr);

    // A module gives the icons of its icon groups: by number (a negative
    // index), by place, and their count.
    char module[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, module, sizeof(module)), 0u);
    HICON fromModule = ExtractIconA(nullptr, module, static_cast<UINT>(-IDI_TWO_SIZES));
    ASSERT_NE(fromModule, nullptr);
    EXPECT_EQ(ReadIcon(fromModule, 3, 10).color, RGB(255, 0, 0));
    EXPECT_TRUE(DestroyIcon(fromModule));
    EXPECT_GE(reinterpret_cast<uintptr_t>(ExtractIconA(nullptr, module, static_cast<UINT>(-1))), 2u);
    EXPECT_EQ(ExtractIconA(nullptr, module, 999), nullptr);

    // Cut files, files of another kind and missing ones hold no icon.
    write("C:\\CUT.ICO", std::vector<uint8_t>(file.begin(), file.end() - 1));
    write("C:\\TEXT.ICO", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'c', 'o', 'n'});
    for (const char* name : {"C:\\CUT.ICO", "C:\\TEXT.ICO", "C:\\MISSING.ICO"}) {
        EXPECT_EQ(ExtractIconA(nullptr, name, static_cast<UINT>(-1)), nullptr) << name;
        EXPECT_EQ(ExtractIconA(nullptr, name, 0), nullptr) << name;
    }

    // One image: at its own size, at the system's, or at a size asked for.
    auto bits = small.data();
    auto size = static_cast<DWORD>(small.size());
    HICON own = CreateIconFromResourceEx(bits, size, TRUE, 0x00030000, 0, 0, 0);
    EXPECT_EQ(ReadIcon(own, 5, 5).size.cx, 16);
    EXPECT_EQ(ReadIcon(own, 5, 5).color, RGB(0, 255, 0));
    HICON system = CreateIconFromResource(bits, size, TRUE, 0x00030000);
    EXPECT_EQ(ReadIcon(system, 0, 0).size.cx, 32);
    HICON asked = CreateIconFromResourceEx(bits, size, TRUE, 0x00030000, 24, 24, 0);
    EXPECT_EQ(ReadIcon(asked, 0, 0).size.cy, 24);
    for (HICON made : {own, system, asked}) DestroyIcon(made);
    SetLastError(0);
    EXPECT_EQ(CreateIconFromResourceEx(bits, 20, TRUE, 0x00030000, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

// An icon image of one pixel: a bitmap header of `headerSize` bytes (its
// first 40 as given, 16 bits a pixel; with bit fields, the red, green and blue
// masks of 5-6-5 at bytes 40 to 51), one colour row holding `pixel` and one
// mask row.
std::vector<uint8_t> OnePixelImage(uint32_t headerSize, int32_t height, uint32_t compression, uint16_t pixel) {
    std::vector<uint8_t> image(headerSize + 8, 0);
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int b = 0; b < bytes; ++b) image[at + b] = static_cast<uint8_t>(value >> (8 * b));
    };
    put(0, headerSize, 4);
    put(4, 1, 4);
    put(8, static_cast<uint32_t>(height), 4);
    put(12, 1, 2);
    put(14, 16, 2);
    put(16, compression, 4);
    if (headerSize >= 52) {
        put(40, 0xF800, 4);
        put(44, 0x07E0, 4);
        put(48, 0x001F, 4);
    }
    put(headerSize, pixel, 2);
    return image;
}

TEST(ResourceImageTest, BitFieldsComeFromTheHeaderAndDamagedSidesAreRefused) {
    // A longer header holds its masks at byte 40: a 5-6-5 green pixel is green.
    std::vector<uint8_t> v4 = OnePixelImage(108, 2, 3, 0x07E0);
    HICON icon = CreateIconFromResourceEx(v4.data(), static_cast<DWORD>(v4.size()), TRUE, 0x00030000, 0, 0, 0);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(ReadIcon(icon, 0, 0).color, RGB(0, 255, 0));
    DestroyIcon(icon);

    struct Case {
        const char* what;
        std::vector<uint8_t> image;
    } damaged[] = {
        {"a height of -2^31", OnePixelImage(40, INT32_MIN, 0, 0)},
        {"bit fields in a header that ends inside them", OnePixelImage(44, 2, 3, 0x07E0)},
    };
    for (Case& c : damaged) {
        SetLastError(0);
        EXPECT_EQ(CreateIconFromResourceEx(c.image.data(), static_cast<DWORD>(c.image.size()), TRUE, 0x00030000, 0, 0, 0),
                  nullptr)
            << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA)) << c.what;
    }
}

TEST(ResourceMenuTest, MenuAndAcceleratorsFromResources) {
    HMENU menu = LoadMenuA(Program(), MAKEINTRESOURCEA(IDR_MAIN));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_NE(file, nullptr);
    char text[64];
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&File");
    ASSERT_EQ(GetMenuItemCount(file), 4);
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(IDM_OPEN));
    GetMenuStringA(file, IDM_OPEN, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Open...\tCtrl+O");
    EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(menu, IDM_RECENT, MF_BYCOMMAND) & MF_GRAYED);  // found through the pop-ups
    EXPECT_TRUE(GetMenuState(menu, IDM_REFRESH, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(GetMenuItemID(file, 3), static_cast<UINT>(IDM_EXIT));
    DestroyMenu(menu);

    HACCEL table = LoadAcceleratorsA(Program(), MAKEINTRESOURCEA(IDA_MAIN));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4];
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 2);
    EXPECT_EQ(entries[0].key, 'O');
    EXPECT_EQ(entries[0].fVirt, FVIRTKEY | FCONTROL);
    EXPECT_EQ(entries[0].cmd, IDM_OPEN);
    EXPECT_EQ(entries[1].key, VK_F5);
    EXPECT_EQ(entries[1].cmd, IDM_REFRESH);
    DestroyAcceleratorTable(table);
}

INT_PTR CALLBACK PlainProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

TEST(ResourceDialogTest, ImageStaticsLoadTheirPicturesFromTheDialogsModule) {
    UiDriver driver;
    driver.OnDialog(IDD_PICTURES, [](const ModalElement& e) {
        EXPECT_EQ(e.text, "");  // image statics show no text
        HWND icon = GetDlgItem(e.window, IDC_ICON_STATIC);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)),
                  LoadIconA(Program(), MAKEINTRESOURCEA(IDI_TWO_SIZES)));
        RECT rect;
        GetClientRect(icon, &rect);
        EXPECT_EQ(rect.right, 32);  // fitted to its image
        EXPECT_EQ(rect.bottom, 32);
        HWND bitmap = GetDlgItem(e.window, IDC_BITMAP_STATIC);
        GetClientRect(bitmap, &rect);
        EXPECT_EQ(rect.right, 8);
        EXPECT_EQ(rect.bottom, 6);
        // The picture is painted: the icon's opaque red shows, its transparent top does not.
        vpr::user::PaintNow(e.window);
        EXPECT_EQ(vpr::user::WindowPixel(icon, 3, 10), RGB(255, 0, 0));
        EXPECT_EQ(vpr::user::WindowPixel(icon, 3, 1), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(vpr::user::WindowPixel(bitmap, 1, 1), RGB(255, 0, 0));
        // A picture the module lacks leaves its static empty; the dialog still opens.
        EXPECT_EQ(SendDlgItemMessageA(e.window, IDC_MISSING_ICON, STM_GETICON, 0, 0), 0);
        // A button shows the icon it is given.
        HICON warning = LoadIconA(nullptr, IDI_EXCLAMATION);
        SendDlgItemMessageA(e.window, IDC_ICON_BUTTON, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(warning));
        HWND button = GetDlgItem(e.window, IDC_ICON_BUTTON);
        vpr::user::ClearPaintRecord(button);
        vpr::user::PaintNow(e.window);
        bool drawn = false;
        for (const auto& call : vpr::user::PaintRecord(button))
            drawn = drawn || (call.kind == vpr::user::GdiCall::Kind::kIcon && call.icon == warning);
        EXPECT_TRUE(drawn);
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(DialogBoxParamA(Program(), MAKEINTRESOURCEA(IDD_PICTURES), nullptr, PlainProc, 0), IDOK);
    EXPECT_TRUE(driver.Failures().empty());
}

TEST(ResourceDialogTest, NamedTemplateOfAResourceLibraryWithItsOwnIcon) {
    HMODULE library = LoadLibraryA("USERRES.DLL");
    ASSERT_NE(library, nullptr);
    UiDriver driver;
    driver.OnDialogCaption("From the Library", [&](const ModalElement& e) {
        EXPECT_EQ(e.templateId, 0);  // named by a text
        EXPECT_EQ(e.text, "Library text");
        HWND icon = GetDlgItem(e.window, -1);
        HICON shown = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
        EXPECT_EQ(shown, LoadIconA(library, MAKEINTRESOURCEA(7)));
        EXPECT_NE(shown, nullptr);
        ui::PressKey(e.window, VK_RETURN);
    });
    EXPECT_EQ(DialogBoxParamA(library, "named_box", nullptr, PlainProc, 0), IDOK);
    // The program has no dialog of that name.
    EXPECT_EQ(DialogBoxParamA(Program(), "NAMED_BOX", nullptr, PlainProc, 0), -1);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(driver.Seen().size(), 1u);
    FreeLibrary(library);
}

TEST(ResourceDialogTest, DialogMenuAndClassCursor) {
    UiDriver driver;
    driver.OnDialog(IDD_WITH_MENU, [](const ModalElement& e) {
        HMENU menu = GetMenu(e.window);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(GetMenuItemCount(menu), 2);
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(DialogBoxParamA(Program(), MAKEINTRESOURCEA(IDD_WITH_MENU), nullptr, PlainProc, 0), IDOK);

    // The pointer over a control takes its class's cursor.
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = Program();
    cls.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    cls.lpszClassName = "CrossArea";
    ASSERT_TRUE(RegisterClassA(&cls));
    SetCursor(nullptr);
    driver.OnDialog(IDD_CURSOR, [](const ModalElement& e) {
        ui::Click(e.window, IDC_CROSS_AREA);
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS));
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(DialogBoxParamA(Program(), MAKEINTRESOURCEA(IDD_CURSOR), nullptr, PlainProc, 0), IDOK);
    EXPECT_TRUE(driver.Failures().empty());
    UnregisterClassA("CrossArea", Program());
}

TEST(ResourceToolbarTest, AddBitmapFromAModulesResource) {
    HWND frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame, nullptr, nullptr,
                               nullptr);
    ASSERT_NE(bar, nullptr);
    TBADDBITMAP add{Program(), IDB_STRIP};
    EXPECT_EQ(SendMessageA(bar, TB_ADDBITMAP, 2, reinterpret_cast<LPARAM>(&add)), 0);
    EXPECT_EQ(SendMessageA(bar, TB_ADDBITMAP, 2, reinterpret_cast<LPARAM>(&add)), 2);
    TBADDBITMAP missing{Program(), 999};
    EXPECT_EQ(SendMessageA(bar, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&missing)), -1);
    DestroyWindow(frame);
}

}  // namespace
