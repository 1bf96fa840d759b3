// The one handle table of a process. Every kernel object (host file, in-memory
// file, directory stream, later events and threads) is kept here under a 32-bit
// value; values are handed out in rising order, so a closed value is not met
// again soon.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "vpr/win/types.h"

namespace vpr::win {

class FileObject;

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // The object as a byte stream, null when it is none: a virtual call is
    // cheaper than a dynamic_cast on every read through a handle.
    virtual FileObject* AsFile() { return nullptr; }
};

// A byte stream behind a file handle. Every call returns a Windows error code,
// ERROR_SUCCESS (0) when it worked. Implementations are safe to call from
// several threads.
class FileObject : public KernelObject {
public:
    // Reads up to `count` bytes at the current position. A read that stops at
    // the end of the stream succeeds with *done < count.
    virtual DWORD Read(void* buffer, uint32_t count, uint32_t* done) = 0;
    // Writes `count` bytes at the current position. A stream that runs out of
    // room writes what fits, sets *done and returns the reason.
    virtual DWORD Write(const void* buffer, uint32_t count, uint32_t* done) = 0;
    // Moves the position; origin is FILE_BEGIN, FILE_CURRENT or FILE_END.
    virtual DWORD Seek(int64_t offset, int origin, uint64_t* position) = 0;
    // Cuts the stream at the current position.
    virtual DWORD Truncate() = 0;
    virtual DWORD Size(uint64_t* size) = 0;
    // Called once when the last handle to the object is closed.
    virtual DWORD Close() { return 0; }
    FileObject* AsFile() final { return this; }
};

class HandleTable {
public:
    static HandleTable& Instance();

    // Stores the object and returns its new handle value (never 0, never -1).
    uint32_t Add(std::shared_ptr<KernelObject> object);
    std::shared_ptr<KernelObject> Get(uint32_t value) const;
    template <class T>
    std::shared_ptr<T> GetAs(uint32_t value) const {
        return std::dynamic_pointer_cast<T>(Get(value));
    }
    // The file object behind the value; null when it names nothing or
    // something else.
    std::shared_ptr<FileObject> GetFile(uint32_t value) const;
    // Takes the object out of the table; null when the value names nothing.
    std::shared_ptr<KernelObject> Remove(uint32_t value);
    // Number of open handles, for tests that check nothing leaks.
    size_t Count() const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<uint32_t, std::shared_ptr<KernelObject>> objects_;
    uint32_t next_ = 0x100;
};

inline HANDLE HandleFromValue(uint32_t value) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}
inline uint32_t ValueFromHandle(HANDLE handle) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}

// Gives a file object an HFILE of its own.
HFILE OpenFileObject(std::shared_ptr<FileObject> file);

}  // namespace vpr::win
