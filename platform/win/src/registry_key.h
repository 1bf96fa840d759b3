// What the registry calls share: the machine's registry file, the predefined
// keys and the walk along a key path.
#pragma once

#include <memory>
#include <string_view>

#include "registry_store.h"
#include "vpr/win/registry.h"

namespace vpr::win {

// The registry file of this process's machine; null when none is named.
std::shared_ptr<RegistryStore> CurrentRegistry();

bool IsPredefinedKey(HKEY key);
// The key id behind a predefined key. HKEY_CURRENT_USER and HKEY_CLASSES_ROOT
// are made on first use, so this runs transactions of its own: call it
// outside RegistryStore::Run.
LONG ResolvePredefinedKey(RegistryStore& store, HKEY key, int64_t* id);

// Walks `path` (names separated by backslashes) down from `start` inside a
// transaction. With `create`, missing levels are made (refused where the
// parent denies KEY_CREATE_SUB_KEY) and *created tells whether the last one
// was new. A path starting with a backslash is ERROR_BAD_PATHNAME.
LONG WalkKeyPath(RegistryStore& store, int64_t start, std::string_view path, bool create, RegistryKeyRow* row,
                 bool* created = nullptr);

}  // namespace vpr::win
