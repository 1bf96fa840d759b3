// Reading back what the code under test left in the registry.
#pragma once

#include <string>
#include <vector>

#include "windows.h"

// The value names of root\subkey in the registry's order; none when the key
// is missing.
std::vector<std::string> RegistryValueNames(HKEY root, const std::string& subkey);

// The value names of a personal folder's registry key (its applications).
std::vector<std::string> PersonalFolderItems(const std::string& tree, const std::string& folder);
