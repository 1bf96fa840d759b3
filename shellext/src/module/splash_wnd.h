// A small borderless popup showing a bitmap with a progress bar and a
// one-line text under it: the extension's while it starts, the loader's
// while it waits for the extension to close. It takes its bitmap and text
// from the current resource handle and needs nothing of the module object.
#pragma once

#include "afxwin.h"

class CSplashWnd : public CWnd {
public:
    // Loads the text of `textId`, then creates the window (none when the
    // bitmap cannot be loaded).
    CSplashWnd(UINT bitmapId, UINT textId, CWnd* parent = nullptr);
    ~CSplashWnd() override;

    BOOL Create(CWnd* parent);
    // Stores the percentage (0-100) and draws the bar and text at once.
    void DrawProgress(int percent);
    const CRect& GetProgressRect() const { return m_rcProgress; }

protected:
    afx_msg int OnCreate(LPCREATESTRUCTA create);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    UINT m_nBitmapId;
    HBITMAP m_hBitmap = nullptr;
    CString m_strText;
    CRect m_rcProgress;
    int m_nPercent = 0;
};
