// Icons of a file read from the file itself: the resource container of a
// program or library through the platform's container reader, an icon file
// through the system's ExtractIconA.
#include "snapin/pages/icon_file.h"

#include <strings.h>

#include <cstring>
#include <string>

#include "vpr/user/images.h"
#include "vpr/user/window.h"
#include "vpr/win/file.h"
#include "vpr/win/path.h"
#include "vpr/win/resource_format.h"
#include "vpr/win/system.h"

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

constexpr size_t kGroupHeader = 6;
constexpr size_t kGroupEntry = 14;
constexpr size_t kFileEntry = 16;

// The number of entries of a well-formed group (type 1, every entry
// present), else 0.
size_t GroupEntries(const std::vector<uint8_t>& group) {
    if (group.size() < kGroupHeader || U16(group.data() + 2) != 1) return 0;
    size_t count = U16(group.data() + 4);
    return group.size() >= kGroupHeader + kGroupEntry * count ? count : 0;
}

const IconResourceTable::Image* FindImage(const IconResourceTable& table, uint16_t id) {
    for (const auto& image : table.images)
        if (image.id == id) return &image;
    return nullptr;
}

// The group `index` of the file's table, or null.
const std::vector<uint8_t>* GroupOf(const IconResourceTable& table, int index) {
    if (index < 0 || static_cast<size_t>(index) >= table.groups.size()) return nullptr;
    return &table.groups[static_cast<size_t>(index)];
}

int NextColorStep(int colors) {
    switch (colors) {
    case 256: return 16;
    case 16: return 8;
    case 8: return 4;
    case 4: return 2;
    case 2: return 256;
    default: return 8;
    }
}

bool IsStandardSide(int side) { return side == 16 || side == 32 || side == 64; }

}  // namespace

bool FindIconResources(const char* fileName, IconResourceTable* table) {
    *table = {};
    std::string hostPath;
    std::vector<uint8_t> container;
    std::vector<vpr::win::ResourceEntry> entries;
    DWORD error = 0;
    if (!fileName || !vpr::win::ResolveHostPath(fileName, &hostPath) ||
        !vpr::win::ReadModuleContainer(hostPath, &container, &error) ||
        !vpr::win::DecodeContainer(container.data(), container.size(), &entries))
        return false;
    for (auto& entry : entries) {
        if (!entry.type.isNumber) continue;
        if (entry.type.number == vpr::win::kResGroupIcon && table->groups.size() < kMaxIconGroups)
            table->groups.push_back(std::move(entry.data));
        else if (entry.type.number == vpr::win::kResIcon && entry.name.isNumber &&
                 table->images.size() < kMaxIconImages)
            table->images.push_back({entry.name.number, std::move(entry.data)});
    }
    return true;
}

bool IsIconFile(HINSTANCE instance, const char* fileName) {
    const char* dot = fileName ? std::strrchr(fileName, '.') : nullptr;
    if (!dot || strncasecmp(dot + 1, "ico", 3) != 0) return false;
    return reinterpret_cast<uintptr_t>(ExtractIconA(instance, fileName, static_cast<UINT>(-1))) >= 1;
}

int IconGroupCount(HINSTANCE instance, const char* fileName) {
    if (IsIconFile(instance, fileName)) return 1;
    IconResourceTable table;
    FindIconResources(fileName, &table);
    return static_cast<int>(table.groups.size());
}

uint16_t ChooseIconFromGroup(const std::vector<uint8_t>& group) {
    int colors = 256;
    if (HDC screen = GetDC(nullptr)) {
        int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
        ReleaseDC(nullptr, screen);
        colors = bits > 0 && bits < 9 ? 1 << bits : 256;
    }
    return ChooseIconFromGroup(group, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), colors);
}

