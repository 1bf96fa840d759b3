// A machine with a directory tree whose schema holds the application
// objects (acme, sales.acme, admin.acme logged in), the administration host
// running and KMAPP32.DLL bound, as the module's dialogs find them. Tests
// add their own objects in their SetUp.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "stored_values.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/directory/faults.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

class ApplicationTreeTest : public ::testing::Test {
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
        vpr::directory::faults::Reset();
        DirFreeContext(context_);
        host_.Stop();
        theAppLibrary.Unload();
    }

    std::vector<std::string> Values(const char* object, const char* attribute) {
        return StoredValues(context_, object, attribute);
    }
    bool Exists(const char* object) {
        DirObjectInfo info;
        return DirReadObjectInfo(context_, object, nullptr, &info) == DIR_SUCCESS;
    }

    vpr::testing::TempMachine machine_;
    vpr::testing::TempTree tree_;
    vpr::adminhost::AdminHost host_;
    DIR_CONTEXT context_ = 0;
};
