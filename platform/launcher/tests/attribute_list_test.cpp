#include <cstring>

#include "launcher_fixture.h"

namespace vpr::launcher {
namespace {

class AttributeListTest : public LauncherTest {};

const KmappAttribute* Find(const KmappAttribute* list, const char* name) {
    for (; list; list = list->next)
        if (std::strcmp(list->name, name) == 0) return list;
    return nullptr;
}

TEST_F(AttributeListTest, ValuesComeInTheirDirectoryForms) {
    App(".Word.sales.acme", "C:\\WORD\\WORD.EXE");
    tree.Set("Word.sales.acme", "App:Flags", {"0x1090"});
    tree.Set("Word.sales.acme", "App:Fault Tolerance", {"Excel.sales.acme;7;30"});
    tree.Set("Word.sales.acme", "App:Contacts", {"jdoe.sales.acme"});
    tree.Stream("Word.sales.acme", "App:Startup Script", "MAP G:=SYS:\r\n");

    LPCSTR names[] = {"App:Path", "App:Flags", "App:Fault Tolerance", "App:Contacts",
                      "App:Startup Script", "App:Caption", "No Such Attribute", "App:Icon"};
    KmappAttribute* list = KMAPPGetObjectAttributes(context, ".Word.sales.acme", names, 8);
    ASSERT_NE(list, nullptr);

    const KmappAttribute* path = Find(list, "App:Path");
    ASSERT_TRUE(path && path->values);
    EXPECT_EQ(path->values->length, 16u);
    EXPECT_STREQ(static_cast<const char*>(path->values->data), "C:\\WORD\\WORD.EXE");
    char text[10];
    KMAPPOctetToString(path->values, text, sizeof text);
    EXPECT_STREQ(text, "C:\\WORD\\W");  // cut to the buffer

    const KmappAttribute* flags = Find(list, "App:Flags");
    ASSERT_TRUE(flags && flags->values);
    EXPECT_EQ(*static_cast<const DWORD*>(flags->values->data), 0x1090u);

    const KmappAttribute* tolerance = Find(list, "App:Fault Tolerance");
    ASSERT_TRUE(tolerance && tolerance->values);
    auto typed = static_cast<const DirTypedName*>(tolerance->values->data);
    EXPECT_STREQ(typed->name, "Excel.sales.acme");
    EXPECT_EQ(typed->level, 7u);
    EXPECT_EQ(typed->interval, 30u);

    const KmappAttribute* contacts = Find(list, "App:Contacts");
    ASSERT_TRUE(contacts && contacts->values);
    EXPECT_STREQ(static_cast<const char*>(contacts->values->data), "jdoe.sales.acme");

    // A stream value is an open handle that reads the stream's bytes.
    const KmappAttribute* script = Find(list, "App:Startup Script");
    ASSERT_TRUE(script && script->values);
    HFILE file = *static_cast<const HFILE*>(script->values->data);
    char bytes[32] = {};
    EXPECT_EQ(_llseek(file, 4, 0), 4);
    EXPECT_EQ(_lread(file, bytes, sizeof bytes), 9u);
    EXPECT_STREQ(bytes, "G:=SYS:\r\n");

    EXPECT_NE(Find(list, "App:Caption"), nullptr);
    EXPECT_EQ(Find(list, "No Such Attribute"), nullptr);
    EXPECT_EQ(Find(list, "App:Icon"), nullptr);  // no value

    KMAPPFreeGetObjectAttributes(list);
    // Freeing the list closed the stream's handle.
    EXPECT_EQ(_lread(file, bytes, 1), static_cast<UINT>(HFILE_ERROR));
}

TEST_F(AttributeListTest, AllAttributesWhenNoNamesAreGiven) {
    App(".Word.sales.acme");
    KmappAttribute* list = KMAPPGetObjectAttributes(context, ".Word.sales.acme", nullptr, 0);
    EXPECT_NE(Find(list, "App:Path"), nullptr);
    EXPECT_NE(Find(list, "App:Caption"), nullptr);
    KMAPPFreeGetObjectAttributes(list);
    EXPECT_EQ(KMAPPGetObjectAttributes(context, ".Nobody.acme", nullptr, 0), nullptr);
}

}  // namespace
}  // namespace vpr::launcher
