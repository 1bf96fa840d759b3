// The basic types and result codes of the component object model that a
// module's class-object exports speak: HRESULT, GUID and its aliases, and the
// codes those exports answer. The object model itself builds on these.
#pragma once

#include "vpr/win/types.h"

typedef LONG HRESULT;

// Wide characters are UTF-16 code units, as on Windows (not the host's wchar_t).
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

#define S_OK static_cast<HRESULT>(0x00000000L)
#define S_FALSE static_cast<HRESULT>(0x00000001L)
#define E_NOTIMPL static_cast<HRESULT>(0x80004001L)
#define E_NOINTERFACE static_cast<HRESULT>(0x80004002L)
#define E_POINTER static_cast<HRESULT>(0x80004003L)
#define E_FAIL static_cast<HRESULT>(0x80004005L)
#define E_OUTOFMEMORY static_cast<HRESULT>(0x8007000EL)
#define E_INVALIDARG static_cast<HRESULT>(0x80070057L)
#define CLASS_E_NOAGGREGATION static_cast<HRESULT>(0x80040110L)
#define CLASS_E_CLASSNOTAVAILABLE static_cast<HRESULT>(0x80040111L)
