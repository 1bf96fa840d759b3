// The row records of the distribution pages: registry value data in its
// three forms, the number of short DWORD data, and child lists that delete
// their rows with their parent.
#include <gtest/gtest.h>

#include <string>

#include "snapin/distribution/ini_section_item.h"
#include "snapin/distribution/registry_key_item.h"

namespace {

std::string Bytes(const CAttributeValue* value) {
    return std::string(reinterpret_cast<const char*>(value->GetData()), value->GetLength());
}

TEST(RegistryValueItemTest, TextDataHasNoTerminatorUntilSetStringDataGivesItOne) {
    CRegistryValueItem value("Path", "C:\\APP", 1, 1, 2);
    EXPECT_EQ(Bytes(value.GetData()), "C:\\APP");
    EXPECT_EQ(std::string(value.GetDataAsText()), "C:\\APP");
    value.SetStringData("D:\\X");
    EXPECT_EQ(Bytes(value.GetData()), std::string("D:\\X\0", 5));
    value.SetDwordData(0x01020304);
    EXPECT_EQ(Bytes(value.GetData()), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(value.GetDwordData(), 0x01020304u);
}

TEST(RegistryValueItemTest, ShortDwordDataCountsMissingBytesAsZero) {
    struct Case {
        std::string bytes;
        DWORD number;
    };
    for (const Case& c : {Case{"", 0}, Case{"\x34", 0x34}, Case{"\x34\x12", 0x1234},
                          Case{std::string("\x01\x02\x03\x04\x05", 5), 0x04030201}}) {
        CAttributeValue data(static_cast<DWORD>(c.bytes.size()), c.bytes.data());
        CRegistryValueItem value("N", data, 1, 1, 3);
        EXPECT_EQ(value.GetDwordData(), c.number) << c.bytes.size() << " bytes";
        EXPECT_EQ(Bytes(value.GetData()), c.bytes);  // a copy, kept whole
    }
}

TEST(RegistryValueItemTest, SetDataCopiesTheOtherValue) {
    CRegistryValueItem value("Bin", CAttributeValue(3, "abc"), 1, 1, 1);
    {
        CAttributeValue other(40, std::string(40, 'x').data());
        value.SetData(other);
    }
    EXPECT_EQ(Bytes(value.GetData()), std::string(40, 'x'));
}

// Leaks would show under the address sanitizer: the rows go with their parent.
TEST(ChildListTest, ParentsDeleteTheirChildRows) {
    auto* key = new CRegistryKeyItem;
    EXPECT_EQ(key->GetSubtype(), 0);
    EXPECT_EQ(key->GetFlags(), 0);
    key->GetValues().AddTail(new CRegistryValueItem("A", "1", 1, 1, 2));
    key->GetValues().AddTail(new CRegistryValueItem("B", DWORD{2}, 1, 1, 3));
    EXPECT_EQ(key->GetValues().GetCount(), 2);
    delete key;

    auto* section = new CIniSectionItem("boot");
    section->GetValues().AddTail(new CIniValueItem("shell", "progman.exe", 1, 1));
    EXPECT_EQ(section->GetValues().GetCount(), 1);
    delete section;
}

}  // namespace
