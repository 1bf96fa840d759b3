// The directory trees this machine is attached to: tree name, store file,
// the user logged in there and whether that login is authenticated. The
// client's contexts and connections are made from this one list.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vpr::directory {

struct AttachedTree {
    std::string name;       // as shown to callers, without the '_' fill
    std::string storeFile;  // host path of the tree's store
    std::string user;       // distinguished name of the logged-in user, empty if none
    bool authenticated = false;
};

// The machine's attached trees, in the machine's order.
std::vector<AttachedTree> AttachedTrees();

// A tree name as the network client hands it out: 32 characters, padded on
// the right with '_'.
std::string PaddedTreeName(const std::string& name);
// The name without its '_' fill.
std::string TrimmedTreeName(const std::string& padded);

// Replaces the machine's list for this process (tests and tools that run
// without a machine); nullopt goes back to the machine's own list.
void SetAttachedTrees(std::optional<std::vector<AttachedTree>> trees);

}  // namespace vpr::directory
