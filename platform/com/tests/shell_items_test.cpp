#include <gtest/gtest.h>

#include <cstring>

#include "shlobj.h"
#include "vpr/com/change_notify.h"
#include "vpr/com/guid.h"
#include "vpr/com/id_list.h"
#include "vpr/com/special_folders.h"
#include "vpr/com/task_allocator.h"
#include "vpr/testing/temp_machine.h"

using namespace vpr::com;

namespace {

constexpr GUID kNameSpace = {0x5B2D7E10, 0x4C3A, 0x11D0, {0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B}};

TEST(Guids, TextAndBytesFollowTheStandardLayout) {
    EXPECT_EQ(GuidText(kNameSpace), "{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}");
    EXPECT_EQ(ParseGuid("{5b2d7e10-4c3a-11d0-9e61-00a0c9d4f27b}"), std::optional<GUID>(kNameSpace));
    EXPECT_FALSE(ParseGuid("{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27}"));
    EXPECT_FALSE(ParseGuid("5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B12"));
    uint8_t bytes[16];
    GuidToBytes(kNameSpace, bytes);
    const uint8_t expected[16] = {0x10, 0x7E, 0x2D, 0x5B, 0x3A, 0x4C, 0xD0, 0x11,
                                  0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B};
    EXPECT_EQ(std::memcmp(bytes, expected, 16), 0);
    EXPECT_EQ(GuidFromBytes(bytes), kNameSpace);
    OLECHAR text[39];
    EXPECT_EQ(StringFromGUID2(kNameSpace, text, 39), 39);
    CLSID back{};
    EXPECT_EQ(CLSIDFromString(text, &back), S_OK);
    EXPECT_EQ(back, kNameSpace);
}

TEST(TaskAllocator, CountsLiveBlocksAndKnowsTheirSizes) {
    size_t before = LiveTaskBlocks();
    IMalloc* malloc = nullptr;
    ASSERT_EQ(SHGetMalloc(&malloc), S_OK);
    void* a = malloc->Alloc(10);
    void* b = CoTaskMemAlloc(3);
    EXPECT_EQ(LiveTaskBlocks(), before + 2);
    EXPECT_EQ(malloc->GetSize(a), 10u);
    EXPECT_EQ(malloc->DidAlloc(b), 1);
    int foreign = 0;
    EXPECT_EQ(malloc->DidAlloc(&foreign), 0);
    a = malloc->Realloc(a, 100);
    EXPECT_EQ(malloc->GetSize(a), 100u);
    malloc->Free(a);
    CoTaskMemFree(b);
    CoTaskMemFree(nullptr);
    EXPECT_EQ(LiveTaskBlocks(), before);
    malloc->Release();
}

TEST(IdLists, CheckRefusesBadCountsAndFindsTheEnd) {
    const uint8_t good[] = {4, 0, 'a', 0, 0, 0, 0xEE};
    EXPECT_EQ(CheckIdList(good, sizeof(good)), 6u);
    const uint8_t one[] = {1, 0, 0, 0};
    EXPECT_EQ(CheckIdList(one, sizeof(one)), 0u);
    const uint8_t past[] = {9, 0, 'a', 0, 0, 0};
    EXPECT_EQ(CheckIdList(past, sizeof(past)), 0u);
    const uint8_t unterminated[] = {4, 0, 'a', 0};
    EXPECT_EQ(CheckIdList(unterminated, sizeof(unterminated)), 0u);
    EXPECT_EQ(CheckIdList(good, 0), 0u);
}

TEST(IdLists, NameSpaceAndFileSystemItemsAsPathsAndText) {
    vpr::testing::TempMachine machine;
    IdListBytes root = NameSpaceIdList(kNameSpace);
    ASSERT_EQ(root.size(), 22u);
    EXPECT_EQ(root[0], 0x14);
    EXPECT_EQ(root[2], 0x1F);
    EXPECT_EQ(NameSpaceItemClass(reinterpret_cast<LPCITEMIDLIST>(root.data())), std::optional<CLSID>(kNameSpace));
    const uint8_t key[] = {10, 0, 'P', 'e', 'r', 's', '\t', 'G', 'a', 0};
    IdListBytes keyList(key, key + sizeof(key));
    keyList.insert(keyList.end(), {0, 0});
    IdListBytes both = ConcatIdLists(root, keyList);
    EXPECT_EQ(both.size(), 22u + 12u - 2u);
    auto text = [](const IdListBytes& list) { return IdListText(reinterpret_cast<LPCITEMIDLIST>(list.data())); };
    EXPECT_EQ(text(both), "::{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}\\Pers\\tGa");
    EXPECT_EQ(text({0, 0}), "desktop");
    EXPECT_FALSE(PathFromIdList(reinterpret_cast<LPCITEMIDLIST>(both.data())));

    auto desktop = FileSystemIdList("C:\\WINDOWS\\Desktop");
    ASSERT_TRUE(desktop);
    auto items = IdListItems(reinterpret_cast<LPCITEMIDLIST>(desktop->data()));
    ASSERT_EQ(items.size(), 3u);
    for (auto item : items) EXPECT_GE(item->mkid.cb, 20);
    EXPECT_EQ(PathFromIdList(reinterpret_cast<LPCITEMIDLIST>(desktop->data())), "C:\\WINDOWS\\Desktop");
    // A junction directory leads into the name space: what follows is its items.
    auto junction = FileSystemIdList("C:\\WINDOWS\\Start Menu\\Apps.{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}");
    ASSERT_TRUE(junction);
    EXPECT_EQ(text(ConcatIdLists(*junction, keyList)),
              "C:\\WINDOWS\\Start Menu\\Apps.{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}\\Pers\\tGa");
    EXPECT_FALSE(FileSystemIdList("relative\\name"));
}

TEST(SpecialFolders, ListsAndPathsOnBothPlatforms) {
    struct Case {
        vpr::machine::Platform platform;
        int csidl;
        const char* path;  // nullptr: the machine has no such folder
    };
    const Case cases[] = {
        {vpr::machine::Platform::Win95, CSIDL_DESKTOPDIRECTORY, "C:\\WINDOWS\\Desktop"},
        {vpr::machine::Platform::Win95, CSIDL_STARTMENU, "C:\\WINDOWS\\Start Menu"},
        {vpr::machine::Platform::Win95, CSIDL_PROGRAMS, "C:\\WINDOWS\\Start Menu\\Programs"},
        {vpr::machine::Platform::Win95, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr},
        {vpr::machine::Platform::NT4, CSIDL_DESKTOPDIRECTORY, "C:\\WINDOWS\\Profiles\\USER\\Desktop"},
        {vpr::machine::Platform::NT4, CSIDL_COMMON_DESKTOPDIRECTORY, "C:\\WINDOWS\\Profiles\\All Users\\Desktop"},
        {vpr::machine::Platform::NT4, CSIDL_COMMON_STARTMENU, "C:\\WINDOWS\\Profiles\\All Users\\Start Menu"},
        {vpr::machine::Platform::NT4, CSIDL_COMMON_PROGRAMS, "C:\\WINDOWS\\Profiles\\All Users\\Start Menu\\Programs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.csidl);
        vpr::testing::TempMachine machine(c.platform);
        size_t before = LiveTaskBlocks();
        LPITEMIDLIST list = nullptr;
        HRESULT hr = SHGetSpecialFolderLocation(nullptr, c.csidl, &list);
        if (!c.path) {
            EXPECT_TRUE(FAILED(hr));
            EXPECT_EQ(list, nullptr);
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        char path[MAX_PATH];
        EXPECT_TRUE(SHGetPathFromIDListA(list, path));
        EXPECT_STREQ(path, c.path);
        CoTaskMemFree(list);
        EXPECT_EQ(LiveTaskBlocks(), before);
    }
}

TEST(SpecialFolders, TheDesktopIsTheEmptyListAndANameSpaceHasNoPath) {
    vpr::testing::TempMachine machine;
    LPITEMIDLIST desktop = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop), S_OK);
    EXPECT_EQ(desktop->mkid.cb, 0);
    char path[MAX_PATH];
    EXPECT_TRUE(SHGetPathFromIDListA(desktop, path));
    EXPECT_STREQ(path, "C:\\WINDOWS\\Desktop");
    CoTaskMemFree(desktop);
    IdListBytes root = NameSpaceIdList(kNameSpace);
    EXPECT_FALSE(SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(root.data()), path));
    EXPECT_STREQ(path, "");
}

