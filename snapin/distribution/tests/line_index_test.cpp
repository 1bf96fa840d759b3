#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "snapin/distribution/line_index.h"

namespace {

TEST(LineIndexTest, CountsLinesPerKey) {
    CLineIndex index;
    EXPECT_FALSE(index.Contains("A"));
    EXPECT_TRUE(index.Add("A", false));
    EXPECT_FALSE(index.Add("A", false));  // no second line without duplicates
    EXPECT_FALSE(index.Add("A", true));   // a second line
    EXPECT_TRUE(index.Add(std::string("A\0B", 3), false));  // zero bytes are part of the key
    EXPECT_TRUE(index.Add("", false));
    EXPECT_EQ(index.Size(), 3u);
    index.Remove("A");
    EXPECT_TRUE(index.Contains("A"));  // one line left
    index.Remove("A");
    EXPECT_FALSE(index.Contains("A"));
    index.Remove("A");  // nothing left to take
    EXPECT_TRUE(index.Contains(std::string("A\0B", 3)));
    EXPECT_FALSE(index.Contains("A\0C"));
    index.Clear();
    EXPECT_FALSE(index.Contains(""));
    EXPECT_EQ(index.Size(), 0u);
}

// Against a map of counts: random lines of a few hundred keys added and
// taken away, so that keys go, come back and the table grows and is
// rebuilt over gone keys many times.
TEST(LineIndexTest, AgreesWithAMapOfCounts) {
    std::mt19937 random(20261211);
    std::map<std::string, int> model;
    CLineIndex index;
    for (int step = 0; step < 200000; ++step) {
        std::string key = "KEY" + std::to_string(random() % 400) + std::string(random() % 3, 'X');
        int operation = static_cast<int>(random() % 5);
        if (operation == 0) {
            index.Remove(key);
            if (auto it = model.find(key); it != model.end() && --it->second == 0) model.erase(it);
        } else {
            bool duplicates = operation == 1;
            bool isNew = !model.count(key);
            ASSERT_EQ(index.Add(key, duplicates), isNew) << key << " at step " << step;
            if (isNew || duplicates) ++model[key];
        }
        if (step % 997 == 0) {
            ASSERT_EQ(index.Size(), model.size()) << "at step " << step;
            for (int k = 0; k < 400; ++k) {
                std::string probe = "KEY" + std::to_string(k);
                ASSERT_EQ(index.Contains(probe), model.count(probe) == 1) << probe << " at step " << step;
            }
        }
    }
}

}  // namespace
