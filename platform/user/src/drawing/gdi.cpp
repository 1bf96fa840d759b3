// Device contexts, GDI objects and drawing into pixel surfaces with a record.
#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "paint.h"
#include "vpr/win/error.h"
#include "vpr/win/system.h"

namespace vpr::user {

using vpr::win::HandleTable;
using vpr::win::KernelObject;

Surface::Surface(int w, int h, bool monochrome, COLORREF fill)
    : width(std::max(w, 0)), height(std::max(h, 0)), mono(monochrome),
      pixels(static_cast<size_t>(width) * height, fill) {}

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct GdiObject : KernelObject {
    DWORD type = 0;
    bool stock = false;
};

struct BrushObject : GdiObject {
    COLORREF color = kWhite;
    bool null = false;
};

struct PenObject : GdiObject {
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = kBlack;
};

struct FontObject : GdiObject {
    LOGFONTA logFont{};
    int height = 16;
    int width = 8;
};

struct BitmapObject : GdiObject {
    std::shared_ptr<Surface> surface;
};

struct IconObject : KernelObject {
    std::shared_ptr<Surface> mask;   // white where the screen shows through
    std::shared_ptr<Surface> color;  // XORed onto the screen
    bool shared = false;             // loaded from resources: DestroyIcon leaves it
};

struct DcState {
    HGDIOBJ bitmap = nullptr, font = nullptr, brush = nullptr, pen = nullptr;
    COLORREF text = kBlack, background = kWhite;
    int bkMode = OPAQUE;
    POINT position{0, 0};
    POINT origin{0, 0};
};

struct DcObject : KernelObject {
    HWND window = nullptr;
    bool memory = false;
    bool information = false;
    DcState state;
    std::vector<DcState> saved;
};

template <class T>
std::shared_ptr<T> Lookup(const void* handle) {
    uintptr_t raw = reinterpret_cast<uintptr_t>(handle);
    if (raw == 0 || raw > 0xFFFFFFFFu) return nullptr;
    return HandleTable::Instance().GetAs<T>(static_cast<uint32_t>(raw));
}

template <class H>
H Add(std::shared_ptr<KernelObject> object) {
    return reinterpret_cast<H>(static_cast<uintptr_t>(HandleTable::Instance().Add(std::move(object))));
}

const COLORREF kSysColors[] = {
    RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(192, 192, 192), RGB(0, 0, 0),       RGB(255, 255, 225),
};
constexpr int kSysColorCount = sizeof(kSysColors) / sizeof(kSysColors[0]);

HBRUSH MakeBrush(COLORREF color, bool null, bool stock) {
    auto brush = std::make_shared<BrushObject>();
    brush->type = OBJ_BRUSH;
    brush->color = color;
    brush->null = null;
    brush->stock = stock;
    return Add<HBRUSH>(brush);
}

HPEN MakePen(int style, int width, COLORREF color, bool stock) {
    auto pen = std::make_shared<PenObject>();
    pen->type = OBJ_PEN;
    pen->style = style;
    pen->width = width;
    pen->color = color;
    pen->stock = stock;
    return Add<HPEN>(pen);
}

HFONT MakeFont(const LOGFONTA& logFont, bool stock) {
    auto font = std::make_shared<FontObject>();
    font->type = OBJ_FONT;
    font->logFont = logFont;
    font->height = logFont.lfHeight == 0 ? 16 : std::abs(static_cast<int>(logFont.lfHeight));
    font->width = std::max(1, font->height / 2);
    font->stock = stock;
    return Add<HFONT>(font);
}

HBITMAP MakeBitmap(std::shared_ptr<Surface> surface, bool stock = false) {
    auto bitmap = std::make_shared<BitmapObject>();
    bitmap->type = OBJ_BITMAP;
    bitmap->surface = std::move(surface);
    bitmap->stock = stock;
    return Add<HBITMAP>(bitmap);
}

struct StockObjects {
    HGDIOBJ objects[18] = {};
    HBRUSH sysBrushes[kSysColorCount] = {};
    HBITMAP defaultBitmap = nullptr;  // the 1x1 monochrome bitmap of a new memory context
    StockObjects() {
        const COLORREF grays[] = {kWhite, RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64), kBlack};
        for (int i = 0; i < 5; ++i) objects[i] = reinterpret_cast<HGDIOBJ>(MakeBrush(grays[i], false, true));
        objects[NULL_BRUSH] = reinterpret_cast<HGDIOBJ>(MakeBrush(0, true, true));
        objects[WHITE_PEN] = reinterpret_cast<HGDIOBJ>(MakePen(PS_SOLID, 1, kWhite, true));
        objects[BLACK_PEN] = reinterpret_cast<HGDIOBJ>(MakePen(PS_SOLID, 1, kBlack, true));
        objects[NULL_PEN] = reinterpret_cast<HGDIOBJ>(MakePen(PS_NULL, 0, kBlack, true));
        LOGFONTA system{};
        system.lfHeight = 16;
        system.lfWeight = FW_BOLD;
        std::strcpy(system.lfFaceName, "System");
        for (int i : {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, SYSTEM_FONT, DEVICE_DEFAULT_FONT,
                      SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT})
            objects[i] = reinterpret_cast<HGDIOBJ>(MakeFont(system, true));
        for (int i = 0; i < kSysColorCount; ++i) sysBrushes[i] = MakeBrush(kSysColors[i], false, true);
        defaultBitmap = MakeBitmap(std::make_shared<Surface>(1, 1, true, kBlack), true);
    }
};

