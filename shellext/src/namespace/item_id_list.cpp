// Identifier lists as bytes: every count is read and written one byte at a
// time, little-endian, so the lists mean the same on every host and at any
// alignment.
#include "namespace/item_id_list.h"

#include <cstring>

namespace {

constexpr UINT kTerminatorSize = 2;
constexpr UINT kRootItemSize = 20;
constexpr BYTE kRootItemKind = 0x1F;
constexpr UINT kIdentifierOffset = 4;
constexpr UINT kIdentifierSize = 16;

const BYTE* Bytes(LPCITEMIDLIST list) { return reinterpret_cast<const BYTE*>(list); }

UINT ReadCount(const BYTE* at) { return static_cast<UINT>(at[0]) | (static_cast<UINT>(at[1]) << 8); }

void WriteCount(BYTE* at, UINT count) {
    at[0] = static_cast<BYTE>(count & 0xFF);
    at[1] = static_cast<BYTE>((count >> 8) & 0xFF);
}

void WriteWord(BYTE* at, DWORD value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>((value >> (8 * i)) & 0xFF);
}

// The class identifier in its binary layout: u32, u16, u16 little-endian,
// then its eight bytes.
struct RootIdentifier {
    BYTE bytes[kIdentifierSize];
    RootIdentifier() {
        const GUID& id = CLSID_VprExplorer;
        WriteWord(bytes, id.Data1);
        bytes[4] = static_cast<BYTE>(id.Data2 & 0xFF);
        bytes[5] = static_cast<BYTE>(id.Data2 >> 8);
        bytes[6] = static_cast<BYTE>(id.Data3 & 0xFF);
        bytes[7] = static_cast<BYTE>(id.Data3 >> 8);
        std::memcpy(bytes + 8, id.Data4, 8);
    }
};

const RootIdentifier& Root() {
    static const RootIdentifier root;
    return root;
}

// An item is the root item when it is long enough to hold an identifier and
// holds the extension's at offset 4.
bool IsRootItem(const BYTE* item, UINT count) {
    return count >= kRootItemSize && std::memcmp(item + kIdentifierOffset, Root().bytes, kIdentifierSize) == 0;
}

// A list's items end at the terminator or at an item counting 1, which
// cannot hold even its own count.
bool EndsList(UINT count) { return count < 2; }

BYTE* NewBlock(UINT size) { return static_cast<BYTE*>(CoTaskMemAlloc(size)); }

BYTE* CopyBlock(const BYTE* list) {
    if (!list) return nullptr;
    UINT size = IdListSize(reinterpret_cast<LPCITEMIDLIST>(list));
    BYTE* block = NewBlock(size);
    if (block) CopyIdList(reinterpret_cast<LPITEMIDLIST>(block), reinterpret_cast<LPCITEMIDLIST>(list));
    return block;
}

}  // namespace

UINT IdListSize(LPCITEMIDLIST list) {
    UINT size = kTerminatorSize;
    if (!list) return size;
    for (const BYTE* at = Bytes(list);;) {
        UINT count = ReadCount(at);
        if (EndsList(count)) break;
        size += count;
        at += count;
    }
    return size;
}

LPITEMIDLIST CopyIdList(LPITEMIDLIST destination, LPCITEMIDLIST source) {
    BYTE* to = reinterpret_cast<BYTE*>(destination);
    if (source) {
        for (const BYTE* from = Bytes(source);;) {
            UINT count = ReadCount(from);
            if (EndsList(count)) break;
            std::memcpy(to, from, count);
            to += count;
            from += count;
        }
    }
    WriteCount(to, 0);
    return reinterpret_cast<LPITEMIDLIST>(to);
}

