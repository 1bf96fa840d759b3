// Fuzz target of the ini section index: the input is the copy of an ini file
// as a picture keeps it. Its lines are read as the ini pass reads them,
// its sections indexed, and each section's lines taken both as a new section
// and as one in both copies, with each line split into key and value.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_file.h"
#include "fuzz_kit.h"
#include "maketemplate/ini_sections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Code page 932: lines whose trail bytes look like ']' or '>'.
    vpr::fuzz::UseFuzzMachine(932);
    std::string path = vpr::fuzz::WriteInputFile(data, size);
    std::vector<std::string> lines;
    if (!snapshot::ReadTextLines(path, &lines)) std::abort();
    std::vector<snapshot::IniSection> sections = snapshot::IndexIniSections(lines);
    for (const snapshot::IniSection& section : sections) {
        if (section.line >= lines.size() || !snapshot::IsSectionHeader(lines[section.line])) {
            std::fprintf(stderr, "a section row that is no header line\n");
            std::abort();
        }
        for (const std::string& line : snapshot::NewSectionLines(lines, section.line)) {
            snapshot::KeyOfLine(line);
            snapshot::ValueOfLine(line);
        }
        for (const std::string& line : snapshot::CommonSectionLines(lines, section.line)) {
            snapshot::KeyOfLine(line);
            snapshot::ValueOfLine(line);
        }
    }
    if (!lines.empty()) snapshot::LookupListValue(lines, snapshot::KeyOfLine(lines.front()));
    return 0;
}