StockObjects& Stock() {
    static auto* stock = new StockObjects;
    return *stock;
}

// A class background or FillRect brush may be a system colour index plus one.
std::shared_ptr<BrushObject> ResolveBrush(HBRUSH brush) {
    uintptr_t raw = reinterpret_cast<uintptr_t>(brush);
    if (raw >= 1 && raw <= static_cast<uintptr_t>(kSysColorCount)) brush = Stock().sysBrushes[raw - 1];
    return Lookup<BrushObject>(brush);
}

std::shared_ptr<DcObject> Dc(HDC hdc) {
    auto dc = Lookup<DcObject>(hdc);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

std::shared_ptr<Surface> WindowSurface(HWND hwnd) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    if (!window) return nullptr;
    RECT client;
    GetClientRect(hwnd, &client);
    auto& surface = window->surface;
    if (!surface || surface->width != client.right || surface->height != client.bottom) {
        auto fresh = std::make_shared<Surface>(client.right, client.bottom, false, kWhite);
        if (surface) fresh->record = std::move(surface->record);
        surface = fresh;
    }
    return surface;
}

// The surface a context draws on: its window's, or its selected bitmap's.
std::shared_ptr<Surface> Target(const DcObject& dc) {
    if (dc.information) return nullptr;
    if (dc.memory) {
        auto bitmap = Lookup<BitmapObject>(dc.state.bitmap);
        return bitmap ? bitmap->surface : nullptr;
    }
    return WindowSurface(dc.window);
}

std::shared_ptr<FontObject> FontOf(const DcObject& dc) {
    auto font = Lookup<FontObject>(dc.state.font);
    return font ? font : Lookup<FontObject>(Stock().objects[SYSTEM_FONT]);
}

GdiCall Call(GdiCall::Kind kind, const RECT& rect, COLORREF color) {
    GdiCall call;
    call.kind = kind;
    call.rect = rect;
    call.color = color;
    return call;
}

void Record(const DcObject& dc, GdiCall call) {
    auto surface = Target(dc);
    if (!surface) return;
    OffsetRect(&call.rect, dc.state.origin.x, dc.state.origin.y);
    surface->record.push_back(std::move(call));
}

COLORREF ToMono(COLORREF color) {
    int light = GetRValue(color) * 30 + GetGValue(color) * 59 + GetBValue(color) * 11;
    return light >= 12750 ? kWhite : kBlack;
}

// Applies a ternary raster operation bit by bit.
COLORREF Rop3(DWORD rop, COLORREF p, COLORREF s, COLORREF d) {
    BYTE code = static_cast<BYTE>(rop >> 16);
    DWORD result = 0;
    for (int i = 0; i < 8; ++i) {
        if (!(code & (1 << i))) continue;
        DWORD term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        result |= term;
    }
    return result & 0x00FFFFFF;
}

void FillPixels(Surface& surface, RECT rect, const std::function<COLORREF(COLORREF)>& paint) {
    RECT bounds{0, 0, surface.width, surface.height};
    if (!IntersectRect(&rect, &rect, &bounds)) return;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            COLORREF& pixel = surface.At(x, y);
            pixel = paint(pixel);
            if (surface.mono) pixel = ToMono(pixel);
        }
}

RECT Shifted(const DcObject& dc, RECT rect) {
    OffsetRect(&rect, dc.state.origin.x, dc.state.origin.y);
    return rect;
}

void PaintRect(const DcObject& dc, const RECT& rect, COLORREF color) {
    auto surface = Target(dc);
    if (!surface) return;
    FillPixels(*surface, Shifted(dc, rect), [&](COLORREF) { return surface->mono ? ToMono(color) : color; });
}

void FrameOf(const DcObject& dc, const RECT& r, COLORREF color) {
    PaintRect(dc, RECT{r.left, r.top, r.right, r.top + 1}, color);
    PaintRect(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, color);
    PaintRect(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, color);
    PaintRect(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, color);
}

int TextWidth(const FontObject& font, size_t bytes) { return static_cast<int>(bytes) * font.width; }

void DrawTextLine(const DcObject& dc, int x, int y, const std::string& text, UINT flags, const RECT* opaque) {
    auto font = FontOf(dc);
    RECT cell{x, y, x + TextWidth(*font, text.size()), y + font->height};
    if (dc.state.bkMode == OPAQUE || opaque) PaintRect(dc, opaque ? *opaque : cell, dc.state.background);
    GdiCall call = Call(GdiCall::Kind::kText, RECT{}, 0);
    call.rect = cell;
    call.text = text;
    call.color = dc.state.text;
    call.background = dc.state.bkMode == OPAQUE ? dc.state.background : CLR_INVALID;
    call.flags = flags;
    Record(dc, call);
}

