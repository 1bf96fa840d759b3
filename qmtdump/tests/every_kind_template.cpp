#include "every_kind_template.h"

#include <initializer_list>
#include <vector>

#include "entry_builder.h"
#include "template/schedule_block.h"
#include "template/template_library.h"

namespace {

const std::string kIcon("\0\0\1\0\1\0\x20\x20\0\0\xff", 11);
const std::string kDescription = "Edits text.\r\nSecond line.";

// A record written byte by byte, for the subtypes that the writers refuse.
bool AppendRawRecord(HFILE file, DWORD kind, DWORD subtype, std::initializer_list<DWORD> values,
                     std::initializer_list<std::string> fields) {
    DWORD length = 12 + 4 * static_cast<DWORD>(values.size());
    for (const std::string& f : fields) length += 4 + static_cast<DWORD>(f.size());
    std::string bytes = Le32({kind, subtype, length});
    for (DWORD v : values) bytes += Le32({v});
    for (const std::string& f : fields) bytes += Le32({static_cast<DWORD>(f.size())}) + f;
    return _lwrite(file, bytes.data(), static_cast<UINT>(bytes.size())) == bytes.size();
}

std::string ScheduleBytes(DWORD type, DWORD flags, int32_t start, int32_t stop, DWORD dayMask,
                          std::initializer_list<int32_t> dates) {
    ScheduleBlock block;
    block.type = type;
    block.flags = flags;
    block.startDate = start;
    block.endDate = stop;
    block.startTime = 8 * 3600;
    block.endTime = 17 * 3600 + 30 * 60;
    block.spread = 900;
    block.dayMask = dayMask;
    block.reserved = 5;
    block.timeZone = (flags & ScheduleBlock::kFlagGmt) ? 0 : -3600;
    size_t slot = 0;
    for (int32_t d : dates) block.selectedDates[slot++] = d;
    block.PackSelectedDates();
    auto bytes = block.Encode();
    return std::string(bytes.begin(), bytes.end());
}

const BYTE* Data(const std::string& s) { return reinterpret_cast<const BYTE*>(s.data()); }
DWORD Size(const std::string& s) { return static_cast<DWORD>(s.size()); }

}  // namespace

