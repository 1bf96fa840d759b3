// Internal side of painting: pixel surfaces and the objects behind GDI handles.
#pragma once

#include <memory>
#include <vector>

#include "vpr/user/gdi.h"
#include "window_manager.h"

namespace vpr::user {

// Pixels of a bitmap or of a window's client area, with the calls drawn on it.
struct Surface {
    int width = 0;
    int height = 0;
    bool mono = false;
    std::vector<COLORREF> pixels;  // RGB() values; monochrome keeps 0 or 0xFFFFFF
    std::vector<GdiCall> record;

    Surface(int w, int h, bool monochrome, COLORREF fill);
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    COLORREF& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The colour a brush paints with; CLR_INVALID for a null brush.
COLORREF BrushColor(HBRUSH brush);

// A bitmap object over the pixels.
HBITMAP BitmapFromSurface(std::shared_ptr<Surface> surface);
// An icon (or cursor) over a mask (white where the screen shows through) and
// a colour image of the same size. DestroyIcon leaves a shared icon alone:
// the handle stays valid for every caller that loaded it.
HICON IconFromSurfaces(std::shared_ptr<Surface> mask, std::shared_ptr<Surface> color, bool shared);
// The size of an icon or bitmap; false for a handle that is neither.
bool ImageSize(HANDLE image, SIZE* size);

}  // namespace vpr::user