struct CaretState {
    HWND window = nullptr;
    int width = 0, height = 0;
    POINT position{0, 0};
    int hidden = 1;
};
thread_local CaretState t_caret;

}  // namespace

HBITMAP BitmapFromSurface(std::shared_ptr<Surface> surface) { return MakeBitmap(std::move(surface)); }

HICON IconFromSurfaces(std::shared_ptr<Surface> mask, std::shared_ptr<Surface> color, bool shared) {
    auto icon = std::make_shared<IconObject>();
    icon->mask = std::move(mask);
    icon->color = std::move(color);
    icon->shared = shared;
    return Add<HICON>(icon);
}

bool ImageSize(HANDLE image, SIZE* size) {
    if (auto icon = Lookup<IconObject>(image)) {
        *size = SIZE{icon->mask->width, icon->mask->height};
        return true;
    }
    if (auto bitmap = Lookup<BitmapObject>(image)) {
        *size = SIZE{bitmap->surface->width, bitmap->surface->height};
        return true;
    }
    return false;
}

COLORREF BrushColor(HBRUSH brush) {
    auto object = ResolveBrush(brush);
    return !object || object->null ? CLR_INVALID : object->color;
}

std::vector<GdiCall> PaintRecord(HWND hwnd) {
    auto surface = WindowSurface(hwnd);
    return surface ? surface->record : std::vector<GdiCall>{};
}

void ClearPaintRecord(HWND hwnd) {
    if (auto surface = WindowSurface(hwnd)) surface->record.clear();
}

std::vector<GdiCall> BitmapRecord(HBITMAP bitmap) {
    auto object = Lookup<BitmapObject>(bitmap);
    return object ? object->surface->record : std::vector<GdiCall>{};
}

COLORREF WindowPixel(HWND hwnd, int x, int y) {
    auto surface = WindowSurface(hwnd);
    return surface && surface->Contains(x, y) ? surface->At(x, y) : CLR_INVALID;
}

void PaintNow(HWND hwnd) {
    if (!IsWindowVisible(hwnd)) return;
    UpdateWindow(hwnd);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) PaintNow(child);
}

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HDC WINAPI GetDC(HWND hwnd) {
    if (!hwnd) hwnd = GetDesktopWindow();
    if (!WindowOrError(hwnd)) return nullptr;
    auto dc = std::make_shared<DcObject>();
    dc->window = hwnd;
    return Add<HDC>(dc);
}

HDC WINAPI GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int WINAPI ReleaseDC(HWND, HDC hdc) {
    auto dc = Lookup<DcObject>(hdc);
    if (!dc || dc->memory) return 0;
    HandleTable::Instance().Remove(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hdc)));
    return 1;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    auto window = WindowOrError(hwnd);
    if (!window || !ps) return nullptr;
    HDC hdc = GetDC(hwnd);
    bool erase;
    {
        Lock lock(WindowLock());
        RECT client;
        GetClientRect(hwnd, &client);
        *ps = PAINTSTRUCT{};
        ps->hdc = hdc;
        ps->rcPaint = window->hasUpdate ? window->update : client;
        erase = window->eraseUpdate;
    }
    ValidateRect(hwnd, nullptr);
    HideCaret(hwnd);
    ps->fErase = erase ? !SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) : FALSE;
    return hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (!ps) return FALSE;
    ShowCaret(hwnd);
    ReleaseDC(hwnd, ps->hdc);
    return TRUE;
}

HDC WINAPI CreateCompatibleDC(HDC) {
    auto dc = std::make_shared<DcObject>();
    dc->memory = true;
    dc->state.bitmap = reinterpret_cast<HGDIOBJ>(Stock().defaultBitmap);
    return Add<HDC>(dc);
}

HDC WINAPI CreateICA(LPCSTR, LPCSTR, LPCSTR, const void*) {
    auto dc = std::make_shared<DcObject>();
    dc->information = true;
    return Add<HDC>(dc);
}

HDC WINAPI CreateDCA(LPCSTR, LPCSTR, LPCSTR, const void*) { return GetDC(nullptr); }

BOOL WINAPI DeleteDC(HDC hdc) {
    if (!Lookup<DcObject>(hdc)) return FALSE;
    HandleTable::Instance().Remove(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hdc)));
    return TRUE;
}

HWND WINAPI WindowFromDC(HDC hdc) {
    auto dc = Lookup<DcObject>(hdc);
    return dc ? dc->window : nullptr;
}

