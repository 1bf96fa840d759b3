// A workstation (Windows NT 4, user jdoe) whose KMAPP32.DLL in the system
// folder is a built launcher library: the real one or the scripted test
// library. The module object exists so that the cache, the items and the
// launch code find each other as in the shell; the cache starts on request.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cache/app_cache.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "vpr/testing/temp_machine.h"

class CacheTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies a library of the build's bin folder to the system folder as
    // KMAPP32.DLL (before the cache starts).
    void PlaceLibrary(const std::string& built);
    // Binds the placed library and starts the cache on it.
    void StartCache();
    // Deletes the cache and the binding.
    void StopCache();
    // Returns once the cache has completed at least `count` rebuilds.
    void WaitForRebuilds(LONG count);

    // An entry point of the placed library, through the module the binding
    // loaded.
    template <class F>
    F Entry(const char* name) {
        return reinterpret_cast<F>(GetProcAddress(Module(), name));
    }
    HMODULE Module();

    std::unique_ptr<vpr::testing::TempMachine> machine;
    std::unique_ptr<CShellExtApp> app;
    std::unique_ptr<CShellAppLibrary> library;
    std::unique_ptr<CAppCache> cache;

private:
    std::string libraryPath_;
    HMODULE module_ = nullptr;
};
