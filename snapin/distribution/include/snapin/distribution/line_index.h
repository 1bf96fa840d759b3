// CLineIndex: how many lines of a list show each key, for the duplicate
// test of pages that hold many thousands of lines. Keys are byte strings
// compared exactly (callers fold case first). The slots live in one array
// (open addressing) and the keys' bytes in one buffer, so counting a line
// allocates nothing once the table has grown to its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CLineIndex {
public:
    // Counts a line of `key`. With `duplicates` false a key already counted
    // is left as it is. Answers whether the key was new.
    bool Add(std::string_view key, bool duplicates);
    // Takes a line of `key` away; the key goes with its last line.
    void Remove(std::string_view key);
    bool Contains(std::string_view key) const;
    // How many keys have lines.
    size_t Size() const { return m_live; }
    void Clear();

private:
    // 16 bytes: a table of a million keys stays in 16 MB.
    struct Slot {
        uint32_t hash = 0;    // the key's hash, low bits
        uint32_t offset = 0;  // of the key's bytes in m_keys
        uint32_t length = 0;
        int32_t lines = 0;    // 0: never used; kGone: its key has gone
    };
    static constexpr int32_t kGone = -1;

    // The slot holding `key`, or -1.
    std::ptrdiff_t Find(std::string_view key, uint32_t hash) const;
    std::string_view KeyOf(const Slot& slot) const { return std::string_view(m_keys).substr(slot.offset, slot.length); }
    // Rebuilds the table with room for one more key, without the slots of
    // gone keys (their bytes go too).
    void Rebuild();

    std::vector<Slot> m_slots;  // a power of two of them, or none
    size_t m_used = 0;          // slots used, gone keys included
    size_t m_live = 0;
    std::string m_keys;
};
