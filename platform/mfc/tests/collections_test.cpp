#include <gtest/gtest.h>

#include "vpr/mfc/array.h"
#include "vpr/mfc/list.h"

namespace {

class CRow : public CObject {
    DECLARE_DYNAMIC(CRow)
public:
    explicit CRow(int n) : number(n) {}
    int number;
};
IMPLEMENT_DYNAMIC(CRow, CObject)

class CNamedRow : public CRow {
    DECLARE_DYNCREATE(CNamedRow)
public:
    CNamedRow() : CRow(0) {}
};
IMPLEMENT_DYNCREATE(CNamedRow, CRow)

TEST(CObject, RuntimeClassesFollowTheBaseChain) {
    CNamedRow named;
    CRow row(1);
    EXPECT_STREQ(named.GetRuntimeClass()->m_lpszClassName, "CNamedRow");
    EXPECT_TRUE(named.IsKindOf(RUNTIME_CLASS(CRow)));
    EXPECT_TRUE(named.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(row.IsKindOf(RUNTIME_CLASS(CNamedRow)));
    EXPECT_FALSE(row.IsKindOf(RUNTIME_CLASS(CObList)));
    EXPECT_FALSE(row.IsSerializable());

    EXPECT_EQ(RUNTIME_CLASS(CRow)->CreateObject(), nullptr);  // not DYNCREATE
    CObject* made = RUNTIME_CLASS(CNamedRow)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CNamedRow)));
    delete made;
}

std::vector<int> Numbers(const CObList& list) {
    std::vector<int> numbers;
    for (POSITION p = list.GetHeadPosition(); p;) numbers.push_back(static_cast<CRow*>(list.GetNext(p))->number);
    return numbers;
}

TEST(CObList, KeepsOrderThroughPositions) {
    CRow rows[5] = {CRow(0), CRow(1), CRow(2), CRow(3), CRow(4)};
    CObList list(10);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    list.AddTail(&rows[1]);
    list.AddHead(&rows[0]);
    POSITION three = list.AddTail(&rows[3]);
    list.InsertBefore(three, &rows[2]);
    list.InsertAfter(three, &rows[4]);
    EXPECT_EQ(Numbers(list), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.Find(&rows[3]), three);
    EXPECT_EQ(list.Find(&rows[3], three), nullptr);
    EXPECT_EQ(list.FindIndex(3), three);
    EXPECT_EQ(list.FindIndex(5), nullptr);

    // Removing the node just passed keeps the walk going.
    for (POSITION p = list.GetHeadPosition(); p;) {
        POSITION current = p;
        auto* row = static_cast<CRow*>(list.GetNext(p));
        if (row->number % 2 == 1) list.RemoveAt(current);
    }
    EXPECT_EQ(Numbers(list), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(static_cast<CRow*>(list.RemoveHead())->number, 0);
    EXPECT_EQ(static_cast<CRow*>(list.RemoveTail())->number, 4);
    EXPECT_EQ(static_cast<CRow*>(list.GetHead())->number, 2);
    EXPECT_EQ(list.GetHead(), list.GetTail());

    POSITION back = list.GetTailPosition();
    EXPECT_EQ(static_cast<CRow*>(list.GetPrev(back))->number, 2);
    EXPECT_EQ(back, nullptr);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetTailPosition(), nullptr);
}

TEST(CStringList, CopiesTextsAndAppendsLists) {
    CStringList first, second;
    char buffer[8] = "one";
    first.AddTail(buffer);
    buffer[0] = 'X';  // the list holds its own copy
    second.AddTail("two");
    second.AddTail("three");
    first.AddTail(&second);
    first.AddHead("zero");
    std::vector<std::string> texts;
    for (POSITION p = first.GetHeadPosition(); p;) texts.push_back((LPCSTR)first.GetNext(p));
    EXPECT_EQ(texts, (std::vector<std::string>{"zero", "one", "two", "three"}));
    EXPECT_NE(first.Find("two"), nullptr);
    EXPECT_EQ(first.Find("TWO"), nullptr);
}

TEST(Arrays, GrowInsertAndRemove) {
    CByteArray bytes;
    for (int i = 0; i < 100; ++i) EXPECT_EQ(bytes.Add(static_cast<BYTE>(i)), i);
    EXPECT_EQ(bytes.GetSize(), 100);
    EXPECT_EQ(bytes.GetData()[99], 99);
    bytes.RemoveAt(10, 80);
    EXPECT_EQ(bytes.GetSize(), 20);
    EXPECT_EQ(bytes[10], 90);
    bytes.InsertAt(0, 0xAB, 2);
    EXPECT_EQ(bytes[1], 0xAB);
    EXPECT_EQ(bytes[2], 0);
    bytes.SetSize(3);
    EXPECT_EQ(bytes.GetUpperBound(), 2);

    CStringArray texts;
    texts.SetAtGrow(2, "c");
    EXPECT_EQ(texts.GetSize(), 3);
    EXPECT_TRUE(texts[0].IsEmpty());
    texts.SetAt(0, "a");
    texts.InsertAt(1, "b");
    EXPECT_STREQ(texts[1], "b");
    EXPECT_STREQ(texts.GetAt(3), "c");
    CStringArray copy;
    copy.Append(texts);
    copy.Append(texts);
    EXPECT_EQ(copy.GetSize(), 8);
    texts.RemoveAll();
    EXPECT_TRUE(texts.IsEmpty());

    CPtrArray pointers;
    int value = 0;
    pointers.Add(&value);
    EXPECT_EQ(pointers[0], &value);
}

}  // namespace
