// A test's machine of a given code page, which the locale library steps by.
#pragma once

#include <gtest/gtest.h>

#include "vpr/locale/locale.h"
#include "vpr/testing/temp_machine.h"

namespace vpr::locale {

// Runs on a machine of the given code page for the length of a test.
class CodePageScope {
public:
    explicit CodePageScope(UINT codePage) : machine_(Options(codePage)) {
        EXPECT_EQ(CurrentCodePage(), codePage);
    }

private:
    static vpr::machine::CreateOptions Options(UINT codePage) {
        vpr::machine::CreateOptions options;
        options.codePage = codePage;
        return options;
    }
    vpr::testing::TempMachine machine_;
};

}  // namespace vpr::locale
