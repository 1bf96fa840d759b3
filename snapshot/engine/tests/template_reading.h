// A template as lines of text, for tests: one line an entry,
// "kind.subtype|fixed values...|fields..." with texts as they stand, a
// registry value's data of a binary type in hex. Reading goes through the
// template library's own reader. "error N" when it fails.
#pragma once

#include <string>
#include <vector>

namespace snapshot::testing {

std::vector<std::string> TemplateLines(const std::string& windowsPath);

}  // namespace snapshot::testing
