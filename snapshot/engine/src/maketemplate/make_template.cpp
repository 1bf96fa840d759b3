// IMPRXMakeTemplate: compares the pictures and writes the template.
#include "../core/text.h"
#include "snapshot/engine/engine_settings.h"
#include "snapshot/engine/engine_ui.h"
#include "snapshot/engine/work_directory.h"
#include "template_run.h"

namespace snapshot {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days from 30 December 1899 to the given day of the Gregorian calendar.
int64_t DayNumber(int year, int month, int day) {
    // Count from 1 March so that the leap day ends a year.
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    int64_t daysFrom1970 = era * 146097 + dayOfEra - 719468;
    return daysFrom1970 + 25569;
}

// Today's local date as a whole day number from 30 December 1899, and the
// local time of day as a fraction of a day rounded to the nearest whole
// number (0 before noon, 1 from noon on).
void WriteBaseValues(EntryWriters& entries) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    int64_t secondsOfDay = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
    entries.WriteBaseValue(2, static_cast<DWORD>(DayNumber(now.wYear, now.wMonth, now.wDay)));
    entries.WriteBaseValue(1, static_cast<DWORD>((2 * secondsOfDay + kSecondsPerDay) / (2 * kSecondsPerDay)));
    entries.WriteBaseString(1, Settings().distName);
    entries.WriteBaseString(2, Settings().distDesc);
    entries.WriteApplicationFlags();
}

bool OpenPictures(TemplateRun& run) {
    return run.filesBefore.Open(run.PictureFile(0, "files.txt")) &
           run.filesAfter.Open(run.PictureFile(1, "files.txt")) &
           run.groupsBefore.Open(run.PictureFile(0, "groups.bin")) &
           run.groupsAfter.Open(run.PictureFile(1, "groups.bin")) &
           run.registryBefore.Open(run.PictureFile(0, "registry.txt")) &
           run.registryAfter.Open(run.PictureFile(1, "registry.txt"));
}

void ClosePictures(TemplateRun& run) {
    for (PictureReader* reader : {&run.filesBefore, &run.filesAfter, &run.groupsBefore, &run.groupsAfter,
                                  &run.registryBefore, &run.registryAfter})
        reader->Close();
}

// Steps 4 to 12: logs, base values, macros and the five passes.
void WriteTemplate(TemplateRun& run) {
    const EngineSettings& settings = Settings();
    if (!run.sharedNew.Create(run.WorkFile("filshnew.txt")) ||
        !run.sharedDeleted.Create(run.WorkFile("filshdel.txt")) ||
        !run.iniChanged.OpenForAppend(run.WorkFile("inimod.txt")) ||
        !run.fileDefinitions.Create(run.newFilesDirectory + "\\filedef.txt"))
        throw TemplateWriteFailed("cannot make the logs");
    WriteBaseValues(*run.entries);
    run.entries->WriteMacroEntry("SOURCE_PATH", run.newFilesDirectory);
    if (!settings.installDirectory.empty()) run.entries->WriteMacroEntry("TARGET_PATH", settings.installDirectory);

    Report(run.progress, LoadResString(kStrComparingRegistry));
    CompareRegistryPictures(run);
    if (!run.sharedNew.Close() || !run.sharedDeleted.Close()) throw TemplateWriteFailed("cannot write the logs");

    Report(run.progress, LoadResString(kStrComparingFiles));
    CompareFiles(run);
    if (!run.iniChanged.Close()) throw TemplateWriteFailed("cannot write the logs");

    Report(run.progress, LoadResString(kStrComparingIniFiles));
    CompareIniFiles(run);
    if (settings.platformCode == kPlatformNT3 || settings.platformCode == kPlatformWin31) {
        Report(run.progress, LoadResString(kStrComparingIconGroups));
        CompareIconGroups(run);
    }
    Report(run.progress, LoadResString(kStrComparingTextFiles));
    CompareTextFiles(run);
    if (!run.fileDefinitions.Close()) throw TemplateWriteFailed("cannot write filedef.txt");
}

// Puts the finished template in place of the file of that name.
bool ReplaceFile(const std::string& finished, const std::string& target) {
    if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(target.c_str())) return false;
    return MoveFileA(finished.c_str(), target.c_str()) != FALSE;
}

LONG MakeTemplate(char drive, const std::string& templatePath, const std::string& newFilesDirectory,
                  IMPRXPROGRESS progress) {
    Settings().failureShown = false;
    TemplateRun run(drive, WithoutTrailingBackslash(newFilesDirectory), progress);
    if (!OpenPictures(run)) return -1;

    // The template is written beside its name and put in place only when
    // whole, so that a failed run never leaves a cut file where a good one was.
    const TemplateWriterLibrary& library = WriterLibrary();
    std::string written = templatePath + "~";
    HFILE handle = HFILE_ERROR;
    if (library.Create(written.c_str(), &handle) != 0) {
        ShowMessage(kStrTemplateCreateFailed, kStrInvalidFileName, MB_OK | MB_ICONERROR);
        Settings().failureShown = true;
        library.Close(handle);
        DeleteFileA(written.c_str());
        return -1;
    }
    run.entries = std::make_unique<EntryWriters>(library, handle);
    bool whole = true;
    try {
        WriteTemplate(run);
    } catch (const TemplateWriteFailed&) {
        whole = false;
    }
    ClosePictures(run);
    library.Close(handle);
    run.sharedNew.Close();
    run.sharedDeleted.Close();
    run.iniChanged.Close();
    run.fileDefinitions.Close();
    if (!whole || !ReplaceFile(written, templatePath)) {
        DeleteFileA(written.c_str());
        return -1;
    }
    IMPRXDeleteHiddenDir(drive);
    ShowStatus(LoadResString(kStrTemplateDone));
    return 0;
}

}  // namespace

std::string TemplateRun::WorkFile(const std::string& name) const { return WorkDirectory(drive) + "\\" + name; }

std::string TemplateRun::PictureFile(long phase, const std::string& name) const {
    return PictureDirectory(drive, phase) + "\\" + name;
}

std::string TemplateRun::CopyNewFile(const std::string& path) {
    if (HasExtension(path, ".LNK")) return "";
    std::string copy = std::to_string(++copyCounter) + ".fil";
    WriteLog(fileDefinitions, copy + "=" + path);
    ShowStatus(LoadResString(kStrCopyingFile) + " " + path + "...");
    ProcessMessages();
    CopyFileWithRetry(path, newFilesDirectory + "\\" + copy);
    return "%SOURCE_PATH%\\" + copy;
}

void TemplateRun::WriteLog(TextFileWriter& log, const std::string& line) {
    if (!log.WriteLine(line)) throw TemplateWriteFailed("cannot write a log");
}

std::unordered_set<std::string> UpperCaseLines(const std::vector<std::string>& lines) {
    std::unordered_set<std::string> set;
    for (const auto& line : lines) set.insert(UpperCase(line));
    return set;
}

}  // namespace snapshot

extern "C" LONG IMPRXMakeTemplate(CHAR drive, LPCSTR templatePath, LPCSTR newFilesDir, IMPRXPROGRESS progress) {
    return snapshot::MakeTemplate(drive, templatePath ? templatePath : "", newFilesDir ? newFilesDir : "", progress);
}
