// The extension's identifier lists as bytes: the lists it writes, their
// sizes and concatenations, and the keys it reads back from lists of every
// shape the shell may hand in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "namespace/item_id_list.h"
#include "vpr/com/task_allocator.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kRootItem = {0x14, 0x00, 0x1F, 0x00, 0x10, 0x7E, 0x2D, 0x5B, 0x3A, 0x4C, 0xD0,
                         0x11, 0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B};

Bytes Item(const std::string& key) {
    Bytes item{static_cast<uint8_t>(key.size() + 3), 0};
    item.insert(item.end(), key.begin(), key.end());
    item.push_back(0);
    return item;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Bytes kEnd = {0, 0};

Bytes Held(const CItemIdList& list) {
    const uint8_t* at = reinterpret_cast<const uint8_t*>(list.GetList());
    return at ? Bytes(at, at + list.GetSize()) : Bytes{};
}

TEST(ItemIdListTest, WritesTheListsAsBytes) {
    struct Case {
        const char* what;
        CItemIdList list;
        Bytes bytes;
    };
    const Case cases[] = {
        {"key abc", CItemIdList("abc"), {0x06, 0x00, 'a', 'b', 'c', 0x00, 0x00, 0x00}},
        {"empty key", CItemIdList(""), {0x03, 0x00, 0x00, 0x00, 0x00}},
        {"root", RootIdList(), Join({kRootItem, kEnd})},
        {"root from four words", CItemIdList(0x5B2D7E10, 0x11D04C3A, 0xA000619E, 0x7BF2D4C9), Join({kRootItem, kEnd})},
        {"root + key", RootIdList() + CItemIdList("tree\tApp"), Join({kRootItem, Item("tree\tApp"), kEnd})},
        {"key + key", CItemIdList("a") + CItemIdList("bc"), Join({Item("a"), Item("bc"), kEnd})},
        {"nothing + key", CItemIdList() + CItemIdList("k"), Join({Item("k"), kEnd})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Held(c.list), c.bytes) << c.what;
        EXPECT_EQ(c.list.GetSize(), c.bytes.size()) << c.what;
    }
    EXPECT_EQ(RootIdList().GetSize(), 22u);
    // Concatenation keeps one terminator: 22 + (length + 5) - 2.
    EXPECT_EQ((RootIdList() + CItemIdList("tree\tApp")).GetSize(), 22u + (8 + 5) - 2);
    EXPECT_EQ(CItemIdList().GetSize(), 2u);
    EXPECT_EQ(CItemIdList().GetList(), nullptr);
}

TEST(ItemIdListTest, CopiesOwnTheirBlocksAndFreeThem) {
    size_t before = vpr::com::LiveTaskBlocks();
    {
        CItemIdList a("tree\tA");
        CItemIdList b(a);
        CItemIdList c;
        c = a;
        c = c;  // assignment to itself keeps the list
        EXPECT_EQ(Held(c), Held(a));
        EXPECT_NE(b.GetList(), a.GetList());
        a.Append(RootIdList());
        EXPECT_EQ(Held(b), Join({Item("tree\tA"), kEnd}));
        EXPECT_EQ(Held(a), Join({Item("tree\tA"), kRootItem, kEnd}));
        CItemIdList fromRaw(a.GetList());
        EXPECT_EQ(Held(fromRaw), Held(a));
        Bytes buffer(a.GetSize() + 4, 0xEE);
        EXPECT_EQ(a.CopyTo(reinterpret_cast<LPITEMIDLIST>(buffer.data())), a.GetSize());
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + a.GetSize()), Held(a));
        EXPECT_EQ(buffer[a.GetSize()], 0xEE);
        EXPECT_EQ(CItemIdList().CopyTo(reinterpret_cast<LPITEMIDLIST>(buffer.data())), 0u);
        EXPECT_GT(vpr::com::LiveTaskBlocks(), before);
    }
    EXPECT_EQ(vpr::com::LiveTaskBlocks(), before);
}

TEST(ItemIdListTest, RawListsAreMeasuredAndCopiedItemByItem) {
    Bytes list = Join({kRootItem, Item("x"), kEnd});
    EXPECT_EQ(IdListSize(reinterpret_cast<LPCITEMIDLIST>(list.data())), list.size());
    EXPECT_EQ(IdListSize(nullptr), 2u);
    // A second list copied over the first's terminator.
    Bytes second = Join({Item("yz"), kEnd});
    Bytes out(list.size() + second.size(), 0xEE);
    LPITEMIDLIST end = CopyIdList(reinterpret_cast<LPITEMIDLIST>(out.data()), reinterpret_cast<LPCITEMIDLIST>(list.data()));
    EXPECT_EQ(reinterpret_cast<uint8_t*>(end), out.data() + list.size() - 2);
    CopyIdList(end, reinterpret_cast<LPCITEMIDLIST>(second.data()));
    EXPECT_EQ(Bytes(out.begin(), out.end() - 2), Join({kRootItem, Item("x"), Item("yz"), kEnd}));
    // An item counting 1 ends a list: nothing after it is measured or copied.
    Bytes cut = Join({Item("k"), {0x01, 0x00, 'z', 'z'}});
    EXPECT_EQ(IdListSize(reinterpret_cast<LPCITEMIDLIST>(cut.data())), Item("k").size() + 2);
}

