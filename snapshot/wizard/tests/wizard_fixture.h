// What the wizard's form tests share: a machine with a second drive D:, the
// form library's application, the wizard's texts and forms from the test
// program's own resources, and the UI driver as the person.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "directory_list_box.h"
#include "main_form.h"
#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/mb_strings.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"

namespace snapshot::testing {

class WizardTest : public ::testing::Test {
protected:
    WizardTest() : machine_(Options()) {}

    void SetUp() override {
        unsetenv("VPR_UI_SCRIPT");
        unsetenv("KMLANGUAGE");
        std::filesystem::create_directories(machine_.root() + "/d");
        vpr::forms::InitApplication();
        RegisterDirectoryListBox();
        MBStringsInit();
        Settings() = EngineSettings{};
        Settings().resourceModule = GetModuleHandleA(nullptr);
    }

    void TearDown() override {
        while (!vpr::forms::Screen().empty()) vpr::forms::Screen().back()->Free();
        vpr::forms::Application->OnIdle = nullptr;
        StopEngine();
        Settings() = EngineSettings{};
        if (!failuresExpected_) EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
    }

    static vpr::machine::CreateOptions Options() {
        vpr::machine::CreateOptions options;
        options.drives = {{'D', "d"}};
        return options;
    }

    TfrmMain* CreateMain() {
        form_ = vpr::forms::NewForm<TfrmMain>(nullptr);
        form_->Show();
        return form_;
    }
    HWND Window() const { return form_->Handle(); }
    // A control of the main form by its name.
    vpr::forms::TWinControl* Control(const std::string& name) const {
        auto* control = dynamic_cast<vpr::forms::TWinControl*>(form_->FindComponent(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(vpr::forms::TWinControl* control) { ASSERT_TRUE(vpr::user::ui::Click(Window(), control->ControlId())); }
    void Type(vpr::forms::TEdit* edit, const std::string& text) {
        ASSERT_TRUE(vpr::user::ui::ReplaceText(Window(), edit->ControlId(), text));
    }
    // Answers the next box whose text starts so with a button; returns where
    // the box's caption will be kept.
    void Answer(const std::string& textStart, int button, std::string* caption = nullptr) {
        driver_.OnMessageBox(textStart, [button, caption](const vpr::user::ModalElement& box) {
            if (caption) *caption = box.caption;
            vpr::user::ui::Click(box.window, button);
        });
    }
    int Page() const { return form_->nbkMain->PageIndex(); }
    std::string Host(const std::string& windowsPath) const { return machine_.HostPath(windowsPath); }

    vpr::testing::TempMachine machine_;
    vpr::user::UiDriver driver_;
    TfrmMain* form_ = nullptr;
    bool failuresExpected_ = false;
};

}  // namespace snapshot::testing
