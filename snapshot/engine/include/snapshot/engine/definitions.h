// The four scope lists of a snapshot run and the defaults file that keeps
// them in the work directory (imprxdef.ini): excluded file names or
// patterns, excluded directories, drives to picture, text files to compare.
#pragma once

#include <string>
#include <vector>

namespace snapshot {

// Sections of the defaults file; each row of a list is a key with an empty value.
constexpr const char* kFilesSection = "Files";
constexpr const char* kDirectoriesSection = "Directories";
constexpr const char* kDrivesSection = "Drives";
constexpr const char* kTextFilesSection = "Text File Compare";
// Section of the values the wizard keeps for a resumed run.
constexpr const char* kStringsSection = "Strings";

struct DefinitionLists {
    std::vector<std::string> excludeFiles;        // "pagefile.sys", "*.swp"
    std::vector<std::string> excludeDirectories;  // full paths
    std::vector<std::string> drives;              // "C:"
    std::vector<std::string> textFiles;           // full paths
};

// Adds a row to a list kept in sorted order (without regard to case, equal
// rows in the order added), as the wizard's sorted lists show them.
void AddSorted(std::vector<std::string>* list, const std::string& row);

// Refills the four lists with their defaults for the boot drive letter and
// the letter chosen as the Windows drive (the Windows directory comes from
// the settings record).
void SetDefaultExclusions(char bootDrive, char windowsDrive, DefinitionLists* lists);

// Writes the lists into {drive}:\imprix.dir\imprxdef.ini, made anew. False,
// with "Unable to write to FILE" in `error`, when a write is refused.
bool SaveDefinitions(char drive, const DefinitionLists& lists, std::string* error);

// Reads a section of an ini file back as the list of its keys (at most 8192
// bytes of names).
std::vector<std::string> ReadSectionKeys(const std::string& iniFile, const char* section);
DefinitionLists LoadDefinitions(const std::string& defaultsPath);

}  // namespace snapshot
