#include "sample_records.h"

#include <gtest/gtest.h>

namespace qmt_test {

namespace {

std::string Bytes(std::initializer_list<uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

std::vector<Record> EveryKind() {
    const std::string icon = Bytes({0, 0, 1, 0, 1, 0, 0x20, 0x20, 0, 0, 0xff});
    return {
        {1, 1, {0x201}, {"SETUP\\APP.EXE", "C:\\APPS\\APP.EXE"}},
        {1, 2, {0x2}, {"C:\\APPS\\OLD.DLL"}},
        {2, 1, {0x4}, {"C:\\APPS"}},
        {2, 2, {0}, {"C:\\TEMP\\APPSETUP"}},
        {3, 1, {0x40}, {"WIN.INI", "App", "Window", "max"}},
        {3, 2, {0}, {"SYSTEM.INI", "386Enh", "device", ""}},
        {4, 1, {}, {"APP.INI", "Obsolete"}},
        {5, 1, {0x1, 3}, {"HKEY_LOCAL_MACHINE\\Software\\App", "Count", Bytes({7, 0, 0, 0})}},
        {5, 2, {0x8, 2}, {"HKEY_CURRENT_USER\\Software\\App", "Stale"}},
        {5, 1, {0, 1}, {"HKEY_CLASSES_ROOT\\.app", "", ""}},
        {6, 1, {0x10}, {"HKEY_LOCAL_MACHINE\\Software\\App"}},
        {6, 2, {0}, {"HKEY_LOCAL_MACHINE\\Software\\OldApp"}},
        {7, 1, {}, {"Sample Editor"}},
        {7, 4, {}, {"Edits text.\r\nSecond line."}},
        {7, 13, {}, {""}},
        {8, 3, {0x480}, {}},
        {8, 4, {0x6}, {}},
        {9, 5, {42}, {"value and text"}},
        {10, 1, {}, {"APPDIR", "C:\\APPS"}},
        {11, 1, {}, {"C:\\AUTOEXEC.BAT", "SET APP=1"}},
        {11, 2, {}, {"C:\\CONFIG.SYS", "FILES=40"}},
        {12, 1, {0x80}, {"C:\\AUTOEXEC.BAT", "PATH C:\\DOS", "PATH C:\\DOS;C:\\APPS"}},
        {12, 2, {0x100}, {"C:\\CONFIG.SYS", "DEVICE=OLD.SYS"}},
        {13, 1, {16}, {}},
        {14, 1, {40}, {"C:"}},
        {15, 1, {3}, {}},
        {16, 2, {4, 0}, {}},
        {17, 1, {}, {icon}},
        {17, 2, {}, {""}},
        {18, 1, {}, {"Sample Tools"}},
        {19, 1, {0x1, 2, 1, 0}, {"Sample Tools", "Editor", "C:\\APPS\\APP.EXE", "/n", "C:\\APPS\\APP.ICO", "C:\\APPS"}},
        {19, 2, {0, 0, 0, 0}, {"Sample Tools", "Old Editor"}},
        {19, 3, {0, 0, 7, 1}, {"C:\\WINDOWS\\Desktop\\Editor.lnk", "second", "C:\\APPS\\APP.EXE", "", "", "C:\\"}},
        {19, 4, {0, 0, 0, 0}, {"C:\\WINDOWS\\Desktop\\Old.lnk"}},
        {20, 9, {5, 6}, {}},
    };
}

LONG WriteWithWriter(HFILE h, const Record& r) {
    auto text = [&](size_t i) { return i < r.fields.size() ? r.fields[i].c_str() : "left out"; };
    auto data = [&](size_t i) { return reinterpret_cast<const BYTE*>(text(i)); };
    auto size = [&](size_t i) {
        return static_cast<DWORD>(i < r.fields.size() ? r.fields[i].size() : 8);
    };
    auto value = [&](size_t i) { return i < r.values.size() ? r.values[i] : 0; };
    switch (r.kind) {
        case 1: return kmapptWriteFileEntry(h, r.subtype, value(0), text(0), text(1));
        case 2: return kmapptWriteDirEntry(h, r.subtype, value(0), text(0));
        case 3: return kmapptWriteIdentEntry(h, r.subtype, value(0), text(0), text(1), text(2), text(3));
        case 4: return kmapptWriteSectionEntry(h, r.subtype, text(0), text(1));
        case 5:
            return kmapptWriteValueEntry(h, r.subtype, value(0), text(0), text(1), value(1), size(2),
                                         data(2));
        case 6: return kmapptWriteKeyEntry(h, r.subtype, value(0), text(0));
        case 7: return kmapptWriteBaseString(h, r.subtype, text(0));
        case 8: return kmapptWriteBaseValue(h, r.subtype, value(0));
        case 9: return kmapptWriteBaseValueString(h, r.subtype, value(0), text(0));
        case 10: return kmapptWriteMacroEntry(h, r.subtype, text(0), text(1));
        case 11: return kmapptWriteTextAddEntry(h, r.subtype, text(0), text(1));
        case 12: return kmapptWriteTextFindEntry(h, r.subtype, value(0), text(0), text(1), text(2));
        case 13: return kmapptWriteInvRAMEntry(h, r.subtype, value(0));
        case 14: return kmapptWriteInvDiskEntry(h, r.subtype, value(0), text(0));
        case 15: return kmapptWriteInvProcessorEntry(h, r.subtype, value(0));
        case 16: return kmapptWriteInvOSVersionEntry(h, r.subtype, value(0), value(1));
        case 17: return kmapptWriteBaseData(h, r.subtype, data(0), size(0));
        case 18: return kmapptWritePMGroupEntry(h, r.subtype, text(0));
        case 19:
            return kmapptWriteUserIconEntry(h, r.subtype, text(0), text(1), text(2), text(3), text(4),
                                            text(5), value(0), value(1), value(2), value(3));
        case 20: return kmapptWriteKind20Entry(h, r.subtype, value(0), value(1));
    }
    ADD_FAILURE() << "no writer for kind " << r.kind;
    return TEMPLATE_ERR_KIND;
}

TemplateEntry ToEntry(const Record& r, DWORD length) {
    TemplateEntry entry{};
    entry.kind = r.kind;
    entry.subtype = r.subtype;
    entry.length = length;
    for (size_t i = 0; i < r.values.size(); ++i) entry.values[i] = r.values[i];
    for (size_t i = 0; i < r.fields.size(); ++i) {
        const std::string& field = r.fields[i];
        entry.fields[i] = {static_cast<DWORD>(field.size()),
                           field.empty() ? nullptr
                                         : reinterpret_cast<BYTE*>(const_cast<char*>(field.data()))};
    }
    return entry;
}

void ExpectEntry(const TemplateEntry& entry, const Record& r) {
    SCOPED_TRACE("kind " + std::to_string(r.kind) + " subtype " + std::to_string(r.subtype));
    EXPECT_EQ(entry.kind, r.kind);
    EXPECT_EQ(entry.subtype, r.subtype);
    for (size_t i = 0; i < TEMPLATE_MAX_VALUES; ++i) {
        EXPECT_EQ(entry.values[i], i < r.values.size() ? r.values[i] : 0u) << "value " << i;
    }
    for (size_t i = 0; i < TEMPLATE_MAX_FIELDS; ++i) {
        const TemplateField& field = entry.fields[i];
        std::string expected = i < r.fields.size() ? r.fields[i] : "";
        EXPECT_EQ(field.length, expected.size()) << "field " << i;
        if (expected.empty()) {
            EXPECT_EQ(field.data, nullptr) << "field " << i;
        } else if (field.data != nullptr) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(field.data), field.length), expected);
        } else {
            ADD_FAILURE() << "field " << i << " has no bytes";
        }
    }
}

MemoryTemplate::MemoryTemplate(std::vector<uint8_t> contents)
    : file(std::make_shared<vpr::win::MemoryFile>(std::move(contents))),
      handle(vpr::win::MemoryFile::Open(file)) {}

MemoryTemplate::~MemoryTemplate() { _lclose(handle); }

std::vector<uint8_t> TemplateOf(const std::vector<Record>& records) {
    MemoryTemplate t;
    EXPECT_EQ(kmapptWriteSignature(t.handle), TEMPLATE_OK);
    for (const Record& r : records) EXPECT_EQ(WriteWithWriter(t.handle, r), TEMPLATE_OK);
    return t.Bytes();
}

}  // namespace qmt_test
