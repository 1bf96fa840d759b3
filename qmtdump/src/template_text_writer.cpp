#include "qmtdump/template_text_writer.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <random>
#include <span>

#include "qmtdump/keyword_table.h"
#include "template/schedule_block.h"
#include "vpr/machine/atomic_file.h"
#include "vpr/win/path.h"

namespace {

// One bit of a flag word and the row that names it.
struct FlagBit {
    DWORD bit;
    uint32_t row;
};

constexpr FlagBit kFileFlagBits[] = {
    {0x1, kWriteAlways},         {0x2, kReplaceExisting}, {0x4, kCreateNew},
    {0x8, kUpdateCreate},        {0x10, kUpdateExisting}, {0x20, kRequestConfirmation},
    {0x40, kINIAdd},             {0x80, kMatchExact},     {0x100, kMatchSubstring},
    {0x200, kSharedFile},
};
constexpr FlagBit kPlatformBits[] = {
    {0x1, kWindows3x}, {0x2, kWindows95}, {0x4, kWindowsNT}, {0x8, kDOS},
};
constexpr FlagBit kApplicationFlagBits[] = {
    {0x1, kLaunchMinimized},  {0x2, kDoNotCleanupResources}, {0x4, kLaunchMaximized},
    {0x40, kSeparateWOWVDM},  {0x80, kInstallOnly},          {0x100, kRunOnce},
    {0x200, kAlwaysReboot},   {0x400, kEnableErrorLogging},  {0x800, kNeverReboot},
    {0x1000, kAlwaysDistribute},
};
constexpr FlagBit kDayBits[] = {
    {0x1, kSunday},    {0x2, kMonday}, {0x4, kTuesday},  {0x8, kWednesday},
    {0x10, kThursday}, {0x20, kFriday}, {0x40, kSaturday},
};

constexpr uint32_t kRegistryTypeCount = 12;  // Binary .. Resource Requirements List
constexpr uint32_t kProcessorCount = 3;      // 386, 486, Pentium
constexpr uint32_t kOsVersionCount = 3;      // Windows 3.x, 95, NT

// Registry value types of kind 5.
constexpr DWORD kRegBinary = 1;
constexpr DWORD kRegString = 2;
constexpr DWORD kRegDword = 3;
constexpr DWORD kRegDefault = 4;
constexpr DWORD kRegExpandString = 6;

constexpr size_t kBinaryBytesPerLine = 16;
// Side-file numbers are 16 bits: the search for a free name gives up after
// as many draws as there are numbers.
constexpr uint32_t kSideFileDraws = 0x10000;

uint32_t DefaultRandom() {
    thread_local std::mt19937 generator{std::random_device{}()};
    return generator();
}

// A time value (signed seconds since 1970-01-01 00:00 UTC) broken down in UTC.
void BreakDown(DWORD value, struct tm* parts) {
    time_t seconds = static_cast<int32_t>(value);
    gmtime_r(&seconds, parts);
}

// Prints one record; holds what the lines need.
class RecordPrinter {
public:
    RecordPrinter(FILE* text, FILE* console, const TemplateTextWriter::RandomSource& random,
                  const std::string& sideFileFolder, std::string* failedSideFile, int* sideFileError)
        : text_(text),
          console_(console),
          random_(random),
          sideFileFolder_(sideFileFolder),
          failedSideFile_(failedSideFile),
          sideFileError_(sideFileError) {}

    void Print(const TemplateEntry& entry);

private:
    struct SubtypeSection {
        DWORD subtype;
        uint32_t row;
    };

    // Line forms.
    void Section(uint32_t row) { std::fprintf(text_, "%s\n", KeywordTable::Text(row)); }
    void TextLine(uint32_t key, const TemplateField& field);
    void WordLine(uint32_t key, uint32_t word) {
        std::fprintf(text_, "%s=%s\n", KeywordTable::Text(key), KeywordTable::Text(word));
    }
    void NumberLine(uint32_t key, DWORD value) {
        std::fprintf(text_, "%s=%ld\n", KeywordTable::Text(key),
                     static_cast<long>(static_cast<int32_t>(value)));
    }
    void HexLine(uint32_t key, DWORD value) {
        std::fprintf(text_, "%s=0x%08lX\n", KeywordTable::Text(key),
                     static_cast<unsigned long>(value));
    }
    void DateLine(uint32_t key, DWORD value);
    void TimeLine(uint32_t key, DWORD value);
    void UnknownValueLine(uint32_t key, DWORD value);
    void BinaryLines(const BYTE* data, size_t length);