bool WriteEveryKindTemplate(const std::string& path) {
    HFILE f = HFILE_ERROR;
    if (kmapptCreate(path.c_str(), &f) != TEMPLATE_OK) return false;
    bool ok = true;
    auto check = [&ok](LONG result) { ok = ok && result == TEMPLATE_OK; };
    const int32_t mar1998 = 889056000;  // 1998-03-05
    const int32_t dec1999 = 946598400;  // 1999-12-31

    // Files, directories, ini identifiers and sections.
    check(kmapptWriteFileEntry(f, 1, 0x201, "SETUP\\APP.EXE", "C:\\APPS\\APP.EXE"));
    check(kmapptWriteFileEntry(f, 2, 0x2, "C:\\APPS\\OLD.DLL", ""));
    ok = ok && AppendRawRecord(f, 1, 3, {0x1}, {"C:\\ODD.DAT"});
    check(kmapptWriteDirEntry(f, 1, 0x4, "C:\\APPS"));
    check(kmapptWriteDirEntry(f, 2, 0, "C:\\TEMP\\APPSETUP"));
    check(kmapptWriteDirEntry(f, 3, 0x8000, "C:\\ODD"));
    check(kmapptWriteIdentEntry(f, 1, 0x40, "WIN.INI", "App", "Window", "max"));
    check(kmapptWriteIdentEntry(f, 2, 0, "SYSTEM.INI", "386Enh", "device", ""));
    ok = ok && AppendRawRecord(f, 3, 7, {0x80}, {"ODD.INI", "Odd", "Key"});
    check(kmapptWriteSectionEntry(f, 1, "APP.INI", "Obsolete"));
    check(kmapptWriteSectionEntry(f, 2, "APP.INI", "Odd"));

    // Registry values of every type, a deleted value, an odd subtype; keys.
    const std::string dword = Le32({0x12345678});
    const std::string seventeen("0123456789ABCDEF\x80", 17);
    const struct {
        DWORD type;
        std::string data;
    } values[] = {
        {1, seventeen}, {2, "text value"}, {3, dword}, {4, "default"}, {5, ""},
        {6, "%WINDIR%\\APP"}, {7, "\x12\x34\x56\x78"}, {8, "link"}, {9, std::string("a\0b\0\0", 5)},
        {10, "\x01"}, {11, "\x02"}, {12, "\x03"}, {13, "\xAB\xCD"},
    };
    for (const auto& v : values) {
        check(kmapptWriteValueEntry(f, 1, 0x1, "HKEY_LOCAL_MACHINE\\Software\\App", "Value",
                                    v.type, Size(v.data), Data(v.data)));
    }
    check(kmapptWriteValueEntry(f, 2, 0x8, "HKEY_CURRENT_USER\\Software\\App", "Stale", 2, 0,
                                nullptr));
    check(kmapptWriteValueEntry(f, 3, 0, "HKEY_CURRENT_USER\\Software\\App", "Odd", 99, 0,
                                nullptr));
    check(kmapptWriteKeyEntry(f, 1, 0x10, "HKEY_LOCAL_MACHINE\\Software\\App"));
    check(kmapptWriteKeyEntry(f, 2, 0, "HKEY_LOCAL_MACHINE\\Software\\OldApp"));
    check(kmapptWriteKeyEntry(f, 3, 0x20, "HKEY_LOCAL_MACHINE\\Software\\Odd"));

    // The application's strings 1 to 15 (6 has no name), values and data.
    const char* const strings[] = {
        "Sample Editor", "Editor", "C:\\APPS\\APP.EXE", kDescription.c_str(),
        "G:=SYS:\\APPS", "unused", "/nologo", "LPT1:=QUEUE1", "net logout",
        "net use g: \\\\SERVER\\APPS", "C:\\APPS", "C:\\APPS\\ERRORS", "1.0",
        "APP.EXE", "Installed by the sample.",
    };
    for (DWORD subtype = 1; subtype <= 15; ++subtype) {
        check(kmapptWriteBaseString(f, subtype, strings[subtype - 1]));
    }
    check(kmapptWriteBaseValue(f, 1, 3600));
    check(kmapptWriteBaseValue(f, 2, static_cast<DWORD>(mar1998)));
    check(kmapptWriteBaseValue(f, 3, 0x2000 | 0x1080 | 0x38 | 0x1));
    check(kmapptWriteBaseValue(f, 4, 0x6));
    check(kmapptWriteBaseValue(f, 5, 0xCAFE));
    check(kmapptWriteBaseValueString(f, 5, 42, "value and text"));
    check(kmapptWriteMacroEntry(f, 1, "APPDIR", "C:\\APPS"));

    // Text files.
    check(kmapptWriteTextAddEntry(f, 1, "C:\\AUTOEXEC.BAT", "SET APP=1"));
    check(kmapptWriteTextAddEntry(f, 2, "C:\\CONFIG.SYS", "FILES=40"));
    check(kmapptWriteTextAddEntry(f, 3, "C:\\ODD.TXT", "odd"));
    check(kmapptWriteTextFindEntry(f, 1, 0x80, "C:\\AUTOEXEC.BAT", "PATH C:\\DOS",
                                   "PATH C:\\DOS;C:\\APPS"));
    check(kmapptWriteTextFindEntry(f, 2, 0x100, "C:\\CONFIG.SYS", "DEVICE=OLD.SYS", ""));
    ok = ok && AppendRawRecord(f, 12, 3, {0x400}, {"C:\\ODD.TXT", "find"});

    // Inventory.
    check(kmapptWriteInvRAMEntry(f, 1, 16));
    check(kmapptWriteInvDiskEntry(f, 1, 40, "C:"));
    for (DWORD processor = 1; processor <= 4; ++processor) {
        check(kmapptWriteInvProcessorEntry(f, 1, processor));
    }
    for (DWORD os = 1; os <= 4; ++os) check(kmapptWriteInvOSVersionEntry(f, os, 4, os));

    // Icon, schedules of every type, odd data.
    check(kmapptWriteBaseData(f, 1, Data(kIcon), Size(kIcon)));
    const std::string schedules[] = {
        ScheduleBytes(1, 1, mar1998, dec1999, 0, {}),
        ScheduleBytes(2, 0, mar1998, dec1999, 0x3E, {}),
        ScheduleBytes(3, 0, 0, 0, 0, {dec1999, 0, mar1998}),
        ScheduleBytes(3, 0, 0, 0, 0, {}),
    };
    for (const std::string& schedule : schedules) {
        check(kmapptWriteBaseData(f, 2, Data(schedule), Size(schedule)));
    }
    check(kmapptWriteBaseData(f, 3, Data(seventeen), Size(seventeen)));

    // Program groups, items and shortcuts.
    check(kmapptWritePMGroupEntry(f, 1, "Sample"));
    check(kmapptWritePMGroupEntry(f, 2, "Old Sample"));
    check(kmapptWritePMGroupEntry(f, 3, "Odd"));
    check(kmapptWriteUserIconEntry(f, 1, "Sample", "Editor", "C:\\APPS\\APP.EXE", "/nologo",
                                   "C:\\APPS\\APP.ICO", "C:\\APPS", 0x2, 1, 7, 1));
    check(kmapptWriteUserIconEntry(f, 2, "Old Sample", "Editor", "", "", "", "", 0, 0, 0, 0));
    check(kmapptWriteUserIconEntry(f, 3, "C:\\WINDOWS\\DESKTOP\\Editor.lnk", "not shown",
                                   "C:\\APPS\\APP.EXE", "", "C:\\APPS\\APP.EXE", "C:\\APPS", 0,
                                   2, 3, 0));
    check(kmapptWriteUserIconEntry(f, 4, "C:\\WINDOWS\\DESKTOP\\Old.lnk", "", "", "", "", "", 0,
                                   0, 0, 0));
    ok = ok && AppendRawRecord(f, 19, 5, {0, 0, 0, 0}, {"odd"});
    check(kmapptWriteKind20Entry(f, 1, 7, 8));

    kmapptClose(f);
    return ok;
}

const ExpectedSideFile* EveryKindSideFiles(size_t* count) {
    static const ExpectedSideFile files[] = {
        {"DESC1000.TXT", kDescription},
        {"POST1001.TXT", "net logout"},
        {"PRE1002.TXT", "net use g: \\\\SERVER\\APPS"},
        {"APP1003.ICO", kIcon},
    };
    *count = sizeof(files) / sizeof(files[0]);
    return files;
}
