// An in-process server for the activation tests, built in three forms:
// a working one (COMSRV32), one whose DllMain refuses (COMBAD32) and one
// without DllGetClassObject (COMNOX32). The tests steer it through its own
// exports: what DllCanUnloadNow answers next, and how many objects live.
#include <atomic>
#include <deque>

#include "objbase.h"

// {C0FFEE00-1234-4321-8765-00AA00BB00CC}
DEFINE_GUID(CLSID_TestServer, 0xC0FFEE00, 0x1234, 0x4321, 0x87, 0x65, 0x00, 0xAA, 0x00, 0xBB, 0x00, 0xCC);

namespace {

std::atomic<long> g_objects{0};
std::deque<HRESULT> g_unloadAnswers;  // the tests call from one thread

class TestObject : public IUnknown {
public:
    TestObject() { ++g_objects; }
    virtual ~TestObject() { --g_objects; }
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<ULONG> references_{1};
};

class Factory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        ++g_objects;  // a held factory keeps the module
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        --g_objects;
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* created = new TestObject;
        HRESULT hr = created->QueryInterface(iid, object);
        created->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" {

#ifdef TEST_SERVER_REFUSES
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) { return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE; }
#endif

#ifndef TEST_SERVER_NO_EXPORT
HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_TestServer)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}
#endif

// S_OK only when no object lives and the tests queued no other answer.
HRESULT DllCanUnloadNow() {
    if (!g_unloadAnswers.empty()) {
        HRESULT answer = g_unloadAnswers.front();
        g_unloadAnswers.pop_front();
        return answer;
    }
    return g_objects == 0 ? S_OK : S_FALSE;
}

void TestServerQueueUnloadAnswer(HRESULT answer) { g_unloadAnswers.push_back(answer); }
long TestServerObjects() { return g_objects; }

}  // extern "C"
