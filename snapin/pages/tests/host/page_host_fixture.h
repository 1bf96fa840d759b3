// The attribute pages as a person meets them: the built administration
// module VPRADM32.DLL loaded by the administration host of this process, on
// a tree with the application schema, driven by kmadmin scripts. What the
// pages stored is read back through the launcher library and the directory
// client (stored_values.h) and compared with tables.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "stored_values.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/adminhost/script_runner.h"
#include "vpr/directory/faults.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/user/prsht.h"
#include "windows.h"

using Texts = std::vector<std::string>;

class PageHostTest : public ::testing::Test {
protected:
    // The build's programs: beside this test program unless VPR_BUILD_BIN says.
    static std::string Bin() {
        const char* bin = std::getenv("VPR_BUILD_BIN");
        if (bin && *bin) return std::filesystem::absolute(bin).string();
        return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    }

    // The host path as a name of drive Z:, the host's root.
    static std::string OnDriveZ(std::string path) {
        for (char& c : path)
            if (c == '/') c = '\\';
        return "Z:" + path;
    }

    // The organization acme with the unit sales, the users admin, jdoe and
    // ann, the group staff and the applications WP, Calc and Draw; admin
    // (logged in) may write every attribute and ACL of the tree.
    void SetUp() override {
        setenv("KMLANGUAGE", "english", 1);
        tree_.Org("acme").Unit("sales.acme").User("admin.acme").User("jdoe.sales.acme", "John Doe")
            .User("ann.sales.acme").Group("staff.sales.acme")
            .Grant("[Root]", "admin.acme", "[All Attributes Rights]", DIR_ATTR_READ | DIR_ATTR_WRITE)
            .Grant("[Root]", "admin.acme", "[Entry Rights]", DIR_ENTRY_BROWSE | DIR_ENTRY_ADD);
        tree_.LogIn("admin.acme");
        ASSERT_NE(theAppLibrary.Load(), 0u);
        context_ = DirCreateContext();
        ASSERT_GT(context_, 0);
        ASSERT_EQ(theAppLibrary.ExtendSchema(context_, KMAPP_SCHEMA_APPLICATIONS), 0);
        for (const char* app : {"WP.sales.acme", "Calc.sales.acme", "Draw.sales.acme"}) {
            ASSERT_EQ(theAppLibrary.CreateObject(context_, app, "App:Application", "APP.EXE", app, 0), 0);
            // With a GUID already, opening the details writes nothing.
            tree_.Set(app, "App:GUID", {std::string("0000-") + app});
        }
        Seed();
        ASSERT_TRUE(WritePrivateProfileStringA("Snapin Modules", "VPRADM32",
                                               OnDriveZ(Bin() + "/VPRADM32.DLL").c_str(), "kmadmin.ini"));
        ASSERT_EQ(host_.Start(), 1);
    }

    // More objects, values and rights of a test's own (another user may log
    // in here), before the host starts.
    virtual void Seed() {}

    void TearDown() override {
        host_.Stop();
        vpr::directory::faults::Reset();
        DirFreeContext(context_);
        theAppLibrary.Unload();
        unsetenv("KMLANGUAGE");
    }

    // Runs a kmadmin script in the host: its exit code; output_ holds what it printed.
    int Run(const std::string& script) {
        std::istringstream in(script);
        std::ostringstream out;
        int code = vpr::adminhost::RunScript(host_, in, out);
        output_ = out.str();
        return code;
    }

    Texts Values(const char* object, const char* attribute) { return StoredValues(context_, object, attribute); }
    std::string Stream(const char* object, const char* attribute) { return StoredStream(context_, object, attribute); }

    // The stored values of these attributes of these objects, a line each:
    // "OBJECT ATTRIBUTE: VALUE", objects and attributes in the order given.
    std::string Stored(const std::vector<std::string>& objects, const std::vector<std::string>& attributes) {
        std::string lines;
        for (const std::string& object : objects)
            for (const std::string& attribute : attributes)
                for (const std::string& value : Values(object.c_str(), attribute.c_str()))
                    lines += object + " " + attribute + ": " + value + "\n";
        return lines;
    }

    // Goes to the details page of this title, as a person clicking its tab;
    // the page's window (null when the sheet has no such page).
    static HWND ShowPage(HWND sheet, const std::string& title) {
        HWND tabs = GetDlgItem(sheet, IDC_PROPSHEET_TABS);
        int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[64] = {};
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            if (title == text) {
                vpr::user::ui::ClickTab(sheet, i);
                return vpr::adminhost::AdminHost::DetailsPage(sheet);
            }
        }
        return nullptr;
    }

    // The object's modification time (seconds), 0 when it cannot be read.
    uint32_t ModificationTime(const char* object) {
        DirObjectInfo info{};
        return DirReadObjectInfo(context_, object, nullptr, &info) == DIR_SUCCESS ? info.modificationTime : 0;
    }

    vpr::testing::TempMachine machine_;
    vpr::testing::TempTree tree_;
    vpr::adminhost::AdminHost host_;
    DIR_CONTEXT context_ = 0;
    std::string output_;
};
