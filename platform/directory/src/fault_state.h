// What the client and the store ask of the injected faults.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vpr::directory::faults {

bool ContextCreationFails();
size_t BufferBudget(size_t asked);
// The status an injected modify failure gives now (0: none); firing uses it up.
int TakeModifyFailure();
uint64_t StreamWriteBudget();

}  // namespace vpr::directory::faults
