// The reference counting of the platform's own COM objects, written once:
// one count per object (1 at construction), the object deleted by its last
// Release, QueryInterface answering the interfaces the object names.
#pragma once

#include <atomic>

#include "objbase.h"

namespace vpr::com {

template <typename... Interfaces>
class RefCounted : public Interfaces... {
public:
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = Find(iid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --references_;
        if (!left) delete this;
        return left;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;
    // The interface of this object that answers iid (IUnknown among them),
    // or null.
    virtual void* Find(REFIID iid) = 0;

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace vpr::com
