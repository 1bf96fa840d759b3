// The directory helper against a real tree, with the administration host
// giving the current tree and the built KMAPP32.DLL bound as the module binds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/attribute_value.h"
#include "snapin/core/directory_helper.h"
#include "snapin/distribution/ref_item.h"
#include "stored_values.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/directory/faults.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

namespace faults = vpr::directory::faults;
using Texts = std::vector<std::string>;

namespace {

constexpr char kWord[] = "Word.acme";

class DirectoryHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.Org("acme").User("admin.acme").User("ann.acme").LogIn("admin.acme");
        ASSERT_NE(theAppLibrary.Load(), 0u);
        ASSERT_EQ(host_.Start(), 0);
        context_ = theDirectoryHelper.CreateContext();
        ASSERT_GT(context_, 0);
        ASSERT_EQ(theAppLibrary.ExtendSchema(context_, KMAPP_SCHEMA_APPLICATIONS), 0);
        ASSERT_EQ(theAppLibrary.CreateObject(context_, kWord, "App:Application", "WORD.EXE", "Word", 0), 0);
    }
    void TearDown() override {
        faults::Reset();
        DirFreeContext(context_);
        host_.Stop();
        theAppLibrary.Unload();
    }

    Texts Values(const char* object, const char* attribute) { return StoredValues(context_, object, attribute); }

    // A stream's whole content, or the open status as text.
    std::string StreamContent(const char* object, const char* attribute) { return StoredStream(context_, object, attribute); }

    int Modify(const std::function<int(DirBuffer*)>& puts, const char* object = kWord) {
        DirBuffer* request = nullptr;
        int status = DirAllocBuffer(0x4000, &request);
        if (status == DIR_SUCCESS) status = DirInitRequest(context_, DIR_OP_MODIFY, request);
        if (status == DIR_SUCCESS) status = puts(request);
        if (status == DIR_SUCCESS) status = DirModifyObject(context_, object, nullptr, 0, request);
        DirFreeBuffer(request);
        return status;
    }

    vpr::testing::TempMachine machine_;
    vpr::testing::TempTree tree_;
    vpr::adminhost::AdminHost host_;
    DIR_CONTEXT context_ = 0;
};

TEST_F(DirectoryHelperTest, ContextsStandOnTheHostsTreeWithTheModulesFlags) {
    char tree[DIR_MAX_NAME] = {};
    ASSERT_EQ(DirGetContextInfo(context_, DIR_KEY_TREE_NAME, tree), 0);
    EXPECT_EQ(std::string(tree).substr(0, host_.Tree().size()), host_.Tree());
    uint32_t flags = 0;
    ASSERT_EQ(DirGetContextInfo(context_, DIR_KEY_FLAGS, &flags), 0);
    EXPECT_EQ(flags & 0x47u, 0x47u);
    char nameContext[DIR_MAX_NAME] = {};
    ASSERT_EQ(DirGetContextInfo(context_, DIR_KEY_NAME_CONTEXT, nameContext), 0);
    EXPECT_STREQ(nameContext, "[Root]");

    faults::FailContextCreation(true);
    EXPECT_EQ(theDirectoryHelper.CreateContext(), DIR_ERR_NO_CONTEXT);
}

TEST(DirectoryHelperContextTest, AHostTreeTheMachineNoLongerReachesGivesNoContext) {
    vpr::testing::TempMachine machine;
    auto alpha = std::make_unique<vpr::testing::TempTree>("ALPHA");
    alpha->Org("acme").User("admin.acme").LogIn("admin.acme");
    vpr::testing::TempTree beta("BETA");
    beta.Org("beta").User("admin.beta").LogIn("admin.beta");
    vpr::adminhost::AdminHost host;
    ASSERT_EQ(host.Start(), 0);
    ASSERT_EQ(host.Tree(), "ALPHA");
    alpha.reset();  // the administrator still looks at ALPHA
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    EXPECT_LT(context, 0);  // never a context on BETA in its place
    if (context > 0) DirFreeContext(context);
    host.Stop();
}