int WINAPI SaveDC(HDC hdc) {
    auto dc = Dc(hdc);
    if (!dc) return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC hdc, int level) {
    auto dc = Dc(hdc);
    if (!dc || dc->saved.empty()) return FALSE;
    size_t keep = level < 0 ? dc->saved.size() + level : static_cast<size_t>(level) - 1;
    if (keep >= dc->saved.size()) return FALSE;
    dc->state = dc->saved[keep];
    dc->saved.resize(keep);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) {
    auto dc = Dc(hdc);
    auto gdi = Lookup<GdiObject>(object);
    if (!dc || !gdi) return nullptr;
    HGDIOBJ* slot = nullptr;
    switch (gdi->type) {
    case OBJ_BITMAP:
        if (!dc->memory) return nullptr;
        slot = &dc->state.bitmap;
        break;
    case OBJ_FONT: slot = &dc->state.font; break;
    case OBJ_BRUSH: slot = &dc->state.brush; break;
    case OBJ_PEN: slot = &dc->state.pen; break;
    default: return nullptr;
    }
    HGDIOBJ old = *slot;
    *slot = object;
    if (!old) {
        // A context starts with the stock objects selected.
        switch (gdi->type) {
        case OBJ_FONT: old = Stock().objects[SYSTEM_FONT]; break;
        case OBJ_BRUSH: old = Stock().objects[WHITE_BRUSH]; break;
        case OBJ_PEN: old = Stock().objects[BLACK_PEN]; break;
        }
    }
    return old;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    auto gdi = Lookup<GdiObject>(object);
    if (!gdi) return FALSE;
    if (gdi->stock) return TRUE;
    HandleTable::Instance().Remove(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object)));
    return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int index) {
    if (index < 0 || index >= 18) return nullptr;
    return Stock().objects[index];
}

DWORD WINAPI GetObjectType(HGDIOBJ object) {
    if (auto gdi = Lookup<GdiObject>(object)) return gdi->type;
    if (auto dc = Lookup<DcObject>(object)) return dc->memory ? OBJ_MEMDC : OBJ_DC;
    return 0;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    auto dc = Dc(hdc);
    if (!dc) return nullptr;
    switch (type) {
    case OBJ_BITMAP: return dc->state.bitmap;
    case OBJ_FONT: return dc->state.font ? dc->state.font : Stock().objects[SYSTEM_FONT];
    case OBJ_BRUSH: return dc->state.brush ? dc->state.brush : Stock().objects[WHITE_BRUSH];
    case OBJ_PEN: return dc->state.pen ? dc->state.pen : Stock().objects[BLACK_PEN];
    }
    return nullptr;
}

int WINAPI GetObjectA(HANDLE handle, int size, LPVOID out) {
    auto gdi = Lookup<GdiObject>(handle);
    if (!gdi) return 0;
    if (auto bitmap = std::dynamic_pointer_cast<BitmapObject>(gdi)) {
        if (!out) return sizeof(BITMAP);
        if (size < static_cast<int>(sizeof(BITMAP))) return 0;
        auto& s = *bitmap->surface;
        int bits = s.mono ? 1 : 32;
        *static_cast<BITMAP*>(out) =
            BITMAP{0, s.width, s.height, ((s.width * bits + 15) / 16) * 2, 1, static_cast<WORD>(bits), nullptr};
        return sizeof(BITMAP);
    }
    if (auto font = std::dynamic_pointer_cast<FontObject>(gdi)) {
        if (!out) return sizeof(LOGFONTA);
        std::memcpy(out, &font->logFont, std::min<size_t>(sizeof(LOGFONTA), static_cast<size_t>(size)));
        return std::min<int>(sizeof(LOGFONTA), size);
    }
    if (auto brush = std::dynamic_pointer_cast<BrushObject>(gdi)) {
        if (!out) return sizeof(LOGBRUSH);
        if (size < static_cast<int>(sizeof(LOGBRUSH))) return 0;
        *static_cast<LOGBRUSH*>(out) = LOGBRUSH{static_cast<UINT>(brush->null ? BS_NULL : BS_SOLID), brush->color, 0};
        return sizeof(LOGBRUSH);
    }
    return 0;
}

DWORD WINAPI GetSysColor(int index) {
    return index >= 0 && index < kSysColorCount ? kSysColors[index] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    return index >= 0 && index < kSysColorCount ? Stock().sysBrushes[index] : nullptr;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) { return MakeBrush(color & 0x00FFFFFF, false, false); }

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* logBrush) {
    if (!logBrush) return nullptr;
    return MakeBrush(logBrush->lbColor, logBrush->lbStyle == BS_NULL, false);
}

HBRUSH WINAPI CreatePatternBrush(HBITMAP bitmap) {
    // A pattern paints with its top-left pixel: our surfaces have no tiling.
    auto object = Lookup<BitmapObject>(bitmap);
    if (!object) return nullptr;
    COLORREF color = object->surface->pixels.empty() ? kWhite : object->surface->pixels[0];
    return MakeBrush(color, false, false);
}

