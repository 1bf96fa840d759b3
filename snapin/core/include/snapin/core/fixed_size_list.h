// CFixedSizeList: a singly linked list of entries of one fixed size, each in
// its own zero-filled block that the list owns. The object browser keeps its
// class filters and the objects the user chose in two of them.
#pragma once

#include "windows.h"

class CFixedSizeList {
public:
    explicit CFixedSizeList(DWORD entrySize);
    ~CFixedSizeList();
    CFixedSizeList(const CFixedSizeList&) = delete;
    CFixedSizeList& operator=(const CFixedSizeList&) = delete;

    // Appends a copy of the entry-size bytes at `entry`. Returns the new
    // count, or 0 when no block can be had or `entry` is null (the list is
    // then unchanged).
    DWORD Add(const void* entry);
    DWORD GetCount() const { return m_count; }
    // Entry i (0-based), or null when i is not below the count.
    void* GetAt(DWORD index) const;
    DWORD GetEntrySize() const { return m_entrySize; }
    // Frees every block; the count is 0 after.
    void RemoveAll();

private:
    struct Block;

    DWORD m_entrySize;
    DWORD m_count = 0;
    // Lookups of the next index go on from the cursor rather than from the
    // first block, so that walking the list in order stays linear.
    mutable DWORD m_currentIndex = 0;
    Block* m_first = nullptr;
    Block* m_last = nullptr;
    mutable Block* m_cursor = nullptr;
};
