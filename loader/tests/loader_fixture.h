// What the loader's tests share: a machine, the loader's directory on it
// with the files the loader installs (copies of a small resource library of
// the build, stamped with the versions a test wants), the manual clock, and
// the loader run on a thread of its own while the test moves the clock, so
// that its 500 ms retries and 150 ms handshake steps pass at once.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "installation.h"
#include "loader_main.h"
#include "vpr/machine/machine.h"
#include "vpr/testing/build_folder.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/clock.h"
#include "vpr/win/resource_format.h"
#include "windows.h"

namespace loader_test {

namespace fs = std::filesystem;

constexpr char kLoaderDir[] = "C:\\SETUP";
constexpr char kNameSpaceEntry[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";
constexpr char kClassKey[] = "CLSID\\{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";

inline bool KeyExists(HKEY root, const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

inline std::optional<std::string> ReadHost(const std::string& host) {
    std::ifstream in(host, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A copy of the build's fixture library at `host`, with this version and a
// mark of its own, so that two copies can be told apart.
inline void WriteFixture(const std::string& host, const std::array<uint16_t, 4>& version) {
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(vpr::testing::BuildBinFolder() + "/loader_fixture/LDRFIX.DLL", host,
                  fs::copy_options::overwrite_existing);
    ASSERT_EQ(vpr::win::StampModuleVersion(host, version), 0u) << host;
}

class LoaderFixture {
public:
    explicit LoaderFixture(vpr::machine::Platform platform)
        : machine_(platform), clock_(std::make_shared<vpr::win::ManualClock>()) {
        vpr::win::SetClock(clock_);
    }
    ~LoaderFixture() { vpr::win::SetClock(nullptr); }

    vpr::testing::TempMachine& Machine() { return machine_; }
    vpr::win::ManualClock& Clock() { return *clock_; }
    std::string Host(const std::string& windowsPath) const { return machine_.HostPath(windowsPath); }

    // The three files the loader needs beside it, at one version.
    void PutFilesBesideLoader(const std::array<uint16_t, 4>& version = {1, 0, 0, 0}) {
        WriteFixture(Host(std::string(kLoaderDir) + "\\KMApp32.dll"), version);
        WriteFixture(Host(std::string(kLoaderDir) + "\\VprExp32.dll"), version);
        WriteFixture(Host(std::string(kLoaderDir) + "\\NLS\\English\\VprExpRs.dll"), {97, 9, 30, 0});
    }

    struct Run {
        int result = 0;
        int clockSteps = 0;  // waits the clock ended
    };

    // Runs the loader with this command line from kLoaderDir on a thread of
    // its own, ending each of its timed waits by moving the clock `step` ms.
    // `beforeStep` runs when the loader waits, with the number of moves so
    // far; when it answers false the clock is not moved (it ended the wait
    // itself, say by setting the event waited for).
    Run RunLoader(const std::string& commandLine, DWORD step = 500,
                  const std::function<bool(int)>& beforeStep = nullptr) {
        Run run;
        std::atomic<bool> done{false};
        std::thread loader([&] {
            run.result = LoaderWinMain(commandLine, kLoaderDir);
            done = true;
        });
        while (!done) {
            if (clock_->TimedWaiters() == 0) {
                std::this_thread::yield();
                continue;
            }
            if (beforeStep && !beforeStep(run.clockSteps)) {
                while (!done && clock_->TimedWaiters() > 0) std::this_thread::yield();
                continue;
            }
            clock_->Advance(step);
            ++run.clockSteps;
        }
        loader.join();
        return run;
    }

private:
    vpr::testing::TempMachine machine_;
    std::shared_ptr<vpr::win::ManualClock> clock_;
};

}  // namespace loader_test