    // Groups of lines.
    bool SectionBySubtype(const TemplateEntry& entry,
                          std::initializer_list<SubtypeSection> sections, uint32_t unknownRow);
    void UnknownMark(uint32_t row, const TemplateEntry& entry);
    void WordOrUnknown(uint32_t key, DWORD value, uint32_t firstRow, uint32_t count);
    // One word line per set bit that `bits` names, lowest first, then one
    // unknown-value line for the bits left over; `dropped` bits are neither
    // named nor left over.
    void FlagLines(uint32_t key, DWORD flags, std::span<const FlagBit> bits, DWORD dropped = 0);
    void FileFlagLines(DWORD flags) {
        FlagLines(kFlag, flags, kFileFlagBits);
    }
    void SideFileLine(const char* prefix, const char* extension, const TemplateField& field);

    // Kinds with more than a few lines.
    void RegistryValue(const TemplateEntry& entry);
    void ApplicationString(const TemplateEntry& entry);
    void ApplicationValue(const TemplateEntry& entry);
    void ApplicationData(const TemplateEntry& entry);
    void Schedule(const TemplateField& data);
    void UserIcon(const TemplateEntry& entry);
    void ItemLines(const TemplateEntry& entry);

    FILE* text_;
    FILE* console_;
    const TemplateTextWriter::RandomSource& random_;
    const std::string& sideFileFolder_;
    std::string* failedSideFile_;
    int* sideFileError_;
};

void RecordPrinter::TextLine(uint32_t key, const TemplateField& field) {
    std::fprintf(text_, "%s=", KeywordTable::Text(key));
    if (field.data != nullptr) {
        // A text ends at its length or at a NUL inside it, whichever comes first.
        const void* nul = std::memchr(field.data, 0, field.length);
        size_t length = nul != nullptr ? static_cast<const BYTE*>(nul) - field.data : field.length;
        std::fwrite(field.data, 1, length, text_);
    }
    std::fputc('\n', text_);
}

void RecordPrinter::DateLine(uint32_t key, DWORD value) {
    struct tm parts {};
    BreakDown(value, &parts);
    // The month is printed as 0-11, as the form has always done.
    std::fprintf(text_, "%s=%ld/%ld/%ld\n", KeywordTable::Text(key),
                 static_cast<long>(parts.tm_year) + 1900, static_cast<long>(parts.tm_mon),
                 static_cast<long>(parts.tm_mday));
}

void RecordPrinter::TimeLine(uint32_t key, DWORD value) {
    struct tm parts {};
    BreakDown(value, &parts);
    std::fprintf(text_, "%s=%ld:%02ld\n", KeywordTable::Text(key),
                 static_cast<long>(parts.tm_hour), static_cast<long>(parts.tm_min));
}

void RecordPrinter::UnknownValueLine(uint32_t key, DWORD value) {
    std::fprintf(text_, "%s=**Unknown** %ld (%08lX)\n", KeywordTable::Text(key),
                 static_cast<long>(static_cast<int32_t>(value)),
                 static_cast<unsigned long>(value));
    std::fprintf(console_, "Unknown value found.\n");
}

void RecordPrinter::BinaryLines(const BYTE* data, size_t length) {
    NumberLine(kLength, static_cast<DWORD>(length));
    for (size_t start = 0; start < length; start += kBinaryBytesPerLine) {
        std::fprintf(text_, "%s=", KeywordTable::Text(kValue));
        size_t end = std::min(length, start + kBinaryBytesPerLine);
        for (size_t i = start; i < end; ++i) {
            std::fprintf(text_, "%02hX ", static_cast<unsigned short>(data[i]));
        }
        std::fputc('\n', text_);
    }
}

bool RecordPrinter::SectionBySubtype(const TemplateEntry& entry,
                                     std::initializer_list<SubtypeSection> sections,
                                     uint32_t unknownRow) {
    for (const SubtypeSection& section : sections) {
        if (section.subtype == entry.subtype) {
            Section(section.row);
            return true;
        }
    }
    UnknownMark(unknownRow, entry);
    return false;
}

void RecordPrinter::UnknownMark(uint32_t row, const TemplateEntry& entry) {
    Section(row);
    NumberLine(kType, entry.kind);
    NumberLine(kSubType, entry.subtype);
    NumberLine(kSize, entry.length);
    std::fprintf(console_, "Unknown Section found.\n");
}

void RecordPrinter::WordOrUnknown(uint32_t key, DWORD value, uint32_t firstRow, uint32_t count) {
    if (value >= 1 && value <= count) {
        WordLine(key, firstRow + value - 1);
    } else {
        UnknownValueLine(key, value);
    }
}

void RecordPrinter::FlagLines(uint32_t key, DWORD flags, std::span<const FlagBit> bits,
                              DWORD dropped) {
    DWORD leftOver = flags & ~dropped;
    for (const FlagBit& bit : bits) {
        if (flags & bit.bit) {
            WordLine(key, bit.row);
            leftOver &= ~bit.bit;
        }
    }
    if (leftOver != 0) UnknownValueLine(key, leftOver);
}

void RecordPrinter::SideFileLine(const char* prefix, const char* extension,
                                 const TemplateField& field) {
    std::string folder = sideFileFolder_.empty() ? std::string() : sideFileFolder_ + "/";
    char name[32] = "";
    bool free = false;
    // Draw numbers until the name is not taken.
    for (uint32_t draw = 0; draw < kSideFileDraws && !free; ++draw) {
        // Four upper-case hex digits, zero-padded.
        std::snprintf(name, sizeof(name), "%s%04lX%s", prefix,
                      static_cast<unsigned long>(random_() & 0xFFFF), extension);
        HFILE existing = _lopen((folder + name).c_str(), OF_READ);
        free = existing == HFILE_ERROR && (GetLastError() == ERROR_FILE_NOT_FOUND ||
                                          GetLastError() == ERROR_PATH_NOT_FOUND);
        if (existing != HFILE_ERROR) _lclose(existing);
    }
    TextLine(kFile, TemplateField{static_cast<DWORD>(std::strlen(name)),
                                  reinterpret_cast<BYTE*>(name)});
    if (!free) return;
    // The bytes go out as stored; a side file that cannot be created leaves
    // only its name in the text. One that cannot be written whole is an error.
    std::string host;
    if (!vpr::win::ResolveHostPath((folder + name).c_str(), &host)) return;
    vpr::machine::AtomicFile side(host);
    if (!side.Open()) return;
    if (side.Write(std::string_view(reinterpret_cast<const char*>(field.data), field.data ? field.length : 0)) &&
        side.Commit()) {
        return;
    }
    if (*sideFileError_ == 0) {
        *failedSideFile_ = name;
        *sideFileError_ = side.error();
    }
}

void RecordPrinter::Print(const TemplateEntry& entry) {
    const TemplateField* fields = entry.fields;
    const DWORD* values = entry.values;
    switch (entry.kind) {
        case TEMPLATE_KIND_FILE:
            if (entry.subtype == 1) {
                Section(kSectionFileCopy);
                FileFlagLines(values[0]);
                TextLine(kSource, fields[0]);
                TextLine(kTarget, fields[1]);
            } else if (entry.subtype == 2) {
                Section(kSectionFileDelete);
                FileFlagLines(values[0]);
                TextLine(kFile, fields[0]);
            } else {
                UnknownMark(kSectionFileUnknown, entry);
            }
            break;
        case TEMPLATE_KIND_DIR:
            SectionBySubtype(entry, {{1, kSectionDirectoryCreate}, {2, kSectionDirectoryDelete}},
                             kSectionDirectoryUnknown);
            FileFlagLines(values[0]);
            TextLine(kDirectory, fields[0]);
            break;
        case TEMPLATE_KIND_IDENT:
            SectionBySubtype(entry,
                             {{1, kSectionINIIdentifierCreate}, {2, kSectionINIIdentifierDelete}},
                             kSectionINIIdentifierUnknown);
            FileFlagLines(values[0]);
            TextLine(kFile, fields[0]);
            TextLine(kSection, fields[1]);
            TextLine(kIdentifier, fields[2]);
            TextLine(kValue, fields[3]);
            break;
        case TEMPLATE_KIND_SECTION:
            SectionBySubtype(entry, {{1, kSectionINISectionDelete}}, kSectionINISectionUnknown);
            TextLine(kFile, fields[0]);
            TextLine(kSection, fields[1]);
            break;
        case TEMPLATE_KIND_VALUE:
            RegistryValue(entry);
            break;
        case TEMPLATE_KIND_KEY:
            SectionBySubtype(entry,
                             {{1, kSectionRegistryKeyCreate}, {2, kSectionRegistryKeyDelete}},
                             kSectionRegistryKeyUnknown);
            FileFlagLines(values[0]);
            TextLine(kKey, fields[0]);
            break;
        case TEMPLATE_KIND_BASE_STRING:
            ApplicationString(entry);
            break;
        case TEMPLATE_KIND_BASE_VALUE:
            ApplicationValue(entry);
            break;
        case TEMPLATE_KIND_MACRO:
            Section(kSectionMacro);
            TextLine(kName, fields[0]);
            TextLine(kValue, fields[1]);
            break;
        case TEMPLATE_KIND_TEXT_ADD:
            SectionBySubtype(entry, {{1, kSectionTextAddBegin}, {2, kSectionTextAddEnd}},
                             kSectionTextAddUnknown);
            TextLine(kFile, fields[0]);
            TextLine(kString, fields[1]);
            break;
        case TEMPLATE_KIND_TEXT_FIND:
            SectionBySubtype(entry, {{1, kSectionTextFindReplace}, {2, kSectionTextFindDelete}},
                             kSectionTextFindUnknown);
            FileFlagLines(values[0]);
            TextLine(kFile, fields[0]);
            TextLine(kString, fields[1]);
            if (entry.subtype == 1) TextLine(kReplace, fields[2]);
            break;
        case TEMPLATE_KIND_INV_RAM:
            Section(kSectionInventoryRAM);
            NumberLine(kValue, values[0]);
            break;
        case TEMPLATE_KIND_INV_DISK:
            Section(kSectionInventoryDisk);
            NumberLine(kValue, values[0]);
            TextLine(kDrive, fields[0]);
            break;
        case TEMPLATE_KIND_INV_PROCESSOR:
            Section(kSectionInventoryProcessor);
            WordOrUnknown(kValue, values[0], kProcessor386, kProcessorCount);
            break;
        case TEMPLATE_KIND_INV_OS_VERSION:
            Section(kSectionInventoryOSVersion);
            WordOrUnknown(kType, entry.subtype, kWindows3x, kOsVersionCount);
            NumberLine(kMajorVersion, values[0]);
            NumberLine(kMinorVersion, values[1]);
            break;
        case TEMPLATE_KIND_BASE_DATA:
            ApplicationData(entry);
            break;
        case TEMPLATE_KIND_PM_GROUP:
            SectionBySubtype(entry,
                             {{1, kSectionProgramManagerGroupCreate},
                              {2, kSectionProgramManagerGroupDelete}},
                             kSectionProgramManagerGroupUnknown);
            TextLine(kGroup, fields[0]);
            break;
        case TEMPLATE_KIND_USER_ICON:
            UserIcon(entry);
            break;
        default:  // kinds 9 and 20 have no words; nor has any other kind
            UnknownMark(kSectionUnknownEntry, entry);
            break;
    }
}

void RecordPrinter::RegistryValue(const TemplateEntry& entry) {
    DWORD type = entry.values[1];
    if (entry.subtype == 1) {
        Section(kSectionRegistryValueCreate);
        WordOrUnknown(kType, type, kBinary, kRegistryTypeCount);
    } else if (entry.subtype == 2) {
        Section(kSectionRegistryValueDelete);
    } else {
        UnknownMark(kSectionRegistryValueUnknown, entry);
        WordOrUnknown(kType, type, kBinary, kRegistryTypeCount);
    }
    FileFlagLines(entry.values[0]);
    TextLine(kKey, entry.fields[0]);
    TextLine(kName, entry.fields[1]);
    if (entry.subtype != 1) return;

    const TemplateField& data = entry.fields[2];
    if (type == kRegString || type == kRegDefault || type == kRegExpandString) {
        TextLine(kValue, data);
    } else if (type == kRegDword && data.length >= 4) {
        DWORD number = static_cast<DWORD>(data.data[0]) | static_cast<DWORD>(data.data[1]) << 8 |
                       static_cast<DWORD>(data.data[2]) << 16 |
                       static_cast<DWORD>(data.data[3]) << 24;
        HexLine(kValue, number);
    } else {
        // Binary types, and a DWORD too short to hold its number: the bytes
        // that are there.
        if (type < kRegBinary || type > kRegistryTypeCount) {
            std::fprintf(console_, "Unknown registry value %ld.\n",
                         static_cast<long>(static_cast<int32_t>(type)));
        }
        BinaryLines(data.data, data.length);
    }
}

void RecordPrinter::ApplicationString(const TemplateEntry& entry) {
    SectionBySubtype(entry,
                     {{1, kSectionApplicationName},
                      {2, kSectionApplicationCaption},
                      {3, kSectionApplicationPath},
                      {4, kSectionApplicationDecription},
                      {5, kSectionApplicationDriveMapping},
                      {7, kSectionApplicationParameters},
                      {8, kSectionApplicationPrinterPort},
                      {9, kSectionApplicationShutdownScript},
                      {10, kSectionApplicationStartupScript},
                      {11, kSectionApplicationWorkingDirectory},
                      {12, kSectionApplicationErrorLogPath},
                      {13, kSectionApplicationVersion},
                      {14, kSectionApplicationMonitorModule},
                      {15, kSectionApplicationAdminNotes}},
                     kSectionApplicationStringUnknown);
    switch (entry.subtype) {
        case 4: SideFileLine("DESC", ".TXT", entry.fields[0]); break;
        case 9: SideFileLine("POST", ".TXT", entry.fields[0]); break;
        case 10: SideFileLine("PRE", ".TXT", entry.fields[0]); break;
        default: TextLine(kValue, entry.fields[0]); break;
    }
}

void RecordPrinter::ApplicationValue(const TemplateEntry& entry) {
    DWORD value = entry.values[0];
    switch (entry.subtype) {
        case 1:
            Section(kSectionApplicationTime);
            NumberLine(kValue, value);
            break;
        case 2:
            Section(kSectionApplicationDate);
            NumberLine(kValue, value);
            break;
        case 3:
            Section(kSectionApplicationFlags);
            // Bits 0x8, 0x10 and 0x20 belong to other pages: not printed.
            FlagLines(kFlag, value, kApplicationFlagBits, 0x38);
            break;
        case 4:
            Section(kSectionApplicationPlatform);
            FlagLines(kFlag, value, kPlatformBits);
            break;
        default:
            UnknownMark(kSectionApplicationValueUnknown, entry);
            HexLine(kValue, value);
            break;
    }
}

void RecordPrinter::ApplicationData(const TemplateEntry& entry) {
    if (entry.subtype == 1) {
        Section(kSectionApplicationIcon);
        SideFileLine("APP", ".ICO", entry.fields[0]);
    } else if (entry.subtype == 2) {
        Section(kSectionApplicationSchedule);
        Schedule(entry.fields[0]);
    } else {
        UnknownMark(kSectionApplicationDataUnknown, entry);
        BinaryLines(entry.fields[0].data, entry.fields[0].length);
    }
}

void RecordPrinter::Schedule(const TemplateField& data) {
    ScheduleBlock block;
    size_t fields = data.data == nullptr ? 0 : block.Decode(data.data, data.length);
    constexpr size_t kHeaderFields = ScheduleBlock::kHeaderSize / 4;
    if (fields < kHeaderFields) {
        // Too short to be a schedule: show the bytes that are there.
        BinaryLines(data.data, data.length);
        return;
    }
    switch (block.type) {
        case ScheduleBlock::kStartStop:
            WordLine(kType, kStartStop);
            DateLine(kStartDate, block.startDate);
            DateLine(kStopDate, block.endDate);
            break;
        case ScheduleBlock::kDayMask:
            WordLine(kType, kDayMask);
            FlagLines(kDay, block.dayMask, kDayBits);
            DateLine(kStartDate, block.startDate);
            DateLine(kStopDate, block.endDate);
            break;
        case ScheduleBlock::kSelected: {
            WordLine(kType, kSelected);
            size_t slots = fields - kHeaderFields;
            size_t shown = std::min<size_t>(block.dateCount, slots);
            for (size_t slot = 0; slot < shown; ++slot) {
                DateLine(kSelectedDate, block.selectedDates[slot]);
            }
            // A count beyond the slots the record holds is marked with the count.
            if (shown < block.dateCount) UnknownValueLine(kSelectedDate, block.dateCount);
            break;
        }
        default:
            UnknownValueLine(kType, block.type);
            break;
    }
    constexpr FlagBit kScheduleFlagBits[] = {{ScheduleBlock::kFlagGmt, kGMT}};
    FlagLines(kFlag, block.flags, kScheduleFlagBits);
    TimeLine(kStartTime, block.startTime);
    TimeLine(kStopTime, block.endTime);
    NumberLine(kSpreadTime, block.spread);
    NumberLine(kTimezone, static_cast<DWORD>(block.timeZone));
}

void RecordPrinter::UserIcon(const TemplateEntry& entry) {
    const TemplateField* fields = entry.fields;
    switch (entry.subtype) {
        case 1:
            Section(kSectionProgramManagerAddItem);
            TextLine(kGroup, fields[0]);
            TextLine(kItemName, fields[1]);
            ItemLines(entry);
            break;
        case 2:
            Section(kSectionProgramManagerDeleteItem);
            TextLine(kGroup, fields[0]);
            TextLine(kItemName, fields[1]);
            break;
        case 3:
            Section(kSectionShortcutAdd);
            TextLine(kLinkFilePath, fields[0]);
            ItemLines(entry);  // the second text is not shown
            break;
        case 4:
            Section(kSectionShortcutDelete);
            TextLine(kFile, fields[0]);
            break;
        default:
            UnknownMark(kSectionUserIconUnknown, entry);
            break;
    }
}

void RecordPrinter::ItemLines(const TemplateEntry& entry) {
    TextLine(kEXEPath, entry.fields[2]);
    TextLine(kCommandLine, entry.fields[3]);
    TextLine(kIconPath, entry.fields[4]);
    NumberLine(kIconIndex, entry.values[1]);
    TextLine(kWorkingDirectory, entry.fields[5]);
    FileFlagLines(entry.values[0]);
    NumberLine(kShowCommand, entry.values[2]);
    NumberLine(kSeparateMemorySpace, entry.values[3]);
}

}  // namespace

TemplateTextWriter::TemplateTextWriter(FILE* text, FILE* console)
    : text_(text), console_(console), random_(DefaultRandom) {}

void TemplateTextWriter::SetRandomSource(RandomSource source) { random_ = std::move(source); }

void TemplateTextWriter::SetSideFileFolder(std::string folder) {
    sideFileFolder_ = std::move(folder);
}

void TemplateTextWriter::WriteEntry(const TemplateEntry& entry) {
    RecordPrinter(text_, console_, random_, sideFileFolder_, &failedSideFile_, &sideFileError_).Print(entry);
}
