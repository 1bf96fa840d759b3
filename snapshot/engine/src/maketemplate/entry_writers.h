// The template entry writers: each difference reaches the template through
// one of them. They apply the path macros, choose kind, subtype and flags,
// map registry types, and leave out what the platform does not distribute.
// A failing entry point throws TemplateWriteFailed.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "../core/template_writer_library.h"
#include "../picture/picture_file.h"

namespace snapshot {

struct TemplateWriteFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Flags of template entries.
constexpr DWORD kFlagWriteAlways = 0x1;
constexpr DWORD kFlagUpdateCreate = 0x8;
constexpr DWORD kFlagMatchExact = 0x80;
constexpr DWORD kFlagSharedFile = 0x200;
constexpr DWORD kAppFlagInstallOnly = 0x80;
constexpr DWORD kAppFlagAlwaysReboot = 0x200;

// Template registry type of a Windows type; a value without a name is the
// key's default value, type 4 Default.
DWORD TemplateRegistryType(DWORD windowsType, const std::string& valueName);

class EntryWriters {
public:
    EntryWriters(const TemplateWriterLibrary& library, HFILE handle) : library_(library), handle_(handle) {}

    void WriteFileCopyEntry(const std::string& source, const std::string& target);
    void WriteSharedFileCopyEntry(const std::string& source, const std::string& target);
    void WriteFileDeleteEntry(const std::string& path);
    void WriteSharedFileDeleteEntry(const std::string& path);
    void WriteDirCreateEntry(const std::string& path);
    void WriteDirDeleteEntry(const std::string& path);
    void WriteIniIdentCreateEntry(const std::string& file, const std::string& section, const std::string& identifier,
                                  const std::string& value);
    void WriteIniIdentDeleteEntry(const std::string& file, const std::string& section, const std::string& identifier,
                                  const std::string& value);
    void WriteIniSectionEntry(const std::string& file, const std::string& section);
    void WriteRegKeyCreateEntry(const std::string& key);
    void WriteRegKeyDeleteEntry(const std::string& key);
    void WriteRegValueEntry(DWORD type, const std::string& key, const std::vector<uint8_t>& data,
                            const std::string& name);
    void WriteRegValueDeleteEntry(const std::string& key, const std::string& name);
    void WriteTextAddEntry(const std::string& file, const std::string& line);
    void WriteTextFindEntry(const std::string& file, const std::string& line);
    void WritePMAddItemEntry(const GroupItem& item);
    void WritePMDeleteItemEntry(const GroupItem& item);
    void WriteShortcutAddEntry(const std::string& linkPath, const ShortcutBlock& block);
    void WriteApplicationFlags();
    void WriteBaseValue(DWORD subtype, DWORD value);
    void WriteBaseString(DWORD subtype, const std::string& text);
    void WriteMacroEntry(const std::string& name, const std::string& value);

private:
    void UserIcon(DWORD subtype, const GroupItem& item, const std::string& program);
    void FileCopy(DWORD flags, const std::string& source, const std::string& target);
    void Check(LONG result, const char* what);

    const TemplateWriterLibrary& library_;
    HFILE handle_;
};

}  // namespace snapshot
