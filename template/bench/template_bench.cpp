// Writes and reads a template of one million small records: on a host file in
// /tmp, and from the same bytes in an in-memory file for comparison.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "template/template_library.h"
#include "vpr/win/memory_file.h"

namespace {

constexpr int kRecords = 1000000;

std::string BenchPath() { return "/tmp/vpr-template-bench-" + std::to_string(::getpid()) + ".qmt"; }

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

void WriteTemplate(HFILE h, benchmark::State& state) {
    if (kmapptWriteSignature(h) != TEMPLATE_OK) state.SkipWithError("signature");
    for (int i = 0; i < kRecords; ++i) {
        if (WriteSmallRecord(h, i) != TEMPLATE_OK) {
            state.SkipWithError("write");
            return;
        }
    }
}

// Reads every record with kmapptReadEntry and frees it.
void ReadTemplate(HFILE h, benchmark::State& state) {
    if (kmapptVerifySignature(h) != TEMPLATE_OK) state.SkipWithError("signature");
    int count = 0;
    TemplateEntry* entry;
    LONG result;
    while ((result = kmapptReadEntry(h, &entry)) == TEMPLATE_OK) {
        kmapptFreeReadEntry(entry);
        ++count;
    }
    if (result != TEMPLATE_ERR_END || count != kRecords) state.SkipWithError("read");
}

void BM_WriteHostFile(benchmark::State& state) {
    std::string path = BenchPath();
    for (auto _ : state) {
        HFILE h = _lcreat(path.c_str(), 0);
        WriteTemplate(h, state);
        _lclose(h);
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * kRecords);
}

// The benchmark's template written to a host file, removed afterwards.
struct HostTemplate {
    explicit HostTemplate(benchmark::State& state) {
        HFILE h = _lcreat(path.c_str(), 0);
        WriteTemplate(h, state);
        _lclose(h);
    }
    ~HostTemplate() { std::remove(path.c_str()); }

    const std::string path = BenchPath();
};

void BM_ReadHostFile(benchmark::State& state) {
    HostTemplate file(state);
    for (auto _ : state) {
        HFILE h = _lopen(file.path.c_str(), OF_READ);
        ReadTemplate(h, state);
        _lclose(h);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

// The whole template as an entry list, as the administration module reads it.
void BM_GetEntriesHostFile(benchmark::State& state) {
    HostTemplate file(state);
    for (auto _ : state) {
        HFILE h = _lopen(file.path.c_str(), OF_READ);
        EntryList* list = nullptr;
        if (kmapptGetEntries(h, 0, 1, &list) != TEMPLATE_OK) state.SkipWithError("list");
        kmapptFreeEntries(list);
        _lclose(h);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ReadMemoryFile(benchmark::State& state) {
    auto file = std::make_shared<vpr::win::MemoryFile>();
    HFILE h = vpr::win::MemoryFile::Open(file);
    WriteTemplate(h, state);
    for (auto _ : state) ReadTemplate(h, state);
    _lclose(h);
    state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_WriteHostFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadHostFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetEntriesHostFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMemoryFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
