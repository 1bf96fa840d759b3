// What the form tests share: a machine, the UI driver, the sample's log.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "sample_forms.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"

namespace vpr::forms::testing {

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("VPR_UI_SCRIPT");
        InitApplication();
        sample::Log = [this](const std::string& text) { log.push_back(text); };
    }
    void TearDown() override {
        while (!Screen().empty()) Screen().back()->Free();
        sample::Log = [](const std::string&) {};
        if (!failuresExpected) EXPECT_TRUE(driver.Failures().empty()) << driver.Failures().front();
    }
    // The control's id, for the UI driver.
    static int Id(TWinControl* control) { return control->ControlId(); }

    vpr::testing::TempMachine machine;
    vpr::user::UiDriver driver;
    std::vector<std::string> log;
    bool failuresExpected = false;
};

}  // namespace vpr::forms::testing
