// The fixture of the engine tests: a fresh machine, the settings record
// filled as a program fills it (texts from the test program's own
// resources), a UI driver that fails the test on any unexpected box, and a
// stop that throws instead of ending the process.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "snapshot/engine/engine_settings.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"
#include "windows.h"

namespace snapshot::testing {

// What the replaced stop throws.
struct ProgramStopped {
    UINT stringId;
};

class EngineTest : public ::testing::Test {
protected:
    explicit EngineTest(const vpr::machine::CreateOptions& options = {});
    ~EngineTest() override;

    // Fills the settings from the machine without binding KMQMT32.
    void FillSettings();
    // Starts the engine as a program does (binds KMQMT32).
    void StartEngineOrFail();

    // Files by Windows path.
    std::string HostPath(const std::string& windowsPath) const;
    void WriteFile(const std::string& windowsPath, const std::string& content) const;
    std::string ReadFile(const std::string& windowsPath) const;
    bool Exists(const std::string& windowsPath) const;
    void MakeDirectory(const std::string& windowsPath) const;
    void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                          const std::string& data) const;
    void DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name) const;

    std::unique_ptr<vpr::testing::TempMachine> machine_;
    vpr::user::UiDriver driver_;
};

// Options of a machine on another platform or code page.
vpr::machine::CreateOptions MachineOptions(vpr::machine::Platform platform, unsigned codePage = 65001);

// Bytes of a little-endian 32-bit integer and of a counted string.
std::string IntBytes(uint32_t value);
std::string CountedBytes(const std::string& text);

}  // namespace snapshot::testing
