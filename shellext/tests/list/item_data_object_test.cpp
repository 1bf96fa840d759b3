// The data object of the item list's copies and drags: the CIDA block as
// exact bytes, GetData's answers in the order of its checks, the drag source
// and the format enumerator.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "items/drop_data.h"
#include "list/item_data_object.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutU32(Bytes& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes ListBytes(const CItemIdList& list) {
    if (list.IsEmpty()) return Bytes{0, 0};
    const auto* at = reinterpret_cast<const uint8_t*>(list.GetList());
    return Bytes(at, at + list.GetSize());
}

// The block as written by hand: cidl, the offsets, the lists.
Bytes Expected(const CItemIdList& parent, const std::vector<CItemIdList>& children) {
    std::vector<Bytes> lists{ListBytes(parent)};
    for (const CItemIdList& child : children) lists.push_back(ListBytes(child));
    Bytes block;
    PutU32(block, static_cast<uint32_t>(children.size()));
    uint32_t offset = static_cast<uint32_t>(4 + 4 * lists.size());
    for (const Bytes& list : lists) {
        PutU32(block, offset);
        offset += static_cast<uint32_t>(list.size());
    }
    for (const Bytes& list : lists) block.insert(block.end(), list.begin(), list.end());
    return block;
}

// The rendered block's bytes, exactly GlobalSize of them; the block is freed.
Bytes Rendered(const CItemDataObject& data) {
    HGLOBAL block = data.RenderIdListArray();
    EXPECT_NE(block, nullptr);
    if (!block) return {};
    const SIZE_T size = GlobalSize(block);
    const auto* at = static_cast<const uint8_t*>(GlobalLock(block));
    Bytes bytes(at, at + size);
    GlobalUnlock(block);
    GlobalFree(block);
    return bytes;
}

// A key of `length` characters, so that its list is length + 5 bytes.
std::string LongKey(int index, size_t length) {
    std::string key = "TEST_TREE\tApp" + std::to_string(index) + " ";
    key.resize(length, static_cast<char>('a' + index % 26));
    return key;
}

CItemIdList FolderList() { return RootIdList() + CItemIdList("TEST_TREE\t") + CItemIdList("TEST_TREE\tTools"); }

// A single item list of `size` bytes (terminator included).
CItemIdList ListOfSize(size_t size) {
    std::string key(size - 5, 'p');
    return CItemIdList(key.c_str());
}

}  // namespace