TEST_F(DirectoryHelperTest, PutsReplaceTheValuesAndEmptyTextsLeaveNone) {
    tree_.Set(kWord, "App:Drive Mappings", {"ROOT F:=SYS:APPS"});
    ASSERT_EQ(Modify([&](DirBuffer* request) {
                  int status = theDirectoryHelper.ReplaceValue(context_, kWord, request, "App:Flags", 0x1091);
                  if (!status) status = theDirectoryHelper.PutOctetStringValue(context_, kWord, request, "App:Path", "X.EXE");
                  if (!status) status = theDirectoryHelper.PutStringValue(context_, kWord, request, "App:Caption", "Word 97");
                  if (!status)
                      status = theDirectoryHelper.PutOctetStringValue(context_, kWord, request, "App:Drive Mappings", "");
                  return status;
              }),
              0);
    EXPECT_EQ(Values(kWord, "App:Flags"), Texts{"4241"});
    EXPECT_EQ(Values(kWord, "App:Path"), Texts{"X.EXE"});
    EXPECT_EQ(Values(kWord, "App:Caption"), Texts{"Word 97"});
    EXPECT_EQ(Values(kWord, "App:Drive Mappings"), Texts{});

    ASSERT_EQ(Modify([&](DirBuffer* request) {
                  int status = theDirectoryHelper.PutOctetStringValue(context_, kWord, request, "App:Path", "");
                  if (!status) status = theDirectoryHelper.PutStringValue(context_, kWord, request, "App:Caption", "");
                  return status;
              }),
              0);
    EXPECT_EQ(Values(kWord, "App:Path"), Texts{});
    EXPECT_EQ(Values(kWord, "App:Caption"), Texts{});

    // Other statuses come back unchanged.
    EXPECT_EQ(Modify([&](DirBuffer* request) {
                  return theDirectoryHelper.ReplaceValue(context_, kWord, request, "App:No Such", 1);
              }),
              DIR_ERR_NO_SUCH_ATTRIBUTE);
}

TEST_F(DirectoryHelperTest, AFullRequestBufferIsSentAndTheSameChangeAndValuePutAgain) {
    faults::SetBufferBudget(160);
    const Texts mappings = {"ROOT F:=SYS:APPS\\WORD", "G:=SYS:DATA", "H:=VOL1:USERS\\HOME", "ROOT K:=SYS:PUBLIC",
                            "L:=SYS:LOGIN", "M:=SYS:MAIL"};
    int puts = 0;
    ASSERT_EQ(Modify([&](DirBuffer* request) {
                  int status = theDirectoryHelper.ReplaceValue(context_, kWord, request, "App:Flags", 0x80);
                  if (!status) status = theDirectoryHelper.PutStringValue(context_, kWord, request, "App:Caption", "Writer");
                  if (!status)
                      status = theDirectoryHelper.PutChange(context_, kWord, request, DIR_CHANGE_ADD_VALUE,
                                                            "App:Drive Mappings");
                  for (const std::string& mapping : mappings) {
                      if (status) break;
                      DirOctetString octets{static_cast<uint32_t>(mapping.size()),
                                            reinterpret_cast<unsigned char*>(const_cast<char*>(mapping.data()))};
                      status = theDirectoryHelper.PutValue(context_, kWord, request, DIR_CHANGE_ADD_VALUE,
                                                           "App:Drive Mappings", DIR_SYNTAX_OCTET_STRING, &octets);
                      ++puts;
                  }
                  return status;
              }),
              0);
    EXPECT_EQ(puts, 6);
    EXPECT_EQ(Values(kWord, "App:Flags"), Texts{"128"});
    EXPECT_EQ(Values(kWord, "App:Caption"), Texts{"Writer"});
    Texts stored = Values(kWord, "App:Drive Mappings");
    std::sort(stored.begin(), stored.end());
    Texts expected = mappings;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(stored, expected);

    // A value that does not fit even a fresh request is refused, not retried for ever.
    faults::SetBufferBudget(40);
    std::string longPath(200, 'x');
    EXPECT_EQ(Modify([&](DirBuffer* request) {
                  return theDirectoryHelper.PutOctetStringValue(context_, kWord, request, "App:Path", longPath.c_str());
              }),
              DIR_ERR_BUFFER_FULL);
}

