// The directory client calls the library's entry points share: reading an
// object's attributes into memory and applying one modify request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vpr/directory/client.h"

namespace vpr::launcher {

// One attribute as read: each value in the client's decoded form
// (DirGetResultValue), as one self-contained block of bytes.
struct ReadAttribute {
    std::string name;
    uint32_t syntax = 0;
    std::vector<std::vector<uint8_t>> values;
};

// Reads the named attributes of `object` (all of them when `names` is
// empty). Names the tree's schema does not define are left out.
int ReadAttributes(DIR_CONTEXT context, const std::string& object,
                   const std::vector<std::string>& names, std::vector<ReadAttribute>* out);

// The values of one attribute as texts: names and strings as they are, the
// name of a typed name. Empty when the attribute has no value or cannot be read.
std::vector<std::string> ReadNames(DIR_CONTEXT context, const std::string& object,
                                   const std::string& attribute);

// One change of a modify request; `value` (of `syntax`) may be null.
struct Put {
    int change = 0;
    std::string attribute;
    int syntax = 0;
    const void* value = nullptr;
};

// Applies the changes to `object` in one request.
int Modify(DIR_CONTEXT context, const std::string& object, const std::vector<Put>& puts);

// Text of a value read as a name or string syntax.
std::string ValueText(uint32_t syntax, const std::vector<uint8_t>& decoded);

// A copy of `text` for a list the library hands out (freed with delete[]),
// followed by its NUL and `extraNuls` more.
char* NewText(const std::string& text, size_t extraNuls = 0);

// Copies `text` into a buffer of `size` bytes, cut to fit and terminated.
void CopyText(const std::string& text, char* out, size_t size);

}  // namespace vpr::launcher
