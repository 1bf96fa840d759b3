// Picture files byte for byte: one expected byte string per record kind,
// cuts at whole characters, the reader's refusals, the index.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "picture/picture_file.h"
#include "picture/picture_index.h"
#include "vpr/win/file_fault.h"

namespace snapshot::testing {
namespace {

class PictureFileTest : public EngineTest {
protected:
    PictureFileTest() = default;
    explicit PictureFileTest(const vpr::machine::CreateOptions& options) : EngineTest(options) {}

    // The bytes one writer call leaves in a fresh file.
    template <typename Write>
    std::string Written(Write write) {
        PictureWriter writer;
        writer.Create(kPath);
        write(writer);
        writer.Close();
        return ReadFile(kPath);
    }

    static constexpr const char* kPath = "C:\\picture.bin";
};

TEST_F(PictureFileTest, EachRecordKindHasItsBytes) {
    const std::string header = Written([](PictureWriter& w) { w.WriteHeader(); });
    EXPECT_EQ(header, IntBytes(1) + CountedBytes("<Windows 32-bit Picture>"));
    ASSERT_EQ(header.size(), 32u);
    EXPECT_EQ(header.substr(0, 9), std::string("\x01\x00\x00\x00\x18\x00\x00\x00\x3C", 9));

    EXPECT_EQ(Written([](PictureWriter& w) { w.WriteDirRecord("C:"); }), IntBytes(2) + CountedBytes("C:"));
    EXPECT_EQ(Written([](PictureWriter& w) { w.WriteFileRecord({0x2A214C63, 1234, "WIN.INI"}); }),
              IntBytes(3) + IntBytes(0x2A214C63) + IntBytes(1234) + CountedBytes("WIN.INI"));
    EXPECT_EQ(Written([](PictureWriter& w) { w.WriteKeyRecord("HKEY_CURRENT_USER\\Software"); }),
              IntBytes(4) + CountedBytes("HKEY_CURRENT_USER\\Software"));
    const std::string data("ab\0c", 4);
    EXPECT_EQ(Written([&](PictureWriter& w) {
                  w.WriteRegValueRecord("", REG_BINARY, reinterpret_cast<const uint8_t*>(data.data()), data.size());
              }),
              IntBytes(5) + CountedBytes("") + IntBytes(REG_BINARY) + CountedBytes(data));
    GroupItem item{"Main", "C:\\APP.EXE", "/x", "App", "C:\\APP.ICO", 2, "C:\\", 7};
    EXPECT_EQ(Written([&](PictureWriter& w) { w.WriteGroupItemRecord(item); }),
              IntBytes(6) + CountedBytes("Main") + CountedBytes("C:\\APP.EXE") + CountedBytes("/x") +
                  CountedBytes("App") + CountedBytes("C:\\APP.ICO") + IntBytes(2) + CountedBytes("C:\\") +
                  IntBytes(7));
}

TEST_F(PictureFileTest, LongTextsAreCutButValueDataStaysWhole) {
    const std::string path(300, 'p');
    EXPECT_EQ(Written([&](PictureWriter& w) { w.WriteDirRecord(path); }),
              IntBytes(2) + CountedBytes(path.substr(0, 255)));
    const std::string name(200, 'n');
    EXPECT_EQ(Written([&](PictureWriter& w) { w.WriteFileRecord({1, 2, name}); }),
              IntBytes(3) + IntBytes(1) + IntBytes(2) + CountedBytes(name.substr(0, 128)));
    const std::string data(300, 'd');
    EXPECT_EQ(Written([&](PictureWriter& w) {
                  w.WriteRegValueRecord("v", REG_SZ, reinterpret_cast<const uint8_t*>(data.data()), data.size());
              }),
              IntBytes(5) + CountedBytes("v") + IntBytes(REG_SZ) + CountedBytes(data));
}

class DoubleBytePictureTest : public PictureFileTest {
protected:
    DoubleBytePictureTest() : PictureFileTest(MachineOptions(vpr::machine::Platform::Win95, 932)) {}
};

TEST_F(DoubleBytePictureTest, CutsNeverSplitACharacter) {
    // 0x95 0x5C is one character whose trail byte is a backslash.
    std::string kanji;
    for (int i = 0; i < 150; ++i) kanji += "\x95\x5C";
    // 300 bytes: byte 255 would be the lead byte of a character, so 254 stay.
    EXPECT_EQ(Written([&](PictureWriter& w) { w.WriteDirRecord(kanji); }),
              IntBytes(2) + CountedBytes(kanji.substr(0, 254)));
    // A name: byte 128 would be a lead byte, so 127 stay; one byte earlier in
    // step, all 128 stay.
    const std::string name = "n" + kanji;
    EXPECT_EQ(Written([&](PictureWriter& w) { w.WriteFileRecord({1, 2, name}); }),
              IntBytes(3) + IntBytes(1) + IntBytes(2) + CountedBytes(name.substr(0, 127)));
    const std::string even = "ab" + kanji;
    EXPECT_EQ(Written([&](PictureWriter& w) { w.WriteFileRecord({1, 2, even}); }),
              IntBytes(3) + IntBytes(1) + IntBytes(2) + CountedBytes(even.substr(0, 128)));
}

TEST_F(PictureFileTest, RecordsReadBackAsWritten) {
    const std::string data(600, '\x7F');
    GroupItem item{"Main", "C:\\APP.EXE", "/x", "App", "C:\\APP.ICO", -1, "C:\\", 3};
    Written([&](PictureWriter& w) {
        w.WriteHeader();
        w.WriteDirRecord("C:\\WINDOWS");
        w.WriteFileRecord({0x12345678, 99, "WIN.INI"});
        w.WriteKeyRecord("HKEY_CURRENT_USER\\Software");
        w.WriteRegValueRecord("big", REG_BINARY, reinterpret_cast<const uint8_t*>(data.data()), data.size());
        w.WriteGroupItemRecord(item);
    });
    PictureReader reader;
    ASSERT_TRUE(reader.Open(kPath));
    std::string header, path, key;
    uint32_t tag = 0;
    FileRecord file;
    RegValueRecord value;
    GroupItem readItem;
    ASSERT_TRUE(reader.ReadHeader(&header));
    EXPECT_EQ(header, "<Windows 32-bit Picture>");
    ASSERT_TRUE(reader.ReadTag(&tag) && tag == kTagDirectory && reader.ReadString(&path));
    EXPECT_EQ(path, "C:\\WINDOWS");
    ASSERT_TRUE(reader.ReadTag(&tag) && tag == kTagFile && reader.ReadFileRecord(&file));
    EXPECT_EQ(file.time, 0x12345678u);
    EXPECT_EQ(file.size, 99u);
    EXPECT_EQ(file.name, "WIN.INI");
    ASSERT_TRUE(reader.ReadTag(&tag) && tag == kTagKey && reader.ReadKeyRecord(&key));
    EXPECT_EQ(key, "HKEY_CURRENT_USER\\Software");
    ASSERT_TRUE(reader.ReadTag(&tag) && tag == kTagValue && reader.ReadRegValueRecord(&value));
    EXPECT_EQ(value.name, "big");
    EXPECT_EQ(value.type, static_cast<uint32_t>(REG_BINARY));
    EXPECT_EQ(std::string(value.data.begin(), value.data.end()), data);
    ASSERT_TRUE(reader.ReadTag(&tag) && tag == kTagGroupItem && reader.ReadGroupItemRecord(&readItem));
    EXPECT_EQ(readItem.group + readItem.text1 + readItem.text2 + readItem.text3 + readItem.text4 + readItem.text5,
              "MainC:\\APP.EXE/xAppC:\\APP.ICOC:\\");
    EXPECT_EQ(readItem.integer1, -1);
    EXPECT_EQ(readItem.integer2, 3);
    EXPECT_TRUE(reader.AtEndOfFile());
    EXPECT_FALSE(reader.ReadTag(&tag));
}

// Fields the writer never makes are read errors, and no block of the size a
// damaged count asks for is ever allocated.
TEST_F(PictureFileTest, ReaderRefusesWhatTheWriterNeverMakes) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"string over 255", IntBytes(2) + IntBytes(256) + std::string(256, 'x')},
        {"value name over 255", IntBytes(5) + IntBytes(300) + std::string(300, 'x') + IntBytes(1) + IntBytes(0)},
        {"data past the end", IntBytes(5) + CountedBytes("v") + IntBytes(1) + IntBytes(0xFFFFFFF0) + "abc"},
        {"cut string", IntBytes(2) + IntBytes(10) + "abc"},
    };
    for (const auto& c : cases) {
        WriteFile(kPath, c.bytes);
        PictureReader reader;
        ASSERT_TRUE(reader.Open(kPath));
        uint32_t tag = 0;
        ASSERT_TRUE(reader.ReadTag(&tag)) << c.what;
        std::string text;
        RegValueRecord value;
        bool read = tag == kTagDirectory ? reader.ReadString(&text) : reader.ReadRegValueRecord(&value);
        EXPECT_FALSE(read) << c.what;
    }
}

