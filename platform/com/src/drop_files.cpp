// Dropped files: the DROPFILES block and its reading.
#include <cstring>

#include "shellapi.h"
#include "vpr/com/drop_files.h"
#include "vpr/locale/locale.h"

namespace vpr::com {

HGLOBAL MakeDropFiles(const std::vector<std::string>& paths) {
    std::string list;
    for (const auto& path : paths) list += path + '\0';
    list += '\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    if (!block) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(block);
    return block;
}

std::vector<std::string> DropFilesPaths(HGLOBAL block) {
    std::vector<std::string> out;
    SIZE_T size = GlobalSize(block);
    auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
    if (!bytes || size < sizeof(DROPFILES)) {
        if (bytes) GlobalUnlock(block);
        return out;
    }
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof(header));
    // Names stay inside the block: a list without its end stops at the block's.
    if (header.fWide) {
        std::u16string name;
        for (SIZE_T i = header.pFiles; i + 1 < size; i += 2) {
            char16_t c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
            if (c) {
                name.push_back(c);
                continue;
            }
            if (name.empty()) break;
            out.push_back(vpr::locale::FromWide(name));
            name.clear();
        }
    } else {
        std::string name;
        for (SIZE_T i = header.pFiles; i < size; ++i) {
            if (bytes[i]) {
                name.push_back(static_cast<char>(bytes[i]));
                continue;
            }
            if (name.empty()) break;
            out.push_back(name);
            name.clear();
        }
    }
    GlobalUnlock(block);
    return out;
}

}  // namespace vpr::com

UINT WINAPI DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size) {
    std::vector<std::string> paths = vpr::com::DropFilesPaths(drop);
    if (index == 0xFFFFFFFF) return static_cast<UINT>(paths.size());
    if (index >= paths.size()) return 0;
    const std::string& path = paths[index];
    if (!file) return static_cast<UINT>(path.size());
    if (size == 0) return 0;
    size_t count = std::min<size_t>(path.size(), size - 1);
    std::memcpy(file, path.data(), count);
    file[count] = 0;
    return static_cast<UINT>(count);
}

BOOL WINAPI DragQueryPoint(HDROP drop, POINT* point) {
    if (!point || GlobalSize(drop) < sizeof(DROPFILES)) return FALSE;
    auto* header = static_cast<const DROPFILES*>(GlobalLock(drop));
    *point = header->pt;
    BOOL client = !header->fNC;
    GlobalUnlock(drop);
    return client;
}

void WINAPI DragFinish(HDROP drop) { GlobalFree(drop); }
