// Fuzz target of the template reader: the input is a template file. It is
// read whole as kmapptGetEntries reads it (all records, then only those of
// two kind masks), every record read is printed as qmtdump prints it and
// written back, and the written form must read back to the same record. The
// bytes after the signature are also parsed as one serialized entry.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "fuzz_kit.h"
#include "qmtdump/template_text_writer.h"
#include "template/template_library.h"
#include "vpr/win/memory_file.h"

namespace {

bool SameEntry(const TemplateEntry& a, const TemplateEntry& b) {
    if (a.kind != b.kind || a.subtype != b.subtype || a.length != b.length ||
        std::memcmp(a.values, b.values, sizeof a.values) != 0)
        return false;
    for (int i = 0; i < TEMPLATE_MAX_FIELDS; ++i) {
        if (a.fields[i].length != b.fields[i].length) return false;
        if (a.fields[i].length != 0 && std::memcmp(a.fields[i].data, b.fields[i].data, a.fields[i].length) != 0)
            return false;
    }
    return true;
}

// A record the writer accepts must read back as it was.
void CheckRoundTrip(const TemplateEntry& entry) {
    SerializedEntry* serialized = nullptr;
    if (kmapptWriteEntry(&entry, &serialized) != TEMPLATE_OK) return;
    TemplateEntry* again = nullptr;
    LONG result = kmapptReadEntryFromBuffer(serialized, &again);
    if (result != TEMPLATE_OK || !SameEntry(entry, *again)) {
        std::fprintf(stderr, "a written record does not read back (result %ld)\n", static_cast<long>(result));
        std::abort();
    }
    kmapptFreeReadEntry(again);
    kmapptFreeWriteEntry(serialized);
}

struct Printer {
    Printer() {
        vpr::fuzz::UseFuzzMachine(932);
        folder = std::filesystem::path(vpr::fuzz::ScratchFolder()) / "side";
        std::filesystem::create_directories(folder);
        text = std::fopen("/dev/null", "w");
        writer = std::make_unique<TemplateTextWriter>(text, text);
        writer->SetSideFileFolder(folder.string());
        writer->SetRandomSource([this] { return draws++; });
    }
    // Side files of one input are removed before the next.
    void Clean() {
        std::error_code ec;
        for (const auto& file : std::filesystem::directory_iterator(folder, ec)) std::filesystem::remove(file, ec);
        draws = 0;
    }
    std::filesystem::path folder;
    FILE* text = nullptr;
    std::unique_ptr<TemplateTextWriter> writer;
    uint32_t draws = 0;
};

void ReadAll(const uint8_t* data, size_t size, DWORD kindMask, Printer* printer) {
    auto file = std::make_shared<vpr::win::MemoryFile>(std::vector<uint8_t>(data, data + size));
    HFILE handle = vpr::win::MemoryFile::Open(file);
    EntryList* list = nullptr;
    if (kmapptGetEntries(handle, kindMask, TRUE, &list) == TEMPLATE_OK) {
        for (EntryList* node = list; node != nullptr; node = node->next) {
            if (printer != nullptr) printer->writer->WriteEntry(*node->entry);
            CheckRoundTrip(*node->entry);
        }
        kmapptFreeEntries(list);
    }
    _lclose(handle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Printer printer;
    ReadAll(data, size, 0, &printer);
    printer.Clean();
    ReadAll(data, size, 0x1, nullptr);
    ReadAll(data, size, 0x6, nullptr);
    if (size > 8) {
        SerializedEntry serialized{static_cast<DWORD>(size - 8), const_cast<BYTE*>(data + 8)};
        TemplateEntry* entry = nullptr;
        if (kmapptReadEntryFromBuffer(&serialized, &entry) == TEMPLATE_OK) kmapptFreeReadEntry(entry);
    }
    return 0;
}
