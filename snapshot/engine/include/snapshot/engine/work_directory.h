// The work directory of a snapshot run on the boot drive: {drive}:\imprix.dir
// (hidden) with the defaults file imprxdef.ini, the pictures "before" and
// "after", and while the template is made the logs filshnew.txt,
// filshdel.txt and inimod.txt. The exports that create and delete it are in
// imprx_exports.h.
#pragma once

#include <string>

namespace snapshot {

std::string WorkDirectory(char drive);
std::string DefaultsFile(char drive);
// "before" for phase 0, "after" for any other phase.
std::string PictureDirectory(char drive, long phase);

// The status file of the wizard: a bare name, so it lies in the Windows
// directory. Its section also records the fast-scan setting of the first
// picture (key "FastScan").
constexpr const char* kStatusFile = "imxstat.ini";
constexpr const char* kStatusSection = "Imprix Status Section";
constexpr const char* kStatusKey = "ImprixStatus";
constexpr const char* kFastScanKey = "FastScan";

}  // namespace snapshot
