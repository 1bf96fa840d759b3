// Form descriptions: the readable form source and the binary form stream
// that the build compiles it into (docs/forms.md). This is the one encoder
// and the one decoder of the stream; the resource compiler and the form
// reader both go through it. It depends on nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vpr::forms {

// One property value as the source writes it.
struct FormValue {
    enum class Kind : uint8_t {
        kInteger = 1,  // 42, -7, $1F
        kString = 2,   // 'text' ('' for a quote, #13 for a character code)
        kIdent = 3,    // true, false, an enumeration name, a method name
        kSet = 4,      // [ident, ident]
        kList = 5,     // ('line' 'line')
    };
    Kind kind = Kind::kInteger;
    int32_t integer = 0;
    std::string text;                // kString, kIdent
    std::vector<std::string> items;  // kSet: identifiers; kList: strings

    bool operator==(const FormValue&) const = default;
};

struct FormProperty {
    std::string name;  // may be dotted: Font.Name
    FormValue value;
    int line = 0;  // the source line (0 when read from a stream)

    bool operator==(const FormProperty& other) const { return name == other.name && value == other.value; }
};

// One component of a description: the form itself at the root, its
// components below it in creation order.
struct FormObject {
    std::string className;
    std::string name;  // may be empty (a notebook's page)
    std::vector<FormProperty> properties;
    std::vector<FormObject> children;
    int line = 0;

    bool operator==(const FormObject& other) const {
        return className == other.className && name == other.name && properties == other.properties &&
               children == other.children;
    }
};

// How deep components may nest in a stream or a source.
constexpr int kMaxFormDepth = 32;

// The binary stream of a description.
std::vector<uint8_t> EncodeFormStream(const FormObject& root);
// Reads a stream, checking every count and length against the bytes left;
// false with the reason (and the offset) on a damaged or foreign stream.
bool DecodeFormStream(const uint8_t* data, size_t size, FormObject* root, std::string* error);

// Parses the readable source of one form; false with "line N: reason".
bool ParseFormSource(const std::string& text, FormObject* root, std::string* error);

}  // namespace vpr::forms
