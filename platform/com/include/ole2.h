// OLE: its initialisation, data objects, the clipboard and drag and drop.
#pragma once

#include "objbase.h"

DEFINE_GUID(IID_IDataObject, 0x0000010E, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IEnumFORMATETC, 0x00000103, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IDropSource, 0x00000121, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IDropTarget, 0x00000122, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleWindow, 0x00000114, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// Results of data objects, drag and drop and the clipboard.
#define DV_E_FORMATETC static_cast<HRESULT>(0x80040064L)
#define DV_E_TYMED static_cast<HRESULT>(0x80040069L)
#define DV_E_DVASPECT static_cast<HRESULT>(0x8004006BL)
#define DV_E_LINDEX static_cast<HRESULT>(0x80040068L)
#define DATA_S_SAMEFORMATETC static_cast<HRESULT>(0x00040130L)
#define OLE_S_USEREG static_cast<HRESULT>(0x00040000L)
#define OLE_E_ADVISENOTSUPPORTED static_cast<HRESULT>(0x80040003L)
#define DRAGDROP_S_DROP static_cast<HRESULT>(0x00040100L)
#define DRAGDROP_S_CANCEL static_cast<HRESULT>(0x00040101L)
#define DRAGDROP_S_USEDEFAULTCURSORS static_cast<HRESULT>(0x00040102L)
#define DRAGDROP_E_NOTREGISTERED static_cast<HRESULT>(0x80040100L)
#define DRAGDROP_E_ALREADYREGISTERED static_cast<HRESULT>(0x80040101L)
#define DRAGDROP_E_INVALIDHWND static_cast<HRESULT>(0x80040102L)
#define CLIPBRD_E_CANT_OPEN static_cast<HRESULT>(0x800401D0L)
#define CLIPBRD_E_CANT_SET static_cast<HRESULT>(0x800401D2L)

#define DATADIR_GET 1
#define DATADIR_SET 2

#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1
#define DROPEFFECT_MOVE 2
#define DROPEFFECT_LINK 4
#define DROPEFFECT_SCROLL 0x80000000

#ifndef MK_LBUTTON
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010
#endif
#ifndef MK_ALT
#define MK_ALT 0x0020
#endif

typedef struct tagPOINTL {
    LONG x;
    LONG y;
} POINTL;

struct IEnumFORMATETC : IUnknown {
    STDMETHOD(Next)(ULONG count, FORMATETC* formats, ULONG* fetched) PURE;
    STDMETHOD(Skip)(ULONG count) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumFORMATETC** clone) PURE;
};
typedef IEnumFORMATETC* LPENUMFORMATETC;

struct IAdviseSink;
struct IEnumSTATDATA;

struct IDataObject : IUnknown {
    STDMETHOD(GetData)(FORMATETC* format, STGMEDIUM* medium) PURE;
    STDMETHOD(GetDataHere)(FORMATETC* format, STGMEDIUM* medium) PURE;
    STDMETHOD(QueryGetData)(FORMATETC* format) PURE;
    STDMETHOD(GetCanonicalFormatEtc)(FORMATETC* in, FORMATETC* out) PURE;
    STDMETHOD(SetData)(FORMATETC* format, STGMEDIUM* medium, BOOL release) PURE;
    STDMETHOD(EnumFormatEtc)(DWORD direction, IEnumFORMATETC** formats) PURE;
    STDMETHOD(DAdvise)(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) PURE;
    STDMETHOD(DUnadvise)(DWORD connection) PURE;
    STDMETHOD(EnumDAdvise)(IEnumSTATDATA** advise) PURE;
};
typedef IDataObject* LPDATAOBJECT;

struct IDropSource : IUnknown {
    STDMETHOD(QueryContinueDrag)(BOOL escapePressed, DWORD keyState) PURE;
    STDMETHOD(GiveFeedback)(DWORD effect) PURE;
};
typedef IDropSource* LPDROPSOURCE;

struct IDropTarget : IUnknown {
    STDMETHOD(DragEnter)(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) PURE;
    STDMETHOD(DragOver)(DWORD keyState, POINTL point, DWORD* effect) PURE;
    STDMETHOD(DragLeave)() PURE;
    STDMETHOD(Drop)(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) PURE;
};
typedef IDropTarget* LPDROPTARGET;

struct IOleWindow : IUnknown {
    STDMETHOD(GetWindow)(HWND* window) PURE;
    STDMETHOD(ContextSensitiveHelp)(BOOL enterMode) PURE;
};

// Clipboard formats registered by name (case-insensitive), from 0xC000 on.
extern "C" UINT WINAPI RegisterClipboardFormatA(LPCSTR name);
extern "C" int WINAPI GetClipboardFormatNameA(UINT format, LPSTR name, int size);

// Counted per thread like CoInitialize, which it includes.
STDAPI OleInitialize(LPVOID reserved);
STDAPI_(void) OleUninitialize();

// The clipboard of this process. OleSetClipboard holds the data object (null
// empties it); OleFlushClipboard renders every format it offers into the
// clipboard's own copy and lets the object go; OleGetClipboard hands out the
// object, or after a flush an object over the copies.
STDAPI OleSetClipboard(LPDATAOBJECT data);
STDAPI OleFlushClipboard();
STDAPI OleGetClipboard(LPDATAOBJECT* data);
STDAPI OleIsCurrentClipboard(LPDATAOBJECT data);

// Drop targets by window, and the drag loop. DoDragDrop is a modal loop: the
// UI driver's drag handler says where the person drops, or that Escape was
// pressed (see vpr/user/ui_driver.h).
STDAPI RegisterDragDrop(HWND window, LPDROPTARGET target);
STDAPI RevokeDragDrop(HWND window);
STDAPI DoDragDrop(LPDATAOBJECT data, LPDROPSOURCE source, DWORD allowedEffects, LPDWORD effect);
