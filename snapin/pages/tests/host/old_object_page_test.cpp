// The page of the old application objects tells about the migration and
// writes nothing.
#include "page_host_fixture.h"

namespace faults = vpr::directory::faults;

namespace {

class OldObjectPageTest : public PageHostTest {
protected:
    void Seed() override { tree_.Object("old.sales.acme", "Application (DOS)", {{"App Path", {"OLD.EXE"}}}); }
};

TEST_F(OldObjectPageTest, SavingItsDetailsLeavesTheStoreUnchanged) {
    uint32_t modified = ModificationTime("old.sales.acme");
    faults::FailModify(DIR_ERR_STORE);  // any request would fail the save
    EXPECT_EQ(Run("details old.sales.acme\npage Identification\nhelp\nok\n"), 0) << output_;
    EXPECT_NE(output_.find("help "), std::string::npos) << output_;
    EXPECT_NE(output_.find(" 80001\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("saved old.sales.acme (0)"), std::string::npos) << output_;
    EXPECT_EQ(Values("old.sales.acme", "App Path"), Texts{"OLD.EXE"});
    EXPECT_EQ(ModificationTime("old.sales.acme"), modified);
}

}  // namespace
