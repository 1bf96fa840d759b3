// The extension's folder as the shell calls it: made by the class factory,
// initialised with its list, listing trees, folders and applications from
// the cache, handing out the items' interfaces, naming and comparing them,
// and renaming personal folders.
#include <string>
#include <vector>

#include "items/folder_item.h"
#include "items_fixture.h"
#include "namespace/shell_folder.h"
#include "namespace/shell_ext_init.h"
#include "vpr/com/id_list.h"
#include "vpr/com/task_allocator.h"
#include "vpr/locale/locale.h"

namespace {

// The key of a list made by the folder.
std::string KeyOf(LPCITEMIDLIST list) {
    CString key;
    ItemKeyFromIdList(list, key, FALSE);
    return static_cast<LPCSTR>(key);
}

std::string DisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags = SHGDN_INFOLDER) {
    STRRET name{};
    EXPECT_EQ(folder->GetDisplayNameOf(list, flags, &name), S_OK);
    EXPECT_EQ(name.uType, static_cast<UINT>(STRRET_CSTR));
    return name.cStr;
}

class ShellFolderTest : public ItemsTest {
protected:
    void SetUp() override {
        ItemsTest::SetUp();
        App("Editor.acme");
        App("Paint.acme");
        Associate("jdoe.sales.acme", "Editor.acme", KMAPP_ASSOC_LAUNCHER | KMAPP_ASSOC_START_MENU);
        Associate("jdoe.sales.acme", "Paint.acme", KMAPP_ASSOC_LAUNCHER);
    }

    // A folder from the class factory, initialised with `list`.
    IShellFolder* TopFolder(const CItemIdList& list) {
        auto* factory = new CClassFactory;
        IShellFolder* folder = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)), S_OK);
        factory->Release();
        IPersistFolder* persist = nullptr;
        EXPECT_EQ(folder->QueryInterface(IID_IPersistFolder, reinterpret_cast<void**>(&persist)), S_OK);
        EXPECT_EQ(persist->Initialize(list.GetList()), S_OK);
        persist->Release();
        return folder;
    }

    // The children a folder lists: "key" each, in order; every block freed.
    std::vector<std::string> Children(IShellFolder* folder) {
        std::vector<std::string> keys;
        IEnumIDList* items = nullptr;
        EXPECT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items), S_OK);
        if (!items) return keys;
        LPITEMIDLIST list = nullptr;
        ULONG fetched = 0;
        while (items->Next(1, &list, &fetched) == S_OK && fetched == 1) {
            keys.push_back(KeyOf(list));
            CoTaskMemFree(list);
        }
        items->Release();
        return keys;
    }

    IShellFolder* Bind(IShellFolder* folder, const std::string& key) {
        CItemIdList child(key.c_str());
        IShellFolder* inner = nullptr;
        EXPECT_EQ(folder->BindToObject(child.GetList(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(&inner)), S_OK);
        return inner;
    }
};

