#include "items_fixture.h"

#include <filesystem>

#include "shlobj.h"
#include "vpr/testing/build_folder.h"

namespace fs = std::filesystem;

void ItemsTest::SetUp() {
    WorkstationTest::SetUp();
    std::string system = machine->HostPath(machine->machine()->SystemDirectory() + "\\KMAPP32.DLL");
    fs::create_directories(fs::path(system).parent_path());
    fs::copy_file(vpr::testing::BuildBinFolder() + "/KMAPP32.DLL", system, fs::copy_options::overwrite_existing);
    app = std::make_unique<CShellExtApp>();
    app->m_cfIdListArray = RegisterClipboardFormatA(CFSTR_SHELLIDLIST);
    vpr::com::SetChangeNotificationHandler([this](const vpr::com::ChangeNotification& notification) {
        std::lock_guard<std::mutex> hold(lock_);
        notifications_.push_back(vpr::com::ChangeNotificationText(notification));
    });
}

void ItemsTest::TearDown() {
    vpr::com::SetChangeNotificationHandler(nullptr);
    if (app) {
        app->m_pCache = nullptr;
        app->m_pLibrary = nullptr;
    }
    cache.reset();
    library.reset();
    if (app) EXPECT_EQ(app->m_nLiveObjects.load(), 0) << "items left alive";
    app.reset();
    WorkstationTest::TearDown();
}

void ItemsTest::StartCache() {
    library = std::make_unique<CShellAppLibrary>();
    ASSERT_TRUE(library->IsLoaded());
    app->m_pLibrary = library.get();
    cache = std::make_unique<CAppCache>(library.get());
    app->m_pCache = cache.get();
    cache->WaitForFirstRefresh(nullptr);
}

std::vector<std::string> ItemsTest::TakeNotifications() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::string> taken;
    taken.swap(notifications_);
    return taken;
}
