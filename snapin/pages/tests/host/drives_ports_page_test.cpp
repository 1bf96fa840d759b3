// The Drives/Ports page of an application: rows to "App:Drive Mappings" and
// "App:Printer Ports" values and back.
#include "page_host_fixture.h"

namespace {

class DrivesPortsPageTest : public PageHostTest {
protected:
    int Edit(const std::string& lines) { return Run("details WP.sales.acme\npage Drives/Ports\n" + lines + "ok\n"); }

    static std::string DriveMap(DWORD flags, const char* drive, const char* path) {
        char text[260] = {};
        theAppLibrary.BuildDriveMapString(flags, drive, path, text);
        return text;
    }

    // Notify and banner given, notify on: 0x0B.
    static constexpr char kNotifyOnBannerOff[] =
        "dialog 332\ncheck 2301 on\ncheck 2304 on\ncheck 2302 on\nok\nend\n";
};

TEST_F(DrivesPortsPageTest, RowsAreStoredAsValuesInRowOrder) {
    EXPECT_EQ(Edit(std::string("choose 4320 LPT3\nset 4321 Q\n") + kNotifyOnBannerOff +
                   "press 4324\nshow 4323\nchoose 4325 LPT1\nset 4326 Q\n"
                   "choose 4301 Drive\nchoose 4302 Next\nset 4303 \\\\SERVER\\SYS\\APPS\n"
                   "choose 4311 S16\ncheck 4310 on\nchoose 4312 G:\nset 4313 \\\\SERVER\\SYS\\APPS\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("4323: /NB /NOTI \n"), std::string::npos) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Printer Ports"), (Texts{"LPT3:=Q /NB /NOTI ", "LPT1:=Q "}));
    EXPECT_EQ(Values("WP.sales.acme", "App:Drive Mappings"),
              (Texts{DriveMap(0x08, "", "\\\\SERVER\\SYS\\APPS"), DriveMap(0x06, "G:", "\\\\SERVER\\SYS\\APPS")}));
    EXPECT_EQ(DriveMap(0x06, "G:", "\\\\SERVER\\SYS\\APPS"), "6G:=\\\\SERVER\\SYS\\APPS");
}

// A value without options shows its queue without the space the builder
// adds, so that another save gives the same bytes.
TEST_F(DrivesPortsPageTest, StoredValuesAreShownAndSavedBackAsTheyWere) {
    tree_.Set("WP.sales.acme", "App:Printer Ports", {"LPT1:=Q ", "lpt2:=.PQ1.sales.acme /FF "})
        .Set("WP.sales.acme", "App:Drive Mappings", {DriveMap(0x01, "H:", "\\\\S\\VOL")});
    EXPECT_EQ(Edit("show 4321\nshow 4326\nshow 4329\nshow 4303\nchoose 4330 LPT9\nset 4331 Q9\n"), 0) << output_;
    EXPECT_NE(output_.find("4321: Q\n4326: .PQ1.sales.acme\n4329: /FF \n4303: \\\\S\\VOL\n"), std::string::npos)
        << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Printer Ports"),
              (Texts{"LPT1:=Q ", "LPT2:=.PQ1.sales.acme /FF ", "LPT9:=Q9 "}));
    EXPECT_EQ(Values("WP.sales.acme", "App:Drive Mappings"), Texts{DriveMap(0x01, "H:", "\\\\S\\VOL")});
}

// An unknown option, a missing colon and a queue longer than the row's
// buffer leave their rows empty; they go when the ports are saved.
TEST_F(DrivesPortsPageTest, RefusedValuesLeaveTheirRowsEmpty) {
    tree_.Set("WP.sales.acme", "App:Printer Ports", {"LPT1:=Q /X ", "LPT2=Q ", "LPT3:=" + std::string(300, 'A') + " "});
    EXPECT_EQ(Edit("show 4321\nshow 4326\nshow 4331\nchoose 4320 LPT4\nset 4321 Q\n"), 0) << output_;
    EXPECT_NE(output_.find("4321: \n4326: \n4331: \n"), std::string::npos) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Printer Ports"), Texts{"LPT4:=Q "});
}

// A fourth value is not shown; it goes only when its own attribute is saved.
TEST_F(DrivesPortsPageTest, AFourthValueGoesOnlyWithItsAttribute) {
    Texts ports = {"LPT1:=A ", "LPT2:=B ", "LPT3:=C ", "LPT4:=D "};
    tree_.Set("WP.sales.acme", "App:Printer Ports", ports);
    EXPECT_EQ(Edit("choose 4301 Drive\nchoose 4302 G:\nset 4303 \\\\S\\V\n"), 0) << output_;
    Texts stored = Values("WP.sales.acme", "App:Printer Ports");
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, ports);
    EXPECT_EQ(Edit("set 4321 A1\n"), 0) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Printer Ports"), (Texts{"LPT1:=A1 ", "LPT2:=B ", "LPT3:=C "}));
}

// Both sections lack a part: the ports' message comes first and alone.
TEST_F(DrivesPortsPageTest, AMissingPartKeepsThePageOpenPortsFirst) {
    EXPECT_EQ(Run("answer ok\nanswer ok\ndetails WP.sales.acme\npage Drives/Ports\nchoose 4320 LPT1\n"
                  "choose 4301 Drive\nchoose 4302 G:\nok\nset 4321 Q\nok\nset 4303 \\\\S\\V\nok\n"),
              0)
        << output_;
    size_t ports = output_.find("message Drives/Ports: A parameter is missing from the 'Printer Ports' section\n");
    size_t drives = output_.find("message Drives/Ports: A parameter is missing from the 'Drive Mappings' section\n");
    ASSERT_NE(ports, std::string::npos) << output_;
    ASSERT_NE(drives, std::string::npos) << output_;
    EXPECT_LT(ports, drives);
    EXPECT_EQ(Values("WP.sales.acme", "App:Printer Ports"), Texts{"LPT1:=Q "});
}

}  // namespace
