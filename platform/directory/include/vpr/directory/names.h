// Typeless dotted names: "jdoe.sales.acme" names jdoe in the unit sales of the
// organization acme. A name with a leading period is complete; one without is
// completed with the context's name context. "[Root]" names the tree's root.
// Components may carry a type ("CN=jdoe.OU=sales.O=acme"); it is dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vpr::directory {

// A full name as its components from the leaf up; empty means "[Root]".
using NameParts = std::vector<std::string>;

constexpr size_t kMaxComponentBytes = 64;
constexpr size_t kMaxFullNameBytes = 256;

// Parses `text` against the name context (itself a full name). Returns
// DIR_SUCCESS or DIR_ERR_BAD_NAME.
int ParseName(std::string_view text, const NameParts& nameContext, NameParts* out);
// "jdoe.sales.acme", or "[Root]" for the root.
std::string FormatName(const NameParts& parts);
// The name relative to the name context when it lies beneath it (no leading
// period), else the complete name with a leading period.
std::string AbbreviateName(const NameParts& name, const NameParts& nameContext);
// Object names compare without regard to ASCII case.
std::string FoldCase(std::string_view text);
bool SameName(std::string_view a, std::string_view b);
bool SameName(const NameParts& a, const NameParts& b);
// True when `inner` lies beneath `outer` or is `outer`.
bool IsWithin(const NameParts& inner, const NameParts& outer);

}  // namespace vpr::directory
