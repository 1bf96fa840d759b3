// Template records as the dump tool prints them (qmtdump's text form), one
// string per record, so that a test compares what a page saved with a table
// of expected records. Long texts that the text form puts in side files are
// written to a temporary folder and shown by their side-file name.
#pragma once

#include <string>
#include <vector>

#include "vpr/directory/client.h"
#include "windows.h"

namespace vpr::testing {

// The records of an open template (its signature checked), from offset 0.
// A template that cannot be read gives "error N" as its last string.
std::vector<std::string> TemplateRecords(HFILE file);
// The records of a template file (a Windows or host path).
std::vector<std::string> TemplateFileRecords(const std::string& path);
// The records of an object's stream attribute; none when it has no value.
std::vector<std::string> StreamRecords(DIR_CONTEXT context, const std::string& object, const std::string& attribute);

}  // namespace vpr::testing