TEST_F(DirectoryHelperTest, SearchValueFindsTheExactNameAcrossReplies) {
    tree_.Set("ann.acme", "App:Associations",
              {"Calc.acme;1;0", "Paint.acme;4;0", "Mail.acme;8;0", "Notes.acme;32;0", "Word.acme;45;0"});
    faults::SetBufferBudget(120);  // a few values per reply
    SearchValueResult found{};
    EXPECT_EQ(theDirectoryHelper.SearchValue(context_, "ann.acme", "App:Associations", "Word.acme", &found), 1);
    EXPECT_STREQ(found.name, "Word.acme");
    EXPECT_EQ(found.level, 45u);
    EXPECT_EQ(theDirectoryHelper.SearchValue(context_, "ann.acme", "App:Associations", "Calc.acme", &found), 1);
    EXPECT_EQ(found.level, 1u);
    EXPECT_EQ(theDirectoryHelper.SearchValue(context_, "ann.acme", "App:Associations", "word.acme", &found), 0);
    EXPECT_EQ(theDirectoryHelper.SearchValue(context_, "admin.acme", "App:Associations", "Word.acme", &found), 0);
    EXPECT_EQ(theDirectoryHelper.SearchValue(context_, "nobody.acme", "App:Associations", "Word.acme", &found), 0);
}

TEST_F(DirectoryHelperTest, StreamsWithoutAValueAreCreatedOnOpen) {
    HFILE file = HFILE_ERROR;
    ASSERT_EQ(DirOpenStreamAttribute(context_, kWord, "App:Startup Script", DIR_STREAM_WRITE, &file),
              DIR_ERR_NO_STREAM_VALUE);
    ASSERT_EQ(theDirectoryHelper.OpenStreamAttribute(context_, kWord, "App:Startup Script", DIR_STREAM_WRITE, &file), 0);
    EXPECT_EQ(_lwrite(file, "MAP G:=SYS:DATA", 15), 15u);
    _lclose(file);
    EXPECT_EQ(StreamContent(kWord, "App:Startup Script"), "MAP G:=SYS:DATA");
    EXPECT_EQ(theDirectoryHelper.OpenStreamAttribute(context_, kWord, "App:No Such", DIR_STREAM_READ, &file),
              DIR_ERR_NO_SUCH_ATTRIBUTE);
}

