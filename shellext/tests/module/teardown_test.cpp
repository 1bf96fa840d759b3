// Stopping the module while the cache's worker is held inside the launcher
// library: the watcher's clean-up waits for the worker, the module cannot be
// unloaded while a thread of it runs, and the module's exit does not free
// what that thread still uses (it leaves the rest to the watcher).
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "cache/app_cache.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "script_library/script_library.h"
#include "vpr/directory/store.h"
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/win/clock.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kLibrary = "C:\\WINDOWS\\SYSTEM32\\KmApp32.dll";

template <class F>
F Entry(const char* name) {
    return reinterpret_cast<F>(GetProcAddress(GetModuleHandleA(kLibrary), name));
}

// Yields until `done` holds (threads of the test move on their own).
template <class Done>
void Until(Done done) {
    while (!done()) std::this_thread::yield();
}

// jdoe logged in to a tree with the application class, the scripted
// launcher library where the module binds it.
class Teardown : public ::testing::Test {
protected:
    void SetUp() override {
        vpr::directory::ClassDef application{"App:Application", false, true, {"Top"}, {"Organization"}, {}, {}, {}};
        tree_.Org("acme").User("jdoe.acme", "John Doe").Class(application).LogIn("jdoe.acme");
        std::string host = machine_.HostPath(kLibrary);
        fs::create_directories(fs::path(host).parent_path());
        fs::copy_file(vpr::testing::BuildBinFolder() + "/KMAPPSCR.DLL", host);
    }

    vpr::testing::TempMachine machine_{vpr::machine::Platform::NT4, "jdoe"};
    vpr::testing::TempTree tree_;
};

TEST_F(Teardown, AThreadThatHasNotEndedKeepsTheModuleAndWhatItUses) {
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);

    CShellExtApp app;
    app.m_hWakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    app.m_hShutdownEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    app.m_hLeftEvent = CreateEventA(nullptr, TRUE, FALSE, kLeftEventName);
    HANDLE left = OpenEventA(SYNCHRONIZE, FALSE, kLeftEventName);
    ASSERT_NE(left, nullptr);
    app.m_pLibrary = new CShellAppLibrary;
    ASSERT_TRUE(app.m_pLibrary->IsLoaded());
    Entry<ScriptResetFn>("ScriptReset")();
    Entry<ScriptHoldFn>("ScriptHold")(TRUE);
    app.m_pCache = new CAppCache(app.m_pLibrary);
    Entry<ScriptWaitHeldFn>("ScriptWaitHeld")();  // the worker is inside KMAPPGetFoldersEx
    ASSERT_TRUE(app.StartWatcher());

    // The loader's stop: the watcher clears the running flag and stops the
    // cache, which waits for its worker.
    SetEvent(app.m_hShutdownEvent);
    Until([&] { return !app.m_bRunning; });
    EXPECT_EQ(app.m_nLiveObjects, 0);
    EXPECT_EQ(app.CanUnloadNow(), S_FALSE);

    // The shell unloads the module anyway (as at the end of its process):
    // the exit waits its 2000 ms for the watcher, then leaves the cache and
    // the library binding to it, and sets the "left" event.
    size_t waiting = clock->TimedWaiters();
    std::thread mover([&] {
        clock->WaitForTimedWaiters(waiting + 1);
        clock->Advance(2000);
    });
    app.ExitInstance();
    mover.join();
    EXPECT_EQ(WaitForSingleObject(left, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(app.IsWatcherRunning());
    EXPECT_NE(app.m_pLibrary, nullptr);
    EXPECT_EQ(app.CanUnloadNow(), S_FALSE);

    // Let go, the worker ends, and the watcher frees the cache and the rest.
    Entry<ScriptReleaseFn>("ScriptRelease")();
    Until([&] { return !app.IsWatcherRunning(); });
    EXPECT_EQ(app.m_pCache, nullptr);
    EXPECT_EQ(app.m_pLibrary, nullptr);
    EXPECT_EQ(app.m_hShutdownEvent, nullptr);
    EXPECT_EQ(app.CanUnloadNow(), S_OK);
    CloseHandle(left);
    vpr::win::SetClock(nullptr);
}

TEST_F(Teardown, AfterTheShutdownEventTheCacheStaysForThreadsStillInALookup) {
    CShellExtApp app;
    app.m_hWakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    app.m_hShutdownEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    app.m_pLibrary = new CShellAppLibrary;
    ASSERT_TRUE(app.m_pLibrary->IsLoaded());
    Entry<ScriptResetFn>("ScriptReset")();
    app.m_pCache = new CAppCache(app.m_pLibrary);
    ASSERT_TRUE(app.StartWatcher());

    // A user-interface thread looks folders up all the while the watcher
    // stops the cache; the sanitizers see any use of a freed cache.
    std::atomic<bool> stop{false};
    CAppCache* cache = app.m_pCache;
    std::thread browser([&] {
        while (!stop) {
            CStringArray keys;
            cache->CountFolders(0x2F, &keys);
            cache->ListFolders(0x2F, "", &keys);
        }
    });
    SetEvent(app.m_hShutdownEvent);
    Until([&] { return !app.IsWatcherRunning(); });
    stop = true;
    browser.join();

    // Stopped, not freed: lookups find nothing and a first-refresh waiter
    // goes on; the module's release frees it.
    ASSERT_EQ(app.m_pCache, cache);
    CStringArray keys;
    EXPECT_EQ(cache->CountFolders(0x2F, &keys), 0);
    cache->WaitForFirstRefresh(nullptr);
    app.ExitInstance();
    EXPECT_EQ(app.m_pCache, nullptr);
    EXPECT_EQ(app.CanUnloadNow(), S_OK);
}

}  // namespace
