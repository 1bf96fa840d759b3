#include "engine_fixture.h"

#include <fstream>
#include <sstream>
#include <filesystem>

#include "snapshot/engine/engine_ui.h"
#include "vpr/win/path.h"

namespace snapshot::testing {

EngineTest::EngineTest(const vpr::machine::CreateOptions& options)
    : machine_(std::make_unique<vpr::testing::TempMachine>(options)) {
    FillSettings();
    SetProgramStop([](UINT id) { throw ProgramStopped{id}; });
}

EngineTest::~EngineTest() {
    SetProgramStop(nullptr);
    StopEngine();
    Settings() = EngineSettings{};
    EXPECT_TRUE(driver_.Failures().empty()) << ::testing::PrintToString(driver_.Failures());
}

void EngineTest::FillSettings() {
    EngineSettings& settings = Settings();
    settings = EngineSettings{};
    settings.resourceModule = GetModuleHandleA(nullptr);
    auto machine = machine_->machine();
    settings.windowsDirectory = machine->windowsDirectory;
    settings.systemDirectory = machine->SystemDirectory();
    settings.system16Directory = machine->windowsDirectory + "\\system16";
    settings.desktopDirectory = machine->DesktopDirectory();
    settings.startMenuDirectory = machine->StartMenuDirectory();
    settings.platformCode = CurrentPlatformCode();
}

void EngineTest::StartEngineOrFail() {
    std::string error;
    ASSERT_TRUE(StartEngine(GetModuleHandleA(nullptr), &error)) << error;
}

std::string EngineTest::HostPath(const std::string& windowsPath) const {
    std::string host;
    EXPECT_TRUE(vpr::win::ResolveHostPath(windowsPath.c_str(), &host)) << windowsPath;
    return host;
}

void EngineTest::WriteFile(const std::string& windowsPath, const std::string& content) const {
    std::string host = HostPath(windowsPath);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::ofstream(host, std::ios::binary) << content;
}

std::string EngineTest::ReadFile(const std::string& windowsPath) const {
    std::ifstream in(HostPath(windowsPath), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

bool EngineTest::Exists(const std::string& windowsPath) const {
    return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void EngineTest::MakeDirectory(const std::string& windowsPath) const {
    std::filesystem::create_directories(HostPath(windowsPath));
}

void EngineTest::SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                                  const std::string& data) const {
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyA(root, key.c_str(), &opened), ERROR_SUCCESS) << key;
    EXPECT_EQ(RegSetValueExA(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(opened);
}

void EngineTest::DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name) const {
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyA(root, key.c_str(), &opened), ERROR_SUCCESS) << key;
    EXPECT_EQ(RegDeleteValueA(opened, name.c_str()), ERROR_SUCCESS);
    RegCloseKey(opened);
}

vpr::machine::CreateOptions MachineOptions(vpr::machine::Platform platform, unsigned codePage) {
    vpr::machine::CreateOptions options;
    options.platform = platform;
    options.codePage = codePage;
    return options;
}

std::string IntBytes(uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

std::string CountedBytes(const std::string& text) { return IntBytes(static_cast<uint32_t>(text.size())) + text; }

}  // namespace snapshot::testing
