// The check the wizard makes of the template's directory and the new-files
// directory before the first picture, shared with imprxcmd.
#pragma once

#include <string>

namespace snapshot {

// Creates the directory with every missing parent (a path is split at its
// last backslash, and the parent is created first while it holds a backslash
// and is longer than 3 characters), then passes when it can be made the
// current directory. The current directory is the same afterwards.
bool CheckPathValid(const std::string& directory);

}  // namespace snapshot
