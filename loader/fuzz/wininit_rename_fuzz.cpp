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

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// Whether `result` is `text` with `added` inserted at one place; the place
// found, else npos.
size_t InsertedAt(const std::string& text, const std::string& result, const std::string& added) {
    if (result.size() != text.size() + added.size()) return std::string::npos;
    size_t prefix = 0;
    while (prefix < text.size() && result[prefix] == text[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < text.size() && result[result.size() - 1 - suffix] == text[text.size() - 1 - suffix]) ++suffix;
    for (size_t at = text.size() - suffix; at <= prefix; ++at)
        if (result.compare(at, added.size(), added) == 0) return at;
    return std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    vpr::fuzz::UseFuzzMachine(932);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string line = "NUL=C:\\VELTRIX\\VprExp32.dll\r\n";
    const std::string result = AddWininitRenameText(text, "NUL", "C:\\VELTRIX\\VprExp32.dll");

    size_t at = std::string::npos, lineAt = 0;
    for (const char* end : {"", "\r\n", "\n"}) {
        for (const char* header : {"", "[rename]\r\n"}) {
            const std::string added = end + std::string(header) + line;
            at = InsertedAt(text, result, added);
            if (at == std::string::npos) continue;
            if (*end && (at != text.size() || text.empty() || text.back() == '\n'))
                Fail("a line end was added where the text had one");
            if (*end == '\n' && text.back() != '\r') Fail("a bare line feed ended a line");
            if (*header && at != text.size()) Fail("a new [rename] section was not put at the end");
            lineAt = at + added.size() - line.size();
            break;
        }
        if (at != std::string::npos) break;
    }
    if (at == std::string::npos) Fail("the edit changed bytes of the file or added more than its line");

    // A second line lands in the same section, right after the first.
    const std::string secondLine = "C:\\VELTRIX\\VprExp32.dll=C:\\VELTRIX\\VPR1.TMP\r\n";
    const std::string second = AddWininitRenameText(result, "C:\\VELTRIX\\VprExp32.dll", "C:\\VELTRIX\\VPR1.TMP");
    if (InsertedAt(result, second, secondLine) != lineAt + line.size() ||
        second.compare(lineAt + line.size(), secondLine.size(), secondLine) != 0)
        Fail("a second line did not follow the first in its section");
    return 0;
}
