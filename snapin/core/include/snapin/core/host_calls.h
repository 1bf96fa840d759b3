// The module's side of its binding to the administration host: the QRADM32
// calls (HostRegisterMenu, HostRegisterObjectType, HostRegisterObjectTypeBitmaps,
// HostGetMainWindow, HostGetSelectionCount, HostGetSelectedObject,
// HostGetCurrentContext, HostBrowseObjects, HostBrowseObjectsEx,
// HostGetClassBitmap), the class callback codes, the page record and the
// page messages are the host library's own declarations; the module adds the
// few names it uses of its own.
#pragma once

#include "vpr/adminhost/qradm32.h"

// The class callback every object class exports.
typedef LONG(CALLBACK* SnapinCallBackFn)(char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4);
