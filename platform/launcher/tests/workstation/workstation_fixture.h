// A workstation attached to a tree with the application schema: users
// jdoe.sales.acme (in group staff.acme) and mary.acme, a share \\SERVER\APPS
// holding programs and files, and jdoe logged in. Applications are made and
// associated by the administrator's context; `context` is jdoe's.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kmapp32.h"
#include "template/template_library.h"
#include "vpr/machine/machine.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

namespace vpr::launcher {

class WorkstationTest : public ::testing::Test {
protected:
    explicit WorkstationTest(vpr::machine::Platform platform = vpr::machine::Platform::NT4);
    void SetUp() override;
    void TearDown() override;

    // An application object on the share: its program \\SERVER\APPS\<name>.SH
    // (a script that exits at once) unless `path` says otherwise.
    void App(const std::string& name, const std::string& path = "");
    void Associate(const std::string& holder, const std::string& application, DWORD flags);
    // Replaces the associations of `holder`.
    void SetAssociations(const std::string& holder, const std::vector<std::string>& values);
    // A stream attribute holding the template `write` makes.
    void SetTemplate(const std::string& application, const std::string& attribute,
                     const std::function<void(HFILE)>& write);
    // Logs `user` in and makes `context` that user's.
    void LogIn(const std::string& user);

    // Writes a file on the machine (a Windows path) and, for a program, makes it runnable.
    void WriteFile(const std::string& windowsPath, const std::string& content, bool program = false);
    std::string ReadFile(const std::string& windowsPath) const;
    bool Exists(const std::string& windowsPath) const;

    // Runs KMAPPProcessApplication with `text` in the parameter buffer.
    struct Result {
        DWORD result = 0;
        DWORD detail = 0;
        std::string buffer;
    };
    Result Process(const std::string& application, const std::string& text = "",
                   KmappStatusCallback callback = nullptr);
    // Programs the machine's journal records as started, in order.
    std::vector<std::string> Starts() const;
    // Lines of the library's log.
    std::vector<std::string> LogLines() const;

    vpr::machine::Platform platform_;
    std::unique_ptr<vpr::testing::TempMachine> machine;
    testing::TempTree tree;
    DIR_CONTEXT admin = 0;
    DIR_CONTEXT context = 0;
};

}  // namespace vpr::launcher
