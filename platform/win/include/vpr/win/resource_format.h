// The resource container of our modules and the records it holds: string
// blocks, dialog templates, menus, accelerators, the version. One encoder and
// one decoder per record, shared by the resource compiler (vprrc), the module
// loader and the window system. The byte layouts are in
// docs/resource_format.md; every field is written and read little-endian,
// byte by byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "vpr/win/types.h"

namespace vpr::win {

// Resource types of the container.
enum ResourceType : uint16_t {
    kResCursor = 1,
    kResBitmap = 2,
    kResIcon = 3,
    kResMenu = 4,
    kResDialog = 5,
    kResString = 6,
    kResAccelerator = 9,
    kResRcData = 10,
    kResGroupCursor = 12,
    kResGroupIcon = 14,
    kResVersion = 16,
};

// A resource type or name: a 16-bit number or a text. Texts compare without
// regard to case.
struct ResourceId {
    bool isNumber = true;
    uint16_t number = 0;
    std::string name;

    static ResourceId Number(uint16_t number) { return {true, number, {}}; }
    static ResourceId Name(std::string name) { return {false, 0, std::move(name)}; }
    bool Matches(const ResourceId& other) const;
    std::string ToString() const;  // "#12" or the name
};

struct ResourceEntry {
    ResourceId type;
    ResourceId name;
    std::vector<uint8_t> data;
};

// The container: a header with a checksum, then the entries one after another.
std::vector<uint8_t> EncodeContainer(const std::vector<ResourceEntry>& entries);
// False when the bytes are not a whole, undamaged container.
bool DecodeContainer(const uint8_t* data, size_t size, std::vector<ResourceEntry>* entries);
// True when the bytes begin with the container's magic.
bool HasContainerMagic(const uint8_t* data, size_t size);

// A module file carries its container at its end, followed by a trailer; a
// resource-only library is a bare container. Reads the container bytes of a
// host file: false with a Windows error code when the file cannot be read,
// ERROR_RESOURCE_DATA_NOT_FOUND when it carries no container.
bool ReadModuleContainer(const std::string& hostPath, std::vector<uint8_t>* container,
                         DWORD* error);
// Puts the container into a host file: a file that is a bare container (or
// does not exist) becomes the new container; any other file gets it appended
// with a trailer, replacing the one it carried. Returns a Windows error code.
DWORD WriteModuleContainer(const std::string& hostPath, const std::vector<uint8_t>& container);

// String table: strings are kept in blocks of 16; string id N lives in block
// N / 16 + 1 at index N % 16. An empty text is a missing string.
std::vector<uint8_t> EncodeStringBlock(const std::array<std::string, 16>& strings);
bool DecodeStringBlock(const uint8_t* data, size_t size, std::array<std::string, 16>* strings);

// Dialog template. Coordinates are dialog units; a control's text may be a
// number (the resource id of an icon or bitmap) or a text.
struct DialogControl {
    std::string className;  // "BUTTON", "EDIT", "STATIC", "LISTBOX", "COMBOBOX", or a custom class
    ResourceId text = ResourceId::Name("");
    int32_t id = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::optional<ResourceId> menu;
    std::string className;  // empty: the standard dialog class
    std::string caption;
    uint16_t pointSize = 0;  // 0: no font given
    std::string fontName;
    std::vector<DialogControl> controls;
};

std::vector<uint8_t> EncodeDialog(const DialogTemplate& dialog);
bool DecodeDialog(const uint8_t* data, size_t size, DialogTemplate* dialog);

// Menu: a tree of items; an item with kMenuPopup carries children.
struct MenuItem {
    uint32_t flags = 0;  // MF_* values: grayed 0x1, disabled 0x2, checked 0x8, popup 0x10,
                         // menu bar break 0x20, menu break 0x40, separator 0x800, help 0x4000
    uint32_t id = 0;
    std::string text;
    std::vector<MenuItem> children;
};
constexpr uint32_t kMenuPopup = 0x10;
constexpr uint32_t kMenuSeparator = 0x800;

std::vector<uint8_t> EncodeMenu(const std::vector<MenuItem>& items);
bool DecodeMenu(const uint8_t* data, size_t size, std::vector<MenuItem>* items);

// Accelerator table entries; flags are FVIRTKEY 0x1, FNOINVERT 0x2, FSHIFT 0x4,
// FCONTROL 0x8, FALT 0x10.
struct Accelerator {
    uint16_t flags = 0;
    uint16_t key = 0;
    uint16_t id = 0;
};

std::vector<uint8_t> EncodeAccelerators(const std::vector<Accelerator>& table);
bool DecodeAccelerators(const uint8_t* data, size_t size, std::vector<Accelerator>* table);

// The version resource: four 16-bit parts per version (major first), the
// fixed flags, and string tables keyed by language and code page ("040904E4").
struct VersionStringTable {
    std::string key;
    std::vector<std::pair<std::string, std::string>> values;
};

struct VersionResource {
    std::array<uint16_t, 4> fileVersion{};
    std::array<uint16_t, 4> productVersion{};
    uint32_t fileFlags = 0;
    uint32_t fileOs = 0x40004;  // NT and Windows 32-bit
    uint32_t fileType = 0;      // 1 program, 2 library
    uint32_t fileSubtype = 0;
    std::vector<VersionStringTable> tables;

    // Sets a value in the table of that key, adding table and value as needed.
    void SetString(const std::string& key, const std::string& name, const std::string& value);
};

std::vector<uint8_t> EncodeVersion(const VersionResource& version);
bool DecodeVersion(const uint8_t* data, size_t size, VersionResource* version);

// Parses "a.b.c.d" (one to four parts, missing ones 0, each 0..65535).
bool ParseVersionText(const std::string& text, std::array<uint16_t, 4>* parts);
std::string VersionText(const std::array<uint16_t, 4>& parts);

// Rewrites the file and product version of the container carried by a host
// file, and its "FileVersion" and "ProductVersion" strings. A container
// without a version gets one. Returns a Windows error code.
DWORD StampModuleVersion(const std::string& hostPath, const std::array<uint16_t, 4>& version);

}  // namespace vpr::win
