#include "vpr/testing/temp_machine.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace vpr::testing {

namespace fs = std::filesystem;

TempMachine::TempMachine(const vpr::machine::CreateOptions& options) {
    std::string pattern = (fs::temp_directory_path() / "vpr-machine-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("TempMachine: cannot make a folder under " + pattern);
    root_ = pattern;
    std::string error;
    if (!vpr::machine::CreateMachine(root_, options, &error)) {
        std::error_code ec;
        fs::remove_all(root_, ec);
        throw std::runtime_error("TempMachine: " + error);
    }
    if (const char* env = std::getenv("VPR_MACHINE")) {
        hadEnv_ = true;
        previousEnv_ = env;
    }
    if (auto previous = vpr::machine::CurrentMachine()) previousRoot_ = previous->root;
    ::setenv("VPR_MACHINE", root_.c_str(), 1);
    if (!vpr::machine::UseMachine(root_, &error)) {
        std::error_code ec;
        fs::remove_all(root_, ec);
        throw std::runtime_error("TempMachine: " + error);
    }
}

namespace {
vpr::machine::CreateOptions PlatformOptions(vpr::machine::Platform platform, const std::string& userName) {
    vpr::machine::CreateOptions options;
    options.platform = platform;
    options.userName = userName;
    return options;
}
}  // namespace

TempMachine::TempMachine(vpr::machine::Platform platform, const std::string& userName)
    : TempMachine(PlatformOptions(platform, userName)) {}

TempMachine::~TempMachine() {
    if (hadEnv_) {
        ::setenv("VPR_MACHINE", previousEnv_.c_str(), 1);
    } else {
        ::unsetenv("VPR_MACHINE");
    }
    std::string error;
    vpr::machine::UseMachine(previousRoot_, &error);
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::shared_ptr<const vpr::machine::Machine> TempMachine::machine() const {
    auto m = std::make_shared<vpr::machine::Machine>();
    std::string error;
    if (!vpr::machine::LoadMachine(root_, m.get(), &error)) throw std::runtime_error("TempMachine: " + error);
    return m;
}

std::string TempMachine::HostPath(const std::string& windowsPath) const {
    auto m = machine();
    return m ? m->HostPathAsWritten(windowsPath) : std::string();
}

}  // namespace vpr::testing
