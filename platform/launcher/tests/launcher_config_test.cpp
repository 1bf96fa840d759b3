#include <cstring>

#include "launcher_fixture.h"

namespace vpr::launcher {
namespace {

class LauncherConfigTest : public LauncherTest {};

std::string Record(uint32_t magic, uint32_t flags, uint32_t interval, uint32_t levels) {
    std::string bytes(KMAPP_CONFIG_SIZE, '\0');
    auto raw = reinterpret_cast<BYTE*>(bytes.data());
    KmappConfigSet(raw, KMAPP_CONFIG_OFFSET_MAGIC, magic);
    KmappConfigSet(raw, KMAPP_CONFIG_OFFSET_FLAGS, flags);
    KmappConfigSet(raw, KMAPP_CONFIG_OFFSET_INTERVAL, interval);
    KmappConfigSet(raw, KMAPP_CONFIG_OFFSET_LEVELS, levels);
    std::memcpy(raw + KMAPP_CONFIG_OFFSET_MAIL_ATTRIBUTE, "Email Address", 14);
    return bytes;
}

TEST_F(LauncherConfigTest, ReadsAValidRecordAndRefusesOthers) {
    tree.Stream("jdoe.sales.acme", "App:Launcher Config", Record(KMAPP_CONFIG_MAGIC, 0x204, 600, 2));
    BYTE record[KMAPP_CONFIG_SIZE] = {};
    ASSERT_EQ(KMAPPReadLauncherConfig(context, ".jdoe.sales.acme", record), 0);
    EXPECT_EQ(KmappConfigGet(record, KMAPP_CONFIG_OFFSET_FLAGS), 0x204u);
    EXPECT_EQ(KmappConfigGet(record, KMAPP_CONFIG_OFFSET_INTERVAL), 600u);
    EXPECT_EQ(KmappConfigGet(record, KMAPP_CONFIG_OFFSET_LEVELS), 2u);
    EXPECT_STREQ(reinterpret_cast<char*>(record + KMAPP_CONFIG_OFFSET_MAIL_ATTRIBUTE), "Email Address");

    struct Case {
        const char* what;
        std::string content;
        LONG status;
    } cases[] = {
        {"wrong magic", Record(0x12345678, 1, 2, 3), KMAPP_ERR_BAD_CONFIG},
        {"short record", Record(KMAPP_CONFIG_MAGIC, 1, 2, 3).substr(0, 60), KMAPP_ERR_BAD_CONFIG},
    };
    for (const Case& c : cases) {
        tree.Stream("sales.acme", "App:Launcher Config", c.content);
        BYTE kept[KMAPP_CONFIG_SIZE];
        std::memset(kept, 0x5A, sizeof kept);
        EXPECT_EQ(KMAPPReadLauncherConfig(context, ".sales.acme", kept), c.status) << c.what;
        EXPECT_EQ(kept[0], 0x5A) << c.what;  // the caller's record is left alone
    }
    BYTE none[KMAPP_CONFIG_SIZE];
    EXPECT_EQ(KMAPPReadLauncherConfig(context, ".acme", none), DIR_ERR_NO_STREAM_VALUE);
}

}  // namespace
}  // namespace vpr::launcher
