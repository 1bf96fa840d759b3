// The item factory: which class it builds for which key, that every caller
// gets a fresh copy of its own, and the folder list every browser thread uses.
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include "items/app_folder_item.h"
#include "items/app_tree.h"
#include "items/group_folder_item.h"
#include "items/pidl_list.h"
#include "items_fixture.h"
#include "vpr/com/shell_services.h"
#include "vpr/testing/temp_machine.h"

namespace {

class ItemFactoryTest : public ItemsTest {
protected:
    void SetUp() override {
        ItemsTest::SetUp();
        App("calc.acme");
        Associate("jdoe.sales.acme", "calc.acme", KMAPP_ASSOC_LAUNCHER);
        StartCache();
    }
};

TEST_F(ItemFactoryTest, TheRootIsANewItemEachTime) {
    CFolderItem* first = cache->GetItem("", kNoContext);
    CFolderItem* second = cache->GetItem(nullptr, kNoContext);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->GetRuntimeClass(), RUNTIME_CLASS(CFolderItem));
    EXPECT_STREQ(first->GetName(), "VPR Explorer");
    EXPECT_TRUE(first->GetKey().IsEmpty());
    EXPECT_EQ(first->GetAttributes(), 0x21040040u);
    first->Release();
    second->Release();
}

TEST_F(ItemFactoryTest, ClassesByKey) {
    const struct {
        const char* key;
        CRuntimeClass* cls;
        const char* name;
        BOOL personal;
    } cases[] = {
        {"Personal\t", RUNTIME_CLASS(CAppTree), "Personal", TRUE},
        {"TEST_TREE\t", RUNTIME_CLASS(CAppTree), "TEST_TREE", FALSE},
        {"TEST_TREE\tcalc.acme", RUNTIME_CLASS(CAppFolderItem), "calc", FALSE},
    };
    for (const auto& c : cases) {
        CFolderItem* first = cache->GetItem(c.key, kNoContext);
        ASSERT_NE(first, nullptr) << c.key;
        EXPECT_EQ(first->GetRuntimeClass(), c.cls) << c.key;
        EXPECT_STREQ(first->GetName(), c.name) << c.key;
        EXPECT_EQ(first->IsPersonal(), c.personal) << c.key;
        // A second request gives another object that looks the same.
        CFolderItem* second = cache->GetItem(c.key, kNoContext);
        ASSERT_NE(second, nullptr);
        EXPECT_NE(first, second);
        EXPECT_EQ(second->GetRuntimeClass(), c.cls);
        EXPECT_STREQ(second->GetKey(), first->GetKey());
        EXPECT_STREQ(second->GetName(), first->GetName());
        EXPECT_EQ(second->GetFlags(), first->GetFlags());
        // A change to one copy stays there.
        first->SetParentIdList(CItemIdList("elsewhere"));
        EXPECT_NE(first->GetParentIdList().GetSize(), second->GetParentIdList().GetSize());
        first->Release();
        second->Release();
    }
    // A tree's parent list is the root item alone.
    CFolderItem* tree = cache->GetItem("TEST_TREE\t", kNoContext);
    EXPECT_EQ(tree->GetParentIdList().GetSize(), RootIdList().GetSize());
    tree->Release();
}

TEST_F(ItemFactoryTest, NoItemForATreeThatIsNotAttached) {
    // Asked twice: nothing was stored for them the first time.
    for (const char* key : {"ELSEWHERE\t", "TEST_TREE\tnobody.acme", "ELSEWHERE\t", "TEST_TREE\tnobody.acme"}) {
        CFolderItem* item = cache->GetItem(key, kNoContext);
        EXPECT_EQ(item, nullptr) << key;
        if (item) item->Release();
    }
}

TEST(ItemKeyHash, FirstTwoCharactersAsSignedBytes) {
    EXPECT_EQ(ItemKeyHash("", 17), 0u);
    EXPECT_EQ(ItemKeyHash(nullptr, 17), 0u);
    EXPECT_EQ(ItemKeyHash("A", 17), 65u % 17);
    EXPECT_EQ(ItemKeyHash("AB", 17), (65u + 65536u * 66u) % 17);
    EXPECT_EQ(ItemKeyHash("ABCDEF", 17), ItemKeyHash("AB", 17));
    // A byte above 0x7F counts negative.
    EXPECT_EQ(ItemKeyHash("\xE9", 1000), static_cast<UINT>(-23) % 1000);
}

// ---- the folder list

