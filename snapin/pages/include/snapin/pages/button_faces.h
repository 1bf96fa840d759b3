// CButtonFaces: the picture buttons of the Schedule page and the date
// dialogs. On Windows 4.0 and later a button shows one picture (a bitmap or
// an icon) as a bitmap or icon button; before it the button is owner-drawn
// from four bitmaps, chosen in the order disabled, pressed, focused,
// normal. Every picture is freed with the dialog's window.
#pragma once

#include <vector>

#include "vpr/mfc/wnd.h"

class CButtonFaces {
public:
    struct Face {
        int buttonId;
        int pictureId;  // the picture of Windows 4.0 and later
        bool icon;      // the picture is an icon, else a bitmap
        int normal, pressed, focused, disabled;  // bitmaps before 4.0
    };

    ~CButtonFaces() { Release(); }

    // Gives the dialog's buttons their faces (after the dialog's controls exist).
    void Attach(CWnd* dialog, const std::vector<Face>& faces);
    // Draws an owner-drawn button of the list: FALSE for any other item.
    BOOL Draw(const DRAWITEMSTRUCT* item) const;
    void Release();

    // Windows 4.0 and later show pictures on the buttons themselves.
    static bool PictureButtons();

private:
    struct Loaded {
        int buttonId;
        HBITMAP states[4] = {};  // disabled, pressed, focused, normal
    };
    std::vector<Loaded> m_drawn;
    std::vector<HGDIOBJ> m_bitmaps;
    std::vector<HICON> m_icons;
};
