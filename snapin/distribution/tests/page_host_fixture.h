// The page tests' fixture: the pages in the host of support/page_host.h. A
// test opens the object's details, acts on a page through the UI driver as a
// person would, and compares the saved stream with a table of records.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/page_host.h"

class PageHostFixture : public ::testing::Test, public PageHost {
protected:
    void Start(const std::vector<PageSlot>& slots, bool extendSchema = true) {
        ASSERT_EQ(StartHost(slots, extendSchema), "");
    }
    // As Start, with the held launcher library of bin/hold.
    void StartHeld(const std::vector<PageSlot>& slots) { ASSERT_EQ(StartHeldHost(slots), ""); }
    void TearDown() override { StopHost(); }
};
