// IMPRXTakePicture: records the workstation into one picture directory.
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "../core/template_writer_library.h"
#include "../core/text.h"
#include "../core/text_file.h"
#include "exclusions.h"
#include "picture_file.h"
#include "registry_picture.h"
#include "snapshot/engine/definitions.h"
#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/imprx_exports.h"
#include "snapshot/engine/work_directory.h"

namespace snapshot {

namespace {

// The last-write time as the file search gives it: DOS date and time of the
// local time, the date in the high word.
uint32_t DosTimeStamp(const FILETIME& lastWrite) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&lastWrite, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
    return static_cast<uint32_t>(date) << 16 | time;
}

class PictureRun {
public:
    PictureRun(char drive, long phase, IMPRXPROGRESS progress)
        : drive_(drive), phase_(phase), progress_(progress), directory_(PictureDirectory(drive, phase)) {}

    void Take(const std::string& defaultsPath);

private:
    void ScanDirectory(const std::string& directory, const Exclusions& exclusions);
    void SnapTextFiles(const std::vector<std::string>& textFiles);
    void WriteIniList();
    void DetectIniChanges();
    void SnapIniFile(const std::string& target, const std::string& path);
    void PictureProgramGroups(PictureWriter& groups);
    bool UsesFastScan();

    char drive_;
    long phase_;
    IMPRXPROGRESS progress_;
    std::string directory_;
    std::vector<std::string> iniList_;
    PictureWriter files_;
};

void PictureRun::Take(const std::string& defaultsPath) {
    ProcessMessages();
    bool fastScan = UsesFastScan();
    files_.Create(directory_ + "\\files.txt");
    files_.WriteHeader();
    DefinitionLists lists = LoadDefinitions(defaultsPath);
    Exclusions exclusions(lists.excludeFiles, lists.excludeDirectories);
    for (const auto& drive : lists.drives) {
        Report(progress_, LoadResString(kStrLookingAtDrive) + " " + drive);
        ScanDirectory(drive, exclusions);
    }
    SnapTextFiles(lists.textFiles);
    WriteIniList();
    if (phase_ != 0) DetectIniChanges();
    Report(progress_, LoadResString(kStrLookingAtIniFiles));
    for (size_t n = 0; n < iniList_.size(); ++n)
        SnapIniFile(directory_ + "\\" + std::to_string(n) + ".ini", iniList_[n]);
    files_.Close();

    PictureWriter groups;
    groups.Create(directory_ + "\\groups.bin");
    Report(progress_, LoadResString(kStrLookingAtIconGroups));
    PictureProgramGroups(groups);
    groups.Close();

    PictureWriter registry;
    registry.Create(directory_ + "\\registry.txt");
    registry.WriteHeader();
    Report(progress_, LoadResString(kStrLookingAtRegistry));
    SnapRegistry(registry, fastScan);
    registry.Close();
}

// The program groups as the template writer library lists them: one record
// per item, its group's name first.
void PictureRun::PictureProgramGroups(PictureWriter& groups) {
    ShowStatus("");
    const TemplateWriterLibrary& library = WriterLibrary();
    groups.WriteHeader();
    // Without the template writer library (the engine not started) there is
    // no group list to picture.
    if (library.GetGroupList == nullptr) return;
    GroupNode* head = library.GetGroupList();
    auto text = [](LPCSTR value) { return std::string(value ? value : ""); };
    for (const GroupNode* group = head; group; group = group->next) {
        for (const GroupItemNode* node = group->items; node; node = node->next) {
            GroupItem item;
            item.group = text(group->name);
            item.text1 = text(node->text1);
            item.text2 = text(node->text2);
            item.text3 = text(node->text3);
            item.text4 = text(node->text4);
            item.integer1 = node->integer1;
            item.text5 = text(node->text5);
            item.integer2 = node->integer2;
            groups.WriteGroupItemRecord(item);
        }
    }
    library.FreeGetGroupList(head);
}

// The first picture records the fast-scan setting it was taken with; the
// second uses that one, so that both picture the same hives.
bool PictureRun::UsesFastScan() {
    bool fastScan = Settings().fastScan;
    if (phase_ == 0) {
        WritePrivateProfileStringA(kStatusSection, kFastScanKey, fastScan ? "1" : "0", kStatusFile);
        return fastScan;
    }
    UINT recorded = GetPrivateProfileIntA(kStatusSection, kFastScanKey, -1, kStatusFile);
    return recorded == static_cast<UINT>(-1) ? fastScan : recorded != 0;
}

void PictureRun::ScanDirectory(const std::string& directory, const Exclusions& exclusions) {
    ProcessMessages();
    files_.WriteDirRecord(directory);
    ShowStatus(directory);
    std::vector<std::string> subdirectories;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                if (IsIniFileName(name)) iniList_.push_back(directory + "\\" + name);
                if (!exclusions.IsExcludedFile(name)) {
                    ProcessMessages();
                    files_.WriteFileRecord({DosTimeStamp(data.ftLastWriteTime), data.nFileSizeLow, name});
                }
            } else if (name != "." && name != "..") {
                std::string path = directory + "\\" + name;
                if (!exclusions.IsExcludedDir(path)) subdirectories.push_back(path);
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    for (const auto& subdirectory : subdirectories) ScanDirectory(subdirectory, exclusions);
}

// Copies each listed text file that exists as text{I}.txt, I its row in
// the list, and lists it in textcomp.txt.
void PictureRun::SnapTextFiles(const std::vector<std::string>& textFiles) {
    TextFileWriter list;
    if (!list.Create(directory_ + "\\textcomp.txt")) StopProgram(kStrDiskWriteFailed);
    for (size_t i = 0; i < textFiles.size(); ++i) {
        if (GetFileAttributesA(textFiles[i].c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::string copy = "text" + std::to_string(i) + ".txt";
        CopyFileWithRetry(textFiles[i], directory_ + "\\" + copy);
        if (!list.WriteLine(textFiles[i] + "=" + copy)) StopProgram(kStrDiskWriteFailed);
    }
    if (!list.Close()) StopProgram(kStrDiskWriteFailed);
}

void PictureRun::WriteIniList() {
    TextFileWriter list;
    if (!list.Create(directory_ + "\\inifiles.txt")) StopProgram(kStrDiskWriteFailed);
    for (size_t n = 0; n < iniList_.size(); ++n)
        if (!list.WriteLine(iniList_[n] + "=" + std::to_string(n) + ".ini")) StopProgram(kStrDiskWriteFailed);
    if (!list.Close()) StopProgram(kStrDiskWriteFailed);
}

// An ini file found only now gets an empty substitute copy new{K}.ini in the
// "before" picture and a line in inimod.txt, so that the template step
// compares it against an empty file.
void PictureRun::DetectIniChanges() {
    std::string before = PictureDirectory(drive_, 0);
    std::vector<std::string> afterLines, beforeLines;
    ReadTextLines(directory_ + "\\inifiles.txt", &afterLines);
    ReadTextLines(before + "\\inifiles.txt", &beforeLines);
    std::vector<std::string> known;
    for (const auto& line : beforeLines) known.push_back(UpperCase(KeyOfLine(line)));
    int k = 0;
    for (const auto& line : afterLines) {
        std::string path = KeyOfLine(line);
        std::string upper = UpperCase(path);
        bool found = false;
        for (const auto& knownPath : known) found = found || knownPath == upper;
        if (found) continue;
        std::string copy = "new" + std::to_string(++k) + ".ini";
        TextFileWriter empty;
        if (!empty.Create(before + "\\" + copy) || !empty.Close() ||
            !AppendLine(before + "\\inifiles.txt", path + "=" + copy) ||
            !AppendLine(WorkDirectory(drive_) + "\\inimod.txt", path))
            StopProgram(kStrDiskWriteFailed);
        known.push_back(upper);
    }
}

// A line-by-line copy; a file that cannot be read gives what was read.
void PictureRun::SnapIniFile(const std::string& target, const std::string& path) {
    ShowStatus("<INI " + path + ">");
    std::vector<std::string> lines;
    ReadTextLines(path, &lines);
    TextFileWriter copy;
    if (!copy.Create(target)) StopProgram(kStrDiskWriteFailed);
    for (const auto& line : lines) {
        ProcessMessages();
        if (!copy.WriteLine(line)) StopProgram(kStrDiskWriteFailed);
    }
    if (!copy.Close()) StopProgram(kStrDiskWriteFailed);
}

}  // namespace

}  // namespace snapshot

extern "C" LONG IMPRXTakePicture(CHAR drive, LPCSTR defaultsPath, LONG phase, IMPRXPROGRESS progress) {
    // The status label is cleared however the picture ends.
    struct ClearStatus {
        ~ClearStatus() { snapshot::ShowStatus(""); }
    } clearStatus;
    snapshot::PictureRun run(drive, phase, progress);
    run.Take(defaultsPath ? defaultsPath : "");
    return 0;
}
