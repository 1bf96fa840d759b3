#include "qmtdump/template_text_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "entry_builder.h"
#include "template/schedule_block.h"

namespace fs = std::filesystem;

namespace {

// A captured stream: what was written to it, as a string.
class Capture {
public:
    Capture() { file_ = open_memstream(&buffer_, &size_); }
    ~Capture() {
        std::fclose(file_);
        std::free(buffer_);
    }
    FILE* file() const { return file_; }
    std::string str() {
        std::fflush(file_);
        return std::string(buffer_, size_);
    }

private:
    char* buffer_ = nullptr;
    size_t size_ = 0;
    FILE* file_;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Schedule(DWORD type, DWORD flags, DWORD start, DWORD stop, DWORD startTime,
                     DWORD stopTime, DWORD dayMask, DWORD count,
                     std::initializer_list<DWORD> dates = {}) {
    ScheduleBlock block;
    block.type = type;
    block.flags = flags;
    block.startDate = static_cast<int32_t>(start);
    block.endDate = static_cast<int32_t>(stop);
    block.startTime = startTime;
    block.endTime = stopTime;
    block.spread = 120;
    block.dayMask = dayMask;
    block.dateCount = count;
    block.timeZone = -3600;
    size_t slot = 0;
    for (DWORD d : dates) block.selectedDates[slot++] = static_cast<int32_t>(d);
    auto bytes = block.Encode();
    return std::string(bytes.begin(), bytes.end());
}

class TemplateTextWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("qxt-writer-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Prints one entry; the random source counts up from `firstNumber`.
    void Print(const TemplateEntry& entry, uint32_t firstNumber = 0x00A0) {
        TemplateTextWriter writer(text_.file(), console_.file());
        writer.SetSideFileFolder(folder_.string());
        uint32_t next = firstNumber;
        writer.SetRandomSource([&next] { return next++; });
        writer.WriteEntry(entry);
    }

    fs::path folder_;
    Capture text_;
    Capture console_;
};

struct LineCase {
    const char* name;
    EntryBuilder entry;
    const char* text;
    const char* console;
};

TEST_F(TemplateTextWriterTest, LineFormsAndEdgeCases) {
    const DWORD jan2000 = 946684800;  // 2000-01-01 00:00 UTC
    const LineCase cases[] = {
        {"date 0 and time 3660", EntryBuilder(17, 2, {}, {Schedule(1, 0, 0, jan2000, 3660, 86340, 0, 0)}),
         "[Application Schedule]\nType=Start Stop\nStart Date=1970/0/1\nStop Date=2000/0/1\n"
         "Start Time=1:01\nStop Time=23:59\nSpread Time=120\nTimezone=-3600\n",
         ""},
        {"DWORD registry value", EntryBuilder(5, 1, {0x3, 3}, {"HKLM\\Soft", "Count", Le32({0x12345678})}),
         "[Registry Value Create]\nType=DWORD\nFlag=Write Always\nFlag=Replace Existing\n"
         "Key=HKLM\\Soft\nName=Count\nValue=0x12345678\n",
         ""},
        {"17 bytes binary", EntryBuilder(5, 1, {0, 1}, {"K", "", std::string("0123456789ABCDEF\xff", 17)}),
         "[Registry Value Create]\nType=Binary\nKey=K\nName=\nLength=17\n"
         "Value=30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46 \nValue=FF \n",
         ""},
        {"application flags 0x38", EntryBuilder(8, 3, {0x38}), "[Application Flags]\n", ""},
        {"application flags 0x2000 and named bits", EntryBuilder(8, 3, {0x2000 | 0x1000 | 0x3D}),
         "[Application Flags]\nFlag=Launch Minimized\nFlag=Launch Maximized\nFlag=Always Distribute\n"
         "Flag=**Unknown** 8192 (00002000)\n",
         "Unknown value found.\n"},
        {"platform bits", EntryBuilder(8, 4, {0x1A}),
         "[Application Platform]\nFlag=Windows 95\nFlag=DOS\nFlag=**Unknown** 16 (00000010)\n",
         "Unknown value found.\n"},
        {"selected dates, count 0", EntryBuilder(17, 2, {}, {Schedule(3, 0, 0, 0, 0, 0, 0, 0, {jan2000})}),
         "[Application Schedule]\nType=Selected\nStart Time=0:00\nStop Time=0:00\nSpread Time=120\n"
         "Timezone=-3600\n",
         ""},
        {"selected dates and GMT", EntryBuilder(17, 2, {}, {Schedule(3, 3, 0, 0, 900, 1800, 0, 2, {jan2000, 86400})}),
         "[Application Schedule]\nType=Selected\nSelected Date=2000/0/1\nSelected Date=1970/0/2\n"
         "Flag=GMT\nFlag=**Unknown** 2 (00000002)\nStart Time=0:15\nStop Time=0:30\n"
         "Spread Time=120\nTimezone=-3600\n",
         "Unknown value found.\n"},
        {"day mask", EntryBuilder(17, 2, {}, {Schedule(2, 0, 0, 0, 0, 0, 0x81 | 0x40, 0)}),
         "[Application Schedule]\nType=Day Mask\nDay=Sunday\nDay=Saturday\n"
         "Day=**Unknown** 128 (00000080)\nStart Date=1970/0/1\nStop Date=1970/0/1\n"
         "Start Time=0:00\nStop Time=0:00\nSpread Time=120\nTimezone=-3600\n",
         "Unknown value found.\n"},
        {"schedule type 7", EntryBuilder(17, 2, {}, {Schedule(7, 0, 0, 0, 0, 0, 0, 0)}),
         "[Application Schedule]\nType=**Unknown** 7 (00000007)\nStart Time=0:00\nStop Time=0:00\n"
         "Spread Time=120\nTimezone=-3600\n",
         "Unknown value found.\n"},
        {"schedule count beyond its slots", EntryBuilder(17, 2, {}, {Le32({3, 0, 0, 0, 0, 0, 0, 0, 400, 0, 0, jan2000})}),
         "[Application Schedule]\nType=Selected\nSelected Date=2000/0/1\n"
         "Selected Date=**Unknown** 400 (00000190)\nStart Time=0:00\nStop Time=0:00\n"
         "Spread Time=0\nTimezone=0\n",
         "Unknown value found.\n"},
        {"schedule shorter than its header", EntryBuilder(17, 2, {}, {Le32({1, 0})}),
         "[Application Schedule]\nLength=8\nValue=01 00 00 00 00 00 00 00 \n", ""},
        {"unknown kind mark", EntryBuilder(9, 5, {42}, {"text"}).SetLength(24),
         "[Unknown Entry]\nType=9\nSubType=5\nSize=24\n", "Unknown Section found.\n"},
        {"kind 20", EntryBuilder(20, 1, {1, 2}).SetLength(20),
         "[Unknown Entry]\nType=20\nSubType=1\nSize=20\n", "Unknown Section found.\n"},
        {"file copy subtype 3: the mark only", EntryBuilder(1, 3, {1}, {"a", "b"}).SetLength(30),
         "[File **Unknown**]\nType=1\nSubType=3\nSize=30\n", "Unknown Section found.\n"},
        {"directory subtype 9 keeps its lines", EntryBuilder(2, 9, {0x400}, {"C:\\D"}).SetLength(24),
         "[Directory **Unknown**\nType=2\nSubType=9\nSize=24\nFlag=**Unknown** 1024 (00000400)\n"
         "Directory=C:\\D\n",
         "Unknown Section found.\nUnknown value found.\n"},
        {"registry value of unknown type", EntryBuilder(5, 1, {0, 13}, {"K", "N", "\x01\x02"}),
         "[Registry Value Create]\nType=**Unknown** 13 (0000000D)\nKey=K\nName=N\nLength=2\n"
         "Value=01 02 \n",
         "Unknown value found.\nUnknown registry value 13.\n"},
        {"DWORD shorter than four bytes", EntryBuilder(5, 1, {0, 3}, {"K", "N", "\x01\x02"}),
         "[Registry Value Create]\nType=DWORD\nKey=K\nName=N\nLength=2\nValue=01 02 \n", ""},
        {"registry value delete has no type", EntryBuilder(5, 2, {0, 3}, {"K", "N"}),
         "[Registry Value Delete]\nKey=K\nName=N\n", ""},
        {"processor 4", EntryBuilder(15, 1, {4}),
         "[Inventory Processor]\nValue=**Unknown** 4 (00000004)\n", "Unknown value found.\n"},
        {"text stops at a NUL", EntryBuilder(7, 1, {}, {std::string("App\0junk", 8)}),
         "[Application Name]\nValue=App\n", ""},
        {"unknown application string", EntryBuilder(7, 6, {}, {"x"}).SetLength(17),
         "[Application String **Unknown**]\nType=7\nSubType=6\nSize=17\nValue=x\n",
         "Unknown Section found.\n"},
        {"unknown application value", EntryBuilder(8, 9, {0xBEEF}).SetLength(16),
         "[Application Value **Unknown**]\nType=8\nSubType=9\nSize=16\nValue=0x0000BEEF\n",
         "Unknown Section found.\n"},
        {"negative number", EntryBuilder(8, 1, {0xFFFFFFFF}), "[Application Time]\nValue=-1\n", ""},
    };
    for (const LineCase& c : cases) {
        Capture text;
        Capture console;
        TemplateTextWriter writer(text.file(), console.file());
        writer.SetSideFileFolder(folder_.string());
        writer.WriteEntry(c.entry.entry());
        EXPECT_EQ(text.str(), c.text) << c.name;
        EXPECT_EQ(console.str(), c.console) << c.name;
    }
}

TEST_F(TemplateTextWriterTest, LongTextsAndTheIconGoToSideFiles) {
    Print(EntryBuilder(7, 4, {}, {"A long description\r\nof two lines"}).entry(), 0x1ABCD);
    Print(EntryBuilder(7, 9, {}, {"logout"}).entry(), 0x0007);
    Print(EntryBuilder(7, 10, {}, {""}).entry(), 0xFFFF);
    Print(EntryBuilder(17, 1, {}, {std::string("\0\0\1\0icon", 8)}).entry(), 0x00A0);
    EXPECT_EQ(text_.str(),
              "[Application Decription]\nFile=DESCABCD.TXT\n"
              "[Application Shutdown Script]\nFile=POST0007.TXT\n"
              "[Application Startup Script]\nFile=PREFFFF.TXT\n"
              "[Application Icon]\nFile=APP00A0.ICO\n");
    EXPECT_EQ(ReadFile(folder_ / "DESCABCD.TXT"), "A long description\r\nof two lines");
    EXPECT_EQ(ReadFile(folder_ / "POST0007.TXT"), "logout");
    EXPECT_TRUE(fs::exists(folder_ / "PREFFFF.TXT"));
    EXPECT_EQ(fs::file_size(folder_ / "PREFFFF.TXT"), 0u);
    EXPECT_EQ(ReadFile(folder_ / "APP00A0.ICO"), std::string("\0\0\1\0icon", 8));
}

TEST_F(TemplateTextWriterTest, SideFileNameIsDrawnAgainWhileTaken) {
    std::ofstream(folder_ / "DESC0010.TXT") << "older";
    std::ofstream(folder_ / "DESC0011.TXT") << "older";
    Print(EntryBuilder(7, 4, {}, {"new"}).entry(), 0x0010);
    EXPECT_EQ(text_.str(), "[Application Decription]\nFile=DESC0012.TXT\n");
    EXPECT_EQ(ReadFile(folder_ / "DESC0010.TXT"), "older");
    EXPECT_EQ(ReadFile(folder_ / "DESC0012.TXT"), "new");
}

TEST_F(TemplateTextWriterTest, UncreatableSideFileStillPrintsItsName) {
    folder_ /= "missing";  // a folder that does not exist
    Print(EntryBuilder(17, 1, {}, {"icon"}).entry(), 0x0001);
    EXPECT_EQ(text_.str(), "[Application Icon]\nFile=APP0001.ICO\n");
    EXPECT_FALSE(fs::exists(folder_));
}

}  // namespace
