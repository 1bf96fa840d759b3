// The component object model as modules and programs call it: interface
// declarations (abstract classes whose virtual functions stand in the
// documented slot order), class identifiers, the task allocator and the
// activation calls. Apartment threading only, no marshalling.
#pragma once

#include <cstring>

#include "windows.h"

#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT
#define STDAPI_(type) extern "C" type
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define PURE = 0

// A GUID constant usable in every translation unit without a separate
// definition (C++ inline variable).
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

typedef GUID* LPGUID;
typedef CLSID* LPCLSID;
typedef IID* LPIID;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }

DEFINE_GUID(GUID_NULL, 0x00000000, 0x0000, 0x0000, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00);
#define CLSID_NULL GUID_NULL
#define IID_NULL GUID_NULL
DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IMalloc, 0x00000002, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IPersist, 0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IPersistFile, 0x0000010B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_ISequentialStream, 0x0C733A30, 0x2A1C, 0x11CE, 0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D);
DEFINE_GUID(IID_IStream, 0x0000000C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IUnknown {
    STDMETHOD(QueryInterface)(REFIID iid, void** object) PURE;
    STDMETHOD_(ULONG, AddRef)() PURE;
    STDMETHOD_(ULONG, Release)() PURE;
};
typedef IUnknown* LPUNKNOWN;

struct IClassFactory : IUnknown {
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID iid, void** object) PURE;
    STDMETHOD(LockServer)(BOOL lock) PURE;
};
typedef IClassFactory* LPCLASSFACTORY;

struct IMalloc : IUnknown {
    STDMETHOD_(void*, Alloc)(SIZE_T size) PURE;
    STDMETHOD_(void*, Realloc)(void* block, SIZE_T size) PURE;
    STDMETHOD_(void, Free)(void* block) PURE;
    STDMETHOD_(SIZE_T, GetSize)(void* block) PURE;
    STDMETHOD_(int, DidAlloc)(void* block) PURE;
    STDMETHOD_(void, HeapMinimize)() PURE;
};
typedef IMalloc* LPMALLOC;

// The task allocator: blocks a callee hands to its caller.
STDAPI_(LPVOID) CoTaskMemAlloc(SIZE_T size);
STDAPI_(LPVOID) CoTaskMemRealloc(LPVOID block, SIZE_T size);
STDAPI_(void) CoTaskMemFree(LPVOID block);
#define MEMCTX_TASK 1
STDAPI CoGetMalloc(DWORD context, LPMALLOC* malloc);

// GUID texts: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
STDAPI_(int) StringFromGUID2(REFGUID guid, LPOLESTR text, int size);
STDAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
#define CO_E_CLASSSTRING static_cast<HRESULT>(0x800401F3L)
