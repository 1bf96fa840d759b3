// Prints template records in the template text form (.QXT): one section line
// per record and one "key=value" line per field, with the long texts and the
// icon written to side files of their own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "template/template_library.h"

class TemplateTextWriter {
public:
    // Draws the numbers of side-file names; the low 16 bits are used.
    using RandomSource = std::function<uint32_t()>;

    // `text` receives the text form; `console` the notes about records and
    // values that the form has no words for.
    TemplateTextWriter(FILE* text, FILE* console);

    // Replaces the pseudo-random source of side-file numbers.
    void SetRandomSource(RandomSource source);
    // Folder in which side files are created; by default the current
    // directory. The printed name never has a folder part.
    void SetSideFileFolder(std::string folder);

    // Prints one record (without the empty line that separates records).
    void WriteEntry(const TemplateEntry& entry);

    // A side file that was made but could not be written whole (a full disk):
    // it is left out, and the dump is not complete.
    bool SideFileFailed() const { return sideFileError_ != 0; }
    const std::string& FailedSideFile() const { return failedSideFile_; }
    int SideFileError() const { return sideFileError_; }  // errno

private:
    FILE* text_;
    FILE* console_;
    RandomSource random_;
    std::string sideFileFolder_;
    std::string failedSideFile_;
    int sideFileError_ = 0;
};
