// Attribute values between the forms callers hand to DirPutValue (and get from
// DirGetResultValue) and the stored form: little-endian bytes per syntax.
//   text syntaxes (1, 2, 3, 4, 5, 10, 20, 21): the bytes without terminator;
//     names (1, and the stream's object name) as complete typeless names
//   boolean, integer, time (7, 8, 24): u32
//   octet string (9): the bytes
//   typed name (25): u32 level, u32 interval, name bytes
//   object ACL (17): u32 privileges, u32 attribute length, attribute bytes,
//     trustee bytes
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vpr/directory/names.h"
#include "vpr/directory/store.h"

namespace vpr::directory {

void PutU32(std::vector<uint8_t>* bytes, uint32_t value);
uint32_t GetU32(const uint8_t* bytes);

bool IsKnownSyntax(uint32_t syntax);
bool IsTextSyntax(uint32_t syntax);

// From the caller's form; names are completed with the name context.
int EncodeValue(uint32_t syntax, const void* value, const NameParts& nameContext, Value* out);
// Whether stored bytes are a value of their syntax as EncodeValue lays it
// out: DIR_SUCCESS, or DIR_ERR_DAMAGED_VALUE with `why` (when given) saying
// what is wrong (too short, a length past the end, a NUL inside a text, an
// unknown syntax). Every reader of stored bytes asks this first, so a damaged
// store never makes a read or write outside a value.
int CheckValue(const Value& value, std::string* why = nullptr);
// Bytes the caller's form of the value takes (DirComputeValueSize);
// DIR_ERR_DAMAGED_VALUE for a value that does not decode.
int DecodedSize(const Value& value, size_t* size);
// Fills `out` (DecodedSize bytes) with the caller's form; pointers inside it
// point into `out` itself. DIR_ERR_DAMAGED_VALUE, with `out` untouched, for a
// value that does not decode.
int DecodeValue(const Value& value, void* out);
// The whole decoding of stored bytes, from outside bytes to the caller's form
// in `out`: what the reply readers do with a stored value (and what a fuzz
// target drives).
int DecodeStoredValue(uint32_t syntax, const uint8_t* bytes, size_t size,
                      std::vector<uint8_t>* out);
// Equality under the syntax's matching rule.
bool SameValue(const Value& a, const Value& b);

// Parts of a decoded typed name or ACL value.
struct TypedNameParts {
    std::string name;
    uint32_t level = 0;
    uint32_t interval = 0;
};
struct AclParts {
    std::string attribute;
    std::string trustee;
    uint32_t privileges = 0;
};
// False for another syntax or a value that does not decode.
bool SplitTypedName(const Value& value, TypedNameParts* out);
bool SplitAcl(const Value& value, AclParts* out);
Value MakeAcl(const AclParts& acl);
Value MakeText(uint32_t syntax, std::string_view text);
Value MakeInteger(uint32_t syntax, uint32_t number);

// Text forms used by the vprdir command and dumps:
//   names and strings as they stand, integers in decimal or 0x hex, octet
//   strings as text or "hex:0a1b..", typed names "name;level;interval",
//   ACLs "attribute;trustee;rights".
int ValueFromText(uint32_t syntax, std::string_view text, Value* out);
// A value that does not decode shows as "?".
std::string ValueToText(const Value& value);

}  // namespace vpr::directory
