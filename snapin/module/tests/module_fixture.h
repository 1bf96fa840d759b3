// A machine where the administration module is installed as a person
// installs it (C:\PUBLIC\WIN32\VPRADM32.DLL, listed in kmadmin.ini) and a
// copy of kmadmin that runs from C:\TOOLS, so that nothing beside the build's
// own programs is found by the search order. Each test puts the launcher
// library and the language library where its case wants them and runs a
// kmadmin script in a child process.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/win/resource_format.h"
#include "windows.h"
#include "vpr/testing/build_folder.h"

class ModuleFixture : public ::testing::Test {
protected:
    // The build's programs, beside this test program.
    static std::string Bin() { return vpr::testing::BuildBinFolder(); }

    void SetUp() override {
        tree_.Org("acme").Unit("apps.acme").User("admin.acme").LogIn("admin.acme");
        win32_ = machine_.root() + "/c/PUBLIC/WIN32";
        std::filesystem::create_directories(win32_);
        std::filesystem::create_directories(machine_.root() + "/c/TOOLS");
        Copy(Bin() + "/VPRADM32.DLL", win32_ + "/VPRADM32.DLL");
        Copy(Bin() + "/kmadmin", machine_.root() + "/c/TOOLS/kmadmin");
        ASSERT_TRUE(WritePrivateProfileStringA("Snapin Modules", "VPRADM32", "C:\\PUBLIC\\WIN32\\VPRADM32.DLL",
                                               "kmadmin.ini"));
    }

    static void Copy(const std::string& from, const std::string& to) {
        std::filesystem::create_directories(std::filesystem::path(to).parent_path());
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    }

    // The launcher support library beside the module, with this file version.
    void PutLauncherLibrary(uint16_t major, uint16_t minor) {
        std::string path = win32_ + "/KMAPP32.DLL";
        Copy(Bin() + "/KMAPP32.DLL", path);
        ASSERT_EQ(vpr::win::StampModuleVersion(path, {major, minor, 0, 0}), 0u);
    }

    // A language library ("english": the module's own, "lettered": its
    // version with other texts, "old": another version) in a folder under
    // C:\PUBLIC\WIN32 ("" for beside the module).
    void PutLanguageLibrary(const std::string& which, const std::string& folder) {
        std::string from = which == "english" ? Bin() + "/NLS/ENGLISH/VPRRES32.DLL"
                                              : Bin() + "/testres/" + which + "/VPRRES32.DLL";
        Copy(from, win32_ + (folder.empty() ? "" : "/" + folder) + "/VPRRES32.DLL");
    }

    // Runs kmadmin with the script; `environment` is what env(1) takes
    // before the program ("KMLANGUAGE=english", "-u KMLANGUAGE").
    int Run(const std::string& script, const std::string& environment = "KMLANGUAGE=english") {
        std::string file = machine_.root() + "/script.txt";
        std::ofstream(file) << script;
        std::string command = "cd " + machine_.root() + " && env " + environment + " LD_LIBRARY_PATH=" + Bin() + " " +
                              machine_.root() + "/c/TOOLS/kmadmin " + file + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        output_.clear();
        char chunk[512];
        while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) output_.append(chunk, n);
        int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    vpr::testing::TempMachine machine_;
    // A tree without an administrator: admin.acme holds what each test grants it.
    vpr::testing::TempTree tree_{"TEST_TREE", ""};
    std::string win32_;
    std::string output_;
};
