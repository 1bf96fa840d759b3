#include "snapin/distribution/line_index.h"

#include <functional>
#include <limits>
#include <stdexcept>

namespace {

uint32_t HashOf(std::string_view key) { return static_cast<uint32_t>(std::hash<std::string_view>{}(key)); }

}  // namespace

std::ptrdiff_t CLineIndex::Find(std::string_view key, uint32_t hash) const {
    if (m_slots.empty()) return -1;
    size_t mask = m_slots.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (slot.lines == 0) return -1;
        if (slot.lines > 0 && slot.hash == hash && KeyOf(slot) == key) return static_cast<std::ptrdiff_t>(at);
    }
}

bool CLineIndex::Add(std::string_view key, bool duplicates) {
    uint32_t hash = HashOf(key);
    std::ptrdiff_t found = Find(key, hash);
    if (found >= 0) {
        if (duplicates) ++m_slots[static_cast<size_t>(found)].lines;
        return false;
    }
    // At most three quarters of the slots used keeps probe runs short.
    if ((m_used + 1) * 4 > m_slots.size() * 3) Rebuild();
    if (m_keys.size() + key.size() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("the keys of a line index passed 4 GB");
    size_t mask = m_slots.size() - 1;
    size_t at = hash & mask;
    while (m_slots[at].lines != 0) at = (at + 1) & mask;
    m_slots[at] = Slot{hash, static_cast<uint32_t>(m_keys.size()), static_cast<uint32_t>(key.size()), 1};
    m_keys.append(key);
    ++m_used;
    ++m_live;
    return true;
}

void CLineIndex::Remove(std::string_view key) {
    std::ptrdiff_t found = Find(key, HashOf(key));
    if (found < 0) return;
    // A gone key keeps its slot used, so that keys placed past it are
    // still found; Rebuild drops it.
    Slot& slot = m_slots[static_cast<size_t>(found)];
    if (--slot.lines == 0) {
        slot.lines = kGone;
        --m_live;
    }
}

bool CLineIndex::Contains(std::string_view key) const { return Find(key, HashOf(key)) >= 0; }

void CLineIndex::Clear() {
    m_slots.clear();
    m_keys.clear();
    m_used = m_live = 0;
}

void CLineIndex::Rebuild() {
    // Half full at most with the key to come.
    size_t size = 16;
    while ((m_live + 1) * 2 > size) size *= 2;
    std::vector<Slot> slots(size);
    // The bytes of gone keys are dropped when there are any.
    bool compact = m_live != m_used;
    std::string keys;
    if (compact) keys.reserve(m_keys.size());
    for (const Slot& slot : m_slots) {
        if (slot.lines <= 0) continue;
        size_t at = slot.hash & (size - 1);
        while (slots[at].lines != 0) at = (at + 1) & (size - 1);
        slots[at] = slot;
        if (compact) {
            slots[at].offset = static_cast<uint32_t>(keys.size());
            keys.append(KeyOf(slot));
        }
    }
    m_slots = std::move(slots);
    if (compact) m_keys = std::move(keys);
    m_used = m_live;
}
