// A stream over a global memory block, and the release of data media.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "objbase.h"
#include "vpr/com/ref_counted.h"

namespace {

DEFINE_GUID(kHGlobalStreamMarker, 0x6B9C6A41, 0x0F3E, 0x4D5B, 0x9A, 0x27, 0x31, 0x5E, 0x70, 0x11, 0x4C, 0x02);

class HGlobalStream final : public vpr::com::RefCounted<IStream> {
public:
    HGlobalStream(HGLOBAL memory, bool deleteOnRelease) : memory_(memory), deleteOnRelease_(deleteOnRelease) {}
    ~HGlobalStream() override {
        if (deleteOnRelease_) GlobalFree(memory_);
    }

    void* Find(REFIID iid) override {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) || IsEqualIID(iid, IID_IStream) ||
                     IsEqualIID(iid, kHGlobalStreamMarker);
        return known ? static_cast<IStream*>(this) : nullptr;
    }

    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override {
        if (!buffer) return STG_E_INVALIDPOINTER;
        SIZE_T total = GlobalSize(memory_);
        ULONG count = position_ >= total ? 0 : static_cast<ULONG>(std::min<SIZE_T>(size, total - position_));
        if (count) {
            std::memcpy(buffer, static_cast<char*>(GlobalLock(memory_)) + position_, count);
            GlobalUnlock(memory_);
        }
        position_ += count;
        if (read) *read = count;
        return count == size ? S_OK : S_FALSE;
    }
    STDMETHODIMP Write(const void* buffer, ULONG size, ULONG* written) override {
        if (written) *written = 0;
        if (!buffer) return STG_E_INVALIDPOINTER;
        if (position_ + size > GlobalSize(memory_) && !Resize(position_ + size)) return STG_E_MEDIUMFULL;
        if (size) {
            std::memcpy(static_cast<char*>(GlobalLock(memory_)) + position_, buffer, size);
            GlobalUnlock(memory_);
        }
        position_ += size;
        if (written) *written = size;
        return S_OK;
    }
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
        LONGLONG base = origin == STREAM_SEEK_SET ? 0
                        : origin == STREAM_SEEK_CUR ? static_cast<LONGLONG>(position_)
                        : origin == STREAM_SEEK_END ? static_cast<LONGLONG>(GlobalSize(memory_))
                                                     : -1;
        if (base < 0) return STG_E_INVALIDFUNCTION;
        LONGLONG target = base + move.QuadPart;
        if (target < 0) return STG_E_INVALIDFUNCTION;
        position_ = static_cast<SIZE_T>(target);
        if (position) position->QuadPart = position_;
        return S_OK;
    }
    STDMETHODIMP SetSize(ULARGE_INTEGER size) override {
        return Resize(static_cast<SIZE_T>(size.QuadPart)) ? S_OK : STG_E_MEDIUMFULL;
    }
    STDMETHODIMP CopyTo(IStream* to, ULARGE_INTEGER size, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override {
        if (!to) return STG_E_INVALIDPOINTER;
        SIZE_T total = GlobalSize(memory_);
        SIZE_T count = position_ >= total ? 0 : std::min<SIZE_T>(static_cast<SIZE_T>(size.QuadPart), total - position_);
        ULONG done = 0;
        HRESULT hr = S_OK;
        if (count) {
            hr = to->Write(static_cast<char*>(GlobalLock(memory_)) + position_, static_cast<ULONG>(count), &done);
            GlobalUnlock(memory_);
        }
        position_ += count;
        if (read) read->QuadPart = count;
        if (written) written->QuadPart = done;
        return hr;
    }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return S_OK; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = GlobalSize(memory_);
        return S_OK;
    }
    STDMETHODIMP Clone(IStream** stream) override {
        if (stream) *stream = nullptr;
        return E_NOTIMPL;
    }

    HGLOBAL Memory() const { return memory_; }

private:
    bool Resize(SIZE_T size) {
        HGLOBAL resized = GlobalReAlloc(memory_, size, GMEM_MOVEABLE);
        if (!resized) return false;
        memory_ = resized;
        return true;
    }

    HGLOBAL memory_;
    bool deleteOnRelease_;
    SIZE_T position_ = 0;
};

}  // namespace

STDAPI CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream) {
    if (!stream) return E_INVALIDARG;
    *stream = nullptr;
    if (!memory) {
        memory = GlobalAlloc(GMEM_MOVEABLE, 0);
        if (!memory) return E_OUTOFMEMORY;
    } else if (GlobalFlags(memory) == GMEM_INVALID_HANDLE) {
        return E_INVALIDARG;
    }
    *stream = new HGlobalStream(memory, deleteOnRelease != FALSE);
    return S_OK;
}

STDAPI GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* memory) {
    if (!stream || !memory) return E_INVALIDARG;
    *memory = nullptr;
    IUnknown* own = nullptr;
    if (FAILED(stream->QueryInterface(kHGlobalStreamMarker, reinterpret_cast<void**>(&own)))) return E_INVALIDARG;
    *memory = static_cast<HGlobalStream*>(static_cast<IStream*>(own))->Memory();
    own->Release();
    return S_OK;
}

STDAPI_(void) ReleaseStgMedium(LPSTGMEDIUM medium) {
    if (!medium) return;
    if (medium->pUnkForRelease) {
        medium->pUnkForRelease->Release();
    } else if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal) {
        GlobalFree(medium->hGlobal);
    } else if (medium->tymed == TYMED_ISTREAM && medium->pstm) {
        medium->pstm->Release();
    } else if (medium->tymed == TYMED_FILE && medium->lpszFileName) {
        CoTaskMemFree(medium->lpszFileName);
    }
    *medium = STGMEDIUM{};
}
