#include "vpr/directory/trees.h"

#include <mutex>

#include "vpr/machine/machine.h"

namespace vpr::directory {

namespace {

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

void SetAttachedTrees(std::optional<std::vector<AttachedTree>> trees) {
    std::lock_guard lock(TreesMutex());
    Override() = std::move(trees);
}

}  // namespace vpr::directory
