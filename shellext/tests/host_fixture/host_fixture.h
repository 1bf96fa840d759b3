// The extension as the shell loads it, for the test programs that are shell
// hosts of the tests (their file names end in EXPLORER.EXE, as the module
// asks of its process): a Windows NT 4 workstation of jdoe with the launcher
// library in the system folder and the built module in C:\VPR (each test
// its own copy, so that each loads it afresh), the module's class
// registered, and ACME_TREE with admin and jdoe, where admin extended the
// schema and made the applications a test asks for.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kmapp32.h"
#include "objbase.h"
#include "registry_values.h"
#include "vpr/shellhost/shell_host.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/win/clock.h"

// {5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}
inline constexpr GUID kExtension = {0x5B2D7E10, 0x4C3A, 0x11D0, {0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B}};
inline constexpr const char* kExtensionText = "{5B2D7E10-4C3A-11d0-9E61-00A0C9D4F27B}";
inline constexpr const char* kModuleFolder = "C:\\VPR";
inline constexpr const char* kModulePath = "C:\\VPR\\VprExp32.dll";

void SetValue(HKEY root, const std::string& key, const char* name, DWORD type, const void* data, DWORD size);
void SetString(HKEY root, const std::string& key, const char* name, const std::string& value);

// A copy of a built file at a Windows path of the machine, optionally stamped.
void Place(const vpr::testing::TempMachine& machine, const std::string& built, const std::string& windowsPath,
           std::optional<std::array<uint16_t, 4>> version = std::nullopt);

class ExtensionHostFixture : public ::testing::Test {
protected:
    struct Setting {
        // The test moves the clock by hand (a ManualClock set for the process).
        bool manualClock = true;
        // The extension also registered as a name space of the desktop.
        bool desktopEntry = false;
    };
    explicit ExtensionHostFixture(Setting setting) : setting_(setting) {}

    void SetUp() override;
    void TearDown() override;

    // Admin makes the applications (".<name>.acme", \\SERVER\APPS\<name>.EXE)
    // readable by everyone; with flags, jdoe is granted each of them with
    // those association flags. jdoe is logged in then.
    void MakeApplications(const std::vector<std::string>& names, DWORD flags = 0);
    // Grants jdoe the applications with the association flags.
    void Associate(const std::vector<std::string>& names, DWORD flags);

    void StartShell();
    // Loads the extension as the shell does (SHLoadInProc). While it starts,
    // a manual clock is moved on so that its splash's time runs out.
    HRESULT Load();

    std::shared_ptr<vpr::win::ManualClock> clock_;
    std::unique_ptr<vpr::testing::TempMachine> machine_;
    vpr::testing::TempTree tree_{"ACME_TREE"};
    std::unique_ptr<vpr::shellhost::ShellHost> host_;

private:
    Setting setting_;
};
