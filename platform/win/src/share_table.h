// The host files this process holds open, with the access and sharing of
// each handle, so that a conflicting open, delete or rename fails with
// ERROR_SHARING_VIOLATION as on Windows.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "vpr/win/types.h"

namespace vpr::win {

class ShareTable {
public:
    using FileId = std::pair<dev_t, ino_t>;

    static ShareTable& Instance();

    // Registers an open of the file; the open lasts while the returned token
    // lives. Null when it conflicts with an open already there.
    std::shared_ptr<void> Open(FileId id, DWORD access, DWORD share);
    // True when no handle holds the file, or every handle allows deletion.
    bool MayDelete(FileId id);

private:
    struct Token {
        ShareTable* table;
        FileId id;
        uint64_t serial;
        ~Token() { table->Close(id, serial); }
    };
    struct OpenRecord {
        DWORD access;
        DWORD share;
    };
    void Close(FileId id, uint64_t serial);

    std::mutex mutex_;
    std::multimap<FileId, std::pair<uint64_t, OpenRecord>> opens_;
    uint64_t nextSerial_ = 1;
};

}  // namespace vpr::win
