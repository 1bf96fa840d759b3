// GUIDs as text and as the 16 stored bytes (u32, u16, u16 little-endian, then
// the 8 bytes as they stand).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "objbase.h"

namespace vpr::com {

// "{5B2D7E10-4C3A-11D0-9E61-00A0C9D4F27B}": braces, upper-case hex.
std::string GuidText(REFGUID guid);
// Reads a GUID text with braces, hex of either case; nullopt when malformed.
std::optional<GUID> ParseGuid(std::string_view text);

void GuidToBytes(REFGUID guid, uint8_t bytes[16]);
GUID GuidFromBytes(const uint8_t bytes[16]);

}  // namespace vpr::com