TEST_F(DirectoryHelperTest, WritingAStreamReplacesItsContent) {
    tree_.Stream(kWord, "App:Startup Script", "an old and longer script");
    struct Case {
        const char* attribute;
        const char* text;
        int status;
        std::string content;
    } cases[] = {
        {"App:Startup Script", "new", 0, std::string("new\0", 4)},
        {"App:Startup Script", "", 0, ""},                                  // emptied, value kept
        {"App:Shutdown Script", "", DIR_ERR_NO_STREAM_VALUE, "status -602"},  // nothing created
        {"App:Shutdown Script", "LOGOUT", 0, std::string("LOGOUT\0", 7)},
        {"App:No Such", "x", DIR_ERR_NO_SUCH_ATTRIBUTE, "status -603"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(theDirectoryHelper.WriteStreamAttribute(context_, kWord, c.attribute, c.text), c.status)
            << c.attribute << " " << c.text;
        EXPECT_EQ(StreamContent(kWord, c.attribute), c.content) << c.attribute << " " << c.text;
    }
    // A stream that does not take every byte is a failure, not a success.
    faults::FailStreamWritesAfter(4);
    EXPECT_EQ(theDirectoryHelper.WriteStreamAttribute(context_, kWord, "App:Startup Script", "a long script"),
              kStreamWriteFailed);
}

TEST_F(DirectoryHelperTest, LauncherConfigDefaultsFillOnlyTheirFields) {
    auto read = [&](BYTE* record) {
        std::memset(record, 0xEE, kLauncherConfigSize);
        theDirectoryHelper.ReadLauncherConfig(context_, "ann.acme", record);
    };
    auto u32 = [](const BYTE* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; };
    BYTE record[kLauncherConfigSize];
    read(record);  // no record stored
    EXPECT_EQ(u32(record), 0xABCD1234u);
    EXPECT_EQ(u32(record + 4), 0x8000058Cu);
    EXPECT_EQ(u32(record + 8), 3600u);
    EXPECT_EQ(u32(record + 12), 1u);
    EXPECT_EQ(u32(record + 32), 0u);
    EXPECT_EQ(record[16], 0xEE);  // the caller's bytes elsewhere
    EXPECT_EQ(record[99], 0xEE);

    std::string wrong(kLauncherConfigSize, '\x11');
    tree_.Stream("ann.acme", "App:Launcher Config", wrong);
    read(record);
    EXPECT_EQ(u32(record + 8), 3600u);
    EXPECT_EQ(record[16], 0xEE);

    std::string stored(kLauncherConfigSize, '\0');
    const char head[] = "\x34\x12\xCD\xAB\x02\x00\x00\x00\x10\x0E\x00\x00\x05\x00\x00\x00";
    stored.replace(0, 16, head, 16);
    stored[99] = '\x7F';
    tree_.Stream("ann.acme", "App:Launcher Config", stored);
    read(record);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record), kLauncherConfigSize), stored);  // unchanged
}

TEST_F(DirectoryHelperTest, AppFlagsAreReadThroughTheLauncherLibrary) {
    EXPECT_EQ(theDirectoryHelper.ReadAppFlags(context_, kWord), 0u);
    tree_.Set(kWord, "App:Flags", {"4240"});
    EXPECT_EQ(theDirectoryHelper.ReadAppFlags(context_, kWord), 0x1090u);
    theAppLibrary.Unload();  // the entry point is missing
    EXPECT_EQ(theDirectoryHelper.ReadAppFlags(context_, kWord), 0u);
}

TEST_F(DirectoryHelperTest, ReferenceListsOfTypedAndDistinguishedNames) {
    tree_.Set("ann.acme", "App:Associations", {"Word.acme;5;7", "Calc.acme;32;0"});
    tree_.Set(kWord, "App:Contacts", {"admin.acme"});
    CRefItemList list;
    EXPECT_EQ(theDirectoryHelper.ReadRefList(context_, "ann.acme", &list, "App:Associations"), 1);
    EXPECT_EQ(theDirectoryHelper.ReadRefList(context_, kWord, &list, "App:Contacts"), 1);
    EXPECT_EQ(theDirectoryHelper.ReadRefList(context_, kWord, &list, "App:Fault Tolerance"), 0);
    std::vector<std::tuple<std::string, DWORD, DWORD>> rows;
    while (!list.IsEmpty()) {
        auto* row = static_cast<CRefItem*>(list.RemoveHead());
        rows.emplace_back(std::string(row->GetName()), row->GetLevel(), row->GetInterval());
        EXPECT_FALSE(row->GetAdded() || row->GetDeleted() || row->GetFlags() || row->GetStoredFlags());
        delete row;
    }
    std::sort(rows.begin(), rows.begin() + 2);
    EXPECT_EQ(rows, (std::vector<std::tuple<std::string, DWORD, DWORD>>{
                        {"Calc.acme", 32, 0}, {"Word.acme", 5, 7}, {"admin.acme", 0, 0}}));
}

