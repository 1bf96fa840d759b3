// A machine with a seeded tree and kmadmin.ini listing HOSTSNAP.DLL, whose
// log and settings the tests read and set.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_snapin/host_snap.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "windows.h"

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.Org("acme").Unit("sales.acme").User("jdoe.sales.acme", "John Doe").User("ann.sales.acme")
            .Group("staff.sales.acme").LogIn("jdoe.sales.acme");
        ASSERT_TRUE(WritePrivateProfileStringA("Snapin Modules", "HOSTSNAP", "HOSTSNAP.DLL", "kmadmin.ini"));
        // Held by the test too, so the log outlives the host's own load.
        snapin_ = LoadLibraryA("HOSTSNAP.DLL");
        ASSERT_TRUE(snapin_);
        log_ = reinterpret_cast<HostSnapLogFn>(GetProcAddress(snapin_, "HostSnapLog"))();
        config_ = reinterpret_cast<HostSnapConfigFn>(GetProcAddress(snapin_, "HostSnapConfigure"))();
        log_->clear();
        *config_ = HostSnapConfig{};
    }
    void TearDown() override {
        host_.Stop();
        if (snapin_) FreeLibrary(snapin_);
    }

    // The log from the first line that starts with `from`.
    std::vector<std::string> LogFrom(const std::string& from) const {
        for (size_t i = 0; i < log_->size(); ++i)
            if ((*log_)[i].rfind(from, 0) == 0) return {log_->begin() + i, log_->end()};
        return {};
    }


    vpr::testing::TempMachine machine_;
    vpr::testing::TempTree tree_{"TEST_TREE", "jdoe.sales.acme"};  // jdoe administers the tree
    vpr::adminhost::AdminHost host_;
    HMODULE snapin_ = nullptr;
    std::vector<std::string>* log_ = nullptr;
    HostSnapConfig* config_ = nullptr;
};
