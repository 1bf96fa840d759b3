#include "vpr/mfc/dc.h"

#include "handle_map.h"
#include "vpr/mfc/wnd.h"

namespace {

template <class T, class Handle>
T* Temporary(Handle handle) {
    return vpr::mfc::TemporaryObject<T>(handle, [](Handle h) { return GetObjectType(h) != 0; });
}

}  // namespace

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)

CGdiObject::~CGdiObject() { DeleteObject(); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) { return Temporary<CGdiObject>(hObject); }
CPen* CPen::FromHandle(HPEN hPen) { return Temporary<CPen>(static_cast<HGDIOBJ>(hPen)); }
CBrush* CBrush::FromHandle(HBRUSH hBrush) { return Temporary<CBrush>(static_cast<HGDIOBJ>(hBrush)); }
CFont* CFont::FromHandle(HFONT hFont) { return Temporary<CFont>(static_cast<HGDIOBJ>(hFont)); }
CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) { return Temporary<CBitmap>(static_cast<HGDIOBJ>(hBitmap)); }

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (!hObject || m_hObject) return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ handle = m_hObject;
    m_hObject = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const { return ::GetObjectA(m_hObject, nCount, lpObject); }

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}
BOOL CBrush::CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont) { return Attach(::CreateFontIndirectA(lpLogFont)); }
BOOL CBitmap::LoadBitmap(LPCSTR lpszResourceName) {
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), lpszResourceName));
}
BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}
BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, nWidth, nHeight));
}

CDC::~CDC() { DeleteDC(); }

CDC* CDC::FromHandle(HDC hDC) { return Temporary<CDC, HDC>(hDC); }

BOOL CDC::Attach(HDC hDC) {
    if (!hDC || m_hDC) return FALSE;
    m_hDC = hDC;
    return TRUE;
}

HDC CDC::Detach() {
    HDC handle = m_hDC;
    m_hDC = nullptr;
    return handle;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr)); }
BOOL CDC::DeleteDC() { return m_hDC ? ::DeleteDC(Detach()) : FALSE; }
int CDC::SaveDC() { return ::SaveDC(m_hDC); }
BOOL CDC::RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
    return pObject ? CGdiObject::FromHandle(::SelectObject(m_hDC, pObject->m_hObject)) : nullptr;
}
CPen* CDC::SelectObject(CPen* pPen) {
    return pPen ? CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pPen->m_hObject))) : nullptr;
}
CBrush* CDC::SelectObject(CBrush* pBrush) {
    return pBrush ? CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, pBrush->m_hObject))) : nullptr;
}
CFont* CDC::SelectObject(CFont* pFont) {
    return pFont ? CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, pFont->m_hObject))) : nullptr;
}
CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    return pBitmap ? CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, pBitmap->m_hObject))) : nullptr;
}

CGdiObject* CDC::SelectStockObject(int nIndex) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(nIndex)));
}

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const {
    SIZE size{};
    ::GetTextExtentPoint32A(m_hDC, lpszString, nCount, &size);
    return size;
}

BOOL CDC::ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCSTR lpszString, UINT nCount,
                     const INT* lpDxWidths) {
    return ::ExtTextOutA(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF crColor) {
    COLORREF old = ::SetBkColor(m_hDC, crColor);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CPoint CDC::MoveTo(int x, int y) {
    POINT old{};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }

CPaintDC::~CPaintDC() {
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) { Attach(::GetDC(m_hWnd)); }

CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }
