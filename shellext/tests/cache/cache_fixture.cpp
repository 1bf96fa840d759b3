#include "cache_fixture.h"

#include <filesystem>

#include "vpr/testing/build_folder.h"

namespace fs = std::filesystem;

void CacheTest::SetUp() {
    machine = std::make_unique<vpr::testing::TempMachine>(vpr::machine::Platform::NT4, "jdoe");
    app = std::make_unique<CShellExtApp>();
}

void CacheTest::TearDown() {
    StopCache();
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
    app.reset();
}

void CacheTest::PlaceLibrary(const std::string& built) {
    libraryPath_ = machine->machine()->SystemDirectory() + "\\KMAPP32.DLL";
    std::string host = machine->HostPath(libraryPath_);
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(vpr::testing::BuildBinFolder() + "/" + built, host, fs::copy_options::overwrite_existing);
}

void CacheTest::StartCache() {
    library = std::make_unique<CShellAppLibrary>();
    ASSERT_TRUE(library->IsLoaded()) << library->GetPath();
    cache = std::make_unique<CAppCache>(library.get());
    app->m_pCache = cache.get();
}

void CacheTest::StopCache() {
    if (app) app->m_pCache = nullptr;
    cache.reset();
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
    library.reset();
}

void CacheTest::WaitForRebuilds(LONG count) {
    // The worker pulses after each rebuild; the count is what tells.
    for (int i = 0; i < 60000 && cache->GetRebuildCount() < count; ++i) Sleep(1);
    ASSERT_GE(cache->GetRebuildCount(), count);
}

HMODULE CacheTest::Module() {
    if (!module_) module_ = LoadLibraryA(libraryPath_.c_str());
    return module_;
}
