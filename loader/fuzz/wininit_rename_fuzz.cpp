// Fuzz target of the WININIT.INI edit: the input is the file's text as the
// loader finds it on a Windows 95 machine (code page 932, whose trail bytes
// include '[' and '\'). The edit must keep every byte of the file and add
// exactly one line (with the section header when the file has none, and a
// line end before it when the last line had none) inside the [rename]
// section; a second edit must land in the same section, after the first.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_kit.h"
#include "installation.h"

namespace {

using vpr::fuzz::Fail;

// Whether `result` is `text` with `added` inserted at the start of a line (when the
// text repeats itself, several places give the same result); with `after`,
// only at a place that follows `after`.
bool Inserted(const std::string& text, const std::string& result, const std::string& added,
              const std::string& after = "") {
    if (result.size() != text.size() + added.size()) return false;
    size_t prefix = 0;
    while (prefix < text.size() && result[prefix] == text[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < text.size() && result[result.size() - 1 - suffix] == text[text.size() - 1 - suffix]) ++suffix;
    for (size_t at = text.size() - suffix; at <= prefix; ++at) {
        if (result.compare(at, added.size(), added) != 0 || (at > 0 && text[at - 1] != '\n')) continue;
        if (after.empty() || (at >= after.size() && text.compare(at - after.size(), after.size(), after) == 0))
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    vpr::fuzz::UseFuzzMachine(932);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string line = "NUL=C:\\VELTRIX\\VprExp32.dll\r\n";
    const std::string result = AddWininitRenameText(text, "NUL", "C:\\VELTRIX\\VprExp32.dll");

    // The line end a last line without one gets: "\n" after a lone "\r".
    const std::string end = text.empty() || text.back() == '\n' ? "" : text.back() == '\r' ? "\n" : "\r\n";
    if (result != text + end + "[rename]\r\n" + line && result != text + end + line && !Inserted(text, result, line))
        Fail("the edit changed bytes of the file or added more than its line");

    // A second line lands in the same section, right after the first.
    const std::string secondLine = "C:\\VELTRIX\\VprExp32.dll=C:\\VELTRIX\\VPR1.TMP\r\n";
    const std::string second = AddWininitRenameText(result, "C:\\VELTRIX\\VprExp32.dll", "C:\\VELTRIX\\VPR1.TMP");
    if (!Inserted(result, second, secondLine, line)) Fail("a second line did not follow the first in its section");
    return 0;
}
