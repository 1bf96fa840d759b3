// Measures, in one run, the snapshot engine against the plainest code that
// does the same work, on a folder of many small files mapped as drive D:
//  - a picture of D: (fast scan) against `find FOLDER -printf '%s %T@\n'`
//    over the same folder, both warm: find time / picture time;
//  - after 1% of the files changed, 0.5% new, 0.5% deleted and a new
//    folder, the file pass of the template step against reading both
//    pictures whole: reading time / file pass time (0.5 means twice as long).
// Run by hand from a release tree (scripts/bench.sh).
//   snapshot_bench [--files N]      N files (default 100000) in N/100 folders
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "picture/picture_file.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/imprx_exports.h"
#include "snapshot/engine/work_directory.h"
#include "vpr/testing/bench.h"
#include "vpr/testing/temp_machine.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 3;
constexpr int kFilesPerFolder = 100;

using Clock = std::chrono::steady_clock;

struct Stopped {
    UINT stringId;
};

std::string FileName(int folder, int file) {
    char name[64];
    std::snprintf(name, sizeof name, "T%d/S%d/F%d.DAT", folder / 100, folder % 100, file);
    return name;
}

void Write(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// The folder's files: FOLDERS folders of 100 files each, in two levels.
void MakeFiles(const std::string& root, int folders) {
    for (int folder = 0; folder < folders; ++folder)
        for (int file = 0; file < kFilesPerFolder; ++file)
            Write(root + "/" + FileName(folder, file), "content " + std::to_string(folder * 1000 + file));
}

// 1% changed (another size), 0.5% new, 0.5% deleted, and a new folder
// holding some of the new files.
void ChangeFiles(const std::string& root, int folders) {
    int files = folders * kFilesPerFolder;
    for (int i = 0; i < files / 100; ++i) {
        int n = i * 100 + 7;
        Write(root + "/" + FileName(n / kFilesPerFolder, n % kFilesPerFolder), "changed content, longer " + std::to_string(n));
    }
    for (int i = 0; i < files / 200; ++i) {
        int n = i * 200 + 50;
        fs::remove(root + "/" + FileName(n / kFilesPerFolder, n % kFilesPerFolder));
    }
    for (int i = 0; i < files / 200; ++i) {
        if (i % 2 == 0)
            Write(root + "/NEWFOLDER/N" + std::to_string(i) + ".DAT", "new " + std::to_string(i));
        else
            Write(root + "/" + FileName(i % folders, kFilesPerFolder + i), "new " + std::to_string(i));
    }
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Take(long phase) {
    if (phase != 0) IMPRXCreateAfterDir('C');
    IMPRXTakePicture('C', snapshot::DefaultsFile('C').c_str(), phase, nullptr);
}

// The template step's reports with the time each came.
std::vector<std::pair<std::string, Clock::time_point>> g_reports;
void Progress(LPCSTR text) { g_reports.emplace_back(text, Clock::now()); }

// Seconds from the file pass's report to the next one.
double FilePassSeconds() {
    std::string comparingFiles = snapshot::LoadResString(snapshot::kStrComparingFiles);
    for (size_t i = 0; i + 1 < g_reports.size(); ++i)
        if (g_reports[i].first == comparingFiles)
            return std::chrono::duration<double>(g_reports[i + 1].second - g_reports[i].second).count();
    throw std::runtime_error("the template step made no file pass");
}

// Reads a picture file record by record, as the plainest reader would.
size_t ReadPicture(const std::string& path) {
    snapshot::PictureReader reader;
    std::string text;
    snapshot::FileRecord file;
    uint32_t tag = 0;
    size_t records = 0;
    if (!reader.Open(path) || !reader.ReadHeader(&text)) throw std::runtime_error("cannot read " + path);
    while (reader.ReadTag(&tag)) {
        bool read = tag == snapshot::kTagDirectory ? reader.ReadString(&text)
                    : tag == snapshot::kTagFile    ? reader.ReadFileRecord(&file)
                                                   : false;
        if (!read) throw std::runtime_error("unexpected record in " + path);
        ++records;
    }
    return records;
}

int Run(int files) {
    int folders = std::max(1, files / kFilesPerFolder);
    files = folders * kFilesPerFolder;
    vpr::machine::CreateOptions options;
    options.drives['D'] = "d";
    vpr::testing::TempMachine machine(options);
    std::string root = machine.root() + "/d";
    fs::create_directories(root);
    MakeFiles(root, folders);

    std::string error;
    if (!snapshot::StartEngine(GetModuleHandleA(nullptr), &error)) throw std::runtime_error(error);
    snapshot::SetProgramStop([](UINT id) { throw Stopped{id}; });
    snapshot::Settings().fastScan = true;
    snapshot::DefinitionLists lists;
    snapshot::SetDefaultExclusions('C', 'C', &lists);
    lists.drives = {"D:"};
    lists.textFiles.clear();
    IMPRXDeleteHiddenDir('C');
    IMPRXCreateBeforeDir('C');
    if (!snapshot::SaveDefinitions('C', lists, &error)) throw std::runtime_error(error);

    vpr::testing::PrintBenchHeader("snapshot_bench");
    std::string find = "find '" + root + "' -printf '%s %T@\\n' > /dev/null";
    Take(0);  // both warm
    if (std::system(find.c_str()) != 0) throw std::runtime_error("find failed");
    vpr::testing::CompareBench("picture of D: " + std::to_string(files) + " files (fast)", {size_t(files), [] { Take(0); }},
                               {size_t(files), [&find] { std::system(find.c_str()); }}, ">= 0.7", kRounds);

    // The template step deletes the work directory; each round starts from a copy.
    ChangeFiles(root, folders);
    Take(1);
    std::string work = machine.HostPath(snapshot::WorkDirectory('C'));
    std::string kept = machine.root() + "/kept-work";
    fs::copy(work, kept, fs::copy_options::recursive);
    std::string before = kept + "/" + fs::path(machine.HostPath(snapshot::PictureDirectory('C', 0))).filename().string();
    std::string after = kept + "/" + fs::path(machine.HostPath(snapshot::PictureDirectory('C', 1))).filename().string();
    std::string out = machine.HostPath("C:\\OUT");
    double filePass = 1e300, reading = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove_all(work);
        fs::copy(kept, work, fs::copy_options::recursive);
        fs::remove_all(out);
        fs::create_directories(out + "/FILES");
        g_reports.clear();
        if (IMPRXMakeTemplate('C', "C:\\OUT\\app.qmt", "C:\\OUT\\FILES", Progress) != 0)
            throw std::runtime_error("the template step failed");
        filePass = std::min(filePass, FilePassSeconds());
        auto start = Clock::now();
        ReadPicture(before + "/files.txt");
        ReadPicture(after + "/files.txt");
        reading = std::min(reading, Seconds(start));
    }
    vpr::testing::PrintBenchLine("file pass, 2% of " + std::to_string(files) + " changed", files / filePass,
                                 files / reading, ">= 0.5 (at most 2x reading)");
    snapshot::SetProgramStop(nullptr);
    snapshot::StopEngine();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int files = 100000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--files") == 0 && i + 1 < argc) {
            files = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: snapshot_bench [--files N]   (N files in N/100 folders, default 100000)\n");
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    try {
        return Run(files);
    } catch (const Stopped& stopped) {
        std::fprintf(stderr, "snapshot_bench: the engine stopped (string %u)\n", stopped.stringId);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "snapshot_bench: %s\n", e.what());
    }
    return 1;
}
