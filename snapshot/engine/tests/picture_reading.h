// A picture file as lines of text, for tests: "dir PATH", "file NAME SIZE",
// "key KEY", "value NAME TYPE LENGTH", "item GROUP|TEXT3"; "error" ends a
// damaged file.
#pragma once

#include <string>
#include <vector>

namespace snapshot::testing {

std::vector<std::string> PictureRecords(const std::string& windowsPath);

}  // namespace snapshot::testing
