#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "items/drop_data.h"
#include "vpr/com/id_list.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A list of one item carrying the text, and its terminator.
Bytes KeyList(const std::string& key) {
    Bytes list(key.size() + 3, 0);
    list[0] = static_cast<uint8_t>(key.size() + 3);
    std::memcpy(list.data() + 2, key.data(), key.size());
    list.push_back(0);
    list.push_back(0);
    return list;
}

void PutU32(Bytes& bytes, size_t at, uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

// cidl, the offsets, the lists in order.
Bytes MakeArray(const std::vector<Bytes>& lists) {
    Bytes block(4 + 4 * lists.size(), 0);
    PutU32(block, 0, static_cast<uint32_t>(lists.size() - 1));
    for (size_t i = 0; i < lists.size(); ++i) {
        PutU32(block, 4 + 4 * i, static_cast<uint32_t>(block.size()));
        block.insert(block.end(), lists[i].begin(), lists[i].end());
    }
    return block;
}

TEST(ReadIdListArray, FindsTheParentAndEveryItemInsideTheBlock) {
    Bytes block = MakeArray({KeyList("tree\t"), KeyList("tree\tapp1"), KeyList("tree\tapp2")});
    IdListArray read;
    ASSERT_TRUE(ReadIdListArray(block.data(), block.size(), read));
    ASSERT_EQ(read.items.size(), 2u);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(read.parent), block.data() + 16);
    EXPECT_EQ(vpr::com::CheckIdList(reinterpret_cast<const uint8_t*>(read.parent), 10), 10u);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(read.items[1]) + 2, "tree\tapp2", 10), 0);
    EXPECT_EQ(vpr::com::CheckIdList(reinterpret_cast<const uint8_t*>(read.items[1]), 14), 14u);

    // No child lists at all is a well-formed block.
    Bytes empty = MakeArray({KeyList("tree\t")});
    ASSERT_TRUE(ReadIdListArray(empty.data(), empty.size(), read));
    EXPECT_TRUE(read.items.empty());
}

TEST(ReadIdListArray, RefusesABlockThatDoesNotHoldWhatItSays) {
    const Bytes good = MakeArray({KeyList("tree\t"), KeyList("tree\tapp")});
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
    } cases[] = {
        {"shorter than the count", [](Bytes& b) { b.erase(b.begin() + 3, b.end()); }},
        {"a count beyond the offsets", [](Bytes& b) { PutU32(b, 0, 2); }},
        {"a count of 0xFFFFFFFF", [](Bytes& b) { PutU32(b, 0, 0xFFFFFFFF); }},
        {"an offset past the end", [](Bytes& b) { PutU32(b, 8, static_cast<uint32_t>(b.size())); }},
        {"an offset into the offsets", [](Bytes& b) { PutU32(b, 4, 4); }},
        {"an offset of 0xFFFFFFFF", [](Bytes& b) { PutU32(b, 8, 0xFFFFFFFF); }},
        {"a list without its terminator", [](Bytes& b) { b.pop_back(); }},
        {"an item running past the end", [](Bytes& b) { b[22] = 0x40; }},
        {"an item of count 1", [](Bytes& b) { b[22] = 1; }},
    };
    for (const auto& c : cases) {
        Bytes block = good;
        c.damage(block);
        IdListArray read;
        read.parent = reinterpret_cast<LPCITEMIDLIST>(block.data());
        EXPECT_FALSE(ReadIdListArray(block.data(), block.size(), read)) << c.what;
        EXPECT_EQ(read.parent, nullptr) << c.what;
        EXPECT_TRUE(read.items.empty()) << c.what;
    }
    IdListArray read;
    EXPECT_FALSE(ReadIdListArray(nullptr, 0, read));
}

}  // namespace
