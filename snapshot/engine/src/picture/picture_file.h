// Picture files: the record stream of files.txt, registry.txt and groups.bin.
//
// Records, little-endian, no padding: a 32-bit tag, then 32-bit integers and
// counted strings (a 32-bit length n and n bytes, no terminator).
//
//   tag 1 header       string "<Windows 32-bit Picture>"
//   tag 2 directory    string full path ("C:" for a drive's root)
//   tag 3 file         int last-write time (DOS date << 16 | DOS time, local),
//                      int size, string name (at most 128 bytes)
//   tag 4 key          string full key name "HKEY_CURRENT_USER\Software"
//   tag 5 value        string name ("" for the default value), int type,
//                      int data length L, L data bytes
//   tag 6 group item   string group, strings 1 to 4, int 1, string 5, int 2
//
// The writer cuts a string longer than 255 bytes (a file name longer than
// 128) at a whole character. Every write is checked: a failed one stops the
// program with string 35. The reader refuses what the writer never makes
// (a string or name longer than 255 bytes, data longer than the rest of the
// file) as a read error, so a damaged picture never asks for a huge block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace snapshot {

enum PictureTag : uint32_t {
    kTagHeader = 1,
    kTagDirectory = 2,
    kTagFile = 3,
    kTagKey = 4,
    kTagValue = 5,
    kTagGroupItem = 6,
};

constexpr const char* kPictureHeaderText = "<Windows 32-bit Picture>";
constexpr size_t kMaxPictureString = 255;
constexpr size_t kMaxFileName = 128;
constexpr size_t kMaxKeyKept = 254;

// A file record in memory.
struct FileRecord {
    uint32_t time = 0;
    uint32_t size = 0;
    std::string name;
};

// A value record in memory (REG_VALUE_DEF).
struct RegValueRecord {
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// A program-group item in memory (GROUP_INFO): its group and the fields as
// the group list gives them.
struct GroupItem {
    std::string group;
    std::string text1;  // program
    std::string text2;  // arguments
    std::string text3;  // item name
    std::string text4;  // icon file
    int32_t integer1 = 0;  // icon index
    std::string text5;  // working directory
    int32_t integer2 = 0;  // show command
};

class PictureWriter {
public:
    PictureWriter() = default;
    ~PictureWriter();
    PictureWriter(const PictureWriter&) = delete;
    PictureWriter& operator=(const PictureWriter&) = delete;

    // Creates (or empties) the file; a file that cannot be made stops the
    // program with string 35, as a failed write does.
    void Create(const std::string& path);
    // Writes what is gathered and closes the file.
    void Close();

    void WriteInt(uint32_t value);
    void WriteString(const std::string& text);
    void WriteBlob(const uint8_t* bytes, size_t length);

    void WriteHeader();
    void WriteDirRecord(const std::string& path);
    void WriteFileRecord(const FileRecord& record);
    void WriteKeyRecord(const std::string& key);
    void WriteRegValueRecord(const std::string& name, uint32_t type, const uint8_t* data, size_t length);
    void WriteGroupItemRecord(const GroupItem& item);

private:
    void Flush();

    HFILE file_ = HFILE_ERROR;
    std::vector<uint8_t> pending_;
};

// Reads a picture file through its own buffer; positions are offsets in
// the file. Each Read* returns false on a read error (a short read or a
// field the writer never makes) and leaves the position undefined.
class PictureReader {
public:
    PictureReader() = default;
    ~PictureReader();
    PictureReader(const PictureReader&) = delete;
    PictureReader& operator=(const PictureReader&) = delete;

    // Opens for reading; false when the file cannot be opened.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return file_ != HFILE_ERROR; }

    uint64_t Position() const { return position_; }
    uint64_t Size() const { return size_; }
    bool AtEndOfFile() const { return position_ >= size_; }
    bool Seek(uint64_t position);

    // The next tag; false at the end of the file or on a short read.
    bool ReadTag(uint32_t* tag);
    bool ReadInt(uint32_t* value);
    // A counted string of at most 255 bytes.
    bool ReadString(std::string* text);

    // Seeks to 0 and reads the header record.
    bool ReadHeader(std::string* text);
    // The fields behind a tag.
    bool ReadFileRecord(FileRecord* record);
    bool ReadKeyRecord(std::string* key);
    bool ReadRegValueRecord(RegValueRecord* record);
    bool ReadGroupItemRecord(GroupItem* item);
    bool SkipFileRecord();
    bool SkipValueRecord();

private:
    bool ReadBytes(void* buffer, size_t count);
    bool Skip(uint64_t count);
    bool Fill();

    HFILE file_ = HFILE_ERROR;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    // Bytes of the file from bufferStart_ on.
    std::vector<uint8_t> buffer_;
    uint64_t bufferStart_ = 0;
};

}  // namespace snapshot
