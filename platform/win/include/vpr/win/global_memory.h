// Global memory blocks (GlobalAlloc and its family), which the clipboard,
// drag and drop and streams on memory hand between callers. A fixed block's
// handle is its address; a moveable block's handle is a separate value that
// GlobalLock turns into the address. GlobalSize answers the exact size asked
// for. Every handle is checked against the process's table: a stale or
// foreign one fails with ERROR_INVALID_HANDLE and nothing is touched.
#pragma once

#include "vpr/win/types.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_MODIFY 0x0080
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE GMEM_SHARE
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GMEM_LOCKCOUNT 0x00FF
#define GMEM_INVALID_HANDLE 0x8000
#ifndef ERROR_NOT_LOCKED
#define ERROR_NOT_LOCKED 158L
#endif

extern "C" {
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags);
// Null when the block was freed; the handle itself when it was not (the
// block is then still the caller's), as on Windows.
HGLOBAL WINAPI GlobalFree(HGLOBAL memory);
LPVOID WINAPI GlobalLock(HGLOBAL memory);
BOOL WINAPI GlobalUnlock(HGLOBAL memory);
SIZE_T WINAPI GlobalSize(HGLOBAL memory);
UINT WINAPI GlobalFlags(HGLOBAL memory);
HGLOBAL WINAPI GlobalHandle(LPCVOID address);
}

namespace vpr::win {

// Global blocks alive now in the process (tests see one that was never freed).
size_t LiveGlobalBlocks();

}  // namespace vpr::win
