// The Launcher Configuration page: stored records shown, edited and written
// back whole, byte for byte.
#include <cstdint>

#include "page_host_fixture.h"

namespace faults = vpr::directory::faults;

namespace {

constexpr uint32_t kMagic = 0xABCD1234;

void PutU32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A 100-byte record: the four numbers, bytes 16-31 filled with `kept`, the
// e-mail attribute's name at 32 (zeros after it), bytes 98-99 `tail`.
std::string Record(uint32_t magic, uint32_t flags, uint32_t interval, uint32_t levels, char kept = 0,
                   const std::string& mail = "", char tail = 0) {
    std::string bytes(100, '\0');
    PutU32(bytes, 0, magic);
    PutU32(bytes, 4, flags);
    PutU32(bytes, 8, interval);
    PutU32(bytes, 12, levels);
    for (int i = 16; i < 32; ++i) bytes[i] = kept;
    bytes.replace(32, mail.size(), mail);
    bytes[98] = bytes[99] = tail;
    return bytes;
}

// A record whose name fills bytes 32 to 99 without a zero byte.
std::string RecordWithoutNameEnd(uint32_t flags) {
    std::string bytes = Record(kMagic, flags, 3600, 1, 0x5A);
    for (int i = 32; i < 100; ++i) bytes[i] = 'A';
    return bytes;
}

struct RecordCase {
    const char* name;
    std::string stored;  // empty: jdoe has no record
    const char* edits;
    std::string expected;
};

class LauncherRecordTest : public PageHostTest, public ::testing::WithParamInterface<RecordCase> {
protected:
    void Seed() override {
        if (!GetParam().stored.empty()) tree_.Stream("jdoe.sales.acme", "App:Launcher Config", GetParam().stored);
    }
};

TEST_P(LauncherRecordTest, StoredBytesShownEditedAndWrittenBack) {
    const RecordCase& c = GetParam();
    EXPECT_EQ(Run(std::string("details jdoe.sales.acme\npage Launcher Configuration\n") + c.edits + "ok\n"), 0)
        << output_;
    EXPECT_NE(output_.find("saved jdoe.sales.acme (0)"), std::string::npos) << output_;
    EXPECT_EQ(Stream("jdoe.sales.acme", "App:Launcher Config"), c.expected);
    // The object may read its own record.
    Texts acl = Values("jdoe.sales.acme", "ACL");
    EXPECT_NE(std::find(acl.begin(), acl.end(), "App:Launcher Config;jdoe.sales.acme;3"), acl.end());
}

INSTANTIATE_TEST_SUITE_P(
    Records, LauncherRecordTest,
    ::testing::Values(
        RecordCase{"NoneIsMadeWithTheDefaults", "", "check 4103 on\n", Record(kMagic, 0x58C, 0, 1)},
        RecordCase{"AWrongMagicReadsAsTheDefaults", Record(0x11111111, 0x1, 5, 5, 0x77, "X", 0x77), "check 4103 on\n",
                   Record(kMagic, 0x58C, 0, 1)},
        RecordCase{"AFourByteValueKeepsItsMagic", Record(kMagic, 0, 0, 0).substr(0, 4), "check 4104 off\n",
                   Record(kMagic, 0x1, 0, 0)},
        RecordCase{"ANameWithoutAZeroByteIsWrittenBackAsRead", RecordWithoutNameEnd(0x588), "check 4104 off\n",
                   RecordWithoutNameEnd(0x589)},
        RecordCase{"UseInheritedKeepsTheSettingsAndTheBytesNoFieldHolds",
                   Record(kMagic, 0x188, 600, 2, char(0xEE), "Mailbox ID", 0x12), "check 4101 on\n",
                   Record(kMagic, 0x80000188, 600, 2, char(0xEE), "Mailbox ID", 0x12)},
        RecordCase{"TimedRefreshFromZeroShows3600", Record(kMagic, 0x18C, 0, 1), "check 4110 on\n",
                   Record(kMagic, 0x188, 3600, 1)},
        RecordCase{"ViewFoldersOffForbidsPersonalFoldersToo", Record(kMagic, 0x188, 600, 1), "check 4107 off\n",
                   Record(kMagic, 0x788, 600, 1)},
        RecordCase{"LevelsThatAreNoNumberStoreZero", Record(kMagic, 0x188, 600, 1), "set 4115 x\n",
                   Record(kMagic, 0x188, 600, 0)},
        RecordCase{"TimedRefreshAndExitAsAPersonSetsThem", "", "check 4103 on\ncheck 4110 on\nset 4112 600\ncheck 4104 off\n",
                   Record(kMagic, 0x589, 600, 1)}),
    [](const auto& info) { return std::string(info.param.name); });

class LauncherConfigPageTest : public PageHostTest {};

TEST_F(LauncherConfigPageTest, SwitchingBackShowsTheSettingsKeptUnderTheInheritedOnes) {
    tree_.Stream("jdoe.sales.acme", "App:Launcher Config", Record(kMagic, 0x80000188, 600, 2));
    EXPECT_EQ(Run("details jdoe.sales.acme\npage Launcher Configuration\nshow 4101\nshow 4112\ncheck 4103 on\n"
                  "show 4112\nshow 4115\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("4101: Use parent container &settings\n4112: \nchecked 4103 on\n4112: 600\n4115: 2\n"),
              std::string::npos)
        << output_;
    EXPECT_EQ(Stream("jdoe.sales.acme", "App:Launcher Config"), Record(kMagic, 0x188, 600, 2));
}

TEST_F(LauncherConfigPageTest, AContainerInheritsTheDefaults) {
    EXPECT_EQ(Run("details sales.acme\npage Launcher Configuration\nshow 4101\ncancel\n"), 0) << output_;
    EXPECT_NE(output_.find("4101: Use default &settings\n"), std::string::npos) << output_;
}

// A record the stream does not take whole is reported (message 191).
TEST_F(LauncherConfigPageTest, AShortWriteIsReported) {
    faults::FailStreamWritesAfter(10);
    EXPECT_EQ(Run("answer ok The \"Launcher Configuration\" page failed\n"
                  "details jdoe.sales.acme\npage Launcher Configuration\ncheck 4103 on\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("Error code: -1\n"), std::string::npos) << output_;
}

class LauncherConfigReadOnlyTest : public PageHostTest {
protected:
    void Seed() override { tree_.User("guest.acme").LogIn("guest.acme"); }
};

TEST_F(LauncherConfigReadOnlyTest, ThePageIsReadOnly) {
    EXPECT_EQ(Run("details jdoe.sales.acme\npage Launcher Configuration\ncheck 4103 on\ncancel\n"), 1) << output_;
    EXPECT_NE(output_.find("error:"), std::string::npos) << output_;
}

}  // namespace
