#include <gtest/gtest.h>

#include <thread>

#include "objbase.h"
#include "ole2.h"
#include "vpr/com/guid.h"
#include "vpr/com/servers.h"
#include "vpr/testing/temp_machine.h"

using namespace vpr::com;

namespace {

DEFINE_GUID(CLSID_TestServer, 0xC0FFEE00, 0x1234, 0x4321, 0x87, 0x65, 0x00, 0xAA, 0x00, 0xBB, 0x00, 0xCC);
DEFINE_GUID(CLSID_Other, 0xC0FFEE01, 0x1234, 0x4321, 0x87, 0x65, 0x00, 0xAA, 0x00, 0xBB, 0x00, 0xCC);

void RegisterServer(REFCLSID clsid, const char* path) {
    std::string key = "CLSID\\" + GuidText(clsid) + "\\InProcServer32";
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path), strlen(path) + 1),
              ERROR_SUCCESS);
    RegCloseKey(handle);
}

class Activation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
    void TearDown() override {
        CoFreeAllLibraries();
        CoUninitialize();
    }
    vpr::testing::TempMachine machine_;
};

TEST_F(Activation, TableOfOutcomes) {
    struct Case {
        const char* what;
        const char* server;  // nullptr: not registered
        HRESULT expected;
        const char* module;  // must not stay loaded
    };
    const Case cases[] = {
        {"registered", "COMSRV32.DLL", S_OK, nullptr},
        {"no key", nullptr, REGDB_E_CLASSNOTREG, nullptr},
        {"missing file", "C:\\NOWHERE\\MISSING.DLL", CO_E_DLLNOTFOUND, nullptr},
        {"DllMain refuses", "COMBAD32.DLL", CO_E_ERRORINDLL, "COMBAD32.DLL"},
        {"no export", "COMNOX32.DLL", CO_E_ERRORINDLL, "COMNOX32.DLL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GUID clsid = CLSID_TestServer;
        if (!c.server) {
            clsid = CLSID_Other;
        } else {
            RegisterServer(clsid, c.server);
        }
        IUnknown* object = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object)),
                  c.expected);
        if (c.expected == S_OK) {
            ASSERT_NE(object, nullptr);
            EXPECT_EQ(object->Release(), 0u);
        } else {
            EXPECT_EQ(object, nullptr);
        }
        if (c.module) {
            EXPECT_EQ(GetModuleHandleA(c.module), nullptr);
        }
        CoFreeAllLibraries();
    }
}

TEST_F(Activation, AThreadThatDidNotInitialiseIsRefused) {
    RegisterServer(CLSID_TestServer, "COMSRV32.DLL");
    HRESULT seen = S_OK;
    std::thread([&] {
        void* object = nullptr;
        seen = CoCreateInstance(CLSID_TestServer, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object);
    }).join();
    EXPECT_EQ(seen, CO_E_NOTINITIALIZED);
    // Counted per thread: a second initialisation answers S_FALSE.
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
    OleUninitialize();
    OleUninitialize();
    EXPECT_TRUE(ThreadInitialized());
}

TEST_F(Activation, AServerIsLoadedOnceKeptWhileBusyAndFreedOnce) {
    RegisterServer(CLSID_TestServer, "COMSRV32.DLL");
    std::vector<std::string> freed;
    static std::vector<std::string>* s_freed = nullptr;
    s_freed = &freed;
    SetServerFreedHandler([](const LoadedServer& server) { s_freed->push_back(server.path); });

    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_TestServer, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_TestServer, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&second)), S_OK);
    ASSERT_EQ(LoadedServers().size(), 1u);
    HMODULE module = GetModuleHandleA("COMSRV32.DLL");
    ASSERT_NE(module, nullptr);
    auto queue = reinterpret_cast<void (*)(HRESULT)>(GetProcAddress(module, "TestServerQueueUnloadAnswer"));
    ASSERT_NE(queue, nullptr);

    CoFreeUnusedLibraries();  // objects live: the server says S_FALSE
    EXPECT_EQ(LoadedServers().size(), 1u);
    first->Release();
    second->Release();
    queue(S_FALSE);
    CoFreeUnusedLibraries();  // S_FALSE once more: kept
    EXPECT_EQ(LoadedServers().size(), 1u);
    EXPECT_TRUE(freed.empty());
    CoFreeUnusedLibraries();  // now S_OK: freed
    EXPECT_TRUE(LoadedServers().empty());
    EXPECT_EQ(GetModuleHandleA("COMSRV32.DLL"), nullptr);
    CoFreeUnusedLibraries();
    EXPECT_EQ(freed, std::vector<std::string>{"COMSRV32.DLL"});
    SetServerFreedHandler(nullptr);
}

TEST(HGlobalStream, WritesGrowTheBlockAndReadsComeBack) {
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULONG done = 0;
    EXPECT_EQ(stream->Write("hello world", 11, &done), S_OK);
    EXPECT_EQ(done, 11u);
    HGLOBAL memory = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream, &memory), S_OK);
    EXPECT_EQ(GlobalSize(memory), 11u);
    LARGE_INTEGER to{};
    to.QuadPart = 6;
    ULARGE_INTEGER at{};
    EXPECT_EQ(stream->Seek(to, STREAM_SEEK_SET, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 6u);
    char buffer[16] = {};
    EXPECT_EQ(stream->Read(buffer, 16, &done), S_FALSE);  // fewer than asked
    EXPECT_EQ(done, 5u);
    EXPECT_STREQ(buffer, "world");
    to.QuadPart = -1;
    EXPECT_EQ(stream->Seek(to, STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
    size_t before = vpr::win::LiveGlobalBlocks();
    EXPECT_EQ(stream->Release(), 0u);
    EXPECT_EQ(vpr::win::LiveGlobalBlocks(), before - 1);  // deleted with the stream

    // A medium frees its block, or only releases its owner when it has one.
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalAlloc(GHND, 4);
    ReleaseStgMedium(&medium);
    EXPECT_EQ(vpr::win::LiveGlobalBlocks(), before - 1);
    EXPECT_EQ(medium.hGlobal, nullptr);
    IStream* owner = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &owner), S_OK);
    owner->AddRef();
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalAlloc(GHND, 4);
    medium.pUnkForRelease = owner;
    HGLOBAL kept = medium.hGlobal;
    ReleaseStgMedium(&medium);
    EXPECT_EQ(GlobalSize(kept), 4u);
    GlobalFree(kept);
    EXPECT_EQ(owner->Release(), 0u);
}

}  // namespace
