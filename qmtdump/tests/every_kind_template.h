// A template holding every record kind and subtype, for the dump tests.
#pragma once

#include <string>

// Writes the template to `path` (a host path); false when it cannot.
bool WriteEveryKindTemplate(const std::string& path);

// Side files the dump of that template writes, when side-file numbers are
// drawn counting up from 0x1000: name and contents.
struct ExpectedSideFile {
    const char* name;
    std::string contents;
};
const ExpectedSideFile* EveryKindSideFiles(size_t* count);
