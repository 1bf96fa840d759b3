// The Windows attributes a host file's mode cannot hold (hidden, system,
// archive; read-only of a folder), kept per folder in a small text file
// ".vprattr" beside the files, under a file lock, so that every process of
// the machine sees the same attributes. A name without an entry has the
// default: archive for a file, nothing for a folder. Listings leave the
// store file out.
#pragma once

#include <sys/stat.h>

#include <map>
#include <string>

#include "vpr/win/types.h"

namespace vpr::win {

class AttributeStore {
public:
    static constexpr const char* kFileName = ".vprattr";

    // The Windows attributes of an existing host file, its mode included.
    static DWORD Attributes(const std::string& hostPath, const struct stat& st);
    // The same for an entry `name` of a folder whose store was read once
    // with ReadFolder (a listing reads it once, not once per entry).
    static std::map<std::string, DWORD> ReadFolder(const std::string& folder);
    static DWORD Attributes(const std::map<std::string, DWORD>& folderStore, const std::string& name,
                            const struct stat& st);
    // Keeps the stored part of `attributes` (the rest lives in the mode).
    static bool Store(const std::string& hostPath, bool isFolder, DWORD attributes);
    static void Forget(const std::string& hostPath);
    // Carries the entry of `from` over to `to` (a move keeps it, a copy
    // duplicates it).
    static void Move(const std::string& from, const std::string& to);
    static void Copy(const std::string& from, const std::string& to);
};

}  // namespace vpr::win
