// Handle and basic types of the window system.
#pragma once

#include "vpr/win/types.h"

typedef struct HWND__* HWND;
typedef struct HMENU__* HMENU;
typedef struct HICON__* HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__* HBRUSH;
typedef struct HDC__* HDC;
typedef struct HFONT__* HFONT;
typedef WORD ATOM;
typedef DWORD COLORREF;
