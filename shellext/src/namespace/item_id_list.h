// Item identifier lists of the name-space extension: the byte format of its
// own items, the value class that owns one list, the free functions on raw
// lists and the enumerator the shell folder hands out.
//
// A list is a chain of items, each a u16 count (its own two bytes included)
// followed by its data, and ends with a u16 0. The extension writes two
// kinds of item:
//  - the root item, 20 bytes: u16 20, u16 0x001F, the 16 bytes of the
//    extension's class identifier (u32, u16, u16, 8 bytes, little-endian);
//  - a child item holding one item key: u16 length + 3, the key's bytes,
//    one NUL.
// The lists are stored by the shell (shortcuts, clipboard, view state), so
// they are written and read byte by byte, never through a struct. Every
// block comes from the shell's task allocator.
#pragma once

#include <cstddef>

#include "afxwin.h"
#include "shlobj.h"

// {5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}: the extension's class, its
// name-space root and its junction directories.
DEFINE_GUID(CLSID_VprExplorer, 0x5B2D7E10, 0x4C3A, 0x11D0, 0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B);

// Size of a raw list: the sum of its items' counts plus the terminator; a
// null list counts as empty (2). The list is trusted to end.
UINT IdListSize(LPCITEMIDLIST list);
// Copies the items of `source` one by one, then a terminator; returns the
// place of that terminator, so that a second list can be copied over it.
LPITEMIDLIST CopyIdList(LPITEMIDLIST destination, LPCITEMIDLIST source);

// No size known: the list is walked to its terminator.
constexpr size_t kIdListSizeUnknown = static_cast<size_t>(-1);

// The item key that a list names, and whether the extension's root item
// occurs in it. The walk ends at the terminator, at an item whose count is
// 1, and never reads past `size` bytes when a size is given (a list that runs
// past it is refused: empty key, FALSE). Only items of at least 20 bytes are
// compared with the root item. The key is the text of the last item up to
// its first NUL or the item's end; it is empty for a list without items, for
// a list that ends at the root item, and, with `requireRoot`, for a list
// without the root item. An empty key names the name-space root.
BOOL ItemKeyFromIdList(LPCITEMIDLIST list, CString& key, BOOL requireRoot, size_t size = kIdListSizeUnknown);

// One identifier list owned in one task-allocator block (terminator
// included), or no block (an empty list).
class CItemIdList {
public:
    CItemIdList();
    // A deep copy of a raw list (null: no block).
    explicit CItemIdList(LPCITEMIDLIST list);
    // One child item holding the key.
    explicit CItemIdList(LPCSTR key);
    // One root item whose 16 identifier bytes are the four words in order.
    CItemIdList(DWORD d0, DWORD d1, DWORD d2, DWORD d3);
    CItemIdList(const CItemIdList& other);
    CItemIdList& operator=(const CItemIdList& other);
    virtual ~CItemIdList();

    // This list's items followed by the other's, in one new block.
    void Append(const CItemIdList& other);
    // Size in bytes, terminator included; 2 without a block.
    UINT GetSize() const;
    // Copies the list into `buffer` (GetSize bytes); the size copied, 0
    // without a block.
    UINT CopyTo(LPITEMIDLIST buffer) const;
    // ItemKeyFromIdList on the held list.
    BOOL GetItemKey(CString& key, BOOL requireRoot) const;
    // The held list; null without a block.
    LPCITEMIDLIST GetList() const { return reinterpret_cast<LPCITEMIDLIST>(m_pBlock); }
    operator LPCITEMIDLIST() const { return GetList(); }
    BOOL IsEmpty() const { return m_pBlock == nullptr; }

private:
    BYTE* m_pBlock = nullptr;
};

// The first list followed by the second, built as Append does.
CItemIdList operator+(const CItemIdList& first, const CItemIdList& second);

// The list that holds only the extension's root item (22 bytes).
CItemIdList RootIdList();

// The shell's IEnumIDList over the lists a folder adds before handing it out.
class CEnumItemIdList : public IEnumIDList {
public:
    CEnumItemIdList();
    virtual ~CEnumItemIdList();

    // Appends a copy of the list at the end.
    void Add(const CItemIdList& list);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, LPITEMIDLIST* lists, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumIDList** clone) override;

private:
    ULONG m_cRef = 1;
    vpr::mfc::TypedArray<CItemIdList, const CItemIdList&> m_lists;
    ULONG m_nCurrent = 0;
};