TEST(ChangeNotify, RecordedInTheJournalAndHandedOn) {
    vpr::testing::TempMachine machine;
    std::vector<ChangeNotification> seen;
    SetChangeNotificationHandler([&](const ChangeNotification& n) { seen.push_back(n); });
    IdListBytes root = NameSpaceIdList(kNameSpace);
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATH | SHCNF_FLUSH, "C:\\WINDOWS\\Desktop", nullptr);
    SHChangeNotify(SHCNE_RMDIR, SHCNF_IDLIST, root.data(), nullptr);
    SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_PATH, "C:\\A", "C:\\B");
    SetChangeNotificationHandler(nullptr);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATH, "C:\\C", nullptr);

    std::vector<std::string> journal;
    for (const auto& entry : machine.machine()->ReadJournal()) {
        if (entry.kind == "notify") journal.push_back(entry.text);
    }
    EXPECT_EQ(journal, (std::vector<std::string>{"UPDATEDIR C:\\WINDOWS\\Desktop",
                                                 "RMDIR ::{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}",
                                                 "RENAMEFOLDER C:\\A -> C:\\B", "CREATE C:\\C"}));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0].paths);
    EXPECT_EQ(seen[0].list1, *FileSystemIdList("C:\\WINDOWS\\Desktop"));
    EXPECT_EQ(seen[1].list1, root);
    EXPECT_EQ(seen[2].text2, "C:\\B");
}

}  // namespace
