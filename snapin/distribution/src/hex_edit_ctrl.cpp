#include "snapin/distribution/hex_edit_ctrl.h"

#include <algorithm>
#include <cstdio>

#include "snapin/distribution/distribution_resource.h"

namespace {

constexpr int kHexColumn = 6;      // the hexadecimal column starts 6 characters in
constexpr int kHexCellWidth = 3;   // two digits and a gap
constexpr int kColumnGap = 2;

int DigitValue(UINT ch) {
    if (ch >= '0' && ch <= '9') return static_cast<int>(ch - '0');
    if (ch >= 'a' && ch <= 'f') return static_cast<int>(ch - 'a' + 10);
    if (ch >= 'A' && ch <= 'F') return static_cast<int>(ch - 'A' + 10);
    return -1;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHexEditCtrl, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_VSCROLL()
ON_WM_MOUSEACTIVATE()
ON_WM_LBUTTONUP()
ON_WM_KEYDOWN()
ON_WM_CHAR()
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

CHexEditCtrl::CHexEditCtrl(CByteArray* data, int bytesPerLine, int sizeLimit, BOOL readOnly)
    : m_pData(data), m_bytesPerLine(std::max(bytesPerLine, 1)), m_sizeLimit(sizeLimit), m_bReadOnly(readOnly) {}

CHexEditCtrl::~CHexEditCtrl() {
    if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
}

BOOL CHexEditCtrl::CreateOverControl(CWnd* dialog, int controlId) {
    CWnd* placeholder = dialog->GetDlgItem(controlId);
    if (!placeholder) return FALSE;
    CRect rect;
    placeholder->GetWindowRect(&rect);
    dialog->ScreenToClient(&rect);
    rect.InflateRect(2, 2);
    LPCSTR className = AfxRegisterWndClass(CS_OWNDC, LoadCursorA(nullptr, IDC_IBEAM), nullptr, nullptr);
    return CreateEx(0, className, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP, rect.left, rect.top,
                    rect.Width(), rect.Height(), dialog->m_hWnd, reinterpret_cast<HMENU>(IDC_HEX_EDIT), nullptr);
}

int CHexEditCtrl::OnCreate(LPCREATESTRUCTA create) {
    if (CWnd::OnCreate(create) == -1) return -1;
    HDC dc = ::GetDC(m_hWnd);  // the window's own context: the font stays selected
    ::SelectObject(dc, ::GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::ReleaseDC(m_hWnd, dc);
    m_charWidth = std::max<int>(metrics.tmAveCharWidth, 1);
    m_charHeight = std::max<int>(metrics.tmHeight, 1);
    m_lineHeight = std::max<int>(metrics.tmHeight + metrics.tmExternalLeading, 1);
    CRect client;
    GetClientRect(&client);
    m_hexRect = client;
    m_charRect = client;
    m_hexRect.left = kHexColumn * m_charWidth;
    m_hexRect.right = m_hexRect.left + kHexCellWidth * m_charWidth * m_bytesPerLine;
    m_charRect.left = m_hexRect.right + kColumnGap * m_charWidth;
    m_charRect.right = m_charRect.left + m_charWidth * m_bytesPerLine;
    m_bytesPerPage = (client.Height() / m_lineHeight) * m_bytesPerLine;
    SetCaret(0);
    return 0;
}

bool CHexEditCtrl::MoveCaret(int offset, int top) {
    if (offset < 0 || offset > Size() || offset >= m_sizeLimit) return false;
    m_caretOffset = offset;
    m_topOffset = std::max(0, LineStart(std::min(top, offset)));
    // Scroll so that the caret's line is shown: down while it lies below the
    // client area, but never past the caret's own line (a window lower than
    // one line shows that line at the top), up while it lies above.
    int caretLine = LineStart(offset);
    auto caretBottom = [&] { return m_hexRect.top + ((offset - m_topOffset) / m_bytesPerLine) * m_lineHeight + m_lineHeight; };
    bool scrolled = false;
    while (caretBottom() > m_hexRect.bottom && m_topOffset < caretLine) {
        m_topOffset += m_bytesPerLine;
        scrolled = true;
    }
    if (scrolled) Redraw();
    int relative = offset - m_topOffset;
    int cellWidth = m_bHexActive ? kHexCellWidth * m_charWidth : m_charWidth;
    const CRect& column = m_bHexActive ? m_hexRect : m_charRect;
    m_caretX = column.left + (relative % m_bytesPerLine) * cellWidth;
    m_caretY = column.top + (relative / m_bytesPerLine) * m_lineHeight;
    if (offset == Size() && offset % m_bytesPerLine == 0) Invalidate(TRUE);  // a new, empty line
    m_bHighNibble = TRUE;
    if (Size() < m_bytesPerPage) {
        ::SetScrollRange(m_hWnd, SB_VERT, 0, 0, TRUE);
    } else {
        ::SetScrollRange(m_hWnd, SB_VERT, 0, (Size() - m_bytesPerPage) / m_bytesPerLine + 1, TRUE);
        ::SetScrollPos(m_hWnd, SB_VERT, m_topOffset == 0 ? 0 : m_caretOffset / m_bytesPerLine, TRUE);
    }
    ::SetCaretPos(m_caretX, m_caretY);
    return true;
}

void CHexEditCtrl::Redraw() {
    CRect client;
    GetClientRect(&client);
    HDC dc = ::GetDC(m_hWnd);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    ::ReleaseDC(m_hWnd, dc);
    Invalidate(TRUE);
}

void CHexEditCtrl::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    int y = -m_lineHeight;
    char text[16];
    for (int offset = m_topOffset, column = 0; offset <= Size(); ++offset, column = (column + 1) % m_bytesPerLine) {
        if (column == 0) {
            y += m_lineHeight;
            if (y + m_lineHeight > m_hexRect.bottom) break;
            int length = std::snprintf(text, sizeof text, "%04d", offset);
            ::TextOutA(dc, 0, y, text, length);
        }
        if (offset < Size()) {
            BYTE byte = (*m_pData)[offset];
            int length = std::snprintf(text, sizeof text, "%02X", byte);
            ::TextOutA(dc, m_hexRect.left + kHexCellWidth * m_charWidth * column, y, text, length);
            char shown = byte < 32 ? '.' : static_cast<char>(byte);
            ::TextOutA(dc, m_charRect.left + m_charWidth * column, y, &shown, 1);
        }
    }
    ::EndPaint(m_hWnd, &ps);
}

void CHexEditCtrl::MakeCaret() {
    ::CreateCaret(m_hWnd, nullptr, m_bInsert ? 1 : m_charWidth, m_charHeight);
    ::SetCaretPos(m_caretX, m_caretY);
    ::ShowCaret(m_hWnd);
}

void CHexEditCtrl::OnSetFocus(CWnd*) {
    if (m_bCaretShown) return;
    MakeCaret();
    m_bCaretShown = TRUE;
}

void CHexEditCtrl::OnKillFocus(CWnd*) {
    if (!m_bCaretShown) return;
    ::HideCaret(m_hWnd);
    ::DestroyCaret();
    m_bCaretShown = FALSE;
}

int CHexEditCtrl::OnMouseActivate(CWnd*, UINT hitTest, UINT) {
    if (hitTest == HTCLIENT) SetFocus();
    return MA_ACTIVATE;
}

void CHexEditCtrl::OnLButtonUp(UINT, CPoint point) {
    const CRect* column = nullptr;
    if (m_hexRect.PtInRect(point)) {
        m_bHexActive = TRUE;
        column = &m_hexRect;
    } else if (m_charRect.PtInRect(point)) {
        m_bHexActive = FALSE;
        column = &m_charRect;
    }
    if (!column) return;
    int cellWidth = m_bHexActive ? kHexCellWidth * m_charWidth : m_charWidth;
    int offset = (point.y - column->top) / m_lineHeight * m_bytesPerLine + (point.x - column->left) / cellWidth +
                 m_topOffset;
    SetCaret(std::min(offset, Size()));
}

void CHexEditCtrl::OnVScroll(UINT code, UINT position, CScrollBar* bar) {
    switch (code) {
    case SB_LINEUP:
        if (m_topOffset >= m_bytesPerLine) {
            int top = m_topOffset - m_bytesPerLine;
            int caret = m_caretOffset;
            if (caret >= top + m_bytesPerPage) caret -= m_bytesPerLine;
            MoveCaret(caret, top);
            Redraw();
        }
        break;
    case SB_LINEDOWN:
        if (m_topOffset + m_bytesPerPage < Size()) {
            int top = m_topOffset + m_bytesPerLine;
            int caret = m_caretOffset;
            if (caret < top) caret += m_bytesPerLine;
            MoveCaret(std::min(caret, Size()), top);
            Redraw();
        }
        break;
    case SB_PAGEUP: OnKeyDown(VK_PRIOR, 1, 0); break;
    case SB_PAGEDOWN: OnKeyDown(VK_NEXT, 1, 0); break;
    case SB_THUMBTRACK: {
        int offset = static_cast<int>(position) * m_bytesPerLine;
        MoveCaret(offset, offset);
        Redraw();
        break;
    }
    default: break;
    }
    CWnd::OnVScroll(code, position, bar);
}

void CHexEditCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    bool shift = ::GetKeyState(VK_SHIFT) < 0;
    bool control = ::GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_LEFT: SetCaret(m_caretOffset - 1); break;
    case VK_RIGHT: SetCaret(m_caretOffset + 1); break;
    case VK_UP: SetCaret(m_caretOffset - m_bytesPerLine); break;
    case VK_DOWN: SetCaret(std::min(m_caretOffset + m_bytesPerLine, Size())); break;
    case VK_PRIOR:
        if (m_topOffset < m_bytesPerPage)
            MoveCaret(0, 0);
        else
            MoveCaret(m_caretOffset - m_bytesPerPage, m_topOffset - m_bytesPerPage);
        Redraw();
        break;
    case VK_NEXT:
        if (m_topOffset + m_bytesPerPage >= Size()) break;
        MoveCaret(std::min(m_caretOffset + m_bytesPerPage, Size()), m_topOffset + m_bytesPerPage);
        Redraw();
        break;
    case VK_HOME:
        if (m_caretOffset == 0) break;
        if (m_caretOffset == m_topOffset && m_topOffset != 0)
            MoveCaret(0, 0);
        else
            MoveCaret(m_topOffset, m_topOffset);
        Redraw();
        break;
    case VK_END: {
        if (m_caretOffset == Size()) break;
        int pageEnd = std::min(m_topOffset + m_bytesPerPage - 1, Size());
        if (m_caretOffset != pageEnd) {
            MoveCaret(pageEnd, m_topOffset);
        } else {
            int lastPage = Size() < m_bytesPerPage ? 0 : LineStart(Size() - m_bytesPerPage);
            MoveCaret(Size(), lastPage);
        }
        Redraw();
        break;
    }
    case VK_INSERT:
        if (m_bReadOnly) break;
        m_bInsert = !m_bInsert;
        if (m_bCaretShown) {
            ::DestroyCaret();
            MakeCaret();
        }
        break;
    case VK_DELETE:
        if (m_bReadOnly) {
            MessageBeep(0);
        } else if (m_caretOffset < Size()) {
            m_pData->RemoveAt(m_caretOffset);
            SetCaret(m_caretOffset);
            Redraw();
        }
        break;
    case VK_TAB:
        if (control) {
            m_bHexActive = !m_bHexActive;
            SetCaret(m_caretOffset);
        } else if (CWnd* parent = GetParent()) {
            HWND next = ::GetNextDlgTabItem(parent->m_hWnd, m_hWnd, shift);
            if (next) ::SetFocus(next);
        }
        return;  // Tab is not passed on
    default: break;
    }
    CWnd::OnKeyDown(key, repeat, flags);
}

