// A temporary machine for one test: created in a fresh folder, made the
// current machine of the process and named by VPR_MACHINE for child
// processes; removed at the end, when the previous machine comes back.
//
//     vpr::testing::TempMachine machine;                  // Windows 95, user USER
//     vpr::testing::TempMachine nt(vpr::machine::Platform::NT4, "alice");
//     vpr::testing::TempMachine custom(options);          // any CreateOptions
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "vpr/machine/machine.h"

namespace vpr::machine {
// Tests that take a platform as their parameter print it by name.
inline void PrintTo(Platform platform, std::ostream* os) { *os << PlatformName(platform); }
}  // namespace vpr::machine

namespace vpr::testing {

class TempMachine {
public:
    // Throws std::runtime_error with the reason when the machine cannot be made.
    explicit TempMachine(const vpr::machine::CreateOptions& options = {});
    explicit TempMachine(vpr::machine::Platform platform, const std::string& userName = "USER");
    ~TempMachine();
    TempMachine(const TempMachine&) = delete;
    TempMachine& operator=(const TempMachine&) = delete;

    const std::string& root() const { return root_; }
    // The machine's facts as machine.ini holds them now.
    std::shared_ptr<const vpr::machine::Machine> machine() const;
    // Host path of a full Windows path on one of its drives, names as written.
    std::string HostPath(const std::string& windowsPath) const;

private:
    std::string root_;
    bool hadEnv_ = false;
    std::string previousEnv_;
    std::string previousRoot_;
};

}  // namespace vpr::testing
