#include "module/splash_wnd.h"

BEGIN_MESSAGE_MAP(CSplashWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CSplashWnd::CSplashWnd(UINT bitmapId, UINT textId, CWnd* parent) : m_nBitmapId(bitmapId) {
    m_strText.LoadString(textId);
    Create(parent);
}

CSplashWnd::~CSplashWnd() {
    if (m_hWnd) DestroyWindow();
    if (m_hBitmap) DeleteObject(m_hBitmap);
}

BOOL CSplashWnd::Create(CWnd* parent) {
    if (!m_hBitmap) m_hBitmap = LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nBitmapId));
    if (!m_hBitmap) return FALSE;
    BITMAP bitmap = {};
    GetObjectA(m_hBitmap, sizeof bitmap, &bitmap);
    int width = bitmap.bmWidth, height = bitmap.bmHeight;

    TEXTMETRICA metrics = {};
    HDC information = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    GetTextMetricsA(information, &metrics);
    DeleteDC(information);
    double h = metrics.tmHeight, a = metrics.tmAveCharWidth;
    // Under the bitmap: a bar one text line high, inset by two characters.
    m_rcProgress.SetRect(static_cast<int>(2 * a), static_cast<int>(height + h / 2 - 2),
                         static_cast<int>(width - 2 * a), static_cast<int>(height + 1.5 * h + 2));

    LPCSTR windowClass = AfxRegisterWndClass(0, LoadCursorA(nullptr, IDC_ARROW));
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, windowClass, "", WS_POPUP | WS_VISIBLE, 0, 0, width + 1,
                    height + 2 * metrics.tmHeight, parent ? parent->m_hWnd : nullptr, nullptr);
}

int CSplashWnd::OnCreate(LPCREATESTRUCTA) {
    CenterWindow();
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return 0;
}

void CSplashWnd::OnPaint() {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client = {};
    GetClientRect(&client);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);

    BITMAP bitmap = {};
    GetObjectA(m_hBitmap, sizeof bitmap, &bitmap);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = SelectObject(memory, m_hBitmap);
    BitBlt(dc, 0, 0, bitmap.bmWidth, bitmap.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    EndPaint(m_hWnd, &paint);
}

void CSplashWnd::DrawProgress(int percent) {
    m_nPercent = percent;
    if (!m_hWnd) return;
    HDC dc = ::GetDC(m_hWnd);
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FrameRect(dc, &m_rcProgress, black);
    if (m_nPercent != 0) {
        RECT bar = m_rcProgress;
        InflateRect(&bar, -1, -1);
        bar.right = bar.left + (bar.right - bar.left) * m_nPercent / 100;
        FillRect(dc, &bar, red);
    }
    RECT textRect = m_rcProgress;
    OffsetRect(&textRect, 4, 0);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, m_strText, m_strText.GetLength(), &textRect, DT_SINGLELINE);
    SetBkMode(dc, oldMode);
    ::ReleaseDC(m_hWnd, dc);
    DeleteObject(black);
    DeleteObject(red);
}
