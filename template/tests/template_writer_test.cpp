#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "sample_records.h"

namespace fs = std::filesystem;
using qmt_test::MemoryTemplate;
using qmt_test::Record;

namespace {

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

TEST(RecordWriters, LengthsPerKindAndSubtype) {
    const BYTE data[5] = {1, 2, 3, 4, 5};
    struct Case {
        const char* what;
        std::function<LONG(HFILE)> write;
        DWORD length;
    } cases[] = {
        {"file copy", [](HFILE h) { return kmapptWriteFileEntry(h, 1, 0, "ab", "cde"); }, 16 + 6 + 7},
        {"file delete ignores target",
         [](HFILE h) { return kmapptWriteFileEntry(h, 2, 0, "ab", "cde"); }, 16 + 6},
        {"dir", [](HFILE h) { return kmapptWriteDirEntry(h, 7, 0, "abcd"); }, 16 + 8},
        {"ident", [](HFILE h) { return kmapptWriteIdentEntry(h, 2, 0, "a", "", "bc", "d"); },
         16 + 5 + 4 + 6 + 5},
        {"section", [](HFILE h) { return kmapptWriteSectionEntry(h, 1, "ab", "c"); }, 12 + 6 + 5},
        {"value create: 20 + key + name + data",
         [&](HFILE h) { return kmapptWriteValueEntry(h, 1, 0, "key", "nm", 1, 5, data); },
         20 + (4 + 3) + (4 + 2) + (4 + 5)},
        {"value delete: 20 + key + name, no data",
         [&](HFILE h) { return kmapptWriteValueEntry(h, 2, 0, "key", "nm", 1, 5, data); },
         20 + (4 + 3) + (4 + 2)},
        {"value of another subtype has no data",
         [&](HFILE h) { return kmapptWriteValueEntry(h, 9, 0, "key", "", 1, 5, data); },
         20 + (4 + 3) + 4},
        {"key", [](HFILE h) { return kmapptWriteKeyEntry(h, 1, 0, "k"); }, 16 + 5},
        {"base string", [](HFILE h) { return kmapptWriteBaseString(h, 1, "Name"); }, 12 + 8},
        {"base value", [](HFILE h) { return kmapptWriteBaseValue(h, 3, 0x80); }, 16},
        {"base value string", [](HFILE h) { return kmapptWriteBaseValueString(h, 1, 2, "xy"); },
         16 + 6},
        {"macro", [](HFILE h) { return kmapptWriteMacroEntry(h, 1, "M", "v"); }, 12 + 5 + 5},
        {"text add", [](HFILE h) { return kmapptWriteTextAddEntry(h, 2, "f", "txt"); }, 12 + 5 + 7},
        {"text find replace",
         [](HFILE h) { return kmapptWriteTextFindEntry(h, 1, 0, "f", "ab", "abc"); },
         16 + 5 + 6 + 7},
        {"text find delete ignores replacement",
         [](HFILE h) { return kmapptWriteTextFindEntry(h, 2, 0, "f", "ab", "abc"); }, 16 + 5 + 6},
        {"RAM", [](HFILE h) { return kmapptWriteInvRAMEntry(h, 1, 16); }, 16},
        {"disk", [](HFILE h) { return kmapptWriteInvDiskEntry(h, 1, 40, "C:"); }, 16 + 6},
        {"processor", [](HFILE h) { return kmapptWriteInvProcessorEntry(h, 1, 3); }, 16},
        {"OS version", [](HFILE h) { return kmapptWriteInvOSVersionEntry(h, 3, 4, 0); }, 20},
        {"data of length 0 is a 16-byte record",
         [](HFILE h) { return kmapptWriteBaseData(h, 1, nullptr, 0); }, 16},
        {"schedule data", [](HFILE h) {
             std::vector<BYTE> schedule(1444, 0);
             return kmapptWriteBaseData(h, 2, schedule.data(), 1444);
         }, 12 + 4 + 1444},
        {"group", [](HFILE h) { return kmapptWritePMGroupEntry(h, 2, "grp"); }, 12 + 7},
        {"user icon add item: 52 + six texts", [](HFILE h) {
             return kmapptWriteUserIconEntry(h, 1, "g", "it", "exe", "", "ico", "wd", 1, 2, 3, 4);
         }, 52 + 1 + 2 + 3 + 0 + 3 + 2},
        {"user icon delete item: 36 + group + item", [](HFILE h) {
             return kmapptWriteUserIconEntry(h, 2, "g", "it", "exe", "", "ico", "wd", 1, 2, 3, 4);
         }, 36 + 1 + 2},
        {"user icon add shortcut: 52 + six texts", [](HFILE h) {
             return kmapptWriteUserIconEntry(h, 3, "lnk", "x", "exe", "a", "", "", 0, 0, 0, 0);
         }, 52 + 3 + 1 + 3 + 1},
        {"user icon delete shortcut: 32 + link", [](HFILE h) {
             return kmapptWriteUserIconEntry(h, 4, "lnk", "it", "exe", "", "ico", "wd", 1, 2, 3, 4);
         }, 32 + 3},
        {"kind 20", [](HFILE h) { return kmapptWriteKind20Entry(h, 0, 1, 2); }, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryTemplate t;
        ASSERT_EQ(c.write(t.handle), TEMPLATE_OK);
        std::vector<uint8_t> bytes = t.Bytes();
        ASSERT_EQ(bytes.size(), c.length);
        EXPECT_EQ(U32At(bytes, 8), c.length);
    }
}

TEST(RecordWriters, FixedPartAndFieldsAreLittleEndianInArgumentOrder) {
    MemoryTemplate t;
    ASSERT_EQ(kmapptWriteUserIconEntry(t.handle, 4, "L", "", "", "", "", "", 0x11223344, 5, 6, 7),
              TEMPLATE_OK);
    std::vector<uint8_t> expected = {19, 0, 0, 0, 4,    0,    0,    0,    33, 0, 0, 0,
                                     0x44, 0x33, 0x22, 0x11, 5, 0, 0, 0, 6,  0, 0, 0,
                                     7,  0, 0, 0, 1,    0,    0,    0,    'L'};
    EXPECT_EQ(t.Bytes(), expected);
}

TEST(RecordWriters, RefusedSubtypesAndNullTextsWriteNothing) {
    struct Case {
        const char* what;
        std::function<LONG(HFILE)> write;
        LONG result;
    } cases[] = {
        {"file subtype 3", [](HFILE h) { return kmapptWriteFileEntry(h, 3, 0, "a", "b"); },
         TEMPLATE_ERR_KIND},
        {"file subtype 0", [](HFILE h) { return kmapptWriteFileEntry(h, 0, 0, "a", "b"); },
         TEMPLATE_ERR_KIND},
        {"ident subtype 3",
         [](HFILE h) { return kmapptWriteIdentEntry(h, 3, 0, "a", "b", "c", "d"); },
         TEMPLATE_ERR_KIND},
        {"text find subtype 3",
         [](HFILE h) { return kmapptWriteTextFindEntry(h, 3, 0, "a", "b", "c"); },
         TEMPLATE_ERR_KIND},
        {"user icon subtype 5", [](HFILE h) {
             return kmapptWriteUserIconEntry(h, 5, "a", "b", "c", "d", "e", "f", 0, 0, 0, 0);
         }, TEMPLATE_ERR_KIND},
        {"user icon subtype 0", [](HFILE h) {
             return kmapptWriteUserIconEntry(h, 0, "a", "b", "c", "d", "e", "f", 0, 0, 0, 0);
         }, TEMPLATE_ERR_KIND},
        {"null text", [](HFILE h) { return kmapptWriteBaseString(h, 1, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"null second text",
         [](HFILE h) { return kmapptWriteMacroEntry(h, 1, "a", nullptr); },
         ERROR_INVALID_PARAMETER},
        {"null data with a length",
         [](HFILE h) { return kmapptWriteBaseData(h, 1, nullptr, 3); }, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryTemplate t;
        EXPECT_EQ(c.write(t.handle), c.result);
        EXPECT_TRUE(t.Bytes().empty());
    }
    // A text the subtype does not carry may be null.
    MemoryTemplate t;
    EXPECT_EQ(kmapptWriteFileEntry(t.handle, 2, 0, "a", nullptr), TEMPLATE_OK);
    EXPECT_EQ(kmapptWriteValueEntry(t.handle, 2, 0, "k", "n", 1, 9, nullptr), TEMPLATE_OK);
}

// Every kind and subtype through each writer path: the record writers, the
// serializer and the entry writer give the same bytes, and both parsers give
// back what was written.
TEST(RecordWriters, EveryKindWritesAndReadsBackThroughEachPath) {
    for (const Record& r : qmt_test::EveryKind()) {
        SCOPED_TRACE("kind " + std::to_string(r.kind) + " subtype " + std::to_string(r.subtype));
        MemoryTemplate written;
        ASSERT_EQ(qmt_test::WriteWithWriter(written.handle, r), TEMPLATE_OK);
        std::vector<uint8_t> bytes = written.Bytes();
        ASSERT_EQ(U32At(bytes, 8), bytes.size());

        // The file reader.
        ASSERT_EQ(_llseek(written.handle, 0, FILE_BEGIN), 0);
        TemplateEntry* read = nullptr;
        ASSERT_EQ(kmapptReadEntry(written.handle, &read), TEMPLATE_OK);
        qmt_test::ExpectEntry(*read, r);
        EXPECT_EQ(read->length, bytes.size());
        EXPECT_EQ(_llseek(written.handle, 0, FILE_CURRENT), static_cast<LONG>(bytes.size()));
        kmapptFreeReadEntry(read);

        // The serializer and the buffer parser.
        TemplateEntry entry = qmt_test::ToEntry(r, static_cast<DWORD>(bytes.size()));
        SerializedEntry* serialized = nullptr;
        ASSERT_EQ(kmapptWriteEntry(&entry, &serialized), TEMPLATE_OK);
        EXPECT_EQ(std::vector<uint8_t>(serialized->data, serialized->data + serialized->size),
                  bytes);
        ASSERT_EQ(kmapptReadEntryFromBuffer(serialized, &read), TEMPLATE_OK);
        qmt_test::ExpectEntry(*read, r);
        kmapptFreeReadEntry(read);
        kmapptFreeWriteEntry(serialized);

        // The entry writer.
        MemoryTemplate fromEntry;
        ASSERT_EQ(kmapptWriteEntryToFile(fromEntry.handle, &entry), TEMPLATE_OK);
        EXPECT_EQ(fromEntry.Bytes(), bytes);
    }
}

TEST(RecordWriters, SerializerCopiesTheLengthAndRefusesWhatWritersRefuse) {
    Record r{7, 1, {}, {"abc"}};
    TemplateEntry entry = qmt_test::ToEntry(r, 99);
    SerializedEntry* serialized = nullptr;
    ASSERT_EQ(kmapptWriteEntry(&entry, &serialized), TEMPLATE_OK);
    ASSERT_EQ(serialized->size, 12u + 4 + 3);
    EXPECT_EQ(serialized->data[8], 99);
    kmapptFreeWriteEntry(serialized);

    struct Case {
        DWORD kind, subtype;
    } refused[] = {{0, 1}, {21, 1}, {1, 3}, {3, 0}, {12, 5}, {19, 5}};
    for (const Case& c : refused) {
        SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.subtype));
        TemplateEntry bad{};
        bad.kind = c.kind;
        bad.subtype = c.subtype;
        serialized = reinterpret_cast<SerializedEntry*>(&bad);
        EXPECT_EQ(kmapptWriteEntry(&bad, &serialized), TEMPLATE_ERR_KIND);
        EXPECT_EQ(serialized, nullptr);
        MemoryTemplate t;
        EXPECT_EQ(kmapptWriteEntryToFile(t.handle, &bad), TEMPLATE_ERR_KIND);
        EXPECT_TRUE(t.Bytes().empty());
    }

    TemplateEntry noBytes{};
    noBytes.kind = 17;
    noBytes.subtype = 1;
    noBytes.fields[0].length = 4;
    EXPECT_EQ(kmapptWriteEntry(&noBytes, &serialized), ERROR_INVALID_PARAMETER);
}

// A full disk or a failing device: the write is short, the call reports it,
// and the part that fit stays in the file.
TEST(RecordWriters, ShortWritesReturnMinus2AndLeaveThePartialRecord) {
    MemoryTemplate full;
    ASSERT_EQ(kmapptWriteIdentEntry(full.handle, 1, 0x40, "WIN.INI", "App", "Key", "Value"),
              TEMPLATE_OK);
    const std::vector<uint8_t> record = full.Bytes();
    for (size_t room = 0; room < record.size(); ++room) {
        SCOPED_TRACE("room " + std::to_string(room));
        MemoryTemplate t;
        t.file->SetCapacity(room);
        EXPECT_EQ(kmapptWriteIdentEntry(t.handle, 1, 0x40, "WIN.INI", "App", "Key", "Value"),
                  TEMPLATE_ERR_WRITE);
        EXPECT_EQ(t.Bytes(), std::vector<uint8_t>(record.begin(), record.begin() + room));
    }

    Record r{10, 1, {}, {"APPDIR", "C:\\APPS"}};
    TemplateEntry entry = qmt_test::ToEntry(r, 12 + 10 + 11);
    MemoryTemplate faulty;
    faulty.file->FailWritesAfter(7);
    EXPECT_EQ(kmapptWriteEntryToFile(faulty.handle, &entry), TEMPLATE_ERR_WRITE);
    EXPECT_EQ(faulty.Bytes().size(), 7u);

    MemoryTemplate tiny;
    tiny.file->SetCapacity(5);
    EXPECT_EQ(kmapptWriteSignature(tiny.handle), TEMPLATE_ERR_WRITE);
    EXPECT_EQ(kmapptAppendSignature(tiny.handle), TEMPLATE_ERR_WRITE);
}

class SignatureTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vprtemplate-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        handlesBefore_ = vpr::win::HandleTable::Instance().Count();
    }
    void TearDown() override {
        EXPECT_EQ(vpr::win::HandleTable::Instance().Count(), handlesBefore_);
        fs::remove_all(dir_);
    }
    std::string FileWith(const char* name, const std::string& contents) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
    size_t handlesBefore_ = 0;
};

TEST_F(SignatureTest, CreateEmptiesTheFileAndOpenFindsTheFirstRecord) {
    std::string path = FileWith("app.qmt", "old contents that must go");
    HFILE h = 0;
    ASSERT_EQ(kmapptCreate(path.c_str(), &h), TEMPLATE_OK);
    EXPECT_EQ(kmapptClose(h), TEMPLATE_OK);
    EXPECT_EQ(Contents(path), "QMT FILE");

    ASSERT_EQ(kmapptOpen(path.c_str(), &h), TEMPLATE_OK);
    EXPECT_EQ(_llseek(h, 0, FILE_CURRENT), 8);
    TemplateEntry* entry = reinterpret_cast<TemplateEntry*>(&h);
    EXPECT_EQ(kmapptReadEntry(h, &entry), TEMPLATE_ERR_END);
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(kmapptClose(h), TEMPLATE_OK);
}

TEST_F(SignatureTest, OpenRefusesShortOrWrongSignaturesAndLeavesNoHandle) {
    struct Case {
        const char* what;
        std::string contents;
    } cases[] = {
        {"empty", ""},
        {"short", "QMT F"},
        {"seven bytes", "QMT FIL"},
        {"lower case", "qmt file"},
        {"other", "QMT_FILE\x01\x00\x00\x00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = FileWith("bad.qmt", c.contents);
        HFILE h = 0;
        EXPECT_EQ(kmapptOpen(path.c_str(), &h), TEMPLATE_ERR_WRITE);
        EXPECT_EQ(h, HFILE_ERROR);
        EXPECT_EQ(vpr::win::HandleTable::Instance().Count(), handlesBefore_);
    }
    HFILE h = 0;
    EXPECT_EQ(kmapptOpen((dir_ / "missing.qmt").c_str(), &h), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(h, HFILE_ERROR);
    LONG result = kmapptCreate((dir_ / "no" / "dir.qmt").c_str(), &h);
    EXPECT_GT(result, 0);
    EXPECT_EQ(static_cast<DWORD>(result), GetLastError());
    EXPECT_EQ(h, HFILE_ERROR);
}

TEST(Signature, WriteAppendAndVerifyOnAStream) {
    // Writing the signature over a stream seeks to 0 and does not truncate.
    MemoryTemplate t(std::vector<uint8_t>(20, 'x'));
    ASSERT_EQ(_llseek(t.handle, 0, FILE_END), 20);
    ASSERT_EQ(kmapptWriteSignature(t.handle), TEMPLATE_OK);
    EXPECT_EQ(_llseek(t.handle, 0, FILE_CURRENT), 8);
    EXPECT_EQ(t.Bytes().size(), 20u);

    // Append writes where the position stands.
    ASSERT_EQ(_llseek(t.handle, 0, FILE_END), 20);
    ASSERT_EQ(kmapptAppendSignature(t.handle), TEMPLATE_OK);
    std::vector<uint8_t> bytes = t.Bytes();
    EXPECT_EQ(std::string(bytes.begin() + 20, bytes.end()), "QMT FILE");
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "QMT FILE");

    // Verify reads from offset 0 wherever the position was, and leaves it at 8.
    ASSERT_EQ(_llseek(t.handle, 13, FILE_BEGIN), 13);
    EXPECT_EQ(kmapptVerifySignature(t.handle), TEMPLATE_OK);
    EXPECT_EQ(_llseek(t.handle, 0, FILE_CURRENT), 8);

    MemoryTemplate wrong(std::vector<uint8_t>{'Q', 'M', 'T', ' ', 'F', 'I', 'L', 'e'});
    EXPECT_EQ(kmapptVerifySignature(wrong.handle), TEMPLATE_ERR_WRITE);
}

TEST(Environment, GetEnvGivesTheValueOrNull) {
    ::setenv("VPR_TEMPLATE_TEST_VAR", "NLS\\ENGLISH", 1);
    ASSERT_NE(kmapptGetEnv("VPR_TEMPLATE_TEST_VAR"), nullptr);
    EXPECT_STREQ(kmapptGetEnv("VPR_TEMPLATE_TEST_VAR"), "NLS\\ENGLISH");
    ::unsetenv("VPR_TEMPLATE_TEST_VAR");
    EXPECT_EQ(kmapptGetEnv("VPR_TEMPLATE_TEST_VAR"), nullptr);
}

}  // namespace