bool CHexEditCtrl::InsertByte(BYTE value) {
    if (!m_bInsert || Size() >= m_sizeLimit) return false;
    m_pData->InsertAt(m_caretOffset, value);
    Redraw();
    return true;
}

void CHexEditCtrl::InvalidateCaretLine() {
    CRect line(0, m_caretY, m_charRect.right, m_caretY + m_charHeight);
    InvalidateRect(&line, TRUE);
}

void CHexEditCtrl::OnChar(UINT ch, UINT repeat, UINT flags) {
    if (ch == 8) {  // Backspace only moves back, also when read-only
        SetCaret(m_caretOffset - 1);
    } else if (m_bReadOnly) {
        MessageBeep(0);
        return;
    } else if (!m_bHexActive) {
        if (m_bInsert) {
            if (!InsertByte(static_cast<BYTE>(ch))) {
                MessageBeep(0);
                return;
            }
            (*m_pData)[m_caretOffset] = static_cast<BYTE>(ch);
        } else {
            m_pData->SetAtGrow(m_caretOffset, static_cast<BYTE>(ch));
        }
        SetCaret(m_caretOffset + 1);
        InvalidateCaretLine();
    } else {
        int digit = DigitValue(ch);
        if (digit < 0) return;  // not a hexadecimal digit
        if (m_bHighNibble) {
            if (m_caretOffset < Size() && m_bInsert && !InsertByte(0)) {
                MessageBeep(0);
                return;
            }
            m_pData->SetAtGrow(m_caretOffset, static_cast<BYTE>(digit << 4));
            m_bHighNibble = FALSE;
            m_caretX += m_charWidth;
            ::SetCaretPos(m_caretX, m_caretY);
        } else {
            m_bHighNibble = TRUE;
            BYTE& byte = (*m_pData)[m_caretOffset];
            byte = static_cast<BYTE>((byte & 0xF0) | digit);
            SetCaret(m_caretOffset + 1);
        }
        InvalidateCaretLine();
    }
    CWnd::OnChar(ch, repeat, flags);
}

UINT CHexEditCtrl::OnGetDlgCode() { return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS; }
