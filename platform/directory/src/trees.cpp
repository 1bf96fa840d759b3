#include "vpr/directory/trees.h"

#include <algorithm>
#include <mutex>

#include "vpr/machine/machine.h"

namespace vpr::directory {

namespace {

constexpr size_t kTreeNameChars = 32;

std::mutex& TreesMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<std::vector<AttachedTree>>& Override() {
    static std::optional<std::vector<AttachedTree>> trees;
    return trees;
}

}  // namespace

std::vector<AttachedTree> AttachedTrees() {
    {
        std::lock_guard lock(TreesMutex());
        if (Override()) return *Override();
    }
    std::vector<AttachedTree> trees;
    if (auto machine = vpr::machine::CurrentMachine()) {
        for (const vpr::machine::TreeAttachment& tree : machine->trees)
            trees.push_back({tree.name, tree.storeFile, tree.user, tree.authenticated});
    }
    return trees;
}

std::string PaddedTreeName(const std::string& name) {
    std::string padded = name;
    padded.resize(std::max<size_t>(padded.size(), kTreeNameChars), '_');
    return padded;
}

std::string TrimmedTreeName(const std::string& padded) {
    size_t end = padded.find_last_not_of('_');
    return end == std::string::npos ? padded : padded.substr(0, end + 1);
}

void SetAttachedTrees(std::optional<std::vector<AttachedTree>> trees) {
    std::lock_guard lock(TreesMutex());
    Override() = std::move(trees);
}

}  // namespace vpr::directory
