// Threads meeting in the cache: user-interface threads reading while the
// worker rebuilds, the cache deleted while the worker is inside the library,
// and views waiting for the first refresh before and after it happened.
// The CI build runs these again and again (shellext_cache_concurrency_loop).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "items/folder_item.h"
#include "script_fixture.h"

namespace {

class CacheConcurrencyTest : public ScriptedCacheTest {
protected:
    void SetUp() override {
        ScriptedCacheTest::SetUp();
        AddApp("apps.acme", "one.acme", 0x1, 0x1);
        AddApp("tools.acme", "two.acme", 0x5, 0x5);
    }
};

TEST_F(CacheConcurrencyTest, ReadersSeeWholeListsWhileTheWorkerRebuilds) {
    StartCache();
    WaitForRebuilds(1);
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&] {
            while (!stop) {
                CStringArray folders;
                // Every list a reader sees is one rebuild's whole list.
                EXPECT_EQ(cache->ListFolders(0x2F, "TEST_TREE\t", &folders), 2);
                EXPECT_EQ(cache->GetFlagsForKey("TEST_TREE\ttools.acme"), 0x5u);
                EXPECT_EQ(cache->GetFlagsForKey("TEST_TREE\tone.acme"), 0x1u);
                CStringArray apps;
                EXPECT_EQ(cache->ListFolderChildren(0x2F, "TEST_TREE\tapps.acme", apps), 1);
                for (int i = 0; i < folders.GetSize(); ++i) {
                    CFolderItem* item = cache->GetItem(folders[i], CACHE_NO_CONTEXT);
                    ASSERT_NE(item, nullptr);
                    CString key;
                    item->SplitKey(&key, nullptr, nullptr);
                    EXPECT_EQ(key, folders[i]);
                    item->Release();
                }
                if (CFolderItem* item = cache->GetItem("TEST_TREE\tone.acme", CACHE_NO_CONTEXT)) item->Release();
                ++reads;
            }
        });
    // Each refresh makes the worker build and swap in a new node list.
    for (int i = 0; i < 5; ++i) cache->WaitForRefresh(nullptr);
    while (reads < 10) Sleep(1);
    stop = true;
    for (auto& reader : readers) reader.join();
    EXPECT_GE(cache->GetRebuildCount(), 2);
}

TEST_F(CacheConcurrencyTest, DeletingTheCacheWaitsForTheWorkerInsideTheLibrary) {
    Entry<ScriptHoldFn>("ScriptHold")(TRUE);
    StartCache();
    // The worker's first rebuild is inside KMAPPGetFoldersEx now.
    Entry<ScriptWaitHeldFn>("ScriptWaitHeld")();
    std::atomic<bool> deleted{false};
    std::thread deleter([&] {
        app->m_pCache = nullptr;
        cache.reset();
        deleted = true;
    });
    Entry<ScriptReleaseFn>("ScriptRelease")();
    deleter.join();
    EXPECT_TRUE(deleted);
    // The list the worker was building was freed with the cache, after the
    // worker had ended.
    EXPECT_EQ(Entry<ScriptLiveListsFn>("ScriptLiveLists")(), 0);
}

TEST_F(CacheConcurrencyTest, FirstRefreshWaitersBeforeAndAfterThePulseReturn) {
    Entry<ScriptHoldFn>("ScriptHold")(TRUE);
    StartCache();
    Entry<ScriptWaitHeldFn>("ScriptWaitHeld")();
    std::atomic<int> done{0};
    std::thread early([&] {
        cache->WaitForFirstRefresh(nullptr);
        EXPECT_GT(cache->GetRebuildCount(), 0);
        ++done;
    });
    Entry<ScriptReleaseFn>("ScriptRelease")();
    WaitForRebuilds(1);
    // A view that comes after the first rebuild does not wait for another.
    std::thread late([&] {
        cache->WaitForFirstRefresh(nullptr);
        ++done;
    });
    late.join();
    early.join();
    EXPECT_EQ(done, 2);
}

}  // namespace
