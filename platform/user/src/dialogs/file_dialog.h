// The file-open and file-save dialogs: the rules both forms share (the
// window form in file_dialog.cpp, the console form in console_file_dialog.cpp).
#pragma once

#include <string>
#include <vector>

#include "commdlg.h"

namespace vpr::user {

// One pair of lpstrFilter: what the person reads, and the patterns
// (separated by ';').
struct FileFilter {
    std::string description;
    std::string patterns;
};
std::vector<FileFilter> FileFilters(const OPENFILENAMEA& ofn);
// The pair shown first (nFilterIndex, 1-based; 0 or too large: the first or last).
size_t ShownFilter(const OPENFILENAMEA& ofn, size_t count);

// Offset of the name part: just after the last '\' or '/'.
size_t FileNameOffset(const std::string& path);
bool IsExistingFile(const std::string& name);
bool IsExistingDirectory(const std::string& name);

// Why a chosen name cannot be taken under the dialog's must-exist flags, or
// null when it can.
const char* FileNameRefusal(const OPENFILENAMEA& ofn, const std::string& name);
// Fills lpstrFile (the name must fit), nFileOffset, nFileExtension and
// lpstrFileTitle.
void AcceptFileName(OPENFILENAMEA* ofn, const std::string& name);

// Runs the window form of the dialog modally; TRUE when a file was chosen.
// Sets *error for CommDlgExtendedError (0 after a cancel).
BOOL RunFileDialog(OPENFILENAMEA* ofn, bool save, DWORD* error);

}  // namespace vpr::user
