#include "vpr/testing/temp_machine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using vpr::machine::Platform;
using vpr::testing::TempMachine;

TEST(TempMachineTest, IsCurrentWhileAliveAndGoneAfterwards) {
    std::string root;
    {
        TempMachine machine(Platform::NT4, "erin");
        root = machine.root();
        ASSERT_NE(vpr::machine::CurrentMachine(), nullptr);
        EXPECT_EQ(vpr::machine::CurrentMachine()->root, root);
        EXPECT_EQ(vpr::machine::CurrentMachine()->userName, "erin");
        ASSERT_NE(std::getenv("VPR_MACHINE"), nullptr);
        EXPECT_EQ(std::string(std::getenv("VPR_MACHINE")), root);
        EXPECT_TRUE(fs::is_regular_file(machine.HostPath("C:\\WINDOWS\\win.ini")));
        {
            TempMachine inner;
            EXPECT_EQ(vpr::machine::CurrentMachine()->root, inner.root());
        }
        // The outer machine comes back when the inner one ends.
        ASSERT_NE(vpr::machine::CurrentMachine(), nullptr);
        EXPECT_EQ(vpr::machine::CurrentMachine()->root, root);
        EXPECT_EQ(machine.machine()->platform, Platform::NT4);
    }
    EXPECT_FALSE(fs::exists(root));
    EXPECT_EQ(vpr::machine::CurrentMachine(), nullptr);
    EXPECT_EQ(std::getenv("VPR_MACHINE"), nullptr);
}

TEST(TempMachineTest, BadOptionsThrowWithTheReason) {
    try {
        vpr::machine::CreateOptions options;
        options.codePage = 850;
        TempMachine machine(options);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("code page 850"), std::string::npos) << e.what();
    }
    EXPECT_EQ(vpr::machine::CurrentMachine(), nullptr);
}