HPEN WINAPI CreatePen(int style, int width, COLORREF color) { return MakePen(style, width, color, false); }

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
    LOGFONTA logFont{height, width, escapement, orientation, weight, static_cast<BYTE>(italic),
                     static_cast<BYTE>(underline), static_cast<BYTE>(strikeOut), static_cast<BYTE>(charSet),
                     static_cast<BYTE>(outPrecision), static_cast<BYTE>(clipPrecision),
                     static_cast<BYTE>(quality), static_cast<BYTE>(pitchAndFamily), {}};
    if (faceName) std::strncpy(logFont.lfFaceName, faceName, LF_FACESIZE - 1);
    return MakeFont(logFont, false);
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* logFont) { return logFont ? MakeFont(*logFont, false) : nullptr; }

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics) {
    auto dc = Dc(hdc);
    if (!dc || !metrics) return FALSE;
    auto font = FontOf(*dc);
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = font->height;
    metrics->tmAscent = font->height * 13 / 16;
    metrics->tmDescent = font->height - metrics->tmAscent;
    metrics->tmAveCharWidth = font->width;
    metrics->tmMaxCharWidth = font->width;
    metrics->tmWeight = font->logFont.lfWeight ? font->logFont.lfWeight : FW_NORMAL;
    metrics->tmDigitizedAspectX = metrics->tmDigitizedAspectY = 96;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = 0xFF;
    metrics->tmDefaultChar = '?';
    metrics->tmBreakChar = ' ';
    metrics->tmItalic = font->logFont.lfItalic;
    metrics->tmUnderlined = font->logFont.lfUnderline;
    metrics->tmCharSet = font->logFont.lfCharSet;
    return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size) {
    auto dc = Dc(hdc);
    if (!dc || !size || count < 0) return FALSE;
    auto font = FontOf(*dc);
    size->cx = TextWidth(*font, static_cast<size_t>(count));
    size->cy = font->height;
    (void)text;
    return TRUE;
}

BOOL WINAPI GetTextExtentPointA(HDC hdc, LPCSTR text, int count, LPSIZE size) {
    return GetTextExtentPoint32A(hdc, text, count, size);
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    auto dc = Dc(hdc);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->state.text, color);
}
COLORREF WINAPI GetTextColor(HDC hdc) {
    auto dc = Dc(hdc);
    return dc ? dc->state.text : CLR_INVALID;
}
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    auto dc = Dc(hdc);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->state.background, color);
}
COLORREF WINAPI GetBkColor(HDC hdc) {
    auto dc = Dc(hdc);
    return dc ? dc->state.background : CLR_INVALID;
}
int WINAPI SetBkMode(HDC hdc, int mode) {
    auto dc = Dc(hdc);
    if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
    return std::exchange(dc->state.bkMode, mode);
}
int WINAPI GetBkMode(HDC hdc) {
    auto dc = Dc(hdc);
    return dc ? dc->state.bkMode : 0;
}
// Only the text mapping mode exists: one logical unit is one pixel.
int WINAPI SetMapMode(HDC hdc, int mode) { return Dc(hdc) && mode == MM_TEXT ? MM_TEXT : 0; }
int WINAPI GetMapMode(HDC hdc) { return Dc(hdc) ? MM_TEXT : 0; }
BOOL WINAPI DPtoLP(HDC hdc, LPPOINT, int) { return Dc(hdc) != nullptr; }
BOOL WINAPI LPtoDP(HDC hdc, LPPOINT, int) { return Dc(hdc) != nullptr; }

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
    auto dc = Dc(hdc);
    if (!dc) return FALSE;
    if (old) *old = dc->state.origin;
    dc->state.origin = POINT{x, y};
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    auto dc = Dc(hdc);
    if (!dc) return 0;
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: {
        auto surface = Target(*dc);
        return surface && surface->mono ? 1 : 32;
    }
    case PLANES: return 1;
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    }
    return 0;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int count) {
    auto dc = Dc(hdc);
    if (!dc || !text || count < 0) return FALSE;
    DrawTextLine(*dc, x, y, std::string(text, static_cast<size_t>(count)), 0, nullptr);
    return TRUE;
}

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                        const INT*) {
    auto dc = Dc(hdc);
    if (!dc) return FALSE;
    const RECT* opaque = (options & ETO_OPAQUE) ? rect : nullptr;
    if (!text || count == 0) {
        if (opaque) PaintRect(*dc, *opaque, dc->state.background);
        return TRUE;
    }
    DrawTextLine(*dc, x, y, std::string(text, count), options, opaque);
    return TRUE;
}

LONG WINAPI TabbedTextOutA(HDC hdc, int x, int y, LPCSTR text, int count, int stopCount, const INT* stops,
                           int origin) {
    auto dc = Dc(hdc);
    if (!dc || !text || count < 0) return 0;
    auto font = FontOf(*dc);
    // Tabs advance to the next stop; with none given, every eight characters.
    int pen = x;
    std::string run;
    int runStart = x;
    auto flush = [&] {
        if (!run.empty()) DrawTextLine(*dc, runStart, y, run, 0, nullptr);
        run.clear();
    };
    for (int i = 0; i < count; ++i) {
        if (text[i] != '\t') {
            if (run.empty()) runStart = pen;
            run += text[i];
            pen += font->width;
            continue;
        }
        flush();
        int next = pen + 1;
        bool found = false;
        for (int s = 0; s < stopCount; ++s) {
            int stop = origin + stops[s];
            if (stop > pen) {
                next = stop;
                found = true;
                break;
            }
        }
        if (!found) {
            int every = (stopCount == 1 && stops[0] > 0) ? stops[0] : 8 * font->width;
            next = origin + ((pen - origin) / every + 1) * every;
        }
        pen = next;
    }
    flush();
    return MAKELONG(pen - x, font->height);
}

