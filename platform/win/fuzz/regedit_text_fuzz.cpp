// Fuzz target of the REGEDIT4 reader: the input is the text of a .reg file,
// read into import steps as `vprmachine reg import` reads it. A refused text
// must say which line is wrong; an accepted one keeps every step within
// Windows' limits.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_kit.h"
#include "regedit_parser.h"

using vpr::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<vpr::win::ImportStep> steps;
    std::string error;
    if (!vpr::win::RegeditParser(text).Parse(&steps, &error)) {
        if (error.empty()) Fail("a refused text without a reason");
        return 0;
    }
    for (const vpr::win::ImportStep& step : steps) {
        if (step.hive == nullptr) Fail("a step without a hive");
        if (step.kind == vpr::win::ImportStep::kSetValue &&
            step.value.name.size() > vpr::win::kMaxValueNameChars)
            Fail("a value name beyond the limit was accepted");
    }
    return 0;
}
