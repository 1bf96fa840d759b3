// Icons of a file, read from the file itself: the icon groups of a program
// or library (the resource container it carries, read without loading it),
// or the icon of an icon file (.ICO). Used by the icon browser to list the
// icons and to hand back the chosen one as a handle and as icon-file bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vpr/user/gdi.h"

// What one file holds of icons: its icon groups (each a 6-byte header and
// 14-byte entries) and its icon images with their ids, in the order the file
// keeps them. At most kMaxIconGroups and kMaxIconImages are indexed.
struct IconResourceTable {
    struct Image {
        uint16_t id = 0;
        std::vector<uint8_t> data;
    };
    std::vector<std::vector<uint8_t>> groups;
    std::vector<Image> images;
};
constexpr size_t kMaxIconGroups = 120;
constexpr size_t kMaxIconImages = 840;

// The icon-file image handed back is at most this long; callers give a
// buffer of kIconImageBufferSize zeroed bytes.
constexpr size_t kMaxIconImage = 32766;
constexpr size_t kIconImageBufferSize = 32767;

// Fills the table from the resource container the file carries. False, with
// an empty table, when the file cannot be read, carries no container or a
// damaged one.
bool FindIconResources(const char* fileName, IconResourceTable* table);

// An icon file: the name's extension begins with "ico" (any case) and the
// system reads at least one icon from it.
bool IsIconFile(HINSTANCE instance, const char* fileName);

// The number of icon groups of the file: 1 for an icon file.
int IconGroupCount(HINSTANCE instance, const char* fileName);

// The best image of group `index` as a new icon the caller destroys; null
// when the file, the group or a fitting image is missing or damaged.
HICON ExtractIconFromFile(HINSTANCE instance, const char* fileName, int index);

// Writes group `index` as the bytes of an icon file into `buffer`
// (kIconImageBufferSize bytes); the number of bytes, 0 on failure.
int BuildIconFileImage(HINSTANCE instance, const char* fileName, int index, uint8_t* buffer);

// The icon id of the group's image that suits the display best, 0 when none
// may be shown: the system icon size and the display's colours first, then
// fewer colours, then the other sizes. The second form takes the wanted size
// and colour count (0 or above 256 counts as 256) instead of the system's.
uint16_t ChooseIconFromGroup(const std::vector<uint8_t>& group);
uint16_t ChooseIconFromGroup(const std::vector<uint8_t>& group, int iconWidth, int iconHeight, int displayColors);

// An icon from one icon image (bitmap header with doubled height, colours,
// colour bits, mask bits), at the image's own size.
HICON CreateIconFromImage(const std::vector<uint8_t>& image);