int WINAPI DrawTextA(HDC hdc, LPCSTR textIn, int count, LPRECT rect, UINT format) {
    auto dc = Dc(hdc);
    if (!dc || !textIn || !rect) return 0;
    std::string raw = count < 0 ? std::string(textIn) : std::string(textIn, static_cast<size_t>(count));
    // Mnemonic marks are not drawn ("&&" draws one ampersand).
    std::string text;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '&' && !(format & DT_NOPREFIX)) {
            if (i + 1 < raw.size() && raw[i + 1] == '&') text += '&', ++i;
            continue;
        }
        text += raw[i];
    }
    auto font = FontOf(*dc);
    int width = rect->right - rect->left;
    std::vector<std::string> lines;
    if (format & DT_SINGLELINE) {
        lines.push_back(text);
    } else {
        size_t start = 0;
        for (;;) {
            size_t end = text.find('\n', start);
            std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (format & DT_WORDBREAK) {
                // Break at spaces so that each line fits the width when it can; a
                // word longer than the width stays whole on its own line.
                while (TextWidth(*font, line.size()) > width) {
                    size_t fit = static_cast<size_t>(std::max(width / font->width, 1));
                    size_t cut = line.rfind(' ', fit);
                    if (cut == std::string::npos || cut == 0) cut = line.find(' ', 1);
                    if (cut == std::string::npos) break;
                    lines.push_back(line.substr(0, cut));
                    line = line.substr(cut < line.size() && line[cut] == ' ' ? cut + 1 : cut);
                }
            }
            lines.push_back(line);
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    int height = static_cast<int>(lines.size()) * font->height;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (auto& line : lines) widest = std::max(widest, TextWidth(*font, line.size()));
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return height;
    }
    int y = rect->top;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - font->height) / 2;
    if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) y = rect->bottom - font->height;
    for (auto& line : lines) {
        int lineWidth = TextWidth(*font, line.size());
        int x = rect->left;
        if (format & DT_CENTER) x = rect->left + (width - lineWidth) / 2;
        if (format & DT_RIGHT) x = rect->right - lineWidth;
        DrawTextLine(*dc, x, y, line, format, nullptr);
        y += font->height;
    }
    return height;
}

int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    auto dc = Dc(hdc);
    if (!dc || !rect) return 0;
    COLORREF color = BrushColor(brush);
    if (color == CLR_INVALID) return 1;
    PaintRect(*dc, *rect, color);
    Record(*dc, Call(GdiCall::Kind::kFillRect, *rect, color));
    return 1;
}

int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    auto dc = Dc(hdc);
    if (!dc || !rect) return 0;
    COLORREF color = BrushColor(brush);
    if (color == CLR_INVALID) return 1;
    FrameOf(*dc, *rect, color);
    Record(*dc, Call(GdiCall::Kind::kFrameRect, *rect, color));
    return 1;
}

BOOL WINAPI InvertRect(HDC hdc, const RECT* rect) {
    auto dc = Dc(hdc);
    if (!dc || !rect) return FALSE;
    if (auto surface = Target(*dc))
        FillPixels(*surface, Shifted(*dc, *rect), [](COLORREF d) { return ~d & 0x00FFFFFF; });
    Record(*dc, Call(GdiCall::Kind::kInvertRect, *rect, 0));
    return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = Dc(hdc);
    if (!dc) return FALSE;
    RECT rect{left, top, right, bottom};
    auto brushObject = Lookup<BrushObject>(dc->state.brush ? dc->state.brush : Stock().objects[WHITE_BRUSH]);
    auto pen = Lookup<PenObject>(dc->state.pen ? dc->state.pen : Stock().objects[BLACK_PEN]);
    COLORREF fill = brushObject && !brushObject->null ? brushObject->color : CLR_INVALID;
    if (fill != CLR_INVALID) PaintRect(*dc, rect, fill);
    if (pen && pen->style != PS_NULL) FrameOf(*dc, rect, pen->color);
    Record(*dc, Call(GdiCall::Kind::kRectangle, rect, fill));
    return TRUE;
}