// The desktop of a shell for this test: it tells lists apart by their bytes,
// from any thread, as the shell's desktop folder does for file-system lists.
class BytesDesktop : public vpr::com::ShellServices, public IShellFolder {
public:
    BOOL NotifyIcon(DWORD, const NOTIFYICONDATAA&) override { return FALSE; }
    BOOL OpenIdList(SHELLEXECUTEINFOA*) override { return FALSE; }
    HRESULT LoadInProc(REFCLSID) override { return E_FAIL; }
    void Notify(const vpr::com::ChangeNotification&) override {}
    HRESULT DesktopFolder(IShellFolder** folder) override {
        *folder = this;
        return S_OK;
    }
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumObjects(HWND, DWORD, IEnumIDList**) override { return E_NOTIMPL; }
    STDMETHODIMP BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, LPVOID*) override { return E_NOTIMPL; }
    STDMETHODIMP BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, LPVOID*) override { return E_NOTIMPL; }
    STDMETHODIMP CompareIDs(LPARAM, LPCITEMIDLIST first, LPCITEMIDLIST second) override {
        const UINT a = IdListSize(first), b = IdListSize(second);
        if (a != b) return a < b ? static_cast<HRESULT>(0xFFFF) : 1;
        const int order = std::memcmp(first, second, a);
        return order == 0 ? 0 : order < 0 ? static_cast<HRESULT>(0xFFFF) : 1;
    }
    STDMETHODIMP CreateViewObject(HWND, REFIID, LPVOID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAttributesOf(UINT, LPCITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, LPVOID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetDisplayNameOf(LPCITEMIDLIST, DWORD, LPSTRRET) override { return E_NOTIMPL; }
    STDMETHODIMP SetNameOf(HWND, LPCITEMIDLIST, LPCOLESTR, DWORD, LPITEMIDLIST*) override { return E_NOTIMPL; }
};

class PidlListTest : public ::testing::Test {
protected:
    void SetUp() override {
        vpr::com::SetShellServices(&desktop_);
        vpr::com::SetChangeNotificationHandler([this](const vpr::com::ChangeNotification& notification) {
            std::lock_guard<std::mutex> hold(lock_);
            notified_.push_back(vpr::com::ChangeNotificationText(notification));
        });
    }
    void TearDown() override {
        vpr::com::SetChangeNotificationHandler(nullptr);
        vpr::com::SetShellServices(nullptr);
    }
    static CItemIdList Folder(int n) { return RootIdList() + CItemIdList(("TREE\tfolder " + std::to_string(n)).c_str()); }

    vpr::testing::TempMachine machine_;
    BytesDesktop desktop_;
    std::mutex lock_;
    std::vector<std::string> notified_;
};

TEST_F(PidlListTest, KeepsEachFolderOnceAndNotifiesEveryOne) {
    CPidlList lists;
    lists.Add(Folder(1));
    lists.Add(Folder(2));
    lists.Add(Folder(1));
    EXPECT_EQ(lists.GetCount(), 2);
    EXPECT_EQ(lists.NotifyAll(SHCNE_UPDATEDIR, nullptr), 1);
    EXPECT_EQ(lists.NotifyAll(SHCNE_UPDATEDIR, CItemIdList("TREE\tcalc")), 1);
    ASSERT_EQ(notified_.size(), 4u);
    EXPECT_EQ(notified_[0].find("UPDATEDIR"), 0u) << notified_[0];
    // The relative list follows each stored one.
    EXPECT_NE(notified_[2].find("calc"), std::string::npos) << notified_[2];
    EXPECT_EQ(notified_[0].find("calc"), std::string::npos) << notified_[0];
}

TEST_F(PidlListTest, BrowserThreadsAddWhileTheTrayNotifies) {
    CPidlList lists;
    constexpr int kFolders = 200;
    std::atomic<bool> adding{true};
    // Two browser threads open the same folders, in opposite orders.
    std::thread first([&] {
        for (int i = 0; i < kFolders; ++i) lists.Add(Folder(i));
    });
    std::thread second([&] {
        for (int i = kFolders - 1; i >= 0; --i) lists.Add(Folder(i));
    });
    std::thread tray([&] {
        while (adding) lists.NotifyAll(SHCNE_UPDATEDIR, nullptr);
    });
    first.join();
    second.join();
    adding = false;
    tray.join();
    EXPECT_EQ(lists.GetCount(), kFolders);
    {
        std::lock_guard<std::mutex> hold(lock_);
        notified_.clear();
    }
    EXPECT_EQ(lists.NotifyAll(SHCNE_UPDATEDIR, nullptr), kFolders - 1);
    std::lock_guard<std::mutex> hold(lock_);
    EXPECT_EQ(notified_.size(), static_cast<size_t>(kFolders));
}

}  // namespace