BOOL ItemKeyFromIdList(LPCITEMIDLIST list, CString& key, BOOL requireRoot, size_t size) {
    key.Empty();
    if (!list) return FALSE;
    const bool sized = size != kIdListSizeUnknown;
    const BYTE* start = Bytes(list);
    const BYTE* last = nullptr;
    UINT lastCount = 0;
    bool root = false;
    for (size_t offset = 0;;) {
        // A sized list must hold its terminator and every item whole.
        if (sized && (offset > size || size - offset < kTerminatorSize)) return FALSE;
        UINT count = ReadCount(start + offset);
        if (EndsList(count)) break;
        if (sized && count > size - offset) return FALSE;
        last = start + offset;
        lastCount = count;
        if (IsRootItem(last, count)) root = true;
        offset += count;
    }
    if (!last || (requireRoot && !root) || IsRootItem(last, lastCount)) return root;
    // The key is the item's text up to its NUL, never past the item's end.
    const char* text = reinterpret_cast<const char*>(last + 2);
    UINT length = 0;
    while (length < lastCount - 2 && text[length]) ++length;
    key = CString(text, static_cast<int>(length));
    return root;
}

CItemIdList::CItemIdList() = default;

CItemIdList::CItemIdList(LPCITEMIDLIST list) : m_pBlock(CopyBlock(Bytes(list))) {}

CItemIdList::CItemIdList(LPCSTR key) {
    UINT length = key ? static_cast<UINT>(std::strlen(key)) : 0;
    // The count is a u16: a key too long for it makes no list.
    if (length + 3 > 0xFFFF) return;
    UINT itemSize = length + 3;
    m_pBlock = NewBlock(itemSize + kTerminatorSize);
    if (!m_pBlock) return;
    WriteCount(m_pBlock, itemSize);
    if (length) std::memcpy(m_pBlock + 2, key, length);
    m_pBlock[2 + length] = 0;
    WriteCount(m_pBlock + itemSize, 0);
}

CItemIdList::CItemIdList(DWORD d0, DWORD d1, DWORD d2, DWORD d3) {
    m_pBlock = NewBlock(kRootItemSize + kTerminatorSize);
    if (!m_pBlock) return;
    WriteCount(m_pBlock, kRootItemSize);
    m_pBlock[2] = kRootItemKind;
    m_pBlock[3] = 0;
    const DWORD words[4] = {d0, d1, d2, d3};
    for (int i = 0; i < 4; ++i) WriteWord(m_pBlock + kIdentifierOffset + 4 * i, words[i]);
    WriteCount(m_pBlock + kRootItemSize, 0);
}

CItemIdList::CItemIdList(const CItemIdList& other) : m_pBlock(CopyBlock(other.m_pBlock)) {}

CItemIdList& CItemIdList::operator=(const CItemIdList& other) {
    if (&other == this) return *this;
    CoTaskMemFree(m_pBlock);
    m_pBlock = CopyBlock(other.m_pBlock);
    return *this;
}

CItemIdList::~CItemIdList() { CoTaskMemFree(m_pBlock); }

void CItemIdList::Append(const CItemIdList& other) {
    UINT size = GetSize() + other.GetSize() - kTerminatorSize;
    BYTE* block = NewBlock(size);
    if (!block) return;
    LPITEMIDLIST end = CopyIdList(reinterpret_cast<LPITEMIDLIST>(block), GetList());
    CopyIdList(end, other.GetList());
    CoTaskMemFree(m_pBlock);
    m_pBlock = block;
}

UINT CItemIdList::GetSize() const { return IdListSize(GetList()); }

UINT CItemIdList::CopyTo(LPITEMIDLIST buffer) const {
    if (!m_pBlock || !buffer) return 0;
    CopyIdList(buffer, GetList());
    return GetSize();
}

BOOL CItemIdList::GetItemKey(CString& key, BOOL requireRoot) const {
    return ItemKeyFromIdList(GetList(), key, requireRoot);
}

CItemIdList operator+(const CItemIdList& first, const CItemIdList& second) {
    CItemIdList both(first);
    both.Append(second);
    return both;
}

CItemIdList RootIdList() {
    const BYTE* id = Root().bytes;
    auto word = [id](int i) {
        const BYTE* at = id + 4 * i;
        return static_cast<DWORD>(at[0]) | (static_cast<DWORD>(at[1]) << 8) | (static_cast<DWORD>(at[2]) << 16) |
               (static_cast<DWORD>(at[3]) << 24);
    };
    return CItemIdList(word(0), word(1), word(2), word(3));
}
