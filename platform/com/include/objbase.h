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
// definition: each unit has its own copy. (Not an inline variable: the host
// linker would mark a module holding one as never to be unloaded.)
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    static constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

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

// Streams.
typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;
typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER;

typedef struct tagSTATSTG {
    LPOLESTR pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
} STATSTG;

#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2
#define STGTY_STREAM 2
#define STATFLAG_DEFAULT 0
#define STATFLAG_NONAME 1
#define STGM_READ 0x00000000L
#define STGM_WRITE 0x00000001L
#define STGM_READWRITE 0x00000002L
#define STGM_SHARE_EXCLUSIVE 0x00000010L
#define STGM_CREATE 0x00001000L

struct ISequentialStream : IUnknown {
    STDMETHOD(Read)(void* buffer, ULONG size, ULONG* read) PURE;
    STDMETHOD(Write)(const void* buffer, ULONG size, ULONG* written) PURE;
};

struct IStream : ISequentialStream {
    STDMETHOD(Seek)(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) PURE;
    STDMETHOD(SetSize)(ULARGE_INTEGER size) PURE;
    STDMETHOD(CopyTo)(IStream* to, ULARGE_INTEGER size, ULARGE_INTEGER* read, ULARGE_INTEGER* written) PURE;
    STDMETHOD(Commit)(DWORD flags) PURE;
    STDMETHOD(Revert)() PURE;
    STDMETHOD(LockRegion)(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) PURE;
    STDMETHOD(UnlockRegion)(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) PURE;
    STDMETHOD(Stat)(STATSTG* stat, DWORD flags) PURE;
    STDMETHOD(Clone)(IStream** stream) PURE;
};
typedef IStream* LPSTREAM;

// A stream over a global memory block: reads and writes at its position,
// growing the block; `deleteOnRelease` frees the block with the stream. A
// null block starts a new moveable one.
STDAPI CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream);
STDAPI GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* memory);

struct IPersist : IUnknown {
    STDMETHOD(GetClassID)(CLSID* clsid) PURE;
};

struct IPersistFile : IPersist {
    STDMETHOD(IsDirty)() PURE;
    STDMETHOD(Load)(LPCOLESTR fileName, DWORD mode) PURE;
    STDMETHOD(Save)(LPCOLESTR fileName, BOOL remember) PURE;
    STDMETHOD(SaveCompleted)(LPCOLESTR fileName) PURE;
    STDMETHOD(GetCurFile)(LPOLESTR* fileName) PURE;
};

// Data exchanged through the clipboard and drag and drop.
typedef WORD CLIPFORMAT;
struct DVTARGETDEVICE;
typedef struct tagFORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
} FORMATETC, *LPFORMATETC;

#define DVASPECT_CONTENT 1
#define TYMED_NULL 0
#define TYMED_HGLOBAL 1
#define TYMED_FILE 2
#define TYMED_ISTREAM 4

typedef struct tagSTGMEDIUM {
    DWORD tymed;
    union {
        HGLOBAL hGlobal;
        LPOLESTR lpszFileName;
        IStream* pstm;
    };
    IUnknown* pUnkForRelease;
} STGMEDIUM, *LPSTGMEDIUM;

// Frees what the medium holds (the block, the stream's reference, the file
// name), or releases pUnkForRelease in its place when given.
STDAPI_(void) ReleaseStgMedium(LPSTGMEDIUM medium);

// GUID texts: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
STDAPI_(int) StringFromGUID2(REFGUID guid, LPOLESTR text, int size);
STDAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
#define CO_E_CLASSSTRING static_cast<HRESULT>(0x800401F3L)

// Errors of activation and storage.
#define HRESULT_FROM_WIN32(x) \
    ((HRESULT)(x) <= 0 ? (HRESULT)(x) : static_cast<HRESULT>(((x) & 0x0000FFFF) | (7 << 16) | 0x80000000))
#define REGDB_E_CLASSNOTREG static_cast<HRESULT>(0x80040154L)
#define CO_E_NOTINITIALIZED static_cast<HRESULT>(0x800401F0L)
#define CO_E_DLLNOTFOUND static_cast<HRESULT>(0x800401F8L)
#define CO_E_ERRORINDLL static_cast<HRESULT>(0x800401F9L)
#define RPC_E_CHANGED_MODE static_cast<HRESULT>(0x80010106L)
#define STG_E_INVALIDFUNCTION static_cast<HRESULT>(0x80030001L)
#define STG_E_INVALIDPOINTER static_cast<HRESULT>(0x80030009L)
#define STG_E_MEDIUMFULL static_cast<HRESULT>(0x80030070L)
#define STG_E_INVALIDPARAMETER static_cast<HRESULT>(0x80030057L)
#define E_UNEXPECTED static_cast<HRESULT>(0x8000FFFFL)
#define E_ACCESSDENIED static_cast<HRESULT>(0x80070005L)
#define E_HANDLE static_cast<HRESULT>(0x80070006L)

// Activation: in-process servers only, each thread in its own apartment.
#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER)
#define COINIT_APARTMENTTHREADED 0x2

// Counted per thread: the first call answers S_OK, later ones S_FALSE; each
// is paired with CoUninitialize.
STDAPI CoInitialize(LPVOID reserved);
STDAPI CoInitializeEx(LPVOID reserved, DWORD flags);
STDAPI_(void) CoUninitialize();
// Reads HKEY_CLASSES_ROOT\CLSID\{clsid}\InProcServer32, loads that module
// once for the process (LoadLibraryA: a refusing DllMain refuses) and asks
// its DllGetClassObject. REGDB_E_CLASSNOTREG without the key,
// CO_E_DLLNOTFOUND when the file is not there, CO_E_ERRORINDLL when it does
// not load or has no DllGetClassObject, CO_E_NOTINITIALIZED on a thread
// that did not initialise.
STDAPI CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID serverInfo, REFIID iid, LPVOID* object);
STDAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);
// Frees each loaded server whose DllCanUnloadNow answers S_OK.
STDAPI_(void) CoFreeUnusedLibraries();
// Frees every loaded server, whatever it answers.
STDAPI_(void) CoFreeAllLibraries();