uint16_t ChooseIconFromGroup(const std::vector<uint8_t>& group, int iconWidth, int iconHeight, int displayColors) {
    size_t count = GroupEntries(group);
    if (count == 0) return 0;
    if (displayColors <= 0 || displayColors > 256) displayColors = 256;
    auto entry = [&](size_t i) { return group.data() + kGroupHeader + kGroupEntry * i; };

    const uint8_t* chosen = nullptr;
    int colors = displayColors, width = iconWidth, height = iconHeight;
    int colorSteps = 0, sizeChanges = 0;
    while (!chosen && count > 1) {
        for (size_t i = 0; i < count && !chosen; ++i) {
            const uint8_t* e = entry(i);
            if (e[2] == static_cast<uint8_t>(colors) && e[0] == static_cast<uint8_t>(width) &&
                e[1] == static_cast<uint8_t>(height))
                chosen = e;
        }
        if (chosen) break;
        colors = NextColorStep(colors);
        // Back at the display's colours (or round the whole cycle when the
        // display's count is not on it): try the next size.
        if (colors != displayColors && ++colorSteps < 5) continue;
        colorSteps = 0;
        if (width == 16) {
            width = height = 64;
        } else if (width == 64) {
            width = 32, height = 16;
        } else if (height == 16) {
            width = height = 32;
        } else {
            width = height = 16;
        }
        // The cycle ends back at the system's size, or after its four sizes
        // when the system's size is not one of them.
        if ((width == iconWidth && height == iconHeight) || ++sizeChanges == 4) break;
    }
    if (!chosen) {
        const uint8_t* first = entry(0);
        int firstColors = first[2];
        bool usualColors = firstColors == 0 || firstColors == 2 || firstColors == 4 || firstColors == 8 ||
                           firstColors == 16;
        if (!usualColors || !IsStandardSide(first[0]) || !IsStandardSide(first[1])) return 0;
        chosen = first;
    }
    if (chosen[1] > 128 || chosen[0] > 64) return 0;
    return U16(chosen + 12);
}

HICON CreateIconFromImage(const std::vector<uint8_t>& image) {
    if (image.empty()) return nullptr;
    return CreateIconFromResourceEx(const_cast<LPBYTE>(image.data()), static_cast<DWORD>(image.size()), TRUE,
                                    0x00030000, 0, 0, LR_DEFAULTCOLOR);
}

HICON ExtractIconFromFile(HINSTANCE instance, const char* fileName, int index) {
    if (IsIconFile(instance, fileName)) return index == -1 ? nullptr : ExtractIconA(instance, fileName, 0);
    IconResourceTable table;
    if (!FindIconResources(fileName, &table)) return nullptr;
    const std::vector<uint8_t>* group = GroupOf(table, index);
    if (!group) return nullptr;
    uint16_t id = ChooseIconFromGroup(*group);
    if (id == 0) return nullptr;
    const IconResourceTable::Image* image = FindImage(table, id);
    return image ? CreateIconFromImage(image->data) : nullptr;
}

int BuildIconFileImage(HINSTANCE instance, const char* fileName, int index, uint8_t* buffer) {
    if (!buffer) return 0;
    if (IsIconFile(instance, fileName)) {
        HFILE file = _lopen(fileName, OF_READ);
        if (file == HFILE_ERROR) return 0;
        LONG length = _llseek(file, 0, 2);
        bool fits = length >= 1 && static_cast<size_t>(length) <= kIconImageBufferSize;
        bool whole = fits && _llseek(file, 0, 0) == 0 &&
                     _lread(file, buffer, static_cast<UINT>(length)) == static_cast<UINT>(length);
        _lclose(file);
        return whole ? static_cast<int>(length) : 0;
    }

    IconResourceTable table;
    if (!FindIconResources(fileName, &table)) return 0;
    const std::vector<uint8_t>* group = GroupOf(table, index);
    size_t count = group ? GroupEntries(*group) : 0;
    // A group with no entries, or with more than the image can hold even
    // without pictures, gives no image.
    size_t next = kGroupHeader + kFileEntry * count;
    if (count == 0 || next > kMaxIconImage) return 0;
    std::memset(buffer, 0, next);
    Put16(buffer + 2, 1);
    uint16_t copied = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = group->data() + kGroupHeader + kGroupEntry * i;
        const IconResourceTable::Image* image = FindImage(table, U16(entry + 12));
        if (!image || image->data.empty() || next + image->data.size() > kMaxIconImage) continue;
        std::memcpy(buffer + next, image->data.data(), image->data.size());
        uint8_t* out = buffer + kGroupHeader + kFileEntry * copied;
        out[0] = entry[0];  // width
        out[1] = entry[1];  // height
        out[2] = entry[2];  // colour count
        Put32(out + 8, static_cast<uint32_t>(image->data.size()));
        Put32(out + 12, static_cast<uint32_t>(next));
        next += image->data.size();
        ++copied;
    }
    if (copied == 0) return 0;
    Put16(buffer + 4, copied);
    return static_cast<int>(next);
}
