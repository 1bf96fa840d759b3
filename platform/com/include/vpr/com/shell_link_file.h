// Shortcut files (.lnk) in the public Shell Link binary format, one codec for
// every writer and reader: the 76-byte header (class identifier
// {00021401-0000-0000-C000-000000000046}), the target identifier list, the
// link information with the local base path, the string data and the extra
// data blocks up to the terminal block. Little-endian, byte for byte.
//
// Writing: strings in UTF-16 (the Unicode flag set), the presence flags from
// the fields present. Reading: ANSI or UTF-16 strings; extra blocks are kept
// as they stand whatever their signature. A file whose identifier list is
// malformed (an item count below 2 before the end, an item past the list or
// the file) or whose parts run past the file is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vpr/com/id_list.h"

namespace vpr::com {

constexpr uint32_t kLinkHasIdList = 0x00000001;
constexpr uint32_t kLinkHasLinkInfo = 0x00000002;
constexpr uint32_t kLinkHasName = 0x00000004;
constexpr uint32_t kLinkHasRelativePath = 0x00000008;
constexpr uint32_t kLinkHasWorkingDir = 0x00000010;
constexpr uint32_t kLinkHasArguments = 0x00000020;
constexpr uint32_t kLinkHasIconLocation = 0x00000040;
constexpr uint32_t kLinkIsUnicode = 0x00000080;
constexpr uint32_t kShellLinkHeaderSize = 76;

// The link information's volume and local base path.
struct ShellLinkInfo {
    uint32_t driveType = 3;  // DRIVE_FIXED
    uint32_t driveSerialNumber = 0;
    std::string volumeLabel;
    std::string localBasePath;
    std::string commonPathSuffix;
    bool operator==(const ShellLinkInfo&) const = default;
};

struct ShellLinkExtraBlock {
    uint32_t signature = 0;
    std::vector<uint8_t> data;  // after size and signature
    bool operator==(const ShellLinkExtraBlock&) const = default;
};

// One shortcut. Texts are in the machine's ANSI code page.
struct ShellLink {
    // Flags other than the presence flags and the Unicode flag, kept as read.
    uint32_t otherFlags = 0;
    uint32_t fileAttributes = 0;
    uint64_t creationTime = 0;  // FILETIME values
    uint64_t accessTime = 0;
    uint64_t writeTime = 0;
    uint32_t fileSize = 0;
    int32_t iconIndex = 0;
    uint32_t showCommand = 1;  // SW_SHOWNORMAL
    uint16_t hotKey = 0;
    IdListBytes idList;  // items and terminator; empty: none
    std::optional<ShellLinkInfo> linkInfo;
    std::optional<std::string> name;  // the description
    std::optional<std::string> relativePath;
    std::optional<std::string> workingDirectory;
    std::optional<std::string> arguments;
    std::optional<std::string> iconLocation;
    std::vector<ShellLinkExtraBlock> extraBlocks;
    bool operator==(const ShellLink&) const = default;
};

std::vector<uint8_t> EncodeShellLink(const ShellLink& link);
// False with a reason when the bytes are no shortcut or are malformed.
bool DecodeShellLink(const uint8_t* data, size_t size, ShellLink* link, std::string* error);

// A shortcut to a file-system path: its identifier list, its link
// information and the target's attributes and size when it exists.
ShellLink ShellLinkToPath(const std::string& windowsPath);
// The target path: the link information's local base path and suffix, else
// the path of the identifier list; empty when neither names a path.
std::string ShellLinkTargetPath(const ShellLink& link);

// Files by Windows name; the write replaces the file whole or leaves it.
bool ReadShellLinkFile(const std::string& windowsPath, ShellLink* link, std::string* error);
bool WriteShellLinkFile(const std::string& windowsPath, const ShellLink& link, std::string* error);

}  // namespace vpr::com