TEST_F(DirectoryHelperTest, ANewGuidOnlyWithTheRightToWriteIt) {
    // ann, who administers nothing, works on the object now.
    tree_.LogIn("ann.acme");
    DirFreeContext(context_);
    context_ = theDirectoryHelper.CreateContext();
    ASSERT_GT(context_, 0);
    EXPECT_FALSE(theDirectoryHelper.CanWriteAttribute(context_, kWord, "App:GUID"));
    EXPECT_EQ(theDirectoryHelper.AssignNewGuid(context_, kWord, 1), "");
    EXPECT_EQ(Values(kWord, "App:GUID"), Texts{});

    tree_.Grant(kWord, "ann.acme", "App:GUID", DIR_ATTR_READ);
    EXPECT_FALSE(theDirectoryHelper.CanWriteAttribute(context_, kWord, "App:GUID"));
    tree_.Grant(kWord, "ann.acme", "App:GUID", DIR_ATTR_READ | DIR_ATTR_WRITE);
    EXPECT_TRUE(theDirectoryHelper.CanWriteAttribute(context_, kWord, "App:GUID"));
    EXPECT_FALSE(theDirectoryHelper.CanWriteAttribute(context_, kWord, "App:Caption"));

    std::string first = theDirectoryHelper.AssignNewGuid(context_, kWord, 0);
    EXPECT_EQ(first.size(), 38u);
    EXPECT_EQ(Values(kWord, "App:GUID"), Texts{first});
    std::string second = theDirectoryHelper.AssignNewGuid(context_, kWord, 1);
    EXPECT_EQ(second.size(), 38u);
    EXPECT_NE(second, first);
    EXPECT_EQ(Values(kWord, "App:GUID"), Texts{second});
    // Without clearing first, the single-valued attribute refuses a second GUID.
    EXPECT_EQ(theDirectoryHelper.AssignNewGuid(context_, kWord, 0), "");
    EXPECT_EQ(Values(kWord, "App:GUID"), Texts{second});
}

TEST(AttributeValueTest, HoldsItsOwnCopyOfTheBytes) {
    char text[] = "abc";
    CAttributeValue fromText(text);
    text[0] = 'z';
    ASSERT_EQ(fromText.GetLength(), 3u);
    EXPECT_EQ(std::memcmp(fromText.GetData(), "abc", 3), 0);
    fromText.SetString("hello");
    ASSERT_EQ(fromText.GetLength(), 6u);
    EXPECT_EQ(std::memcmp(fromText.GetData(), "hello", 6), 0);

    CAttributeValue number(DWORD{0x12345678});
    ASSERT_EQ(number.GetLength(), 4u);
    EXPECT_EQ(std::memcmp(number.GetData(), "\x78\x56\x34\x12", 4), 0);

    const BYTE bytes[] = {0, 1, 0, 2};
    CAttributeValue counted(4, bytes);
    ASSERT_EQ(counted.GetLength(), 4u);
    EXPECT_EQ(std::memcmp(counted.GetData(), bytes, 4), 0);
    CAttributeValue empty(DWORD{5}, static_cast<const void*>(nullptr));
    EXPECT_EQ(empty.GetLength(), 0u);  // no length without bytes
    EXPECT_EQ(CAttributeValue("").GetLength(), 0u);
}

// Short values live inside the object, long ones in an array: a value
// replaced by part of its own bytes keeps them, short to short, at the
// limit, long to short and long to long.
TEST(AttributeValueTest, TakesPartOfItsOwnBytesBetweenShortAndLong) {
    const std::string longText(40, 'L');
    struct Case {
        std::string before;
        size_t from, length;
    } cases[] = {{"0123456789", 2, 5}, {"0123456789ABCDEF", 0, 16}, {longText + "tail", 38, 6}, {longText, 0, 40}};
    for (const Case& c : cases) {
        CAttributeValue value(static_cast<DWORD>(c.before.size()), c.before.data());
        value.Assign(static_cast<DWORD>(c.length), value.GetData() + c.from);
        ASSERT_EQ(value.GetLength(), c.length) << c.before;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(value.GetData()), c.length), c.before.substr(c.from, c.length));
        value.Assign(0, value.GetData());
        EXPECT_EQ(value.GetData(), nullptr);
    }
}

}  // namespace
