// Creating application objects on a real tree through the bound KMAPP32.DLL,
// with the messages the administrator sees answered as a person would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/new_object_name.h"
#include "stored_values.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/directory/faults.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/user/ui_driver.h"

namespace faults = vpr::directory::faults;
using vpr::user::ModalElement;
using vpr::user::UiDriver;
namespace ui = vpr::user::ui;
using Texts = std::vector<std::string>;

namespace {

class NewObjectNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.Org("acme").Unit("sales.acme").User("admin.acme").LogIn("admin.acme");
        ASSERT_NE(theAppLibrary.Load(), 0u);
        ASSERT_EQ(host_.Start(), 0);
        context_ = theDirectoryHelper.CreateContext();
        ASSERT_GT(context_, 0);
        ASSERT_EQ(theAppLibrary.ExtendSchema(context_, KMAPP_SCHEMA_APPLICATIONS), 0);
    }
    void TearDown() override {
        faults::Reset();
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        EXPECT_EQ(driver_.PendingHandlers(), 0u);
        DirFreeContext(context_);
        host_.Stop();
        theAppLibrary.Unload();
    }

    Texts Values(const char* object, const char* attribute) { return StoredValues(context_, object, attribute); }

    // The administrator reads the error box that starts with `text` and clicks OK.
    void ExpectErrorBox(const std::string& text) {
        driver_.OnMessageBox(text, [text](const ModalElement& box) {
            EXPECT_EQ(box.caption, "Dravik Error");
            EXPECT_EQ(box.text, text);
            EXPECT_EQ(box.messageBoxType & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
            ui::Click(box.window, IDOK);
        });
    }

    vpr::testing::TempMachine machine_;
    vpr::testing::TempTree tree_;
    vpr::adminhost::AdminHost host_;
    UiDriver driver_;
    DIR_CONTEXT context_ = 0;
};

TEST_F(NewObjectNameTest, WithAPathTheObjectHoldsClassPathAndCaption) {
    CNewObjectName wizard;
    EXPECT_EQ(wizard.CreateApplicationObject("WORD.sales.acme", "SYS:\\APPS\\WORD.EXE", "WORD"), 0);
    DirObjectInfo info;
    ASSERT_EQ(DirReadObjectInfo(context_, "WORD.sales.acme", nullptr, &info), DIR_SUCCESS);
    EXPECT_STREQ(info.baseClass, "App:Application");
    EXPECT_EQ(Values("WORD.sales.acme", "App:Path"), Texts{"SYS:\\APPS\\WORD.EXE"});
    EXPECT_EQ(Values("WORD.sales.acme", "App:Caption"), Texts{"WORD"});
    EXPECT_EQ(Values("WORD.sales.acme", "App:Flags"), Texts{});
    EXPECT_TRUE(driver_.Seen().empty());
}

TEST_F(NewObjectNameTest, WithoutAPathTheObjectIsInstallOnly) {
    CNewObjectName wizard;
    EXPECT_EQ(wizard.CreateApplicationObject("Setup.sales.acme", "", "Setup"), 0);
    EXPECT_EQ(Values("Setup.sales.acme", "App:Path"), Texts{" 47 NULL "});
    EXPECT_EQ(Values("Setup.sales.acme", "App:Flags"), Texts{"128"});
    EXPECT_EQ(Values("Setup.sales.acme", "App:Caption"), Texts{"Setup"});
    EXPECT_TRUE(driver_.Seen().empty());
}

TEST_F(NewObjectNameTest, AnExistingNameIsNamedInFullAndLeftAlone) {
    CNewObjectName wizard;
    ASSERT_EQ(wizard.CreateApplicationObject("WORD.sales.acme", "WORD.EXE", "Word"), 0);
    ExpectErrorBox("An application object with the name \"WORD.sales.acme\" already exists");
    EXPECT_EQ(wizard.CreateApplicationObject("WORD.sales.acme", "OTHER.EXE", "Other"), DIR_ERR_OBJECT_EXISTS);
    EXPECT_EQ(Values("WORD.sales.acme", "App:Path"), Texts{"WORD.EXE"});
    EXPECT_EQ(Values("WORD.sales.acme", "App:Caption"), Texts{"Word"});
}

TEST_F(NewObjectNameTest, FailuresShowTheirCode) {
    struct Case {
        const char* what;
        const char* path;
        int after;  // adds and modifies that succeed before the injected failure
        int expected;
        bool objectStays;
    };
    // The directory refuses the add (as it would a user without rights), or
    // the install-only flag write after the object was added.
    const Case cases[] = {
        {"add refused", "WORD.EXE", 0, DIR_ERR_NOT_ALLOWED, false},
        {"flags refused", "", 1, DIR_ERR_NOT_ALLOWED, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = std::string("App") + std::to_string(c.after) + ".sales.acme";
        CNewObjectName wizard;
        faults::FailModify(DIR_ERR_NOT_ALLOWED, c.after);
        ExpectErrorBox("Application object creation failed with error code " + std::to_string(c.expected));
        EXPECT_EQ(wizard.CreateApplicationObject(name.c_str(), c.path, "App"), c.expected);
        faults::Reset();
        // What was added before the failure stays: the path, with no flags.
        EXPECT_EQ(Values(name.c_str(), "App:Path"), c.objectStays ? Texts{" 47 NULL "} : Texts{});
        EXPECT_EQ(Values(name.c_str(), "App:Flags"), Texts{});
    }
}

TEST_F(NewObjectNameTest, ANameInAContainerThatDoesNotExistIsRefused) {
    CNewObjectName wizard;
    ExpectErrorBox("Application object creation failed with error code " + std::to_string(DIR_ERR_NO_SUCH_OBJECT));
    EXPECT_EQ(wizard.CreateApplicationObject("WORD.nowhere.acme", "WORD.EXE", "WORD"), DIR_ERR_NO_SUCH_OBJECT);
}

TEST_F(NewObjectNameTest, AWizardWithoutAContextReportsTheFailure) {
    faults::FailContextCreation(true);
    CNewObjectName wizard;
    faults::Reset();
    ExpectErrorBox("Application object creation failed with error code " + std::to_string(DIR_ERR_BAD_CONTEXT));
    EXPECT_EQ(wizard.CreateApplicationObject("WORD.sales.acme", "", "WORD"), DIR_ERR_BAD_CONTEXT);
    EXPECT_EQ(Values("WORD.sales.acme", "App:Path"), Texts{});
}

TEST_F(NewObjectNameTest, WithoutTheLauncherLibraryCreationFailsWithMinusOne) {
    theAppLibrary.Unload();
    CNewObjectName wizard;
    ExpectErrorBox("Application object creation failed with error code -1");
    EXPECT_EQ(wizard.CreateApplicationObject("WORD.sales.acme", "WORD.EXE", "WORD"), -1);
    ASSERT_NE(theAppLibrary.Load(), 0u);
    EXPECT_EQ(Values("WORD.sales.acme", "App:Path"), Texts{});
}

}  // namespace
