// The template reader and writer on a host file against the same work in
// memory: one million small records such as a snapshot writes, read through
// the file handle layer, against parsing the same bytes from a memory buffer.
// Run by hand from a release tree (scripts/bench.sh).
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "template/template_library.h"
#include "vpr/testing/bench.h"
#include "vpr/win/memory_file.h"

using vpr::testing::BenchWork;
using vpr::testing::CompareBench;

namespace {

constexpr int kRecords = 1000000;
constexpr size_t kSignatureSize = 8;

// A mix of small records such as a snapshot writes: files, registry keys,
// ini identifiers, application strings and values.
LONG WriteSmallRecord(HFILE h, int i) {
    switch (i % 5) {
        case 0: return kmapptWriteFileEntry(h, 1, 0x2, "SETUP\\APP.DLL", "C:\\APPS\\APP.DLL");
        case 1: return kmapptWriteKeyEntry(h, 1, 0, "HKEY_LOCAL_MACHINE\\Software\\App");
        case 2: return kmapptWriteIdentEntry(h, 1, 0x40, "WIN.INI", "App", "Key", "1");
        case 3: return kmapptWriteBaseString(h, 1, "Sample Editor");
        default: return kmapptWriteBaseValue(h, 3, 0x80);
    }
}

void WriteTemplate(HFILE h, int records = kRecords) {
    if (kmapptWriteSignature(h) != TEMPLATE_OK) throw std::runtime_error("signature");
    for (int i = 0; i < records; ++i) {
        if (WriteSmallRecord(h, i) != TEMPLATE_OK) throw std::runtime_error("write");
    }
}

// Reads every record with kmapptReadEntry and frees it.
void ReadTemplate(HFILE h) {
    if (kmapptVerifySignature(h) != TEMPLATE_OK) throw std::runtime_error("signature");
    int count = 0;
    TemplateEntry* entry;
    LONG result;
    while ((result = kmapptReadEntry(h, &entry)) == TEMPLATE_OK) {
        kmapptFreeReadEntry(entry);
        ++count;
    }
    if (result != TEMPLATE_ERR_END || count != kRecords) throw std::runtime_error("read");
}

// Parses every record of the file's bytes from memory, record by record.
void ParseBytes(std::vector<uint8_t>& bytes, int records = kRecords) {
    size_t at = kSignatureSize;
    int count = 0;
    while (at + 12 <= bytes.size()) {
        SerializedEntry serialized{static_cast<DWORD>(bytes.size() - at), bytes.data() + at};
        TemplateEntry* entry;
        if (kmapptReadEntryFromBuffer(&serialized, &entry) != TEMPLATE_OK) throw std::runtime_error("parse");
        at += entry->length;
        kmapptFreeReadEntry(entry);
        ++count;
    }
    if (count != records) throw std::runtime_error("parse count");
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

int main() {
    vpr::testing::PrintBenchHeader("template_bench: the template library on a host file against memory");
    const std::string path = "/tmp/vpr-template-bench-" + std::to_string(::getpid()) + ".qmt";

    BenchWork writeFile{kRecords, [&] {
        HFILE h = _lcreat(path.c_str(), 0);
        WriteTemplate(h);
        _lclose(h);
    }};
    BenchWork writeMemory{kRecords, [&] {
        HFILE h = vpr::win::MemoryFile::Open(std::make_shared<vpr::win::MemoryFile>());
        WriteTemplate(h);
        _lclose(h);
    }};
    CompareBench("template write records (host file)", writeFile, writeMemory, "", 3);

    std::vector<uint8_t> bytes = FileBytes(path);
    BenchWork parseMemory{kRecords, [&] { ParseBytes(bytes); }};
    BenchWork readFile{kRecords, [&] {
        HFILE h = _lopen(path.c_str(), OF_READ);
        ReadTemplate(h);
        _lclose(h);
    }};
    CompareBench("template read records (host file)", readFile, parseMemory, ">= 0.5");

    // The whole template as an entry list, as the administration module reads it.
    BenchWork getEntries{kRecords, [&] {
        HFILE h = _lopen(path.c_str(), OF_READ);
        EntryList* list = nullptr;
        if (kmapptGetEntries(h, 0, 1, &list) != TEMPLATE_OK) throw std::runtime_error("list");
        kmapptFreeEntries(list);
        _lclose(h);
    }};
    CompareBench("template kmapptGetEntries (host file)", getEntries, parseMemory, "ours >= 3000000/s");

    // The same for a template of the size a page reads: its list stays in
    // memory the process already has, where a million entries make the
    // process take some 200 MB from the system each round.
    constexpr int kPageRecords = 10000;
    HFILE small = _lcreat(path.c_str(), 0);
    WriteTemplate(small, kPageRecords);
    _lclose(small);
    std::vector<uint8_t> smallBytes = FileBytes(path);
    BenchWork smallList{kPageRecords, [&] {
        for (int i = 0; i < 10; ++i) {
            HFILE h = _lopen(path.c_str(), OF_READ);
            EntryList* list = nullptr;
            if (kmapptGetEntries(h, 0, 1, &list) != TEMPLATE_OK) throw std::runtime_error("list");
            kmapptFreeEntries(list);
            _lclose(h);
        }
    }};
    smallList.items *= 10;
    BenchWork smallParse{kPageRecords * 10, [&] {
        for (int i = 0; i < 10; ++i) ParseBytes(smallBytes, kPageRecords);
    }};
    CompareBench("template kmapptGetEntries (10,000)", smallList, smallParse, "ours >= 3000000/s", 5);
    std::remove(path.c_str());
    return 0;
}
