// Image lists: icons of one size kept side by side, shared by list and tree
// views. Each image is an icon the list owns (a copy of what was added).
#include <atomic>
#include <vector>

#include "vpr/user/commctrl.h"
#include "vpr/win/error.h"
#include "common_control.h"
#include "window_manager.h"

namespace vpr::user {
namespace {

std::atomic<size_t> g_liveLists{0};

struct ImageListObject : vpr::win::KernelObject {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    int grow = 0;
    std::vector<HICON> images;

    ImageListObject() { ++g_liveLists; }
    ~ImageListObject() override {
        for (HICON icon : images) DestroyIcon(icon);
        --g_liveLists;
    }
};

std::shared_ptr<ImageListObject> Find(HIMAGELIST himl) { return HandleObject<ImageListObject>(himl); }

// A cx by cy piece of a bitmap, starting at column `left`.
HBITMAP Piece(HBITMAP source, int left, int cx, int cy, bool mono) {
    HDC from = CreateCompatibleDC(nullptr);
    HDC to = CreateCompatibleDC(nullptr);
    HBITMAP piece = CreateBitmap(cx, cy, 1, mono ? 1 : 32, nullptr);
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, piece);
    BitBlt(to, 0, 0, cx, cy, from, left, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    return piece;
}

}  // namespace

size_t ImageListCount() { return g_liveLists; }

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    if (cx <= 0 || cy <= 0 || initial < 0 || grow < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto list = std::make_shared<ImageListObject>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->grow = grow;
    list->images.reserve(static_cast<size_t>(initial));
    return AddHandleObject<HIMAGELIST>(std::move(list));
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
    if (!Find(himl)) return FALSE;
    RemoveHandleObject(himl);
    return TRUE;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST himl) {
    auto list = Find(himl);
    return list ? static_cast<int>(list->images.size()) : 0;
}

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
    auto list = Find(himl);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask) {
    auto list = Find(himl);
    BITMAP info{};
    if (!list || !image || !GetObjectA(image, sizeof(info), &info)) return -1;
    int count = info.bmWidth / list->cx;
    if (count == 0) return -1;
    int first = static_cast<int>(list->images.size());
    for (int i = 0; i < count; ++i) {
        HBITMAP color = Piece(image, i * list->cx, list->cx, list->cy, false);
        // Without a mask every pixel of the image is opaque.
        HBITMAP monoMask = mask ? Piece(mask, i * list->cx, list->cx, list->cy, true)
                                : CreateBitmap(list->cx, list->cy, 1, 1, nullptr);
        ICONINFO icon{TRUE, 0, 0, monoMask, color};
        list->images.push_back(CreateIconIndirect(&icon));
        DeleteObject(color);
        DeleteObject(monoMask);
    }
    return first;
}

int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON icon) {
    auto list = Find(himl);
    if (!list || !icon) return -1;
    int count = static_cast<int>(list->images.size());
    if (i < -1 || i >= count) return -1;
    HICON copy = CopyIcon(icon);
    if (!copy) return -1;
    if (i == -1) {
        list->images.push_back(copy);
        return count;
    }
    DestroyIcon(list->images[i]);
    list->images[i] = copy;
    return i;
}

BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i) {
    auto list = Find(himl);
    if (!list) return FALSE;
    if (i == -1) {
        for (HICON icon : list->images) DestroyIcon(icon);
        list->images.clear();
        return TRUE;
    }
    if (i < 0 || i >= static_cast<int>(list->images.size())) return FALSE;
    DestroyIcon(list->images[i]);
    list->images.erase(list->images.begin() + i);
    return TRUE;
}

HICON WINAPI ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
    auto list = Find(himl);
    if (!list || i < 0 || i >= static_cast<int>(list->images.size())) return nullptr;
    return CopyIcon(list->images[i]);
}

BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC dc, int x, int y, UINT style) {
    auto list = Find(himl);
    if (!list || i < 0 || i >= static_cast<int>(list->images.size())) return FALSE;
    return DrawIconEx(dc, x, y, list->images[i], list->cx, list->cy, 0, nullptr,
                      (style & ILD_MASK) ? DI_MASK : DI_NORMAL);
}

}  // extern "C"
