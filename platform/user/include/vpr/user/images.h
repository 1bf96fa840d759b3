// Icons, cursors and bitmaps from a module's resources, and the system's own.
//
// Bitmap resources are device-independent bitmaps (1, 4, 8, 16, 24 or 32 bits
// a pixel, uncompressed); LoadBitmapA gives a new colour bitmap each time,
// which the caller deletes. An icon resource is a group of images; the image
// of the wanted size (the system icon size by default) with the most colours
// is taken, or, when no image has that size, the nearest one stretched to it.
// LoadIconA and LoadCursorA (and LoadImageA with LR_SHARED) give shared
// handles: loading the same resource again gives the same handle and
// DestroyIcon leaves it alone, so a caller may destroy what it loaded.
// Without an instance the standard IDI_ icons and IDC_ cursors are loaded;
// each has pixels of its own (a disc or a pointer shape in its own colour).
// The resource container has no cursor record, so modules carry no cursors:
// LoadCursorA with an instance fails with ERROR_RESOURCE_TYPE_NOT_FOUND.
// Missing resources give null with the last error of FindResourceA, damaged
// ones null with ERROR_INVALID_DATA.
#pragma once

#include "vpr/user/gdi.h"
#include "vpr/win/module.h"

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)
#define IDI_WINLOGO MAKEINTRESOURCEA(32517)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZENWSE MAKEINTRESOURCEA(32642)
#define IDC_SIZENESW MAKEINTRESOURCEA(32643)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)
#define IDC_SIZENS MAKEINTRESOURCEA(32645)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)
#define IDC_HELP MAKEINTRESOURCEA(32651)

#define LR_DEFAULTCOLOR 0x0000
#define LR_MONOCHROME 0x0001
#define LR_LOADFROMFILE 0x0010
#define LR_LOADTRANSPARENT 0x0020
#define LR_DEFAULTSIZE 0x0040
#define LR_LOADMAP3DCOLORS 0x1000
#define LR_CREATEDIBSECTION 0x2000
#define LR_SHARED 0x8000

extern "C" {
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName);
// IMAGE_BITMAP, IMAGE_ICON or IMAGE_CURSOR; cx and cy choose an icon's size
// (0: the system size). LR_LOADFROMFILE is not supported (null,
// ERROR_NOT_SUPPORTED): the system loads its images from resources.
HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
// The cursor of the calling thread; SetCursor returns the one before.
HCURSOR WINAPI SetCursor(HCURSOR hCursor);
HCURSOR WINAPI GetCursor(void);
BOOL WINAPI DestroyCursor(HCURSOR hCursor);
// An icon from one icon image as a group's icon resource or an icon file
// holds it (bitmap header with doubled height, colours, colour rows, mask
// rows). cx and cy 0 keep the image's size, or with LR_DEFAULTSIZE take the
// system's; CreateIconFromResource takes the system's. The caller destroys it.
HICON WINAPI CreateIconFromResourceEx(LPBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer, int cxDesired,
                                      int cyDesired, UINT flags);
HICON WINAPI CreateIconFromResource(LPBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer);
// The icon of an icon file (.ICO) at the system icon size, which the caller
// destroys. Index (UINT)-1 gives the number of icons as a handle value: 1 for
// an icon file, 0 for any other file. Only index 0 exists. Files that are not
// whole, well-formed icon files (or above 1 MB) give none: executables and
// libraries carry their icons in their resource containers instead.
HICON WINAPI ExtractIconA(HINSTANCE hInst, LPCSTR pszExeFileName, UINT nIconIndex);
}
