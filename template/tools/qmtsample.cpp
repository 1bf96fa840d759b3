// qmtsample OUT.QMT: writes the template of a small sample application,
// holding every record kind the system writes, then reads it back and prints
// one line per record.
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "template/schedule_block.h"
#include "template/template_library.h"

namespace {

void PutU32(std::vector<BYTE>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
}

// A 16x16 two-colour icon file: header, one directory entry, the bitmap
// header, palette, colour bits and mask.
std::vector<BYTE> SampleIcon() {
    const uint32_t imageSize = 40 + 8 + 64 + 64;
    std::vector<BYTE> icon(6 + 16 + imageSize, 0);
    icon[2] = 1;                  // type: icon
    icon[4] = 1;                  // one image
    icon[6] = 16;                 // width
    icon[7] = 16;                 // height
    icon[8] = 2;                  // colours
    icon[10] = 1;                 // planes
    icon[12] = 1;                 // bits per pixel
    PutU32(icon, 14, imageSize);  // bytes of the image
    PutU32(icon, 18, 6 + 16);     // where it starts
    const size_t bmp = 22;
    PutU32(icon, bmp, 40);               // bitmap header size
    PutU32(icon, bmp + 4, 16);           // width
    PutU32(icon, bmp + 8, 32);           // height of colour bits and mask
    icon[bmp + 12] = 1;                  // planes
    icon[bmp + 14] = 1;                  // bits per pixel
    PutU32(icon, bmp + 20, 128);         // image bytes
    PutU32(icon, bmp + 44, 0x00FFFFFF);  // palette: black, white
    for (size_t row = 0; row < 16; ++row) {
        // A white frame with a dark inside.
        uint32_t bits = (row == 0 || row == 15) ? 0xFFFF0000 : 0x80010000;
        size_t at = bmp + 48 + row * 4;
        icon[at] = static_cast<BYTE>(bits >> 24);
        icon[at + 1] = static_cast<BYTE>(bits >> 16);
    }
    return icon;
}

// A date-range schedule: 2 March to 31 December 1998, from 8:00 on the first
// day to 17:00 on the last, with 15 minutes of spread, saved five hours west
// of Greenwich.
std::array<BYTE, ScheduleBlock::kSize> SampleSchedule() {
    const int32_t zone = 5 * 3600;
    ScheduleBlock schedule;
    schedule.type = ScheduleBlock::kStartStop;
    schedule.startDate = 888796800 + zone;  // local midnights
    schedule.endDate = 915062400 + zone;
    schedule.startTime = 8 * 3600;
    schedule.endTime = 17 * 3600;
    schedule.spread = 15 * 60;
    schedule.timeZone = zone;
    return schedule.Encode();
}

LONG WriteSample(HFILE h) {
    const std::vector<BYTE> icon = SampleIcon();
    const auto schedule = SampleSchedule();
    const BYTE windowCount[4] = {3, 0, 0, 0};
    const BYTE binary[6] = {0x01, 0x00, 0xFF, 0x10, 0x00, 0x7F};
    const char recent[] = "C:\\NOTES\\TODO.TXT\0C:\\NOTES\\IDEAS.TXT\0";
    const char* options = "MRU";
    const char* home = "%APPDIR%";

    // One writer call per record, in file order; the first failure stops.
    const std::function<LONG()> records[] = {
        [&] { return kmapptWriteBaseString(h, 1, "Quillpad"); },
        [&] { return kmapptWriteBaseString(h, 2, "Quillpad 2.1"); },
        [&] { return kmapptWriteBaseString(h, 3, "%APPDIR%\\QUILLPAD.EXE"); },
        [&] {
            return kmapptWriteBaseString(h, 4,
                                         "A small text editor with tabs and macros.\r\n"
                                         "Installed on every workstation of the office.");
        },
        [&] { return kmapptWriteBaseString(h, 5, "ROOT:=SYS:\\APPS"); },
        [&] { return kmapptWriteBaseString(h, 7, "/tabs"); },
        [&] { return kmapptWriteBaseString(h, 8, "LPT1:=.PRINTQ_0.OFFICE"); },
        [&] { return kmapptWriteBaseString(h, 11, "C:\\NOTES"); },
        [&] { return kmapptWriteBaseString(h, 13, "2.1"); },
        [&] { return kmapptWriteBaseValue(h, 3, 0x400); },  // flags: error logging
        [&] { return kmapptWriteBaseValue(h, 4, 0x6); },    // platforms: Windows 95 and NT
        [&] { return kmapptWriteBaseData(h, 1, icon.data(), static_cast<DWORD>(icon.size())); },
        [&] {
            return kmapptWriteBaseData(h, 2, schedule.data(), static_cast<DWORD>(schedule.size()));
        },
        [&] { return kmapptWriteDirEntry(h, 1, 0, "%APPDIR%"); },
        [&] { return kmapptWriteDirEntry(h, 2, 0, "%APPDIR%\\TEMP"); },
        [&] {
            return kmapptWriteFileEntry(h, 1, 0x1, "SYS:\\APPS\\QUILLPAD\\QUILLPAD.EXE",
                                        "%APPDIR%\\QUILLPAD.EXE");
        },
        [&] {
            return kmapptWriteFileEntry(h, 1, 0x200 | 0x10, "SYS:\\APPS\\QUILLPAD\\QPEDIT.DLL",
                                        "%WINSYSDIR%\\QPEDIT.DLL");
        },
        [&] { return kmapptWriteFileEntry(h, 2, 0, "%APPDIR%\\README.OLD", ""); },
        [&] {
            return kmapptWriteIdentEntry(h, 1, 0x40, "%WINDIR%\\WIN.INI", "Quillpad", "Tabs", "4");
        },
        [&] {
            return kmapptWriteIdentEntry(h, 2, 0, "%WINDIR%\\WIN.INI", "Quillpad Beta", "Wrap", "");
        },
        [&] { return kmapptWriteSectionEntry(h, 1, "%WINDIR%\\QUILLPAD.INI", "Old Settings"); },
        [&] { return kmapptWriteKeyEntry(h, 1, 0x8, "HKEY_LOCAL_MACHINE\\Software\\Quillpad"); },
        [&] {
            return kmapptWriteKeyEntry(h, 2, 0, "HKEY_CURRENT_USER\\Software\\Quillpad\\Cache");
        },
        [&] {
            return kmapptWriteValueEntry(h, 1, 0x1, "HKEY_LOCAL_MACHINE\\Software\\Quillpad",
                                         "Home", 2,
                                         static_cast<DWORD>(std::char_traits<char>::length(home)),
                                         reinterpret_cast<const BYTE*>(home));
        },
        [&] {
            return kmapptWriteValueEntry(h, 1, 0x1, "HKEY_LOCAL_MACHINE\\Software\\Quillpad",
                                         "Windows", 3, sizeof windowCount, windowCount);
        },
        [&] {
            return kmapptWriteValueEntry(h, 1, 0x2, "HKEY_CURRENT_USER\\Software\\Quillpad",
                                         "Layout", 1, sizeof binary, binary);
        },
        [&] {
            return kmapptWriteValueEntry(h, 1, 0x2, "HKEY_CURRENT_USER\\Software\\Quillpad",
                                         "Recent", 9, sizeof recent,
                                         reinterpret_cast<const BYTE*>(recent));
        },
        [&] {
            return kmapptWriteValueEntry(
                h, 1, 0x1, "HKEY_CURRENT_USER\\Software\\Quillpad", "", 4,
                static_cast<DWORD>(std::char_traits<char>::length(options)),
                reinterpret_cast<const BYTE*>(options));
        },
        [&] {
            return kmapptWriteValueEntry(h, 2, 0, "HKEY_CURRENT_USER\\Software\\Quillpad", "Trial",
                                         3, 0, nullptr);
        },
        [&] { return kmapptWriteMacroEntry(h, 1, "APPDIR", "C:\\PROGRAM FILES\\QUILLPAD"); },
        [&] {
            return kmapptWriteTextAddEntry(h, 1, "C:\\AUTOEXEC.BAT",
                                           "SET QUILLPAD=C:\\PROGRA~1\\QUILLPAD");
        },
        [&] { return kmapptWriteTextAddEntry(h, 2, "C:\\CONFIG.SYS", "FILES=60"); },
        [&] {
            return kmapptWriteTextFindEntry(h, 1, 0x80, "C:\\AUTOEXEC.BAT", "PATH C:\\WINDOWS",
                                            "PATH C:\\WINDOWS;%APPDIR%");
        },
        [&] { return kmapptWriteTextFindEntry(h, 2, 0x100, "C:\\CONFIG.SYS", "QPOLD.SYS", ""); },
        [&] { return kmapptWriteInvRAMEntry(h, 1, 16); },
        [&] { return kmapptWriteInvDiskEntry(h, 1, 12, "C:"); },
        [&] { return kmapptWriteInvProcessorEntry(h, 1, 2); },  // 486
        [&] { return kmapptWriteInvOSVersionEntry(h, 2, 4, 0); },
        [&] { return kmapptWritePMGroupEntry(h, 1, "Office Tools"); },
        [&] { return kmapptWritePMGroupEntry(h, 2, "Quillpad 1.0"); },
        [&] {
            return kmapptWriteUserIconEntry(h, 1, "Office Tools", "Quillpad",
                                            "%APPDIR%\\QUILLPAD.EXE", "/tabs",
                                            "%APPDIR%\\QUILLPAD.EXE", "C:\\NOTES", 0x1, 0, 1, 0);
        },
        [&] {
            return kmapptWriteUserIconEntry(h, 2, "Office Tools", "Quillpad 1.0", "", "", "", "", 0,
                                            0, 0, 0);
        },
        [&] {
            return kmapptWriteUserIconEntry(h, 3, "C:\\WINDOWS\\DESKTOP\\Quillpad.lnk", "",
                                            "%APPDIR%\\QUILLPAD.EXE", "", "%APPDIR%\\QUILLPAD.EXE",
                                            "C:\\NOTES", 0x1, 0, 1, 0);
        },
        [&] {
            return kmapptWriteUserIconEntry(h, 4, "C:\\WINDOWS\\DESKTOP\\Quillpad 1.0.lnk", "", "",
                                            "", "", "", 0, 0, 0, 0);
        },
    };
    for (const auto& write : records) {
        if (LONG result = write(); result != TEMPLATE_OK) return result;
    }
    return TEMPLATE_OK;
}

// The record's first counted field as a readable text (control characters
// escaped, binary data of kind 17 given by its size); empty when the record
// has none or it is empty.
std::string FirstField(const TemplateEntry& entry) {
    if (entry.fields[0].data == nullptr) return "";
    if (entry.kind == TEMPLATE_KIND_BASE_DATA) {
        char size[32];
        std::snprintf(size, sizeof size, "<%u bytes>", entry.fields[0].length);
        return size;
    }
    const TemplateField& field = entry.fields[0];
    std::string text = "\"";
    for (DWORD i = 0; i < field.length; ++i) {
        char c = static_cast<char>(field.data[i]);
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20)
            text += '?';
        else
            text += c;
    }
    return text + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage = "usage: qmtsample OUT.QMT\n  writes a sample template and prints its entries\n";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs(usage, stderr);
        return 2;
    }
    HFILE h;
    LONG result = kmapptCreate(argv[1], &h);
    if (result == TEMPLATE_OK) result = WriteSample(h);
    if (h != HFILE_ERROR) kmapptClose(h);
    if (result != TEMPLATE_OK) {
        std::fprintf(stderr, "qmtsample: cannot write %s (%d)\n", argv[1],
                     static_cast<int>(result));
        return 1;
    }

    result = kmapptOpen(argv[1], &h);
    EntryList* list = nullptr;
    if (result == TEMPLATE_OK) {
        result = kmapptGetEntries(h, 0, 1, &list);
        kmapptClose(h);
    }
    if (result != TEMPLATE_OK) {
        std::fprintf(stderr, "qmtsample: cannot read %s (%d)\n", argv[1], static_cast<int>(result));
        return 1;
    }
    std::printf("%s\n", argv[1]);
    std::printf("kind subtype length  first field\n");
    int records = 0;
    for (const EntryList* node = list; node != nullptr; node = node->next, ++records) {
        const TemplateEntry& entry = *node->entry;
        std::printf("%4u %7u %6u  %s\n", entry.kind, entry.subtype, entry.length,
                    FirstField(entry).c_str());
    }
    std::printf("%d records\n", records);
    kmapptFreeEntries(list);
    return 0;
}
