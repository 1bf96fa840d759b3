// Measures, in one run, how fast a distribution page turns a large stream
// into its rows, against the plainest code that parses the same stream:
//  - Application Files: N copy entries with distinct targets in N/100
//    directories;
//  - Registry Settings: N text values in N/100 keys;
//  - INI Settings: N identifiers in 100 files of 10 sections each.
// The page's time runs from the start of its initialisation until the rows
// of the worker's list are built and the page is ready (OnReadFinished); the
// baseline opens the same template from a file and runs kmapptGetEntries and
// kmapptFreeEntries. The ratio is baseline time / page time.
// Run by hand from a release tree (scripts/bench.sh).
//   distribution_bench [--entries N]      N entries (default 100000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "snapin/core/schema_names.h"
#include "snapin/distribution/app_files_page.h"
#include "snapin/distribution/ini_files_page.h"
#include "snapin/distribution/registry_settings_page.h"
#include "support/page_host.h"
#include "vpr/testing/bench.h"

namespace {

constexpr int kRounds = 3;
constexpr int kEntriesPerGroup = 100;
constexpr int kIniFiles = 100;
constexpr int kSectionsPerIniFile = 10;

using Clock = std::chrono::steady_clock;

// A page that notes when its initialisation starts and when its rows are ready.
template <class Page>
class CTimedPage : public Page {
public:
    BOOL OnInitDialog() override {
        s_start = Clock::now();
        s_ready = false;
        return Page::OnInitDialog();
    }
    static inline Clock::time_point s_start, s_end;
    static inline bool s_ready = false;

protected:
    void OnReadFinished() override {
        Page::OnReadFinished();
        s_end = Clock::now();
        s_ready = true;
    }
};

using TimedAppFiles = CTimedPage<CAppFilesPage>;
using TimedRegistry = CTimedPage<CRegistrySettingsPage>;
using TimedIniFiles = CTimedPage<CIniFilesPage>;
CDialog* MakeAppFiles() { return new TimedAppFiles; }
CDialog* MakeRegistry() { return new TimedRegistry; }
CDialog* MakeIniFiles() { return new TimedIniFiles; }

void WriteAppFiles(HFILE file, int entries) {
    char source[96], target[96];
    for (int i = 0; i < entries; ++i) {
        int directory = i / kEntriesPerGroup;
        std::snprintf(source, sizeof source, "\\\\SRV\\SYS\\APPS\\D%04d\\F%06d.DAT", directory, i);
        std::snprintf(target, sizeof target, "C:\\APPS\\D%04d\\F%06d.DAT", directory, i);
        if (kmapptWriteFileEntry(file, 1, 0x8, source, target) != 0) throw std::runtime_error("cannot write an entry");
    }
}

void WriteRegistry(HFILE file, int entries) {
    char key[96], name[32], data[32];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(key, sizeof key, "HKEY_LOCAL_MACHINE\\Software\\Bench\\K%04d", i / kEntriesPerGroup);
        std::snprintf(name, sizeof name, "V%03d", i % kEntriesPerGroup);
        int length = std::snprintf(data, sizeof data, "value %d", i);
        if (kmapptWriteValueEntry(file, 1, 1, key, name, 1, static_cast<DWORD>(length),
                                  reinterpret_cast<const BYTE*>(data)) != 0)
            throw std::runtime_error("cannot write an entry");
    }
}

// Each section of each file holds an equal share of the identifiers, one
// section after another.
void WriteIniFiles(HFILE file, int entries) {
    char iniFile[64], section[32], identifier[32], value[32];
    int sections = kIniFiles * kSectionsPerIniFile;
    int perSection = std::max(1, entries / sections);
    for (int i = 0; i < entries; ++i) {
        int at = std::min(i / perSection, sections - 1);
        std::snprintf(iniFile, sizeof iniFile, "C:\\WINDOWS\\BENCH%03d.INI", at / kSectionsPerIniFile);
        std::snprintf(section, sizeof section, "Section%02d", at % kSectionsPerIniFile);
        std::snprintf(identifier, sizeof identifier, "Key%06d", i);
        std::snprintf(value, sizeof value, "value %d", i);
        if (kmapptWriteIdentEntry(file, 1, 0x1, iniFile, section, identifier, value) != 0)
            throw std::runtime_error("cannot write an entry");
    }
}