TEST_F(ShellFolderTest, TheFactoryMakesFoldersWithTheirInterfaces) {
    auto* factory = new CClassFactory;
    IUnknown* unknown = nullptr;
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&unknown)), S_OK);
    unknown->Release();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(IID_IShellFolder, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IShellFolder, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    IShellFolder* folder = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(app->m_nLiveObjects.load(), 1);

    // The nested IPersistFolder answers for the folder.
    IPersistFolder* persist = nullptr;
    ASSERT_EQ(folder->QueryInterface(IID_IPersistFolder, reinterpret_cast<void**>(&persist)), S_OK);
    IShellFolder* again = nullptr;
    ASSERT_EQ(persist->QueryInterface(IID_IShellFolder, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, folder);
    again->Release();
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_VprExplorer));
    persist->Release();
    // The shell extension initialiser is a new object of its own.
    IShellExtInit* init = nullptr;
    ASSERT_EQ(folder->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
    EXPECT_EQ(app->m_nLiveObjects.load(), 2);
    EXPECT_EQ(init->Initialize((RootIdList() + CItemIdList("TEST_TREE\t")).GetList(), nullptr, nullptr), S_OK);
    EXPECT_EQ(static_cast<CShellExtInit*>(init)->GetKey(), CString("TEST_TREE\t"));
    init->Release();

    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(folder->QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    // The folder's view, for IShellView only; it counts as a live object.
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(folder->CreateViewObject(nullptr, IID_IShellFolder, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(folder->CreateViewObject(nullptr, IID_IShellView, &object), S_OK);
    EXPECT_EQ(app->m_nLiveObjects.load(), 2);
    EXPECT_EQ(static_cast<IShellView*>(object)->Release(), 0u);
    EXPECT_EQ(app->m_nLiveObjects.load(), 1);
    EXPECT_EQ(folder->BindToStorage(nullptr, nullptr, IID_IUnknown, &object), E_NOTIMPL);
    EXPECT_EQ(folder->Release(), 0u);
    EXPECT_EQ(app->m_nLiveObjects.load(), 0);
}

TEST_F(ShellFolderTest, ListsTreesFoldersAndApplicationsWithTheirAttributes) {
    StartCache();
    cache->CheckSchedules();
    IShellFolder* top = TopFolder(RootIdList());
    EXPECT_EQ(Children(top), (std::vector<std::string>{"TEST_TREE\t", "Personal\t"}));
    ULONG attributes = 0;
    EXPECT_EQ(top->GetAttributesOf(0, nullptr, &attributes), S_OK);
    EXPECT_EQ(attributes, 0x21040044u | SFGAO_HASSUBFOLDER);  // its first child is a folder

    IShellFolder* tree = Bind(top, "TEST_TREE\t");
    EXPECT_EQ(Children(tree), std::vector<std::string>{"TEST_TREE\tjdoe.sales.acme"});
    IShellFolder* folder = Bind(tree, "TEST_TREE\tjdoe.sales.acme");
    EXPECT_EQ(static_cast<CShellFolder*>(folder)->GetKey(), CString("TEST_TREE\tjdoe.sales.acme"));
    EXPECT_EQ(static_cast<CShellFolder*>(folder)->GetMask(), static_cast<DWORD>(kFolderMaskLauncher));
    EXPECT_TRUE(static_cast<CShellFolder*>(folder)->HasItem());
    EXPECT_EQ(Children(folder), (std::vector<std::string>{"TEST_TREE\tPaint.acme", "TEST_TREE\tEditor.acme"}));

    CItemIdList editor("TEST_TREE\tEditor.acme"), paint("TEST_TREE\tPaint.acme");
    CItemIdList jdoe("TEST_TREE\tjdoe.sales.acme"), treeItem("TEST_TREE\t");
    EXPECT_EQ(DisplayName(folder, editor), "Editor");
    EXPECT_EQ(DisplayName(folder, editor, SHGDN_FORPARSING), "Editor (Veltrix Delivered)");
    EXPECT_EQ(DisplayName(tree, jdoe), "jdoe.sales.acme");
    EXPECT_EQ(DisplayName(top, treeItem), "TEST_TREE");
    // A key without an item is shown as it stands.
    EXPECT_EQ(DisplayName(folder, CItemIdList("NO_TREE\tx")), "NO_TREE\tx");

    const struct {
        IShellFolder* parent;
        const CItemIdList* item;
        ULONG attributes;
    } cases[] = {
        {folder, &editor, 0x01040145},
        {tree, &jdoe, 0x21040045},  // its first child is an application
        {top, &treeItem, 0x21040044u | SFGAO_HASSUBFOLDER},
    };
    for (const auto& c : cases) {
        LPCITEMIDLIST lists[] = {c.item->GetList()};
        ULONG mask = 0xFFFFFFFF;
        EXPECT_EQ(c.parent->GetAttributesOf(1, lists, &mask), S_OK);
        EXPECT_EQ(mask, c.attributes) << KeyOf(c.item->GetList());
    }
    // Several items answer what they have in common.
    LPCITEMIDLIST both[] = {editor.GetList(), paint.GetList()};
    ULONG mask = 0;
    EXPECT_EQ(folder->GetAttributesOf(2, both, &mask), S_OK);
    EXPECT_EQ(mask, 0x01040145u);
    folder->Release();
    tree->Release();
    top->Release();
}

// Reached through the Start Menu junction directory the folder shows only
// Start Menu applications and collapses the chain of single children.
TEST_F(ShellFolderTest, TheStartMenuFolderCollapsesSingleChildren) {
    StartCache();
    cache->CheckSchedules();
    auto junction = vpr::com::FileSystemIdList("C:\\WINDOWS\\Start Menu\\VPR Explorer.{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}");
    ASSERT_TRUE(junction);
    IShellFolder* top = TopFolder(CItemIdList(reinterpret_cast<LPCITEMIDLIST>(junction->data())));
    EXPECT_EQ(static_cast<CShellFolder*>(top)->GetMask(), static_cast<DWORD>(kFolderMaskStartMenu));
    EXPECT_EQ(Children(top), std::vector<std::string>{"TEST_TREE\tEditor.acme"});
    IShellFolder* tree = Bind(top, "TEST_TREE\t");
    EXPECT_EQ(static_cast<CShellFolder*>(tree)->GetMask(), static_cast<DWORD>(kFolderMaskStartMenu));
    EXPECT_EQ(Children(tree), std::vector<std::string>{"TEST_TREE\tEditor.acme"});
    tree->Release();
    top->Release();
}

TEST_F(ShellFolderTest, HandsOutItemInterfacesAndComparesItems) {
    StartCache();
    cache->CheckSchedules();
    IShellFolder* top = TopFolder(RootIdList());
    IShellFolder* tree = Bind(top, "TEST_TREE\t");
    IShellFolder* folder = Bind(tree, "TEST_TREE\tjdoe.sales.acme");
    tree->Release();
    top->Release();
    CItemIdList editor("TEST_TREE\tEditor.acme"), paint("TEST_TREE\tPaint.acme"), none("NO_TREE\tx");
    LPCITEMIDLIST one[] = {editor.GetList()};
    LPCITEMIDLIST two[] = {editor.GetList(), paint.GetList()};
    LPCITEMIDLIST missing[] = {none.GetList()};
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(folder->GetUIObjectOf(nullptr, 2, two, IID_IContextMenu, nullptr, &object), E_INVALIDARG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(folder->GetUIObjectOf(nullptr, 1, one, IID_IDataObject, nullptr, &object), E_NOINTERFACE);
    EXPECT_EQ(folder->GetUIObjectOf(nullptr, 1, missing, IID_IContextMenu, nullptr, &object), E_OUTOFMEMORY);
    for (const IID* iid : {&IID_IContextMenu, &IID_IContextMenu2, &IID_IExtractIconA, &IID_IShellPropSheetExt}) {
        IUnknown* part = nullptr;
        ASSERT_EQ(folder->GetUIObjectOf(nullptr, 1, one, *iid, nullptr, reinterpret_cast<void**>(&part)), S_OK);
        // The folder keeps no reference: the caller's is the item's last.
        EXPECT_EQ(part->Release(), 0u);
    }

    // Column 1 the key parts before the TAB, 2 after it; the high word descends.
    const struct {
        LPARAM parameter;
        const CItemIdList* first;
        const CItemIdList* second;
        HRESULT result;
    } cases[] = {
        {0x00000002, &editor, &paint, static_cast<HRESULT>(0xFFFF)},  // "Editor.acme" < "Paint.acme"
        {0x00010002, &editor, &paint, 1},
        {0x00000001, &editor, &paint, 0},                               // the same tree
        {0x00010001, &editor, &paint, 0},
        {0x00000000, &paint, &editor, 1},                               // display names
        {0x00000002, &editor, &none, E_FAIL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(folder->CompareIDs(c.parameter, c.first->GetList(), c.second->GetList()), c.result)
            << std::hex << c.parameter << " " << KeyOf(c.first->GetList()) << " " << KeyOf(c.second->GetList());
    }
    folder->Release();
}

TEST_F(ShellFolderTest, TheEnumeratorHandsOutCopiesInTaskMemory) {
    size_t blocks = vpr::com::LiveTaskBlocks();
    auto* items = new CEnumItemIdList;
    for (const char* key : {"a\t", "b\t", "c\t"}) items->Add(CItemIdList(key));
    EXPECT_EQ(app->m_nLiveObjects.load(), 1);
    LPITEMIDLIST out[5] = {};
    ULONG fetched = 99;
    EXPECT_EQ(items->Next(5, out, &fetched), S_OK);
    ASSERT_EQ(fetched, 3u);
    EXPECT_EQ(KeyOf(out[0]) + KeyOf(out[1]) + KeyOf(out[2]), "a\tb\tc\t");
    EXPECT_EQ(vpr::com::IdListSize(out[2]), 7u);
    for (ULONG i = 0; i < fetched; ++i) CoTaskMemFree(out[i]);
    EXPECT_EQ(items->Next(1, out, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(out[0], nullptr);
    EXPECT_EQ(items->Reset(), S_OK);
    EXPECT_EQ(items->Skip(1), S_OK);
    EXPECT_EQ(items->Next(1, out, nullptr), S_OK);
    EXPECT_EQ(KeyOf(out[0]), "b\t");
    CoTaskMemFree(out[0]);
    EXPECT_EQ(items->Skip(0xFFFFFFFF), S_OK);  // past the end, never round to the start
    EXPECT_EQ(items->Next(1, out, &fetched), S_FALSE);
    IEnumIDList* clone = reinterpret_cast<IEnumIDList*>(1);
    EXPECT_EQ(items->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);
    EXPECT_EQ(items->Release(), 0u);
    EXPECT_EQ(app->m_nLiveObjects.load(), 0);
    EXPECT_EQ(vpr::com::LiveTaskBlocks(), blocks);
}

// The refill broadcasts a window of this thread is sent (a rebuild that
// broadcasts sends one to every top-level window).
int g_refills = 0;
LRESULT CALLBACK RefillCounter(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == GetShellExtApp()->m_uRefillMessage) ++g_refills;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A rename that fails changes nothing: E_FAIL, no rebuild, no notification,
// no new list. One that works rebuilds, tells the shell and gives the new
// list relative to the folder.
TEST_F(ShellFolderTest, SetNameOfRenamesPersonalFoldersOnly) {
    StartCache();
    CString made;
    ASSERT_TRUE(library->CreatePersonalFolderKey(made));
    cache->Rebuild(FALSE);
    cache->CheckSchedules();
    IShellFolder* top = TopFolder(RootIdList());
    IShellFolder* personal = Bind(top, "Personal\t");
    IShellFolder* tree = Bind(top, "TEST_TREE\t");
    top->Release();
    std::string madeKey = std::string("Personal\t") + static_cast<LPCSTR>(made);
    ASSERT_EQ(Children(personal), std::vector<std::string>{madeKey});
    TakeNotifications();

    app->m_uRefillMessage = RegisterWindowMessageA("RefillViewMessage");
    WNDCLASSA counterClass{};
    counterClass.lpfnWndProc = RefillCounter;
    counterClass.lpszClassName = "RefillCounter";
    RegisterClassA(&counterClass);
    HWND counter = CreateWindowExA(0, "RefillCounter", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    g_refills = 0;
    CItemIdList shared("TEST_TREE\tjdoe.sales.acme");
    LPITEMIDLIST renamed = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(tree->SetNameOf(nullptr, shared.GetList(), u"Other", SHGDN_INFOLDER, &renamed), E_FAIL);
    EXPECT_EQ(renamed, nullptr);
    renamed = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_EQ(tree->SetNameOf(nullptr, CItemIdList("NO_TREE\tx").GetList(), u"Other", SHGDN_INFOLDER, &renamed), E_FAIL);
    EXPECT_EQ(renamed, nullptr);
    EXPECT_EQ(g_refills, 0);  // no rebuild
    EXPECT_TRUE(TakeNotifications().empty());

    CItemIdList mine(madeKey.c_str());
    ASSERT_EQ(personal->SetNameOf(nullptr, mine.GetList(), u"Letters", SHGDN_INFOLDER, &renamed), S_OK);
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(KeyOf(renamed), "Personal\tLetters");
    EXPECT_EQ(vpr::com::IdListItems(renamed).size(), 1u);  // relative to the folder
    CoTaskMemFree(renamed);
    std::vector<std::string> notes = TakeNotifications();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes[0], "RENAMEFOLDER ::{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}\\Personal\\t\\" + std::string("Personal\\t") +
                            static_cast<LPCSTR>(made) +
                            " -> ::{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}\\Personal\\t\\Personal\\tLetters");
    EXPECT_EQ(Children(personal), std::vector<std::string>{"Personal\tLetters"});
    EXPECT_GE(g_refills, 1);  // the rebuild told the views
    DestroyWindow(counter);
    tree->Release();
    personal->Release();
}

}  // namespace
