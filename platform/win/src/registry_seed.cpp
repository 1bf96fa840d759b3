// The registry of a new machine: what the system expects any workstation to
// hold before it runs. Registered with the machine library, so every machine
// it creates (vprmachine create, test machines) gets it.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "registry_key.h"
#include "vpr/machine/machine.h"
#include "vpr/win/error.h"

namespace vpr::win {

namespace {

// Where the network client is installed on the machine.
constexpr const char* kClientDirectory = "C:\\VELTRIX";

struct SeedKey {
    int64_t hive;
    std::string path;
    std::vector<std::pair<std::string, std::string>> strings;  // REG_SZ values
};

std::vector<SeedKey> SeedKeys(const vpr::machine::Machine& m) {
    const std::string& windows = m.windowsDirectory;
    std::vector<SeedKey> keys = {
        {RegistryStore::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", {}},
        {RegistryStore::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace", {}},
        {RegistryStore::kLocalMachine, "SOFTWARE\\Classes", {}},
        // The shell link object of the shell's module.
        {RegistryStore::kLocalMachine, "SOFTWARE\\Classes\\CLSID\\{00021401-0000-0000-C000-000000000046}", {{"", "Shortcut"}}},
        {RegistryStore::kLocalMachine,
         "SOFTWARE\\Classes\\CLSID\\{00021401-0000-0000-C000-000000000046}\\InProcServer32",
         {{"", "SHELL32.DLL"}, {"ThreadingModel", "Apartment"}}},
        {RegistryStore::kLocalMachine, "Network\\Veltrix\\System Config\\Install\\Target Path", {{"", kClientDirectory}}},
        {RegistryStore::kUsers, m.userName + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
         {
             {"Desktop", m.DesktopDirectory()},
             {"Fonts", windows + "\\Fonts"},
             {"Programs", m.ProgramsDirectory()},
             {"Recent", windows + "\\Recent"},
             {"SendTo", windows + "\\SendTo"},
             {"Start Menu", m.StartMenuDirectory()},
             {"Startup", m.ProgramsDirectory() + "\\StartUp"},
         }},
    };
    // NT keeps the folders every user shares under All Users.
    if (m.platform == vpr::machine::Platform::NT4) {
        const std::string allUsers = windows + "\\Profiles\\All Users";
        keys.push_back({RegistryStore::kLocalMachine,
                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                        {
                            {"Common Desktop", allUsers + "\\Desktop"},
                            {"Common Programs", allUsers + "\\Start Menu\\Programs"},
                            {"Common Start Menu", allUsers + "\\Start Menu"},
                        }});
    }
    return keys;
}

bool SeedMachineRegistry(const vpr::machine::Machine& m, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(m.HostPathAsWritten(kClientDirectory), ec);
    if (ec) {
        *error = std::string("cannot create ") + kClientDirectory + ": " + ec.message();
        return false;
    }
    RegistryStore store(m.RegistryFile());
    LONG result = store.Run(true, [&]() -> LONG {
        for (const SeedKey& key : SeedKeys(m)) {
            RegistryKeyRow row;
            LONG r = WalkKeyPath(store, key.hive, key.path, true, &row);
            for (const auto& [name, text] : key.strings) {
                if (r == ERROR_SUCCESS) r = store.SetValue(row.id, name, REG_SZ, std::string_view(text.c_str(), text.size() + 1));
            }
            if (r != ERROR_SUCCESS) return r;
        }
        return ERROR_SUCCESS;
    });
    if (result != ERROR_SUCCESS) {
        *error = "cannot write the registry " + m.RegistryFile() + " (error " + std::to_string(result) + ")";
        return false;
    }
    return true;
}

// Registers the seed when the library is loaded.
const bool g_seedRegistered = (vpr::machine::AddMachineSeeder(&SeedMachineRegistry), true);

}  // namespace

}  // namespace vpr::win
