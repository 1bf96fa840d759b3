// Distribution: what an application's template streams say the workstation
// must have, applied in order (macros, files and directories, INI, registry,
// text files, groups and shortcuts). The first entry that fails ends it; what
// was done before stays.
#pragma once

#include <string>
#include <vector>

#include "kmapp32.h"
#include "macro_table.h"
#include "template/template_library.h"

namespace vpr::launcher {

// Why a launch ended: its result, the detail code and the name it concerns.
struct LaunchFailure {
    DWORD result = 0;
    DWORD detail = 0;
    std::string name;
};

class Distributor {
public:
    Distributor(DIR_CONTEXT context, std::string application, KmappStatusCallback callback);

    // Reads the application's macros; true unless the stream is unreadable.
    bool LoadMacros();
    // Applies every stream; false when an entry failed (failure()).
    bool Run();

    const MacroTable& macros() const { return macros_; }
    const LaunchFailure& failure() const { return failure_; }
    // Some file is replaced or deleted only at the next start of Windows.
    bool restartNeeded() const { return restartNeeded_; }

private:
    // The entries of one stream attribute, in stream order; an absent stream
    // has none. False when the stream holds no readable template.
    bool ReadEntries(const std::string& attribute, std::vector<TemplateEntry*>* entries, EntryList** list);
    bool Fail(DWORD result, DWORD detail, const std::string& name);
    DWORD Report(DWORD status, void* record) const;
    std::string Text(const TemplateEntry& entry, int field) const;  // macros expanded
    static std::string RawText(const TemplateEntry& entry, int field);

    bool ApplyFiles(const std::vector<TemplateEntry*>& entries);
    bool CopyFileEntry(const TemplateEntry& entry, DWORD position, DWORD total);
    bool DeleteFileEntry(const TemplateEntry& entry, DWORD position, DWORD total);
    bool DirectoryEntry(const TemplateEntry& entry, DWORD position, DWORD total);
    bool ApplyIni(const std::vector<TemplateEntry*>& entries);
    bool ApplyRegistry(const std::vector<TemplateEntry*>& entries);
    bool ApplyTextFiles(const std::vector<TemplateEntry*>& entries);
    bool ApplyGroups(const std::vector<TemplateEntry*>& entries);

    DIR_CONTEXT context_;
    std::string application_;
    KmappStatusCallback callback_;
    MacroTable macros_;
    LaunchFailure failure_;
    bool restartNeeded_ = false;
};

}  // namespace vpr::launcher
