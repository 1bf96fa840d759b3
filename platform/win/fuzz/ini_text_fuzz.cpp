// Fuzz target of the ini reader: the input is the text of an ini file. It is
// read as the private profile calls read it (sections, keys, values, section
// lines), then edited; a value set must read back, a replaced section hold
// only its new lines, and a deleted section be gone.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_kit.h"
#include "vpr/win/ini_text.h"

using vpr::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vpr::win::IniText ini(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> sections = ini.SectionNames();
    // Every look-up reads the whole text: a few sections and keys are enough
    // to reach every path, and keep each input fast.
    constexpr size_t kLookups = 4;
    for (size_t s = 0; s < sections.size() && s < kLookups; ++s) {
        std::vector<std::string> keys = ini.KeyNames(sections[s]);
        for (size_t k = 0; k < keys.size() && k < kLookups; ++k) ini.Value(sections[s], keys[k]);
        ini.Entries(sections[s]);
        ini.SectionLines(sections[s]);
    }
    // Each edit reads the whole text again: one of each kind.
    std::string section = sections.empty() ? "Fuzz" : sections.front();
    ini.SetValue(section, "FuzzKey", "fuzz value");
    if (ini.Value(section, "FuzzKey") != "fuzz value") Fail("a value set does not read back");
    ini.ReplaceSection(section, {"a=1", "b"});
    if (ini.Value(section, "a") != "1" || ini.Value(section, "FuzzKey"))
        Fail("a replaced section does not hold its new lines alone");
    ini.DeleteSection(section);
    if (!ini.KeyNames(section).empty()) Fail("a deleted section still has keys");
    return 0;
}
