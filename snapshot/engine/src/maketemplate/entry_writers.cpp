#include "entry_writers.h"

#include <cstring>

#include "../core/text.h"
#include "path_macros.h"
#include "snapshot/engine/engine_settings.h"

namespace snapshot {

namespace {

// Template registry types.
constexpr DWORD kTypeBinary = 1;
constexpr DWORD kTypeString = 2;
constexpr DWORD kTypeDefault = 4;
constexpr DWORD kTypeNone = 5;

// The longest string value whose text gets the path macros.
constexpr size_t kShortStringLimit = 244;

const char* const kProgramGroupKeys[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Program Groups",
    "HKEY_CURRENT_USER\\UNICODE Program Groups",
};
const char* const kProgramManagerKeys[] = {
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Program Manager\\Common Groups",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Program Manager\\UNICODE Groups",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Program Manager\\Settings",
};

bool BeginsWith(const std::string& upperKey, const char* prefix) { return upperKey.rfind(UpperCase(prefix), 0) == 0; }

// On NT 3.x the Program Manager's own keys are not distributed: set A for
// keys, set A and B for values.
bool IsProgramGroupKey(const std::string& key, bool withSettings) {
    if (Settings().platformCode != kPlatformNT3) return false;
    std::string upper = UpperCase(key);
    for (const char* prefix : kProgramGroupKeys)
        if (BeginsWith(upper, prefix)) return true;
    if (withSettings)
        for (const char* prefix : kProgramManagerKeys)
            if (BeginsWith(upper, prefix)) return true;
    return false;
}

}  // namespace

DWORD TemplateRegistryType(DWORD windowsType, const std::string& valueName) {
    if (valueName.empty()) return kTypeDefault;
    switch (windowsType) {
    case REG_NONE: return kTypeNone;
    case REG_SZ: return kTypeString;
    case REG_EXPAND_SZ: return 6;
    case REG_BINARY: return kTypeBinary;
    case REG_DWORD: return 3;
    case REG_DWORD_BIG_ENDIAN: return 7;
    case REG_LINK: return 8;
    case REG_MULTI_SZ: return 9;
    case REG_RESOURCE_LIST: return 10;
    case REG_FULL_RESOURCE_DESCRIPTOR: return 11;
    case REG_RESOURCE_REQUIREMENTS_LIST: return 12;
    default: return kTypeString;
    }
}

void EntryWriters::Check(LONG result, const char* what) {
    if (result != 0) throw TemplateWriteFailed(std::string("cannot write ") + what + " to the template");
}

void EntryWriters::FileCopy(DWORD flags, const std::string& source, const std::string& target) {
    // A new shortcut is described by what it holds, not copied as a file;
    // platforms before Windows 95 have none.
    if (Settings().platformCode != kPlatformNT3 && HasExtension(target, ".LNK")) {
        ShortcutBlock block;
        std::memset(&block, 0, sizeof block);
        library_.GetShellLinkInfo(target.c_str(), &block);
        for (char* text : {block.description, block.program, block.arguments, block.workingDirectory, block.iconFile})
            text[KMQMT_LINK_TEXT_SIZE - 1] = '\0';
        WriteShortcutAddEntry(target, block);
        return;
    }
    if (HasExtension(target, ".INI")) return;  // ini files are described by identifier entries
    Check(library_.WriteFileEntry(handle_, 1, flags, source.c_str(), PathToMacro(target).c_str()), "a file entry");
}

void EntryWriters::WriteFileCopyEntry(const std::string& source, const std::string& target) {
    FileCopy(kFlagUpdateCreate, source, target);
}

void EntryWriters::WriteSharedFileCopyEntry(const std::string& source, const std::string& target) {
    FileCopy(kFlagUpdateCreate | kFlagSharedFile, source, target);
}

void EntryWriters::WriteFileDeleteEntry(const std::string& path) {
    Check(library_.WriteFileEntry(handle_, 2, kFlagUpdateCreate, PathToMacro(path).c_str(), ""), "a file entry");
}

void EntryWriters::WriteSharedFileDeleteEntry(const std::string& path) {
    Check(library_.WriteFileEntry(handle_, 2, kFlagUpdateCreate | kFlagSharedFile, PathToMacro(path).c_str(), ""),
          "a file entry");
}

void EntryWriters::WriteDirCreateEntry(const std::string& path) {
    Check(library_.WriteDirEntry(handle_, 1, 1, PathToMacro(path).c_str()), "a directory entry");
}

void EntryWriters::WriteDirDeleteEntry(const std::string& path) {
    Check(library_.WriteDirEntry(handle_, 2, 1, PathToMacro(path).c_str()), "a directory entry");
}

void EntryWriters::WriteIniIdentCreateEntry(const std::string& file, const std::string& section,
                                            const std::string& identifier, const std::string& value) {
    Check(library_.WriteIdentEntry(handle_, 1, 1, PathToMacro(file).c_str(), section.c_str(),
                                   PathToMacro(identifier).c_str(), PathToMacro(value).c_str()),
          "an ini entry");
}

void EntryWriters::WriteIniIdentDeleteEntry(const std::string& file, const std::string& section,
                                            const std::string& identifier, const std::string& value) {
    Check(library_.WriteIdentEntry(handle_, 2, 1, PathToMacro(file).c_str(), section.c_str(), identifier.c_str(),
                                   value.c_str()),
          "an ini entry");
}

void EntryWriters::WriteIniSectionEntry(const std::string& file, const std::string& section) {
    Check(library_.WriteSectionEntry(handle_, 1, PathToMacro(file).c_str(), section.c_str()), "an ini entry");
}

void EntryWriters::WriteRegKeyCreateEntry(const std::string& key) {
    if (IsProgramGroupKey(key, false)) return;
    Check(library_.WriteKeyEntry(handle_, 1, 1, key.c_str()), "a registry entry");
}

void EntryWriters::WriteRegKeyDeleteEntry(const std::string& key) {
    if (IsProgramGroupKey(key, false)) return;
    Check(library_.WriteKeyEntry(handle_, 2, 1, key.c_str()), "a registry entry");
}

void EntryWriters::WriteRegValueEntry(DWORD type, const std::string& key, const std::vector<uint8_t>& data,
                                      const std::string& name) {
    DWORD templateType = TemplateRegistryType(type, name);
    if (IsProgramGroupKey(key, true)) return;
    std::string macroName = PathToMacro(name);
    if ((templateType == kTypeString || templateType == kTypeDefault) && data.size() <= kShortStringLimit) {
        // A short string: its text up to the first NUL gets the macros and
        // is written whole with its terminator, however long it grew.
        const char* bytes = reinterpret_cast<const char*>(data.data());
        std::string text = PathToMacro(std::string(bytes, strnlen(bytes, data.size())));
        Check(library_.WriteValueEntry(handle_, 1, 1, key.c_str(), macroName.c_str(), templateType,
                                       static_cast<DWORD>(text.size() + 1),
                                       reinterpret_cast<const BYTE*>(text.c_str())),
              "a registry entry");
        return;
    }
    Check(library_.WriteValueEntry(handle_, 1, 1, key.c_str(), macroName.c_str(), templateType,
                                   static_cast<DWORD>(data.size()), data.empty() ? reinterpret_cast<const BYTE*>("") : data.data()),
          "a registry entry");
}

void EntryWriters::WriteRegValueDeleteEntry(const std::string& key, const std::string& name) {
    if (IsProgramGroupKey(key, false)) return;
    Check(library_.WriteValueEntry(handle_, 2, 1, key.c_str(), PathToMacro(name).c_str(), 0, 0,
                                   reinterpret_cast<const BYTE*>("")),
          "a registry entry");
}

void EntryWriters::WriteTextAddEntry(const std::string& file, const std::string& line) {
    Check(library_.WriteTextAddEntry(handle_, 2, PathToMacro(file).c_str(), PathToMacro(line).c_str()),
          "a text entry");
}

void EntryWriters::WriteTextFindEntry(const std::string& file, const std::string& line) {
    Check(library_.WriteTextFindEntry(handle_, 2, kFlagMatchExact, PathToMacro(file).c_str(),
                                      PathToMacro(line).c_str(), ""),
          "a text entry");
}

// A program-group item: group, item name, program, arguments, icon file,
// working directory; flags 0, icon index, show command, shared memory 0.
void EntryWriters::UserIcon(DWORD subtype, const GroupItem& item, const std::string& program) {
    Check(library_.WriteUserIconEntry(handle_, subtype, PathToMacro(item.group).c_str(), PathToMacro(item.text3).c_str(),
                                      program.c_str(), PathToMacro(item.text2).c_str(),
                                      PathToMacro(item.text4).c_str(), PathToMacro(item.text5).c_str(), 0,
                                      static_cast<DWORD>(item.integer1), static_cast<DWORD>(item.integer2), 0),
          "a program-group entry");
}

void EntryWriters::WritePMAddItemEntry(const GroupItem& item) { UserIcon(1, item, PathToMacro(item.text1)); }

// A delete leaves the item's program as it was pictured.
void EntryWriters::WritePMDeleteItemEntry(const GroupItem& item) { UserIcon(2, item, item.text1); }

// A shortcut: its path, then T1 description, T2 program, T3 arguments, T5
// icon file, T4 working directory; icon index and show command.
void EntryWriters::WriteShortcutAddEntry(const std::string& linkPath, const ShortcutBlock& block) {
    Check(library_.WriteUserIconEntry(handle_, 3, PathToMacro(linkPath).c_str(), PathToMacro(block.description).c_str(),
                                      PathToMacro(block.program).c_str(), PathToMacro(block.arguments).c_str(),
                                      PathToMacro(block.iconFile).c_str(), PathToMacro(block.workingDirectory).c_str(),
                                      0, static_cast<DWORD>(block.iconIndex), static_cast<DWORD>(block.showCommand), 0),
          "a shortcut entry");
}

void EntryWriters::WriteApplicationFlags() {
    DWORD flags = Settings().runInterrupted ? kAppFlagInstallOnly | kAppFlagAlwaysReboot : kAppFlagInstallOnly;
    Check(library_.WriteBaseValue(handle_, 3, flags), "the application flags");
}

void EntryWriters::WriteBaseValue(DWORD subtype, DWORD value) {
    Check(library_.WriteBaseValue(handle_, subtype, value), "an application value");
}

void EntryWriters::WriteBaseString(DWORD subtype, const std::string& text) {
    Check(library_.WriteBaseString(handle_, subtype, text.c_str()), "an application text");
}

void EntryWriters::WriteMacroEntry(const std::string& name, const std::string& value) {
    Check(library_.WriteMacroEntry(handle_, 1, name.c_str(), value.c_str()), "a macro");
}

}  // namespace snapshot
