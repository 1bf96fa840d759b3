// The System Requirements page of an application: "App:Platform" and the
// inventory records of "App:Inventory", read and written back, compared in
// the dump tool's text form.
#include "page_host_fixture.h"

#include "support/stream_records.h"
#include "template/template_library.h"

namespace faults = vpr::directory::faults;
using Records = std::vector<std::string>;

namespace {

// One record to seed a stored inventory with.
struct InventoryRecord {
    DWORD kind, subtype, value, minor;
    const char* drive;
};

class SystemRequirementsPageTest : public PageHostTest {
protected:
    // Writes a template stream of these records as the inventory.
    void StoreInventory(const std::vector<InventoryRecord>& records) {
        tree_.Stream("WP.sales.acme", "App:Inventory", "");
        HFILE file = HFILE_ERROR;
        ASSERT_EQ(DirOpenStreamAttribute(context_, "WP.sales.acme", "App:Inventory", DIR_STREAM_WRITE, &file), 0);
        ASSERT_EQ(kmapptWriteSignature(file), 0);
        for (const InventoryRecord& r : records) {
            LONG status = r.kind == TEMPLATE_KIND_INV_RAM  ? kmapptWriteInvRAMEntry(file, r.subtype, r.value)
                          : r.kind == TEMPLATE_KIND_INV_DISK ? kmapptWriteInvDiskEntry(file, r.subtype, r.value, r.drive)
                          : r.kind == TEMPLATE_KIND_INV_PROCESSOR
                              ? kmapptWriteInvProcessorEntry(file, r.subtype, r.value)
                          : r.kind == TEMPLATE_KIND_INV_OS_VERSION
                              ? kmapptWriteInvOSVersionEntry(file, r.subtype, r.value, r.minor)
                              : kmapptWriteBaseValue(file, r.subtype, r.value);
            ASSERT_EQ(status, 0);
        }
        ASSERT_NE(_lclose(file), HFILE_ERROR);
    }

    Records Inventory() { return vpr::testing::StreamRecords(context_, "WP.sales.acme", "App:Inventory"); }

    int Edit(const std::string& lines) {
        return Run("details WP.sales.acme\npage System Requirements\n" + lines + "ok\n");
    }
};

const std::vector<InventoryRecord> kStored = {
    {TEMPLATE_KIND_INV_RAM, 1, 16, 0, nullptr},          {TEMPLATE_KIND_INV_DISK, 1, 100, 0, "%*WINDIR%"},
    {TEMPLATE_KIND_INV_DISK, 1, 20, 0, "C:"},            {TEMPLATE_KIND_INV_DISK, 1, 30, 0, "D:"},
    {TEMPLATE_KIND_INV_DISK, 1, 40, 0, "E:"},            {TEMPLATE_KIND_INV_PROCESSOR, 1, 3, 0, nullptr},
    {TEMPLATE_KIND_INV_OS_VERSION, 3, 4, 0, nullptr},    {TEMPLATE_KIND_INV_OS_VERSION, 2, 4, 10, nullptr},
    {TEMPLATE_KIND_BASE_VALUE, 1, 7, 0, nullptr},  // another kind of record
};

// The stored records above, edited, in the dump tool's text form.
TEST_F(SystemRequirementsPageTest, TheInventoryIsReadAndWrittenBack) {
    const std::string ram32 = "[Inventory RAM]\nValue=32";
    const std::string windir = "[Inventory Disk]\nValue=100\nDrive=%*WINDIR%";
    const std::string c = "[Inventory Disk]\nValue=20\nDrive=C:", d = "[Inventory Disk]\nValue=30\nDrive=D:";
    const std::string pentium = "[Inventory Processor]\nValue=Pentium";
    const std::string win95 = "[Inventory OS Version]\nType=Windows 95\nMajor Version=4\nMinor Version=10";
    const std::string nt40 = "[Inventory OS Version]\nType=Windows NT\nMajor Version=4\nMinor Version=0";
    struct Case {
        const char* name;
        std::string lines;
        Records expected;
    } cases[] = {
        // The fourth disk and the record of another kind are not shown and
        // not written back; the versions come in row order.
        {"RAM changed", "set 5056 32\n", {ram32, windir, c, d, pentium, win95, nt40}},
        {"Display off keeps only versions", "check 5055 off\n", {win95, nt40}},
        {"a macro drive chosen by its text", "set 5060 5\nchoose 5063 Windows System Directory Drive\n",
         {"[Inventory RAM]\nValue=16", windir, c, "[Inventory Disk]\nValue=5\nDrive=%*WINSYSDIR%", pentium, win95,
          nt40}},
        {"a disk row emptied, the processor taken away", "set 5059 \nchoose 5057 #1\n",
         {"[Inventory RAM]\nValue=16", windir, d, win95, nt40}},
        {"major only, minor only", "check 5077 on\nset 5064 3\nset 5067 \nset 5066 \nset 5067 1\n",
         {"[Inventory RAM]\nValue=16", windir, c, d, pentium,
          "[Inventory OS Version]\nType=Windows 3.x\nMajor Version=3\nMinor Version=0", nt40}},
    };
    for (const Case& c : cases) {
        StoreInventory(kStored);
        tree_.Set("WP.sales.acme", "App:Platform", {"6"});
        EXPECT_EQ(Edit(c.lines), 0) << c.name << "\n" << output_;
        EXPECT_EQ(Inventory(), c.expected) << c.name;
    }
}

// What the page shows of the stored records and the platform bits.
TEST_F(SystemRequirementsPageTest, TheStoredRecordsAreShown) {
    StoreInventory(kStored);
    tree_.Set("WP.sales.acme", "App:Platform", {"4"});
    EXPECT_EQ(Run("details WP.sales.acme\npage System Requirements\nshow 5056\nshow 5058\nshow 5066\nshow 5068\n"
                  "show 5069\nshow 5057\ncancel\n"),
              0)
        << output_;
    // Windows 95 is not chosen: its version edits are emptied.
    EXPECT_NE(output_.find("5056: 16\n5058: 100\n5066: \n5068: 4\n5069: 0\n5057:\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("* Pentium\n"), std::string::npos) << output_;
    EXPECT_EQ(Run("details WP.sales.acme\npage System Requirements\nshow 5061\ncancel\n"), 0) << output_;
    EXPECT_NE(output_.find("* Windows Directory Drive\n"), std::string::npos) << output_;
}

TEST_F(SystemRequirementsPageTest, ThePlatformBitsAreStored) {
    tree_.Set("WP.sales.acme", "App:Platform", {"3"});
    EXPECT_EQ(Edit("check 5077 off\ncheck 5079 on\n"), 0) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Platform"), Texts{"6"});
    EXPECT_EQ(Inventory(), Records{});  // the inventory was not touched
}

// A record writer failing after the signature: its status is the save's
// result, the platform is written all the same.
TEST_F(SystemRequirementsPageTest, AFailingRecordWriterIsReportedAndThePlatformWritten) {
    faults::FailStreamWritesAfter(8);  // the signature fits, no record does
    EXPECT_EQ(Run("answer ok The \"System Requirements\" page failed\ndetails WP.sales.acme\n"
                  "page System Requirements\ncheck 5079 on\nset 5068 4\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("Error code: -2\n"), std::string::npos) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Platform"), Texts{"4"});
}

}  // namespace
