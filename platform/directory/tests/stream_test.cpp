#include "client_fixture.h"

#include "vpr/win/error.h"
#include "vpr/win/file.h"
#include "vpr/win/handle_table.h"

namespace vpr::directory {
namespace {

class StreamTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        tree.Stream("Word.sales.acme", "App Icon", "ICONDATA");
    }

    std::string Content(const char* object, const char* attribute) {
        NameParts name;
        EXPECT_EQ(ParseFullName(object, &name), DIR_SUCCESS);
        std::vector<uint8_t> content;
        EXPECT_EQ(tree.store().ReadStream(name, attribute, &content), DIR_SUCCESS);
        return std::string(content.begin(), content.end());
    }

    std::string ReadAll(HFILE file) {
        char buffer[64];
        std::string text;
        UINT n;
        while ((n = _lread(file, buffer, sizeof buffer)) > 0 && n != static_cast<UINT>(HFILE_ERROR))
            text.append(buffer, n);
        return text;
    }
};

TEST_F(StreamTest, ReadsTheValueFromTheStartAndSeeksGiveItsSize) {
    HFILE file;
    ASSERT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", DIR_STREAM_READ, &file),
              DIR_SUCCESS);
    EXPECT_EQ(_llseek(file, 0, FILE_END), 8);
    EXPECT_EQ(_llseek(file, 0, FILE_BEGIN), 0);
    EXPECT_EQ(ReadAll(file), "ICONDATA");
    EXPECT_EQ(_lwrite(file, "x", 1), static_cast<UINT>(HFILE_ERROR));  // opened for reading
    EXPECT_EQ(_lclose(file), 0);
}

// A template of megabytes spans many pages of the store: it reads back
// whole, byte for byte.
TEST_F(StreamTest, ReadsAValueOfMegabytesWhole) {
    std::string large(3 * 1024 * 1024 + 7, '\0');
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>((i * 131) >> 3);
    tree.Stream("Word.sales.acme", "App Icon", large);
    HFILE file;
    ASSERT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", DIR_STREAM_READ, &file),
              DIR_SUCCESS);
    EXPECT_EQ(_llseek(file, 0, FILE_END), static_cast<LONG>(large.size()));
    EXPECT_EQ(_llseek(file, 0, FILE_BEGIN), 0);
    std::string read(large.size(), 'x');
    EXPECT_EQ(_lread(file, read.data(), static_cast<UINT>(read.size())), static_cast<UINT>(large.size()));
    EXPECT_TRUE(read == large);
    EXPECT_EQ(_lclose(file), 0);
}

TEST_F(StreamTest, WritingKeepsTheRestUntilAZeroByteWriteCutsItAndCloseStoresIt) {
    HFILE file;
    ASSERT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", DIR_STREAM_WRITE, &file),
              DIR_SUCCESS);
    EXPECT_EQ(_lwrite(file, "ic", 2), 2u);
    EXPECT_EQ(Content("Word.sales.acme", "App Icon"), "ICONDATA");  // nothing stored before close
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(Content("Word.sales.acme", "App Icon"), "icONDATA");

    ASSERT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", DIR_STREAM_WRITE, &file),
              DIR_SUCCESS);
    EXPECT_EQ(_llseek(file, 4, FILE_BEGIN), 4);
    EXPECT_EQ(_lwrite(file, "", 0), 0u);
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(Content("Word.sales.acme", "App Icon"), "icON");
}

TEST_F(StreamTest, MissingValueAndMissingAttributeAreTold) {
    HFILE file = 0;
    EXPECT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Startup Script",
                                     DIR_STREAM_WRITE, &file),
              DIR_ERR_NO_STREAM_VALUE);
    EXPECT_EQ(DirOpenStreamAttribute(ctx, "jdoe.sales.acme", "App Icon", DIR_STREAM_READ, &file),
              DIR_ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "No Such", DIR_STREAM_READ, &file),
              DIR_ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Path", DIR_STREAM_READ, &file),
              DIR_ERR_BAD_SYNTAX);
    EXPECT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", 3, &file),
              DIR_ERR_BAD_PARAMETER);
}

// What a page does on -602: add the value (the object's own name), open again.
TEST_F(StreamTest, AddedValueStartsEmptyAndTakesWrites) {
    EXPECT_EQ(ModifyWith(ctx, "Word.sales.acme",
                         {{DIR_CHANGE_ADD_VALUE, "App Startup Script", DIR_SYNTAX_STREAM,
                           "Word.sales.acme"}}),
              DIR_SUCCESS);
    HFILE file;
    ASSERT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Startup Script",
                                     DIR_STREAM_WRITE, &file),
              DIR_SUCCESS);
    EXPECT_EQ(_llseek(file, 0, FILE_END), 0);
    EXPECT_EQ(_lwrite(file, "echo", 4), 4u);
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(Content("Word.sales.acme", "App Startup Script"), "echo");
    // A second add of the value leaves the content alone.
    EXPECT_EQ(ModifyWith(ctx, "Word.sales.acme",
                         {{DIR_CHANGE_ADD_VALUE, "App Startup Script", DIR_SYNTAX_STREAM,
                           "Word.sales.acme"}}),
              DIR_SUCCESS);
    EXPECT_EQ(Content("Word.sales.acme", "App Startup Script"), "echo");
}

TEST_F(StreamTest, HandleOutlivesItsContext) {
    HFILE file;
    ASSERT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", DIR_STREAM_WRITE, &file),
              DIR_SUCCESS);
    ASSERT_EQ(DirFreeContext(ctx), DIR_SUCCESS);
    ctx = 0;
    EXPECT_EQ(_lwrite(file, "NEW", 3), 3u);
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(Content("Word.sales.acme", "App Icon"), "NEWNDATA");
}

TEST_F(StreamTest, FailingWriteStoresWhatWasWrittenBeforeIt) {
    faults::FailStreamWritesAfter(5);
    HFILE file;
    ASSERT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", DIR_STREAM_WRITE, &file),
              DIR_SUCCESS);
    EXPECT_EQ(_lwrite(file, "", 0), 0u);
    EXPECT_EQ(_lwrite(file, "abc", 3), 3u);
    EXPECT_EQ(_lwrite(file, "defg", 4), 2u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
    EXPECT_EQ(_lwrite(file, "h", 1), static_cast<UINT>(HFILE_ERROR));
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(Content("Word.sales.acme", "App Icon"), "abcde");
}

TEST_F(StreamTest, ValueRemovedWhileOpenFailsTheCloseAndStoresNothing) {
    HFILE file;
    ASSERT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", DIR_STREAM_WRITE, &file),
              DIR_SUCCESS);
    EXPECT_EQ(_lwrite(file, "late", 4), 4u);
    EXPECT_EQ(ModifyWith(ctx, "Word.sales.acme", {{DIR_CHANGE_REMOVE_ALL_VALUES, "App Icon"}}),
              DIR_SUCCESS);
    EXPECT_EQ(_lclose(file), HFILE_ERROR);
    EXPECT_EQ(DirOpenStreamAttribute(ctx, "Word.sales.acme", "App Icon", DIR_STREAM_READ, &file),
              DIR_ERR_NO_STREAM_VALUE);
}

}  // namespace
}  // namespace vpr::directory
