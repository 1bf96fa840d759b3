// A workstation (Windows NT 4) attached to a tree where jdoe.sales.acme is
// logged in and granted applications, with the real launcher library as the
// system folder's KMAPP32.DLL, the module object, and on request the cache
// bound to that library. Change notifications sent meanwhile are kept.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cache/app_cache.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "registry_values.h"
#include "vpr/com/change_notify.h"
#include "workstation_fixture.h"

class ItemsTest : public vpr::launcher::WorkstationTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Binds the system folder's library and starts the cache on it; returns
    // once its first rebuild is done.
    void StartCache();
    // The change notifications sent since the last call, as text.
    std::vector<std::string> TakeNotifications();

    std::unique_ptr<CShellExtApp> app;
    std::unique_ptr<CShellAppLibrary> library;
    std::unique_ptr<CAppCache> cache;

private:
    std::mutex lock_;
    std::vector<std::string> notifications_;
};
