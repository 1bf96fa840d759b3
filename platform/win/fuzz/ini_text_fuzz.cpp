// Fuzz target of the ini reader: the input is the text of an ini file. It is
// read as the private profile calls read it (sections, keys, values, section
// lines), then edited; a value set must read back, and a deleted section or
// key must be gone.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vpr/win/ini_text.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vpr::win::IniText ini(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> sections = ini.SectionNames();
    for (const std::string& section : sections) {
        for (const std::string& key : ini.KeyNames(section)) ini.Value(section, key);
        ini.Entries(section);
        ini.SectionLines(section);
    }
    std::string section = sections.empty() ? "Fuzz" : sections.front();
    ini.SetValue(section, "FuzzKey", "fuzz value");
    if (ini.Value(section, "FuzzKey") != "fuzz value") Fail("a value set does not read back");
    ini.SetValue("Fuzz Section", "FuzzKey", "other");
    if (ini.Value("Fuzz Section", "FuzzKey") != "other") Fail("a value set in a new section does not read back");
    ini.DeleteKey(section, "FuzzKey");
    if (ini.Value(section, "FuzzKey")) Fail("a deleted key is still there");
    ini.ReplaceSection(section, {"a=1", "b"});
    if (ini.Value(section, "a") != "1") Fail("a replaced section does not read back");
    ini.DeleteSection(section);
    if (!ini.KeyNames(section).empty()) Fail("a deleted section still has keys");
    // What the edits left is read again from its text.
    vpr::win::IniText again(ini.Text());
    again.SectionNames();
    return 0;
}