TEST(ItemDataObjectTest, RendersTheIdListArrayByteForByte) {
    struct Case {
        const char* name;
        CItemIdList parent;
        std::vector<CItemIdList> children;
        size_t size;  // the block's exact size
    };
    std::vector<CItemIdList> twenty;
    for (int i = 0; i < 20; ++i) twenty.emplace_back(LongKey(i, 290).c_str());
    const std::vector<Case> cases = {
        // cidl 0, aoffset[0] 8, then the parent list.
        {"no children", FolderList(), {}, 8 + FolderList().GetSize()},
        // 20 lists of 295 bytes: more than 300 a list would hold with the
        // parent's 304 after them.
        {"twenty long children", FolderList(), twenty, 4 + 4 * 21 + FolderList().GetSize() + 20 * 295},
        // A parent larger than the 304 bytes once allocated for it.
        {"a 400-byte parent alone", ListOfSize(400), {}, 8 + 400},
        // An empty parent is its terminator: every offset names a list.
        {"an empty parent", CItemIdList(), {CItemIdList("TEST_TREE\tcalc.acme")}, 12 + 2 + 24},
        {"an empty child", FolderList(), {CItemIdList(), CItemIdList("TEST_TREE\tedit.acme")},
         16 + FolderList().GetSize() + 2 + 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CItemDataObject* data = new CItemDataObject(c.parent);
        for (const CItemIdList& child : c.children) data->Add(child);
        const Bytes bytes = Rendered(*data);
        EXPECT_EQ(bytes.size(), c.size);
        EXPECT_EQ(data->GetRenderedSize(), c.size);
        EXPECT_EQ(bytes, Expected(c.parent, c.children));
        // The shell's reader of such blocks takes it whole.
        IdListArray read;
        ASSERT_TRUE(ReadIdListArray(bytes.data(), bytes.size(), read));
        EXPECT_EQ(read.items.size(), c.children.size());
        data->Release();
    }
}

TEST(ItemDataObjectTest, NoChildrenGiveCountZeroAndTheParentAtEight) {
    CItemDataObject* data = new CItemDataObject(FolderList());
    const Bytes bytes = Rendered(*data);
    ASSERT_GE(bytes.size(), 8u);
    const Bytes head(bytes.begin(), bytes.begin() + 8);
    EXPECT_EQ(head, (Bytes{0, 0, 0, 0, 8, 0, 0, 0}));
    data->Release();
}

TEST(ItemDataObjectTest, GetDataChecksAspectIndexMediumAndFormatInThatOrder) {
    CItemDataObject* data = new CItemDataObject(FolderList());
    data->Add(CItemIdList("TEST_TREE\tcalc.acme"));
    const FORMATETC good = CItemDataObject::GetFormat();
    EXPECT_STREQ([&] {
        static char name[64];
        GetClipboardFormatNameA(good.cfFormat, name, sizeof(name));
        return name;
    }(), "Shell IDList Array");
    struct Case {
        const char* name;
        DWORD aspect;
        LONG index;
        DWORD tymed;
        CLIPFORMAT format;
        HRESULT expected;
    };
    const CLIPFORMAT other = CF_HDROP;
    const std::vector<Case> cases = {
        {"all wrong", 4, 0, TYMED_ISTREAM, other, DV_E_DVASPECT},
        {"index, medium and format wrong", DVASPECT_CONTENT, 0, TYMED_ISTREAM, other, DV_E_LINDEX},
        {"medium and format wrong", DVASPECT_CONTENT, -1, TYMED_ISTREAM, other, DV_E_TYMED},
        {"format wrong", DVASPECT_CONTENT, -1, TYMED_HGLOBAL, other, DV_E_FORMATETC},
        {"another medium beside global memory", DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM, good.cfFormat,
         S_OK},
        {"all right", DVASPECT_CONTENT, -1, TYMED_HGLOBAL, good.cfFormat, S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FORMATETC format{c.format, nullptr, c.aspect, c.index, c.tymed};
        EXPECT_EQ(data->QueryGetData(&format), c.expected);
        STGMEDIUM medium{};
        medium.tymed = TYMED_ISTREAM;  // cleared whatever the answer
        EXPECT_EQ(data->GetData(&format, &medium), c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
            ASSERT_NE(medium.hGlobal, nullptr);
            EXPECT_EQ(GlobalSize(medium.hGlobal), data->GetRenderedSize());
            EXPECT_EQ(medium.pUnkForRelease, nullptr);
            ReleaseStgMedium(&medium);
        } else {
            EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));
            EXPECT_EQ(medium.hGlobal, nullptr);
        }
    }
    FORMATETC format = good;
    STGMEDIUM medium{};
    EXPECT_EQ(data->GetData(nullptr, &medium), E_INVALIDARG);
    EXPECT_EQ(data->GetData(&format, nullptr), E_INVALIDARG);
    EXPECT_EQ(data->QueryGetData(nullptr), E_INVALIDARG);
    EXPECT_EQ(data->GetDataHere(&format, &medium), E_NOTIMPL);
    EXPECT_EQ(data->GetDataHere(nullptr, &medium), E_INVALIDARG);
    EXPECT_EQ(data->SetData(&format, &medium, FALSE), E_FAIL);
    EXPECT_EQ(data->GetCanonicalFormatEtc(&format, &format), DATA_S_SAMEFORMATETC);
    EXPECT_EQ(data->DAdvise(&format, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
    data->Release();
}

namespace {

// A data object whose block cannot be made, as when global memory runs out.
class CUnrenderableDataObject : public CItemDataObject {
public:
    using CItemDataObject::CItemDataObject;
    HGLOBAL RenderIdListArray() const override { return nullptr; }
};

}  // namespace

TEST(ItemDataObjectTest, ABlockThatCannotBeMadeIsOutOfMemoryNotAnEmptySuccess) {
    CItemDataObject* data = new CUnrenderableDataObject(FolderList());
    FORMATETC format = CItemDataObject::GetFormat();
    STGMEDIUM medium{};
    EXPECT_EQ(data->GetData(&format, &medium), E_OUTOFMEMORY);
    EXPECT_EQ(medium.hGlobal, nullptr);
    EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));
    data->Release();
}

