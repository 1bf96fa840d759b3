// Drops on items: applications dropped on a personal folder (the shell's
// "Shell IDList Array", whose block is checked before it is read), and files
// dropped on an application (launched with them as its parameters).
#include <cstring>

#include "items/app_folder_item.h"
#include "items/group_folder_item.h"
#include "items_fixture.h"
#include "vpr/com/data_object.h"
#include "vpr/com/drop_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ListBytes(const CItemIdList& list) {
    const auto* at = reinterpret_cast<const uint8_t*>(list.GetList());
    return Bytes(at, at + list.GetSize());
}

void PutU32(Bytes& bytes, size_t at, uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

// cidl, the offsets, then the parent list and the child lists.
Bytes MakeArray(const std::vector<Bytes>& lists) {
    Bytes block(4 + 4 * lists.size(), 0);
    PutU32(block, 0, static_cast<uint32_t>(lists.size() - 1));
    for (size_t i = 0; i < lists.size(); ++i) {
        PutU32(block, 4 + 4 * i, static_cast<uint32_t>(block.size()));
        block.insert(block.end(), lists[i].begin(), lists[i].end());
    }
    return block;
}

HGLOBAL Global(const Bytes& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

class DropTest : public ItemsTest {
protected:
    void SetUp() override {
        ItemsTest::SetUp();
        App("calc.acme");
        App("edit.acme");
        Associate("jdoe.sales.acme", "calc.acme", KMAPP_ASSOC_LAUNCHER);
        Associate("jdoe.sales.acme", "edit.acme", KMAPP_ASSOC_LAUNCHER);
        StartCache();
        folder = new CGroupFolderItem("Personal\t", "Mine", kPersonalItem | 1, RootIdList());
        folder->SetParentIdList(RootIdList() + CItemIdList("Personal\t"));
    }
    void TearDown() override {
        if (folder) folder->Release();
        ItemsTest::TearDown();
    }
    // The CIDA of applications dragged out of the tree's folder Tools.
    Bytes DraggedApps(const std::vector<std::string>& names) {
        std::vector<Bytes> lists{ListBytes(RootIdList() + CItemIdList("TEST_TREE\t") + CItemIdList("TEST_TREE\tTools"))};
        for (const auto& name : names) lists.push_back(ListBytes(CItemIdList(("TEST_TREE\t" + name).c_str())));
        return MakeArray(lists);
    }
    HRESULT DropOn(CFolderItem* target, CLIPFORMAT format, const Bytes& bytes) {
        IDataObject* data = vpr::com::NewDataObject({{format, Global(bytes)}});
        IDropTarget* drop = nullptr;
        EXPECT_EQ(target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&drop)), S_OK);
        DWORD effect = DROPEFFECT_COPY;
        HRESULT hr = drop->Drop(data, 0, POINTL{0, 0}, &effect);
        EXPECT_EQ(effect, hr == S_OK ? DROPEFFECT_COPY : DROPEFFECT_NONE);
        drop->Release();
        data->Release();
        return hr;
    }
    CLIPFORMAT IdListFormat() const { return static_cast<CLIPFORMAT>(app->m_cfIdListArray); }

    CGroupFolderItem* folder = nullptr;
};

TEST_F(DropTest, APersonalFolderTakesTheApplicationsItDoesNotHoldYet) {
    TakeNotifications();
    EXPECT_EQ(DropOn(folder, IdListFormat(), DraggedApps({"calc.acme", "edit.acme"})), S_OK);
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine"), (std::vector<std::string>{"calc.acme", "edit.acme"}));
    const auto notes = TakeNotifications();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("CREATE"), std::string::npos) << notes[0];
    EXPECT_NE(notes[0].find("calc.acme"), std::string::npos) << notes[0];

    // Held already: nothing more is added and the drop fails.
    EXPECT_EQ(DropOn(folder, IdListFormat(), DraggedApps({"calc.acme"})), E_FAIL);
    EXPECT_TRUE(TakeNotifications().empty());
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine").size(), 2u);
}

TEST_F(DropTest, PasteDropsWhatTheClipboardHolds) {
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    IDataObject* data = vpr::com::NewDataObject({{IdListFormat(), Global(DraggedApps({"edit.acme"}))}});
    ASSERT_EQ(OleSetClipboard(data), S_OK);
    data->Release();
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(kCmdPaste);
    EXPECT_EQ(folder->InvokeCommand(&info), S_OK);
    EXPECT_EQ(PersonalFolderItems("TEST_TREE", "Mine"), std::vector<std::string>{"edit.acme"});
    OleSetClipboard(nullptr);
    OleUninitialize();
}

