// Output files written whole or not at all. The bytes go to a temporary file
// beside the target; every write and the close are checked, and only then is
// the temporary file renamed over the target. Any failure (a short write, a
// full disk, a failed close or rename) leaves the old file exactly as it was,
// removes the temporary file and is reported. A replaced file keeps its mode
// and is flushed to the disk before the rename, so that not even a crash can
// leave it cut. A target that is a device or a pipe (/dev/null, a terminal)
// is written in place, every write and the close still checked.
//
// It sits in the machine library, the lowest layer, so that every program and
// library of the platform writes its outputs through this one piece of code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vpr::machine {

class AtomicFile {
public:
    // `hostPath` names the target; nothing happens before Open.
    explicit AtomicFile(std::string hostPath);
    // A file that was not committed is discarded; the target stays as it was.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Makes the temporary file beside the target.
    bool Open();
    // Appends bytes. After the first failure every call fails.
    bool Write(std::string_view bytes);
    // Closes the temporary file and renames it over the target.
    bool Commit();

    // errno of the first failure, 0 while none.
    int error() const { return error_; }
    // "cannot write PATH: why", for the first failure.
    std::string ErrorText() const;

private:
    bool Fail(int error);
    void Discard();

    std::string path_;
    std::string temp_;
    int fd_ = -1;
    int error_ = 0;
    bool replacing_ = false;
};

// Writes `bytes` as the whole new content of `hostPath`; on failure `error`
// (when given) says what went wrong and the old file is whole.
bool WriteFileAtomically(const std::string& hostPath, std::string_view bytes, std::string* error);

// Flushes and closes standard output: false, with `error` saying why, when
// anything printed did not reach it whole (a full disk behind a redirection,
// a closed pipe), so that a command can end with a non-zero exit.
bool CloseStandardOutput(std::string* error);

// Test hook: a function that says how many of `bytes` more bytes may still be
// written to files at `hostPath` (the platform's injected full disks register
// one). Writes beyond it fail with ENOSPC. Null: no limit.
using WriteLimit = uint64_t (*)(const std::string& hostPath, uint64_t bytes);
void SetWriteLimit(WriteLimit limit);
// How many of `bytes` may be written to `hostPath` now: all of them unless a
// test limited it.
uint64_t WritableBytes(const std::string& hostPath, uint64_t bytes);

}  // namespace vpr::machine
