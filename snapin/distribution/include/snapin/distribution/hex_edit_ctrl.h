// CHexEditCtrl: a child window that shows a byte array as a hex dump
// (offset, hexadecimal bytes, characters) and lets the person move a caret
// through it and type into either column, overwriting or inserting, up to a
// size limit. It edits the caller's array in place and never owns it.
//
// Every move of the caret, and of the first line shown, goes through one
// place (MoveCaret), which refuses an offset outside the data or at or past
// the limit and then changes nothing, so typed bytes always land inside.
#pragma once

#include "afxwin.h"

class CHexEditCtrl : public CWnd {
public:
    CHexEditCtrl(CByteArray* data, int bytesPerLine, int sizeLimit, BOOL readOnly);
    ~CHexEditCtrl() override;

    // Creates the control (id 1111) over the dialog's control, its
    // rectangle grown by 2 pixels on every side. Non-zero on success.
    BOOL CreateOverControl(CWnd* dialog, int controlId);

    int GetCaretOffset() const { return m_caretOffset; }
    int GetTopOffset() const { return m_topOffset; }
    BOOL IsHexActive() const { return m_bHexActive; }
    BOOL IsInsertMode() const { return m_bInsert; }

protected:
    afx_msg int OnCreate(LPCREATESTRUCTA create);
    afx_msg void OnPaint();
    afx_msg void OnSetFocus(CWnd* old);
    afx_msg void OnKillFocus(CWnd* next);
    afx_msg void OnVScroll(UINT code, UINT position, CScrollBar* bar);
    afx_msg int OnMouseActivate(CWnd* top, UINT hitTest, UINT message);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);
    afx_msg UINT OnGetDlgCode();
    DECLARE_MESSAGE_MAP()

private:
    int Size() const { return static_cast<int>(m_pData->GetSize()); }
    int LineStart(int offset) const { return offset - offset % m_bytesPerLine; }
    // Puts the caret at the offset, the first line shown at `top`; refused
    // (false, nothing changed) outside 0..size or at the limit.
    bool MoveCaret(int offset, int top);
    bool SetCaret(int offset) { return MoveCaret(offset, m_topOffset); }
    void Redraw();
    bool InsertByte(BYTE value);
    void MakeCaret();
    void InvalidateCaretLine();

    CByteArray* m_pData;
    BOOL m_bCaretShown = FALSE;
    int m_charWidth = 0;
    int m_charHeight = 0;
    int m_lineHeight = 1;
    int m_bytesPerPage = 0;
    CRect m_hexRect;
    CRect m_charRect;
    BOOL m_bHexActive = TRUE;
    BOOL m_bHighNibble = TRUE;
    int m_caretX = 0;
    int m_caretY = 0;
    int m_topOffset = 0;
    int m_caretOffset = 0;
    int m_bytesPerLine;
    BOOL m_bInsert = FALSE;
    int m_sizeLimit;
    BOOL m_bReadOnly;
};
