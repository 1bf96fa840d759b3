// The shell's own items of identifier lists, and lists as bytes.
//
// A list is its items followed by a u16 0. The shell writes two kinds of item:
//  - a name-space item, 20 bytes: u16 20, u16 0x001F, the 16 bytes of the
//    class identifier of the name space (a desktop name-space entry);
//  - a file-system item, one per path component: u16 count, u8 kind
//    (0x2F the root "C:\" or "\\SERVER\SHARE\", 0x31 a folder, 0x32 a file),
//    u8 0, the component's name in the ANSI code page and a NUL, padded with
//    zero bytes to at least 20 bytes, so that whoever compares 16 bytes at
//    offset 4 of an item stays inside it.
// Items of other kinds (a name space's own) are carried as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shlobj.h"

namespace vpr::com {

// A whole list: items and terminator.
using IdListBytes = std::vector<uint8_t>;

constexpr uint8_t kNameSpaceItemKind = 0x1F;
constexpr uint8_t kRootItemKind = 0x2F;
constexpr uint8_t kFolderItemKind = 0x31;
constexpr uint8_t kFileItemKind = 0x32;
constexpr size_t kNameSpaceItemSize = 20;
constexpr size_t kFileSystemItemMinimum = 20;

// The size of the well-formed list at the start of data[0, size), terminator
// included; 0 when it is malformed: an item count of 1 before the end, or an
// item or the terminator past `size`.
size_t CheckIdList(const uint8_t* data, size_t size);

// Size of a list in memory, terminator included (2 for a null list); the
// list is trusted to be well formed.
size_t IdListSize(LPCITEMIDLIST list);
IdListBytes CopyIdList(LPCITEMIDLIST list);
// Pointer to the first item, empty on an empty list, for each item.
std::vector<LPCITEMIDLIST> IdListItems(LPCITEMIDLIST list);
// The first list's items, then the second's, one terminator.
IdListBytes ConcatIdLists(const IdListBytes& first, const IdListBytes& second);

IdListBytes NameSpaceIdList(REFCLSID clsid);
// The class of a name-space item; nullopt for any other item.
std::optional<CLSID> NameSpaceItemClass(LPCITEMIDLIST item);

// The list of a full Windows path ("C:\A\B.TXT", "\\SERVER\SHARE\A"): one
// item per component, each a folder or a file as the disk says (a missing
// last component counts as a file). nullopt for a name that is no full path.
std::optional<IdListBytes> FileSystemIdList(const std::string& windowsPath);
// The path of a list made only of file-system items from a root; nullopt for
// every other list (the empty list included).
std::optional<std::string> PathFromIdList(LPCITEMIDLIST list);

// The list as one readable line: a name-space item "::{CLSID}", file-system
// items as their path, other items as their text up to the first NUL with
// TAB as "\t" (and other control bytes as "\xNN"); items joined by "\".
// The empty list is "desktop".
std::string IdListText(LPCITEMIDLIST list);

// A copy in the task allocator, followed by 16 zero bytes beyond the
// terminator, so that a walk that compares 16 bytes at offset 4 of a short
// last item stays inside the block. The caller frees it with the task
// allocator.
LPITEMIDLIST TaskMemoryIdList(const IdListBytes& list);

}  // namespace vpr::com
