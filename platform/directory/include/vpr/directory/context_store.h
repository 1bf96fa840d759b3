// The store of the tree a context is on, for platform code that works on the
// schema itself (the launcher library extends it with its own classes and
// attributes).
#pragma once

#include <memory>

#include "vpr/directory/client.h"
#include "vpr/directory/store.h"

namespace vpr::directory {

int StoreOfContext(DIR_CONTEXT ctx, std::shared_ptr<Store>* store);

}  // namespace vpr::directory
