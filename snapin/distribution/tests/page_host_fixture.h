// The page tests' fixture: the pages in the host of support/page_host.h. A
// test opens the object's details, acts on a page through the UI driver as a
// person would, and compares the saved stream with a table of records.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/page_host.h"

// The records of a template written by the template library: what a test
// expects a page to save.
inline Records ExpectedRecords(const std::function<void(HFILE)>& write) {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("dist_expected_" + std::to_string(::getpid()) + ".qmt")).string();
    HFILE file = HFILE_ERROR;
    kmapptCreate(path.c_str(), &file);
    if (write) write(file);
    kmapptClose(file);
    Records records = vpr::testing::TemplateFileRecords(path);
    std::filesystem::remove(path);
    return records;
}

class PageHostFixture : public ::testing::Test, public PageHost {
protected:
    void Start(const std::vector<PageSlot>& slots, bool extendSchema = true) {
        ASSERT_EQ(StartHost(slots, extendSchema), "");
    }
    // As Start, with the held launcher library of bin/hold.
    void StartHeld(const std::vector<PageSlot>& slots) { ASSERT_EQ(StartHeldHost(slots), ""); }
    void TearDown() override { StopHost(); }

    // The person selects rows of a list (from 0), the first alone, the
    // others with Ctrl.
    static void SelectRows(HWND page, int listId, std::initializer_list<int> rows) {
        WPARAM keys = 0;
        for (int row : rows) {
            vpr::user::ui::SelectRow(page, listId, row, keys);
            keys = MK_CONTROL;
        }
    }
    // At the end of a test: nothing unexpected happened and every armed
    // answer was used.
    void ExpectDriverDone() {
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        EXPECT_EQ(driver_.PendingHandlers(), 0u);
    }
};
