// Failures a test can inject into the directory client of its process. Each
// stays in force until Reset (or until it has fired, where said).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vpr::directory::faults {

// DirCreateContext answers DIR_ERR_NO_CONTEXT.
void FailContextCreation(bool fail);
// Buffers allocated from now on get this byte budget whatever size the caller
// asks for (0: the size asked for).
void SetBufferBudget(size_t bytes);
// After `after` more modify or add requests succeed, the next one fails with
// `status` once its changes are made but before they are committed, so that
// nothing of it stays.
void FailModify(int status, int after = 0);
// Stream handles opened from now on fail every write past this many bytes
// (the write stores what fits and reports a write fault).
void FailStreamWritesAfter(uint64_t bytes);
void Reset();

}  // namespace vpr::directory::faults
