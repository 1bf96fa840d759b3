#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "snapin/core/app_library.h"

namespace {

struct Parsed {
    LONG result;
    DWORD flags;
    std::string port;
    std::string queue;
};

Parsed Parse(const char* text) {
    char port[5] = "----";
    char queue[256] = "unset";
    DWORD flags = 0xFFFF;
    LONG result = CAppLibrary::ParseCaptureFlags(text, &flags, port, queue, sizeof queue);
    return {result, flags, port, queue};
}

TEST(CaptureStringTest, ParsesPortQueueAndOptions) {
    struct Case {
        const char* text;
        DWORD flags;
        const char* port;
        const char* queue;
    } cases[] = {
        {"LPT2:=QUEUE1 /NB /FF", 0x26, "LPT2", "QUEUE1"},
        {"lpt1:=Q /ff /b /noti ", 0x3F, "LPT1", "Q"},
        {"LPT3:=Q /NB /NOTI ", 0x0B, "LPT3", "Q"},
        {"LPT1:=Q /NFF /NNOTI", 0x05, "LPT1", "Q"},
        {"LPT1:=.PRINTQ.SALES.ACME ", 0, "LPT1", ".PRINTQ.SALES.ACME "},  // no options
        {"LPT9:=", 0, "LPT9", ""},
    };
    for (const Case& c : cases) {
        Parsed parsed = Parse(c.text);
        EXPECT_EQ(parsed.result, 0) << c.text;
        EXPECT_EQ(parsed.flags, c.flags) << c.text;
        EXPECT_EQ(parsed.port, c.port) << c.text;
        EXPECT_EQ(parsed.queue, c.queue) << c.text;
    }
}

TEST(CaptureStringTest, RefusesMalformedTextsAndUnknownOptions) {
    for (const char* text : {"", "LPT1", "LPT1:", "LPT1=Q", "LPT1X=Q", "LPT1:Q /B"}) {
        Parsed parsed = Parse(text);
        EXPECT_EQ(parsed.result, -1) << text;
        EXPECT_EQ(parsed.flags, 0u) << text;
    }
    // An unknown option, or a word that is no option, refuses the text; the
    // flags found before it stay set.
    Parsed unknown = Parse("LPT1:=Q /B /X /FF");
    EXPECT_EQ(unknown.result, -1);
    EXPECT_EQ(unknown.flags, 0x12u);
    EXPECT_EQ(Parse("LPT1:=Q /B junk").result, -1);
}

TEST(CaptureStringTest, AQueueLongerThanItsBufferIsRefusedNotCopied) {
    std::string text = "LPT1:=" + std::string(40, 'Q') + " /FF";
    char port[5];
    DWORD flags = 0;
    // The 16-byte queue buffer lies at the start of a larger block whose
    // bytes past it must stay as they were.
    char guarded[64];
    std::memset(guarded, '#', sizeof guarded);
    EXPECT_EQ(CAppLibrary::ParseCaptureFlags(text.c_str(), &flags, port, guarded, 16), -1);
    for (size_t i = 16; i < sizeof guarded; ++i) ASSERT_EQ(guarded[i], '#') << i;
    // A queue that just fits is taken.
    std::string fits = "LPT1:=" + std::string(15, 'Q') + " /FF";
    char queue[16];
    EXPECT_EQ(CAppLibrary::ParseCaptureFlags(fits.c_str(), &flags, port, queue, sizeof queue), 0);
    EXPECT_EQ(std::string(queue), std::string(15, 'Q'));
}

TEST(CaptureStringTest, FormatsAndBuildsTextsThatParseBack) {
    EXPECT_EQ(CAppLibrary::FormatCaptureFlags(0), "");
    EXPECT_EQ(CAppLibrary::FormatCaptureFlags(0x3F), "/FF /B /NOTI ");
    EXPECT_EQ(CAppLibrary::FormatCaptureFlags(0x07), "/NFF /NB /NNOTI ");
    EXPECT_EQ(CAppLibrary::FormatCaptureFlags(0x30), "");  // "on" without "given" says nothing
    EXPECT_EQ(CAppLibrary::BuildCaptureString(0x24, "LPT1", "Q1"), "LPT1:=Q1 /FF ");
    EXPECT_EQ(CAppLibrary::BuildCaptureString(0, "LPT1", "Q"), "LPT1:=Q ");
    for (DWORD flags : {0x01u, 0x09u, 0x02u, 0x12u, 0x04u, 0x24u, 0x3Fu, 0x0Bu}) {
        std::string built = CAppLibrary::BuildCaptureString(flags, "LPT4", "Q");
        Parsed parsed = Parse(built.c_str());
        EXPECT_EQ(parsed.result, 0) << built;
        EXPECT_EQ(parsed.flags, flags) << built;
        EXPECT_EQ(parsed.queue, "Q") << built;
    }
}

}  // namespace
