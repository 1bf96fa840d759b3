// The form source and the binary form stream: the one encoder and decoder.
#include <gtest/gtest.h>

#include "vpr/forms/form_stream.h"

namespace {

using vpr::forms::DecodeFormStream;
using vpr::forms::EncodeFormStream;
using vpr::forms::FormObject;
using vpr::forms::FormValue;
using vpr::forms::ParseFormSource;

const char* kSource = R"(// a form with every kind of value
object frmMain: TfrmMain
  Caption = 'It''s'#13#10'two lines'
  Left = -7
  Color = $FF00
  Font.Name = 'MS Sans Serif'
  Visible = False
  Options = [ofOverwritePrompt, ofNoChangeDir]
  object lstRows: TListBox
    Items.Strings = (
      'one'
      'two')
  end
  object TPage
    Caption = ''
  end
end
)";

FormObject Parse(const std::string& text) {
    FormObject root;
    std::string error;
    EXPECT_TRUE(ParseFormSource(text, &root, &error)) << error;
    return root;
}

TEST(FormSourceTest, ReadsEveryKindOfValueAndNesting) {
    FormObject root = Parse(kSource);
    EXPECT_EQ(root.name, "frmMain");
    EXPECT_EQ(root.className, "TfrmMain");
    ASSERT_EQ(root.properties.size(), 6u);
    EXPECT_EQ(root.properties[0].value.text, "It's\r\ntwo lines");
    EXPECT_EQ(root.properties[1].value.integer, -7);
    EXPECT_EQ(root.properties[2].value.integer, 0xFF00);
    EXPECT_EQ(root.properties[3].name, "Font.Name");
    EXPECT_EQ(root.properties[4].value.kind, FormValue::Kind::kIdent);
    EXPECT_EQ(root.properties[5].value.items, (std::vector<std::string>{"ofOverwritePrompt", "ofNoChangeDir"}));
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].properties[0].value.items, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(root.children[1].name, "");
    EXPECT_EQ(root.children[1].className, "TPage");
}

TEST(FormSourceTest, FaultsNameTheirLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"Caption = 'x'", "line 1: a form source begins with \"object\""},
        {"object a: TA\n  Caption = 'open\nend", "line 2: a string is not closed"},
        {"object a: TA\n  Caption 'x'\nend", "line 2: \"=\" expected after Caption"},
        {"object a: TA\n  Left = 99999999999\nend", "line 2: a number out of range"},
        {"object a: TA\n  Items = ('a' b)\nend", "line 2: a list holds strings"},
        {"object a: TA\n  object b: TB\nend", "line 3: \"end\" missing for a: TA"},
        {"object a: TA\nend\nend", "line 3: text after the form's \"end\""},
        {"object a: TA\n  Caption = #300\nend", "line 2: a character code from #0 to #255 expected"},
        {"object a: TA\n  X = ?\nend", "line 2: unexpected character '?'"},
    };
    for (const Case& c : cases) {
        FormObject root;
        std::string error;
        EXPECT_FALSE(ParseFormSource(c.text, &root, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(FormStreamTest, EncodesAndDecodesToTheSameDescription) {
    FormObject root = Parse(kSource);
    std::vector<uint8_t> bytes = EncodeFormStream(root);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "VFRM");
    FormObject back;
    std::string error;
    ASSERT_TRUE(DecodeFormStream(bytes.data(), bytes.size(), &back, &error)) << error;
    EXPECT_EQ(back, root);
}

// Every cut of a good stream, and every stream with one length or count
// made huge, is refused with a reason: no count or length is trusted.
TEST(FormStreamTest, RefusesEveryCutAndEveryBadLength) {
    std::vector<uint8_t> bytes = EncodeFormStream(Parse(kSource));
    for (size_t size = 0; size < bytes.size(); ++size) {
        FormObject root;
        std::string error;
        EXPECT_FALSE(DecodeFormStream(bytes.data(), size, &root, &error)) << size;
        EXPECT_FALSE(error.empty());
    }
    for (size_t at = 6; at + 1 < bytes.size(); ++at) {
        std::vector<uint8_t> bad = bytes;
        bad[at] = 0xFF;
        bad[at + 1] = 0xFF;
        FormObject root;
        std::string error;
        // Under the sanitizers a read past the bytes would stop the test here.
        if (!DecodeFormStream(bad.data(), bad.size(), &root, &error)) {
            EXPECT_FALSE(error.empty()) << at;
        }
    }
}

TEST(FormStreamTest, RefusesForeignStreamsTrailingBytesAndDeepNesting) {
    std::vector<uint8_t> good = EncodeFormStream(Parse("object a: TA\nend"));
    std::string error;
    FormObject root;

    std::vector<uint8_t> foreign = good;
    foreign[0] = 'X';
    EXPECT_FALSE(DecodeFormStream(foreign.data(), foreign.size(), &root, &error));
    EXPECT_EQ(error, "not a form stream at offset 4");

    std::vector<uint8_t> trailing = good;
    trailing.push_back(0);
    EXPECT_FALSE(DecodeFormStream(trailing.data(), trailing.size(), &root, &error));
    EXPECT_NE(error.find("bytes after the form"), std::string::npos);

    FormObject deep;
    deep.className = "TA";
    FormObject* at = &deep;
    for (int i = 0; i < 40; ++i) {
        at->children.push_back(FormObject{"TB", "", {}, {}, 0});
        at = &at->children.back();
    }
    std::vector<uint8_t> nested = EncodeFormStream(deep);
    EXPECT_FALSE(DecodeFormStream(nested.data(), nested.size(), &root, &error));
    EXPECT_NE(error.find("nested deeper than 32"), std::string::npos);
}

}  // namespace