TEST_F(DropTest, ABadArrayAddsNothing) {
    const Bytes good = DraggedApps({"calc.acme"});
    // The parent list starts at 12; the child list right after it.
    const size_t child = 12 + ListBytes(RootIdList() + CItemIdList("TEST_TREE\t") + CItemIdList("TEST_TREE\tTools")).size();
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
    } cases[] = {
        {"a count beyond the block", [](Bytes& b) { PutU32(b, 0, 1000); }},
        {"a count of 0xFFFFFFFF", [](Bytes& b) { PutU32(b, 0, 0xFFFFFFFF); }},
        {"a child offset past the end", [](Bytes& b) { PutU32(b, 8, static_cast<uint32_t>(b.size() + 100)); }},
        {"a parent offset into the header", [](Bytes& b) { PutU32(b, 4, 2); }},
        {"a child list without its end", [](Bytes& b) { b.erase(b.end() - 2, b.end()); }},
        {"a child item running past the end", [child](Bytes& b) { b[child] = 0xF0; }},
        {"a parent without the root", [](Bytes& b) { b[12 + 4] = 0; }},
        {"only the count", [](Bytes& b) { b.erase(b.begin() + 4, b.end()); }},
    };
    TakeNotifications();
    for (const auto& c : cases) {
        Bytes block = good;
        c.damage(block);
        EXPECT_EQ(DropOn(folder, IdListFormat(), block), E_FAIL) << c.what;
    }
    EXPECT_TRUE(PersonalFolderItems("TEST_TREE", "Mine").empty());
    EXPECT_TRUE(TakeNotifications().empty());
    // The same block undamaged is taken.
    EXPECT_EQ(DropOn(folder, IdListFormat(), good), S_OK);
}

TEST_F(DropTest, OnlyAPersonalFolderTakesADrop) {
    CGroupFolderItem* shared = new CGroupFolderItem("TEST_TREE\t", "Tools", 1, RootIdList());
    IDataObject* data = vpr::com::NewDataObject({{IdListFormat(), Global(DraggedApps({"calc.acme"}))}});
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(shared->DragEnter(data, 0, POINTL{0, 0}, &effect), E_FAIL);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(folder->DragEnter(data, 0, POINTL{0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
    EXPECT_EQ(shared->Drop(data, 0, POINTL{0, 0}, &effect), E_FAIL);
    data->Release();
    shared->Release();
    EXPECT_TRUE(PersonalFolderItems("TEST_TREE", "Tools").empty());
}

TEST_F(DropTest, FilesDroppedOnAnApplicationAreItsParameters) {
    CFolderItem* calc = cache->GetItem("TEST_TREE\tcalc.acme", kNoContext);
    ASSERT_NE(calc, nullptr);
    ASSERT_TRUE(calc->IsKindOf(RUNTIME_CLASS(CAppFolderItem)));
    HGLOBAL names = vpr::com::MakeDropFiles({"a", "", "b"});
    const SIZE_T size = GlobalSize(names);
    Bytes bytes(size);
    std::memcpy(bytes.data(), GlobalLock(names), size);
    GlobalUnlock(names);
    GlobalFree(names);
    // An empty name ends the list: only "a" is taken from this block.
    EXPECT_EQ(DropOn(calc, CF_HDROP, bytes), S_OK);
    auto starts = Starts();
    ASSERT_FALSE(starts.empty());
    // The launcher takes the tilde for dropped files and passes them on.
    EXPECT_EQ(starts.back(), "\\\\SERVER\\APPS\\calc.SH a");

    names = vpr::com::MakeDropFiles({"a", "b"});
    bytes.assign(GlobalSize(names), 0);
    std::memcpy(bytes.data(), GlobalLock(names), bytes.size());
    GlobalUnlock(names);
    GlobalFree(names);
    EXPECT_EQ(DropOn(calc, CF_HDROP, bytes), S_OK);
    starts = Starts();
    EXPECT_EQ(starts.back(), "\\\\SERVER\\APPS\\calc.SH a b");

    // A block without a name launches nothing.
    const size_t before = Starts().size();
    EXPECT_EQ(DropOn(calc, CF_HDROP, Bytes(20, 0)), E_FAIL);
    EXPECT_EQ(Starts().size(), before);
    calc->Release();
}

}  // namespace