TEST_F(PictureFileTest, IndexOfDirectoriesKeysAndItems) {
    Written([](PictureWriter& w) { w.WriteHeader(); });
    PictureReader reader;
    ASSERT_TRUE(reader.Open(kPath));
    PictureIndex empty;
    LoadPictureIndex(reader, &empty);
    EXPECT_TRUE(empty.rows.empty());

    Written([](PictureWriter& w) {
        w.WriteHeader();
        w.WriteDirRecord("C:\\b");
        w.WriteFileRecord({1, 1, "x"});
        w.WriteDirRecord("C:\\A");
        w.WriteKeyRecord("HKEY_CURRENT_USER\\Z");
        w.WriteRegValueRecord("v", REG_SZ, reinterpret_cast<const uint8_t*>("1"), 1);
        w.WriteGroupItemRecord({"Main", "", "", "Item", "", 0, "", 0});
        w.WriteInt(9);  // a damaged tail ends the index silently
        w.WriteDirRecord("C:\\never");
    });
    ASSERT_TRUE(reader.Open(kPath));
    PictureIndex index;
    LoadPictureIndex(reader, &index);
    std::vector<std::string> texts;
    for (const auto& row : index.rows) texts.push_back(row.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"C:\\A", "C:\\b", "HKEY_CURRENT_USER\\Z", "MainItem"}));
    std::vector<FileRecord> files;
    ASSERT_TRUE(ReadDirectoryFiles(reader, index.rows[1], &files));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "x");
    EXPECT_TRUE(ReadDirectoryFiles(reader, index.rows[0], &files));
    EXPECT_TRUE(files.empty());
    std::vector<RegValueRecord> values;
    ASSERT_TRUE(ReadKeyValues(reader, index.rows[2], &values));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "v");
}

TEST_F(PictureFileTest, AFullDiskStopsWithString35) {
    ASSERT_TRUE(vpr::win::InjectFileFault("C:\\", vpr::win::FileFault::DiskFull, 100));
    PictureWriter writer;
    writer.Create(kPath);
    const std::string data(4000, 'd');
    try {
        writer.WriteRegValueRecord("v", REG_BINARY, reinterpret_cast<const uint8_t*>(data.data()), data.size());
        writer.Close();
        ADD_FAILURE() << "no stop";
    } catch (const ProgramStopped& stop) {
        EXPECT_EQ(stop.stringId, 35u);
    }
    vpr::win::ClearFileFaults();
}

}  // namespace
}  // namespace snapshot::testing