double Seconds(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double>(end - start).count();
}

// The page's seconds: opens the details on the page, waits until its rows
// are ready and cancels.
template <class Page>
double PageSeconds(PageHost& host) {
    host.Details(0, [](HWND, HWND) { PageHost::PumpUntil([] { return Page::s_ready; }); }, false);
    if (!Page::s_ready) throw std::runtime_error("the page did not read its stream");
    return Seconds(Page::s_start, Page::s_end);
}

// The baseline's seconds: the template file parsed into a list and freed.
double BaselineSeconds(const std::string& path, int entries) {
    Clock::time_point start = Clock::now();
    HFILE file = HFILE_ERROR;
    if (kmapptOpen(path.c_str(), &file) != 0) throw std::runtime_error("cannot open " + path);
    EntryList* list = nullptr;
    LONG result = kmapptGetEntries(file, 0, 1, &list);
    kmapptClose(file);
    int count = 0;
    for (EntryList* node = list; node; node = node->next) ++count;
    kmapptFreeEntries(list);
    double seconds = Seconds(start, Clock::now());
    if (result != 0 || count != entries) throw std::runtime_error("the baseline read " + std::to_string(count));
    return seconds;
}

// A host whose class holds the one page, with the stream of `write`.
class BenchHost : public PageHost {
public:
    BenchHost(PageSlot slot, const char* attribute, const std::string& bytes) {
        std::string error = StartHost({slot});
        if (!error.empty()) throw std::runtime_error(error);
        tree_.Stream(kObject, attribute, bytes);
    }
    ~BenchHost() { StopHost(); }
};

template <class Page>
void Measure(const std::string& workload, PageSlot slot, const char* attribute, int entries,
             void (*write)(HFILE, int)) {
    std::string bytes = TemplateBytes([&](HFILE file) { write(file, entries); });
    std::string path = (std::filesystem::temp_directory_path() /
                        ("distribution_bench_" + std::to_string(::getpid()) + ".qmt")).string();
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    double page = 1e300, baseline = 1e300;
    {
        BenchHost host(slot, attribute, bytes);
        for (int round = 0; round < kRounds; ++round) {
            page = std::min(page, PageSeconds<Page>(host));
            baseline = std::min(baseline, BaselineSeconds(path, entries));
        }
    }
    std::filesystem::remove(path);
    vpr::testing::PrintBenchLine(workload, entries / page, entries / baseline, ">= 0.5");
}

int Run(int entries) {
    vpr::testing::PrintBenchHeader("distribution_bench");
    Measure<TimedAppFiles>("App Files page read, " + std::to_string(entries) + " files", {58, 321, 1, MakeAppFiles},
                           snapin::kAttrCopyFiles, entries, WriteAppFiles);
    Measure<TimedRegistry>("Registry page read, " + std::to_string(entries) + " values", {56, 319, 1, MakeRegistry},
                           snapin::kAttrRegistrySettings, entries, WriteRegistry);
    Measure<TimedIniFiles>("INI page read, " + std::to_string(entries) + " identifiers", {57, 320, 1, MakeIniFiles},
                           snapin::kAttrIniSettings, entries, WriteIniFiles);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int entries = 100000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--entries") == 0 && i + 1 < argc) {
            entries = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: distribution_bench [--entries N]   (N entries, default 100000)\n");
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    if (entries < kEntriesPerGroup) entries = kEntriesPerGroup;
    try {
        return Run(entries);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "distribution_bench: %s\n", e.what());
    }
    return 1;
}
