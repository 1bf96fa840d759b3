// The wizard's entry in the programs Windows starts at log-on: win.ini,
// section "windows", key "load", a comma-separated list. Every start puts the
// program in; a normal end takes it out; it stays when Windows was let shut
// down in the middle of a run, so that the wizard starts again and resumes.
#pragma once

#include <string>

namespace snapshot {

// The list without every entry whose upper-case form contains "IMPRX"; the
// other entries stay character for character (blanks included), joined with
// commas in their order.
std::string StripOwnLoadEntries(const std::string& list);

// Puts `programPath` at the end of the list (after taking out earlier
// entries of the wizard) and writes the whole value back in lower case.
// Throws IniWriteError when win.ini cannot be written.
void AddToStartupLoad(const std::string& programPath);
// Takes the wizard's entries out; the rest is written back unchanged.
void RemoveFromStartupLoad();

// The value of "load" as it stands, of any length.
std::string ReadStartupLoad();

}  // namespace snapshot
