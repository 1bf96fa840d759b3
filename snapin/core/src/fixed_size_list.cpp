#include "snapin/core/fixed_size_list.h"

#include <cstdlib>
#include <cstring>

// A block: the link to the next block, then the entry's bytes.
struct CFixedSizeList::Block {
    Block* next;
    unsigned char bytes[1];
};

CFixedSizeList::CFixedSizeList(DWORD entrySize) : m_entrySize(entrySize) {}

CFixedSizeList::~CFixedSizeList() { RemoveAll(); }

DWORD CFixedSizeList::Add(const void* entry) {
    if (!entry) return 0;
    auto* block = static_cast<Block*>(std::calloc(1, sizeof(Block) + m_entrySize));
    if (!block) return 0;
    std::memcpy(block->bytes, entry, m_entrySize);
    if (m_last)
        m_last->next = block;
    else
        m_first = block;
    m_last = block;
    return ++m_count;
}

void* CFixedSizeList::GetAt(DWORD index) const {
    if (index >= m_count) return nullptr;
    if (!m_cursor || index < m_currentIndex) {
        m_cursor = m_first;
        m_currentIndex = 0;
    }
    while (m_currentIndex < index) {
        m_cursor = m_cursor->next;
        ++m_currentIndex;
    }
    return m_cursor->bytes;
}

void CFixedSizeList::RemoveAll() {
    for (Block* block = m_first; block;) {
        Block* next = block->next;
        std::free(block);
        block = next;
    }
    m_first = m_last = m_cursor = nullptr;
    m_count = 0;
    m_currentIndex = 0;
}
