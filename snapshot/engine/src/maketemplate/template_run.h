// One run of IMPRXMakeTemplate: the open pictures, the template and its
// writers, the logs of the work directory and the copies into the new-files
// directory. The passes (one file each) work on it in a fixed order.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "../core/text_file.h"
#include "../picture/picture_file.h"
#include "entry_writers.h"
#include "snapshot/engine/imprx_exports.h"

namespace snapshot {

struct TemplateRun {
    TemplateRun(char driveLetter, std::string newFiles, IMPRXPROGRESS progressCallback)
        : drive(driveLetter), newFilesDirectory(std::move(newFiles)), progress(progressCallback) {}

    char drive;
    std::string newFilesDirectory;  // without a trailing backslash
    IMPRXPROGRESS progress;
    int copyCounter = 0;

    PictureReader filesBefore, filesAfter;
    PictureReader groupsBefore, groupsAfter;
    PictureReader registryBefore, registryAfter;

    std::unique_ptr<EntryWriters> entries;
    TextFileWriter sharedNew;      // filshnew.txt
    TextFileWriter sharedDeleted;  // filshdel.txt
    TextFileWriter iniChanged;     // inimod.txt
    TextFileWriter fileDefinitions;  // filedef.txt of the new-files directory

    // A file of the work directory, and of a picture ("before"/"after").
    std::string WorkFile(const std::string& name) const;
    std::string PictureFile(long phase, const std::string& name) const;

    // Copies a new or changed file as {n}.fil into the new-files directory
    // (Retry/Ignore on failure) and lists it in filedef.txt; returns the
    // source name the template installs it from. A shortcut (.LNK) is not
    // copied and takes no number: it becomes a shortcut entry.
    std::string CopyNewFile(const std::string& path);

    // Writes a line to a log; a failed write ends the run.
    static void WriteLog(TextFileWriter& log, const std::string& line);
};

// The lines of a log or list in locale upper case (membership tests).
std::unordered_set<std::string> UpperCaseLines(const std::vector<std::string>& lines);

// The passes, in the order they run.
void CompareRegistryPictures(TemplateRun& run);
void CompareFiles(TemplateRun& run);
void CompareIniFiles(TemplateRun& run);
void CompareIconGroups(TemplateRun& run);
void CompareTextFiles(TemplateRun& run);

}  // namespace snapshot
