#include "snapin/pages/button_faces.h"

#include "snapin/core/snapin_utilities.h"
#include "vpr/mfc/win_app.h"
#include "vpr/user/controls.h"
#include "vpr/user/gdi.h"
#include "vpr/user/images.h"
#include "vpr/win/system.h"

// The major version is the low byte of GetVersion's answer.
bool CButtonFaces::PictureButtons() { return (GetVersion() & 0xFF) >= 4; }

void CButtonFaces::Attach(CWnd* dialog, const std::vector<Face>& faces) {
    Release();
    HINSTANCE resources = AfxGetResourceHandle();
    const bool pictures = PictureButtons();
    for (const Face& face : faces) {
        CWnd* button = dialog->GetDlgItem(face.buttonId);
        if (!button) continue;
        if (pictures) {
            HANDLE picture = nullptr;
            if (face.icon) {
                HICON icon = LoadIconA(resources, MAKEINTRESOURCEA(face.pictureId));
                if (icon) m_icons.push_back(icon);
                picture = icon;
            } else {
                HBITMAP bitmap = LoadBitmapA(resources, MAKEINTRESOURCEA(face.pictureId));
                if (bitmap) m_bitmaps.push_back(bitmap);
                picture = bitmap;
            }
            if (!picture) continue;
            button->ModifyStyle(BS_OWNERDRAW, face.icon ? BS_ICON : BS_BITMAP);
            button->SendMessage(BM_SETIMAGE, face.icon ? IMAGE_ICON : IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
        } else {
            button->ModifyStyle(BS_ICON | BS_BITMAP, BS_OWNERDRAW);
            Loaded loaded{face.buttonId};
            const int ids[4] = {face.disabled, face.pressed, face.focused, face.normal};
            for (int i = 0; i < 4; ++i) {
                loaded.states[i] = LoadBitmapA(resources, MAKEINTRESOURCEA(ids[i]));
                if (loaded.states[i]) m_bitmaps.push_back(loaded.states[i]);
            }
            m_drawn.push_back(loaded);
        }
        button->Invalidate();
    }
}

BOOL CButtonFaces::Draw(const DRAWITEMSTRUCT* item) const {
    for (const Loaded& loaded : m_drawn) {
        if (static_cast<int>(item->CtlID) != loaded.buttonId) continue;
        int which = (item->itemState & ODS_DISABLED)   ? 0
                    : (item->itemState & ODS_SELECTED) ? 1
                    : (item->itemState & ODS_FOCUS)    ? 2
                                                       : 3;
        if (loaded.states[which])
            theSnapinUtilities.DrawTransparentBitmap(item->hDC, loaded.states[which], item->rcItem.left,
                                                     item->rcItem.top);
        return TRUE;
    }
    return FALSE;
}

void CButtonFaces::Release() {
    for (HGDIOBJ bitmap : m_bitmaps) DeleteObject(bitmap);
    for (HICON icon : m_icons) DestroyIcon(icon);
    m_bitmaps.clear();
    m_icons.clear();
    m_drawn.clear();
}