BOOL WINAPI DrawFocusRect(HDC hdc, const RECT* rect) {
    auto dc = Dc(hdc);
    if (!dc || !rect) return FALSE;
    // The dotted frame inverts every other pixel of the border.
    if (auto surface = Target(*dc)) {
        RECT r = Shifted(*dc, *rect);
        for (int x = r.left; x < r.right; x += 2)
            for (int y : {static_cast<int>(r.top), static_cast<int>(r.bottom) - 1})
                if (surface->Contains(x, y)) surface->At(x, y) ^= 0x00FFFFFF;
        for (int y = r.top + 2; y < r.bottom - 1; y += 2)
            for (int x : {static_cast<int>(r.left), static_cast<int>(r.right) - 1})
                if (surface->Contains(x, y)) surface->At(x, y) ^= 0x00FFFFFF;
    }
    Record(*dc, Call(GdiCall::Kind::kFocusRect, *rect, 0));
    return TRUE;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
    auto dc = Dc(hdc);
    if (!dc) return FALSE;
    if (old) *old = dc->state.position;
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    auto dc = Dc(hdc);
    if (!dc) return FALSE;
    auto pen = Lookup<PenObject>(dc->state.pen ? dc->state.pen : Stock().objects[BLACK_PEN]);
    POINT from = dc->state.position;
    if (pen && pen->style != PS_NULL) {
        if (auto surface = Target(*dc)) {
            // Bresenham, the end point excluded as on Windows.
            int x0 = from.x + dc->state.origin.x, y0 = from.y + dc->state.origin.y;
            int x1 = x + dc->state.origin.x, y1 = y + dc->state.origin.y;
            int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
            int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
            int err = dx + dy;
            while (x0 != x1 || y0 != y1) {
                if (surface->Contains(x0, y0)) surface->At(x0, y0) = surface->mono ? ToMono(pen->color) : pen->color;
                int e2 = 2 * err;
                if (e2 >= dy) err += dy, x0 += sx;
                if (e2 <= dx) err += dx, y0 += sy;
            }
        }
    }
    Record(*dc, Call(GdiCall::Kind::kLine, RECT{from.x, from.y, x, y}, pen ? pen->color : 0));
    dc->state.position = POINT{x, y};
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    auto dc = Dc(hdc);
    if (!dc) return CLR_INVALID;
    auto surface = Target(*dc);
    x += dc->state.origin.x;
    y += dc->state.origin.y;
    if (!surface || !surface->Contains(x, y)) return CLR_INVALID;
    surface->At(x, y) = surface->mono ? ToMono(color) : (color & 0x00FFFFFF);
    return surface->At(x, y);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    auto dc = Dc(hdc);
    if (!dc) return CLR_INVALID;
    auto surface = Target(*dc);
    x += dc->state.origin.x;
    y += dc->state.origin.y;
    if (!surface || !surface->Contains(x, y)) return CLR_INVALID;
    return surface->At(x, y);
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                       int wSrc, int hSrc, DWORD rop) {
    auto dst = Dc(hdcDest);
    if (!dst) return FALSE;
    auto src = hdcSrc ? Dc(hdcSrc) : nullptr;
    if (hdcSrc && !src) return FALSE;
    auto target = Target(*dst);
    std::shared_ptr<Surface> source = src ? Target(*src) : nullptr;
    auto brush = ResolveBrush(dst->state.brush ? reinterpret_cast<HBRUSH>(dst->state.brush)
                                               : reinterpret_cast<HBRUSH>(Stock().objects[WHITE_BRUSH]));
    COLORREF pattern = brush && !brush->null ? brush->color : 0;
    if (target && wDest > 0 && hDest > 0) {
        if (target->mono) pattern = ToMono(pattern);
        int ox = xDest + dst->state.origin.x, oy = yDest + dst->state.origin.y;
        for (int j = 0; j < hDest; ++j) {
            for (int i = 0; i < wDest; ++i) {
                int x = ox + i, y = oy + j;
                if (!target->Contains(x, y)) continue;
                COLORREF s = 0;
                if (source) {
                    int sx = xSrc + src->state.origin.x + (wSrc == wDest ? i : i * wSrc / wDest);
                    int sy = ySrc + src->state.origin.y + (hSrc == hDest ? j : j * hSrc / hDest);
                    if (!source->Contains(sx, sy)) continue;
                    s = source->At(sx, sy);
                    if (source->mono && !target->mono)
                        s = s == kWhite ? dst->state.background : dst->state.text;
                    else if (!source->mono && target->mono)
                        s = s == (src->state.background & 0x00FFFFFF) ? kWhite : kBlack;
                }
                COLORREF& d = target->At(x, y);
                d = Rop3(rop, pattern, s, d);
                if (target->mono) d = d == kWhite ? kWhite : ToMono(d);
            }
        }
    }
    GdiCall call = Call(GdiCall::Kind::kBlit, RECT{xDest, yDest, xDest + wDest, yDest + hDest}, 0);
    call.rop = rop;
    if (src && src->memory) call.bitmap = reinterpret_cast<HBITMAP>(src->state.bitmap);
    Record(*dst, call);
    return TRUE;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return StretchBlt(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    return StretchBlt(hdc, x, y, w, h, nullptr, 0, 0, w, h, rop);
}

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
    if (width < 0 || height < 0 || planes != 1 || (bitCount != 1 && bitCount != 24 && bitCount != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto surface = std::make_shared<Surface>(width, height, bitCount == 1, kBlack);
    if (bits) {
        // Rows are padded to 16 bits; colour pixels are blue, green, red (and one spare byte).
        const auto* bytes = static_cast<const BYTE*>(bits);
        size_t stride = ((static_cast<size_t>(width) * bitCount + 15) / 16) * 2;
        for (int y = 0; y < height; ++y) {
            const BYTE* row = bytes + stride * y;
            for (int x = 0; x < width; ++x) {
                if (bitCount == 1) {
                    surface->At(x, y) = (row[x / 8] & (0x80 >> (x % 8))) ? kWhite : kBlack;
                } else {
                    const BYTE* p = row + x * (bitCount / 8);
                    surface->At(x, y) = RGB(p[2], p[1], p[0]);
                }
            }
        }
    }
    return MakeBitmap(surface);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    auto dc = Dc(hdc);
    if (!dc) return nullptr;
    // Compatible with a fresh memory context means monochrome, as on Windows.
    auto surface = Target(*dc);
    bool mono = dc->memory && surface && surface->mono;
    return MakeBitmap(std::make_shared<Surface>(cx, cy, mono, kBlack));
}

HICON WINAPI CreateIcon(HINSTANCE, int width, int height, BYTE planes, BYTE bitsPixel, const BYTE* andBits,
                        const BYTE* xorBits) {
    HBITMAP mask = CreateBitmap(width, height, 1, 1, andBits);
    HBITMAP color = CreateBitmap(width, height, planes, bitsPixel, xorBits);
    if (!mask || !color) {
        DeleteObject(mask);
        DeleteObject(color);
        return nullptr;
    }
    ICONINFO info{TRUE, static_cast<DWORD>(width / 2), static_cast<DWORD>(height / 2), mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

HICON WINAPI CreateIconIndirect(const ICONINFO* info) {
    if (!info) return nullptr;
    auto mask = Lookup<BitmapObject>(info->hbmMask);
    auto color = Lookup<BitmapObject>(info->hbmColor);
    if (!mask) return nullptr;
    auto icon = std::make_shared<IconObject>();
    icon->mask = std::make_shared<Surface>(*mask->surface);
    icon->mask->record.clear();
    if (color) {
        icon->color = std::make_shared<Surface>(*color->surface);
        icon->color->record.clear();
    } else {
        icon->color = std::make_shared<Surface>(icon->mask->width, icon->mask->height, false, kBlack);
    }
    return Add<HICON>(icon);
}

BOOL WINAPI GetIconInfo(HICON handle, ICONINFO* info) {
    auto icon = Lookup<IconObject>(handle);
    if (!icon || !info) return FALSE;
    info->fIcon = TRUE;
    info->xHotspot = static_cast<DWORD>(icon->mask->width / 2);
    info->yHotspot = static_cast<DWORD>(icon->mask->height / 2);
    info->hbmMask = MakeBitmap(std::make_shared<Surface>(*icon->mask));
    info->hbmColor = MakeBitmap(std::make_shared<Surface>(*icon->color));
    return TRUE;
}

HICON WINAPI CopyIcon(HICON handle) {
    auto icon = Lookup<IconObject>(handle);
    if (!icon) return nullptr;
    auto copy = std::make_shared<IconObject>(*icon);
    copy->shared = false;  // the copy is the caller's
    return Add<HICON>(copy);
}

BOOL WINAPI DestroyIcon(HICON handle) {
    auto icon = Lookup<IconObject>(handle);
    if (!icon) return FALSE;
    if (!icon->shared) HandleTable::Instance().Remove(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)));
    return TRUE;
}

BOOL WINAPI DrawIconEx(HDC hdc, int x, int y, HICON handle, int width, int height, UINT, HBRUSH, UINT flags) {
    auto dc = Dc(hdc);
    auto icon = Lookup<IconObject>(handle);
    if (!dc || !icon) return FALSE;
    int w = width ? width : icon->mask->width;
    int h = height ? height : icon->mask->height;
    if (flags == 0) flags = DI_NORMAL;
    if (auto target = Target(*dc)) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                int tx = x + i + dc->state.origin.x, ty = y + j + dc->state.origin.y;
                if (!target->Contains(tx, ty)) continue;
                int sx = i * icon->mask->width / w, sy = j * icon->mask->height / h;
                COLORREF& d = target->At(tx, ty);
                // The screen is ANDed with the mask, then XORed with the image.
                if (flags & DI_MASK) d &= icon->mask->At(sx, sy);
                if (flags & DI_IMAGE) d ^= icon->color->At(sx, sy);
                if (target->mono) d = ToMono(d);
            }
    }
    GdiCall call = Call(GdiCall::Kind::kIcon, RECT{x, y, x + w, y + h}, 0);
    call.icon = handle;
    Record(*dc, call);
    return TRUE;
}

BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON icon) { return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }

BOOL WINAPI CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
    if (!WindowOrError(hwnd)) return FALSE;
    t_caret = CaretState{hwnd, width ? width : 1, height ? height : 16, {0, 0}, 1};
    return TRUE;
}
BOOL WINAPI DestroyCaret(void) {
    t_caret = CaretState{};
    return TRUE;
}
BOOL WINAPI ShowCaret(HWND hwnd) {
    if (!t_caret.window || (hwnd && hwnd != t_caret.window)) return FALSE;
    if (t_caret.hidden > 0) --t_caret.hidden;
    return TRUE;
}
BOOL WINAPI HideCaret(HWND hwnd) {
    if (!t_caret.window || (hwnd && hwnd != t_caret.window)) return FALSE;
    ++t_caret.hidden;
    return TRUE;
}
BOOL WINAPI SetCaretPos(int x, int y) {
    if (!t_caret.window) return FALSE;
    t_caret.position = POINT{x, y};
    return TRUE;
}
BOOL WINAPI GetCaretPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = t_caret.position;
    return TRUE;
}

}  // extern "C"
