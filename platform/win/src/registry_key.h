// What the registry calls share: the machine's registry file, the predefined
// keys and the walk along a key path.
#pragma once

#include <functional>
#include <memory>
#include <optional>
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
// was new; the last level made gets `keyClass`. A path starting with a
// backslash is ERROR_BAD_PATHNAME.
LONG WalkKeyPath(RegistryStore& store, int64_t start, std::string_view path, bool create, RegistryKeyRow* row,
                 bool* created = nullptr, std::string_view keyClass = {});

// Reads and changes one value in one write transaction, so that processes
// editing the same value at once lose nothing: `change` gets the value
// (nullopt when there is none) and leaves the value to store, or nullopt to
// delete it. The key is made when missing. Returns the first error.
using RegistryValueChange = std::function<LONG(std::optional<RegistryValue>* value)>;
LONG ChangeRegistryValue(HKEY root, std::string_view subKey, std::string_view name,
                         const RegistryValueChange& change);

}  // namespace vpr::win