TEST(ItemIdListTest, ReadsKeysFromListsOfEveryShape) {
    struct Case {
        const char* what;
        Bytes list;
        BOOL requireRoot;
        size_t size;  // 0: the list's own size; kIdListSizeUnknown: walked to its end
        const char* key;
        BOOL root;
    };
    const size_t unknown = kIdListSizeUnknown;
    Bytes garbage(30, 0xAB);
    // The identifier at offset 4 of a 2-byte item (inside the 18-byte item
    // after it) and at offset 2 of that item: neither is long enough to be
    // the root item.
    Bytes identifier(kRootItem.begin() + 4, kRootItem.end());
    Bytes shortItems = Join({{0x02, 0x00, 0x12, 0x00}, identifier, kEnd});
    std::string shortKey(reinterpret_cast<const char*>(identifier.data()), 10);  // up to its NUL
    const Case cases[] = {
        {"empty list", kEnd, FALSE, 0, "", FALSE},
        {"root only", Join({kRootItem, kEnd}), FALSE, 0, "", TRUE},
        {"root + key", Join({kRootItem, Item("tree\tApp"), kEnd}), FALSE, 0, "tree\tApp", TRUE},
        {"root + key, required", Join({kRootItem, Item("tree\tApp"), kEnd}), TRUE, 0, "tree\tApp", TRUE},
        {"root + two keys: the last", Join({kRootItem, Item("t\t"), Item("t\tF"), kEnd}), TRUE, 0, "t\tF", TRUE},
        {"keys without root", Join({Item("t\t"), Item("t\tF"), kEnd}), FALSE, 0, "t\tF", FALSE},
        {"keys without root, required", Join({Item("t\t"), Item("t\tF"), kEnd}), TRUE, 0, "", FALSE},
        {"key then root: ends at the root", Join({Item("t\tF"), kRootItem, kEnd}), FALSE, 0, "", TRUE},
        // The last item is short and the list ends after it: nothing past
        // the list is read (the copy is exact, so the sanitizer would tell).
        {"cb 4 before garbage", Join({{0x04, 0x00, 'a', 'b'}, kEnd}), FALSE, unknown, "ab", FALSE},
        {"cb 4 before garbage, required", Join({{0x04, 0x00, 'a', 'b'}, kEnd}), TRUE, unknown, "", FALSE},
        {"short items carrying the identifier", shortItems, FALSE, 0, shortKey.c_str(), FALSE},
        {"short items carrying the identifier, required", shortItems, TRUE, 0, "", FALSE},
        {"cb 1 ends the walk", Join({Item("t\tA"), {0x01, 0x00}, garbage}), FALSE, unknown, "t\tA", FALSE},
        {"cb 1 first", Join({{0x01, 0x00}, garbage}), FALSE, unknown, "", FALSE},
        {"key without NUL stops at the item's end", Join({{0x05, 0x00, 'a', 'b', 'c'}, kEnd}), FALSE, 0, "abc", FALSE},
        {"key with bytes after its NUL", Join({{0x07, 0x00, 'a', 0x00, 'x', 'y', 'z'}, kEnd}), FALSE, 0, "a", FALSE},
        {"sized: item runs past the size", Join({kRootItem, {0x30, 0x00, 'a', 'b'}}), FALSE, 0, "", FALSE},
        {"sized: no terminator inside", Join({kRootItem, Item("k")}), FALSE, 0, "", FALSE},
        {"sized: last item fits, terminator cut", Join({Item("k"), {0x00}}), FALSE, 0, "", FALSE},
    };
    for (const Case& c : cases) {
        // An exact copy: the sanitizer sees any read past the list.
        Bytes bytes = c.list;
        size_t size = c.size == 0 ? bytes.size() : c.size;
        CString key = "stale";
        BOOL root = ItemKeyFromIdList(reinterpret_cast<LPCITEMIDLIST>(bytes.data()), key, c.requireRoot, size);
        EXPECT_STREQ(key, c.key) << c.what;
        EXPECT_EQ(root, c.root) << c.what;
    }
    CString key = "stale";
    EXPECT_FALSE(ItemKeyFromIdList(nullptr, key, FALSE));
    EXPECT_STREQ(key, "");
    CItemIdList both = RootIdList() + CItemIdList("tree\tApp");
    EXPECT_TRUE(both.GetItemKey(key, TRUE));
    EXPECT_STREQ(key, "tree\tApp");
}

}  // namespace
