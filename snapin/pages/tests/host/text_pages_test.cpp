// The Description, Scripts and Administrator Notes pages: the text typed and
// the value or stream bytes stored.
#include "page_host_fixture.h"

#include <cstdio>
#include <map>

namespace ui = vpr::user::ui;

namespace {

// The bytes of a text as two-digit hexadecimal numbers, space-separated.
std::string Hex(const std::string& bytes) {
    std::string text;
    char digits[4];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += (text.empty() ? "" : " ") + std::string(digits);
    }
    return text;
}

class TextPagesTest : public PageHostTest {};

// Each text typed into one edit, as the stored stream's bytes.
TEST_F(TextPagesTest, AStreamHoldsTheTextAndOneZeroByte) {
    struct Case {
        const char* page;
        int edit;
        const char* attribute;
        const char* stored;
        const char* typed;
        const char* bytes;
    } cases[] = {
        {"Scripts", 2501, "App:Startup Script", nullptr, "MAP G:=SYS:APPS", "4d 41 50 20 47 3a 3d 53 59 53 3a 41 50 50 53 00"},
        {"Scripts", 2503, "App:Shutdown Script", "old\r\nscript", "", ""},
        {"Administrator Notes", 2801, "App:Administrator Notes", "x", "ab", "61 62 00"},
    };
    for (const Case& c : cases) {
        if (c.stored) tree_.Stream("WP.sales.acme", c.attribute, c.stored);
        EXPECT_EQ(Run("details WP.sales.acme\npage " + std::string(c.page) + "\nset " + std::to_string(c.edit) +
                      " " + c.typed + "\nok\n"),
                  0)
            << output_;
        EXPECT_EQ(Hex(Stream("WP.sales.acme", c.attribute)), c.bytes) << c.attribute;
    }
}

// Line breaks are stored as the carriage-return/line-feed pairs typed; a
// stored text shows without its terminating zero.
TEST_F(TextPagesTest, LineBreaksAreStoredAsTyped) {
    tree_.Stream("WP.sales.acme", "App:Administrator Notes", std::string("one\r\ntwo\0", 8));
    vpr::user::UiDriver driver;
    std::string shown;
    driver.OnDialog(vpr::adminhost::kDetailsDialogId, [&](const vpr::user::ModalElement& sheet) {
        HWND page = ShowPage(sheet.window, "Administrator Notes");
        char text[64] = {};
        GetDlgItemTextA(page, 2801, text, sizeof text);
        shown = text;
        ui::ReplaceText(page, 2801, "a\rb");  // Enter typed between the letters
        ui::Click(sheet.window, IDOK);
    });
    EXPECT_EQ(host_.OpenDetails("WP.sales.acme").saveResult, 0);
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(shown, "one\r\ntwo");
    EXPECT_EQ(Hex(Stream("WP.sales.acme", "App:Administrator Notes")), "61 0d 0a 62 00");
}

// Only the shutdown script changed: the startup script's stream is not
// opened (a failing write there would show).
TEST_F(TextPagesTest, OnlyTheChangedScriptIsWritten) {
    tree_.Stream("WP.sales.acme", "App:Startup Script", std::string("keep\0", 5));
    EXPECT_EQ(Run("details WP.sales.acme\npage Scripts\nset 2503 bye\nok\n"), 0) << output_;
    EXPECT_EQ(Hex(Stream("WP.sales.acme", "App:Startup Script")), "6b 65 65 70 00");
    EXPECT_EQ(Hex(Stream("WP.sales.acme", "App:Shutdown Script")), "62 79 65 00");
    EXPECT_NE(output_.find("saved WP.sales.acme (0)"), std::string::npos) << output_;
}

// Typed and cleared again on a stream that never had a value: nothing needs
// writing, the save succeeds and nothing is created.
TEST_F(TextPagesTest, AClearedTextOnAStreamWithoutValueSavesNothing) {
    EXPECT_EQ(Run("details WP.sales.acme\npage Scripts\nset 2501 x\nset 2501 \npage Administrator Notes\n"
                  "set 2801 y\nset 2801 \nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("saved WP.sales.acme (0)"), std::string::npos) << output_;
    EXPECT_EQ(output_.find("message"), std::string::npos) << output_;
    EXPECT_EQ(Stream("WP.sales.acme", "App:Startup Script"), "status -602");
    EXPECT_EQ(Stream("WP.sales.acme", "App:Administrator Notes"), "status -602");
}

TEST_F(TextPagesTest, AnEmptyDescriptionRemovesTheValue) {
    tree_.Set("WP.sales.acme", "App:Description", {"A word processor"});
    EXPECT_EQ(Run("details WP.sales.acme\npage Description\nshow 2401\nset 2401 \nok\n"), 0) << output_;
    EXPECT_NE(output_.find("2401: A word processor\n"), std::string::npos) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Description"), Texts{});
    EXPECT_EQ(Run("details WP.sales.acme\npage Description\nset 2401 Writes letters\nok\n"), 0) << output_;
    EXPECT_EQ(Values("WP.sales.acme", "App:Description"), Texts{"Writes letters"});
}

// A user who may only read: description and notes read-only, scripts disabled.
class TextPagesReadOnlyTest : public PageHostTest {
protected:
    void Seed() override {
        tree_.User("guest.acme").Set("WP.sales.acme", "App:Description", {"A word processor"})
            .Grant("WP.sales.acme", "guest.acme", "[All Attributes Rights]", DIR_ATTR_READ)  // reads, never writes
            .LogIn("guest.acme");
    }
};

TEST_F(TextPagesReadOnlyTest, DescriptionAndNotesAreReadOnlyAndScriptsDisabled) {
    vpr::user::UiDriver driver;
    std::map<int, std::pair<bool, bool>> seen;  // enabled, read-only
    driver.OnDialog(vpr::adminhost::kDetailsDialogId, [&](const vpr::user::ModalElement& sheet) {
        for (const char* title : {"Description", "Scripts", "Administrator Notes"}) {
            HWND page = ShowPage(sheet.window, title);
            for (int id : {2401, 2501, 2503, 2801})
                if (HWND edit = GetDlgItem(page, id))
                    seen[id] = {IsWindowEnabled(edit) != 0, (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0};
        }
        ui::Click(sheet.window, IDCANCEL);
    });
    host_.OpenDetails("WP.sales.acme");
    EXPECT_TRUE(driver.Failures().empty());
    using State = std::pair<bool, bool>;
    EXPECT_EQ(seen, (std::map<int, State>{
                        {2401, State{true, true}}, {2501, State{false, false}},
                        {2503, State{false, false}}, {2801, State{true, true}}}));
}

}  // namespace
