#include "library_state.h"

#include "vpr/machine/machine.h"

namespace vpr::launcher {

LibraryState& LibraryState::Instance() {
    static LibraryState state;
    return state;
}

std::string LibraryState::StateKey(const std::string& tree, const std::string& user,
                                   const std::string& application) {
    return tree + '\t' + user + '\t' + application;
}

void LibraryState::FollowMachine() {
    unsigned long generation = vpr::machine::MachineGeneration();
    if (generation == machineGeneration_) return;
    machineGeneration_ = generation;
    states_.clear();
}

DWORD LibraryState::LastState(const std::string& key) {
    std::lock_guard lock(mutex_);
    FollowMachine();
    auto found = states_.find(key);
    return found == states_.end() ? 0 : found->second;
}

void LibraryState::RememberState(const std::string& key, DWORD state) {
    std::lock_guard lock(mutex_);
    FollowMachine();
    states_[key] = state;
}

void LibraryState::AddProgram(DWORD processId, HANDLE process) {
    std::lock_guard lock(mutex_);
    programs_[processId] = process;
}

HANDLE LibraryState::TakeProgram(DWORD processId) {
    std::lock_guard lock(mutex_);
    auto found = programs_.find(processId);
    if (found == programs_.end()) return nullptr;
    HANDLE process = found->second;
    programs_.erase(found);
    return process;
}

bool LibraryState::OwnsProgram(DWORD processId) {
    std::lock_guard lock(mutex_);
    return programs_.count(processId) != 0;
}

}  // namespace vpr::launcher
