// The file pass: removed directories with their files, new directories with
// copies of their files, the files of directories in both pictures, then
// the shared files the registry pass logged.
#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_set>

#include "../core/text.h"
#include "../picture/picture_index.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/work_directory.h"
#include "template_run.h"

namespace snapshot {

namespace {

class FilePass {
public:
    explicit FilePass(TemplateRun& run) : run_(run) {
        ReadTextLines(run.WorkFile("filshnew.txt"), &sharedNewLines_);
        ReadTextLines(run.WorkFile("filshdel.txt"), &sharedDeletedLines_);
        sharedNew_ = UpperCaseLines(sharedNewLines_);
        sharedDeleted_ = UpperCaseLines(sharedDeletedLines_);
        textFiles_ = UpperCaseLines(ReadSectionKeys(DefaultsFile(run.drive), kTextFilesSection));
    }

    void Run();

private:
    void CompareDirFiles(const std::string& directory, std::vector<FileRecord>& before,
                         std::vector<FileRecord>& after);
    void CopyFile(const std::string& path);

    TemplateRun& run_;
    std::vector<std::string> sharedNewLines_, sharedDeletedLines_;
    std::unordered_set<std::string> sharedNew_, sharedDeleted_, textFiles_;
};

void FilePass::Run() {
    ShowStatus(LoadResString(kStrFileDifferences));
    PictureIndex before, after;
    LoadPictureIndex(run_.filesBefore, &before);
    LoadPictureIndex(run_.filesAfter, &after);
    std::vector<RowPair> common = MarkDifferences(before, after);
    std::vector<FileRecord> files, beforeFiles;

    for (const auto& row : before.rows) {
        if (!row.deleted) continue;
        run_.entries->WriteDirDeleteEntry(row.text);
        ReadDirectoryFiles(run_.filesBefore, row, &files);
        for (const auto& file : files) {
            std::string path = row.text + "\\" + file.name;
            // A shared file gets only its shared delete, from the log.
            if (sharedDeleted_.count(UpperCase(path)) == 0) run_.entries->WriteFileDeleteEntry(path);
        }
    }
    for (const auto& row : after.rows) {
        if (!row.isNew) continue;
        run_.entries->WriteDirCreateEntry(row.text);
        ReadDirectoryFiles(run_.filesAfter, row, &files);
        for (const auto& file : files) {
            ProcessMessages();
            std::string path = row.text + "\\" + file.name;
            // A shared file is copied once, as a shared file, from the log.
            if (sharedNew_.count(UpperCase(path)) == 0) CopyFile(path);
        }
    }
    for (const auto& pair : common) {
        ProcessMessages();
        const std::string& directory = after.rows[pair.after].text;
        ReadDirectoryFiles(run_.filesBefore, before.rows[pair.before], &beforeFiles);
        ReadDirectoryFiles(run_.filesAfter, after.rows[pair.after], &files);
        ShowStatus(LoadResString(kStrComparing) + " " + directory);
        CompareDirFiles(directory, beforeFiles, files);
    }
    for (const auto& line : sharedNewLines_) {
        std::string path = UpperCase(line);
        run_.entries->WriteSharedFileCopyEntry(run_.CopyNewFile(path), path);
    }
    for (const auto& line : sharedDeletedLines_) run_.entries->WriteSharedFileDeleteEntry(UpperCase(line));
}

void FilePass::CopyFile(const std::string& path) { run_.entries->WriteFileCopyEntry(run_.CopyNewFile(path), path); }

// Sorts the records by their names in locale upper case, each name's upper
// case computed once; gives those names in the new order.
std::vector<std::string> SortByUpperCaseName(std::vector<FileRecord>& files) {
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const FileRecord& file : files) names.push_back(UpperCase(file.name));
    std::vector<size_t> order(files.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return names[a] < names[b]; });
    std::vector<FileRecord> sortedFiles;
    std::vector<std::string> sortedNames;
    sortedFiles.reserve(files.size());
    sortedNames.reserve(files.size());
    for (size_t at : order) {
        sortedFiles.push_back(std::move(files[at]));
        sortedNames.push_back(std::move(names[at]));
    }
    files = std::move(sortedFiles);
    return sortedNames;
}

// Names are compared in locale upper case.
void FilePass::CompareDirFiles(const std::string& directory, std::vector<FileRecord>& before,
                               std::vector<FileRecord>& after) {
    const std::vector<std::string> beforeNames = SortByUpperCaseName(before);
    const std::vector<std::string> afterNames = SortByUpperCaseName(after);
    std::vector<bool> matched(before.size(), false);
    size_t b = 0;
    for (size_t a = 0; a < after.size(); ++a) {
        const FileRecord& file = after[a];
        const std::string& name = afterNames[a];
        std::string path = directory + "\\" + file.name;
        std::string upperPath = UpperCase(path);
        while (b < before.size() && beforeNames[b] < name) ++b;
        if (b < before.size() && beforeNames[b] == name) {
            const FileRecord& old = before[b];
            matched[b++] = true;
            if (old.time == file.time && old.size == file.size) continue;
            if (HasExtension(file.name, ".INI")) {
                TemplateRun::WriteLog(run_.iniChanged, path);
            } else if (textFiles_.count(upperPath) == 0 && sharedNew_.count(upperPath) == 0) {
                CopyFile(path);
            }
        } else if (sharedNew_.count(upperPath) == 0) {
            CopyFile(path);
        }
    }
    for (size_t i = 0; i < before.size(); ++i) {
        if (matched[i]) continue;
        std::string path = directory + "\\" + before[i].name;
        if (sharedDeleted_.count(UpperCase(path)) == 0) run_.entries->WriteFileDeleteEntry(path);
    }
}

}  // namespace

void CompareFiles(TemplateRun& run) { FilePass(run).Run(); }

}  // namespace snapshot