TEST(ItemDataObjectTest, TheDragDropsWhenNoButtonIsHeldAndEndsOnEscape) {
    CItemDataObject* data = new CItemDataObject(FolderList());
    IDropSource* source = nullptr;
    ASSERT_EQ(data->QueryInterface(IID_IDropSource, reinterpret_cast<void**>(&source)), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON | MK_SHIFT), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_SHIFT), DRAGDROP_S_DROP);
    EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    // Every part shares the object's one count.
    EXPECT_EQ(source->Release(), 1u);
    EXPECT_EQ(data->AddRef(), 2u);
    EXPECT_EQ(data->Release(), 1u);
    void* none = nullptr;
    EXPECT_EQ(data->QueryInterface(IID_IDropTarget, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    data->Release();
}

TEST(ItemDataObjectTest, TheEnumeratorGivesTheOneFormatOnceAndClonesTheObject) {
    CItemDataObject* data = new CItemDataObject(FolderList());
    data->Add(CItemIdList("TEST_TREE\tcalc.acme"));
    IEnumFORMATETC* none = reinterpret_cast<IEnumFORMATETC*>(data);
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &none), OLE_S_USEREG);
    EXPECT_EQ(none, nullptr);

    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    FORMATETC got[5] = {};
    ULONG fetched = 7;
    EXPECT_EQ(formats->Next(5, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].cfFormat, CItemDataObject::GetFormat().cfFormat);
    EXPECT_EQ(got[0].dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    EXPECT_EQ(got[0].lindex, -1);
    EXPECT_EQ(got[0].tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(got[1].cfFormat, 0);
    EXPECT_EQ(formats->Next(5, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(1), S_OK);
    EXPECT_EQ(formats->Next(1, got, nullptr), S_FALSE);
    EXPECT_EQ(formats->Next(0, got, &fetched), S_FALSE);

    // A clone carries the lists: it renders the same block on its own.
    EXPECT_EQ(formats->Clone(nullptr), S_FALSE);
    formats->Reset();
    IEnumFORMATETC* copy = nullptr;
    ASSERT_EQ(formats->Clone(&copy), S_OK);
    IDataObject* cloned = nullptr;
    ASSERT_EQ(copy->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&cloned)), S_OK);
    copy->Release();
    formats->Release();
    FORMATETC format = CItemDataObject::GetFormat();
    STGMEDIUM mine{}, theirs{};
    ASSERT_EQ(data->GetData(&format, &mine), S_OK);
    ASSERT_EQ(cloned->GetData(&format, &theirs), S_OK);
    ASSERT_EQ(GlobalSize(mine.hGlobal), GlobalSize(theirs.hGlobal));
    EXPECT_EQ(std::memcmp(GlobalLock(mine.hGlobal), GlobalLock(theirs.hGlobal), GlobalSize(mine.hGlobal)), 0);
    GlobalUnlock(mine.hGlobal);
    GlobalUnlock(theirs.hGlobal);
    ReleaseStgMedium(&mine);
    ReleaseStgMedium(&theirs);
    cloned->Release();
    data->Release();
}
