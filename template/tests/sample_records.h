// Records of every kind and subtype, written through the matching writer call,
// and the checks that compare what was read with what was written.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "template/template_library.h"
#include "vpr/win/memory_file.h"

namespace qmt_test {

// A record as the tests describe it: the fields its subtype carries, in order.
struct Record {
    DWORD kind;
    DWORD subtype;
    std::vector<DWORD> values;
    std::vector<std::string> fields;
};

// At least one record of every kind, and every subtype that changes the
// fields a record carries; texts of different lengths, an empty text, binary
// data with zero bytes inside.
std::vector<Record> EveryKind();

// Calls the writer entry point of the record's kind. Arguments for fields the
// subtype does not carry are given non-empty, to show they are left out.
LONG WriteWithWriter(HFILE handle, const Record& record);

// The in-memory entry of the record (pointing into its strings).
TemplateEntry ToEntry(const Record& record, DWORD length);

// Checks an entry read back against the record.
void ExpectEntry(const TemplateEntry& entry, const Record& record);

// An in-memory template file open on a handle.
struct MemoryTemplate {
    explicit MemoryTemplate(std::vector<uint8_t> contents = {});
    ~MemoryTemplate();
    std::vector<uint8_t> Bytes() const { return file->Contents(); }

    std::shared_ptr<vpr::win::MemoryFile> file;
    HFILE handle;
};

// The bytes of a template holding `records`, written by the writers.
std::vector<uint8_t> TemplateOf(const std::vector<Record>& records);

}  // namespace qmt_test
