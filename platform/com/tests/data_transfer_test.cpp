#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "shellapi.h"
#include "vpr/com/drop_files.h"
#include "vpr/com/id_list.h"
#include "vpr/user/ui_driver.h"

using namespace vpr::com;

namespace {

constexpr GUID kNameSpace = {0x5B2D7E10, 0x4C3A, 0x11D0, {0x9E, 0x61, 0x00, 0xA0, 0xC9, 0xD4, 0xF2, 0x7B}};

// A data object of one format, the parent and child lists as a CIDA, and
// its own drop source; it counts its references.
class CidaObject final : public IDataObject, public IEnumFORMATETC, public IDropSource {
public:
    CidaObject(IdListBytes parent, std::vector<IdListBytes> children)
        : parent_(std::move(parent)), children_(std::move(children)) {
        format_ = {static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLIDLIST)), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_HGLOBAL};
    }
    std::vector<uint8_t> Rendered() const {
        std::vector<uint8_t> out(4 * children_.size() + 8, 0);
        auto put = [&](size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); };
        put(0, static_cast<uint32_t>(children_.size()));
        put(4, static_cast<uint32_t>(out.size()));
        out.insert(out.end(), parent_.begin(), parent_.end());
        for (size_t i = 0; i < children_.size(); ++i) {
            put(8 + 4 * i, static_cast<uint32_t>(out.size()));
            out.insert(out.end(), children_[i].begin(), children_[i].end());
        }
        return out;
    }
    ULONG References() const { return references_; }
    std::vector<std::string> calls;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) *object = static_cast<IDataObject*>(this);
        if (IsEqualIID(iid, IID_IDropSource)) *object = static_cast<IDropSource*>(this);
        if (IsEqualIID(iid, IID_IEnumFORMATETC)) {
            position_ = 0;
            *object = static_cast<IEnumFORMATETC*>(this);
        }
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }  // the test owns it
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        *medium = STGMEDIUM{};
        if (format->cfFormat != format_.cfFormat) return DV_E_FORMATETC;
        std::vector<uint8_t> bytes = Rendered();
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = GlobalAlloc(GHND, bytes.size());
        std::memcpy(GlobalLock(medium->hGlobal), bytes.data(), bytes.size());
        GlobalUnlock(medium->hGlobal);
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return format->cfFormat == format_.cfFormat ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return DATA_S_SAMEFORMATETC; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_FAIL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        *out = nullptr;
        if (direction != DATADIR_GET) return OLE_S_USEREG;
        return QueryInterface(IID_IEnumFORMATETC, reinterpret_cast<void**>(out));
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
        bool give = count && out && position_ <= 0;
        if (give) {
            *out = format_;
            ++position_;
        }
        if (fetched) *fetched = give ? 1 : 0;
        return give ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG n) override {
        position_ += static_cast<int>(n);
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        calls.push_back(escape ? "continue escape" : (keys & MK_LBUTTON) ? "continue held" : "continue released");
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & (MK_LBUTTON | MK_RBUTTON)) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD effect) override {
        calls.push_back("feedback " + std::to_string(effect));
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    IdListBytes parent_;
    std::vector<IdListBytes> children_;
    FORMATETC format_;
    int position_ = 0;
    std::atomic<ULONG> references_{1};
};

IdListBytes KeyList(const std::string& key) {
    IdListBytes list(key.size() + 3, 0);
    list[0] = static_cast<uint8_t>(key.size() + 3);
    std::memcpy(list.data() + 2, key.data(), key.size());
    list.push_back(0);
    list.push_back(0);
    return list;
}

std::vector<uint8_t> BlockBytes(HGLOBAL block) {
    auto* p = static_cast<const uint8_t*>(GlobalLock(block));
    std::vector<uint8_t> out(p, p + GlobalSize(block));
    GlobalUnlock(block);
    return out;
}

TEST(OleClipboard, AFlushKeepsEveryFormatByteForByte) {
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    CidaObject data(NameSpaceIdList(kNameSpace), {KeyList("tree\tApps"), KeyList("tree\tGames")});
    ASSERT_EQ(OleSetClipboard(&data), S_OK);
    EXPECT_EQ(OleIsCurrentClipboard(&data), S_OK);
    IDataObject* got = nullptr;
    ASSERT_EQ(OleGetClipboard(&got), S_OK);
    EXPECT_EQ(got, &data);  // before a flush: the object itself
    got->Release();

    ASSERT_EQ(OleFlushClipboard(), S_OK);
    EXPECT_EQ(data.References(), 1u);  // the clipboard let it go
    ASSERT_EQ(OleGetClipboard(&got), S_OK);
    EXPECT_NE(got, &data);
    FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatA("shell idlist array")), nullptr, DVASPECT_CONTENT, -1,
                     TYMED_HGLOBAL};
    STGMEDIUM medium{};
    ASSERT_EQ(got->GetData(&format, &medium), S_OK);
    EXPECT_EQ(BlockBytes(medium.hGlobal), data.Rendered());
    ReleaseStgMedium(&medium);
    format.cfFormat = CF_HDROP;
    EXPECT_EQ(got->GetData(&format, &medium), DV_E_FORMATETC);
    got->Release();
    OleSetClipboard(nullptr);
    OleUninitialize();
}

// A process that ends with a flushed copy on the clipboard frees it: under
// the leak checker a copy left behind makes the process end with an error.
TEST(OleClipboardDeathTest, AFlushedCopyGoesWithTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            OleInitialize(nullptr);
            CidaObject data(NameSpaceIdList(kNameSpace), {KeyList("tree\tApps")});
            OleSetClipboard(&data);
            OleFlushClipboard();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(DropFiles, NamesReadBackCutToTheBufferAndNeverPastTheBlock) {
    HGLOBAL block = MakeDropFiles({"C:\\A.TXT", "C:\\LONGER NAME.DOC"});
    EXPECT_EQ(DragQueryFileA(block, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileA(block, 1, nullptr, 0), 18u);
    char name[8];
    EXPECT_EQ(DragQueryFileA(block, 1, name, sizeof(name)), 7u);
    EXPECT_STREQ(name, "C:\\LONG");
    EXPECT_EQ(DragQueryFileA(block, 2, name, sizeof(name)), 0u);
    // A list without its end stops at the block's end.
    HGLOBAL cut = GlobalReAlloc(block, sizeof(DROPFILES) + 6, GMEM_MOVEABLE);
    EXPECT_TRUE(DropFilesPaths(cut).empty());
    DragFinish(cut);
}

// A drop target recording its calls, answering `answer` from enter and over.
class RecordingTarget final : public IDropTarget {
public:
    explicit RecordingTarget(DWORD answer) : answer_(answer) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropTarget)) return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }
    STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL point, DWORD* effect) override {
        calls.push_back("enter " + std::to_string(point.x) + "," + std::to_string(point.y));
        *effect = answer_;
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
        calls.push_back("over");
        *effect = answer_;
        return S_OK;
    }
    STDMETHODIMP DragLeave() override {
        calls.push_back("leave");
        return S_OK;
    }
    STDMETHODIMP Drop(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
        calls.push_back("drop keys " + std::to_string(keys));
        *effect = answer_;
        return S_OK;
    }
    ULONG References() const { return references_; }
    std::vector<std::string> calls;

private:
    DWORD answer_;
    std::atomic<ULONG> references_{1};
};

TEST(DragDrop, TableOfDrops) {
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    vpr::user::UiDriver driver;
    HWND window = CreateWindowExA(0, "STATIC", "target", WS_POPUP | WS_VISIBLE, 100, 50, 200, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND child = CreateWindowExA(0, "STATIC", "inner", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, window, nullptr, nullptr,
                                 nullptr);
    HWND elsewhere = CreateWindowExA(0, "STATIC", "no target", WS_POPUP | WS_VISIBLE, 400, 50, 100, 100, nullptr,
                                     nullptr, nullptr, nullptr);
    struct Case {
        const char* what;
        DWORD answer;     // the target's effect
        bool escape;
        HWND* place;      // where the person lets go
        HRESULT result;
        DWORD effect;
        std::vector<std::string> targetCalls;
        std::vector<std::string> sourceCalls;
    };
    const Case cases[] = {
        {"drop on a target's child", DROPEFFECT_COPY | DROPEFFECT_MOVE, false, &child, DRAGDROP_S_DROP, DROPEFFECT_COPY,
         {"enter 115,65", "over", "drop keys 0"},
         {"continue held", "feedback 1", "feedback 1", "continue released"}},
        {"over no target", DROPEFFECT_COPY, false, &elsewhere, DRAGDROP_S_DROP, DROPEFFECT_NONE, {},
         {"continue held", "feedback 0", "continue released"}},
        {"Escape", DROPEFFECT_COPY, true, &window, DRAGDROP_S_CANCEL, DROPEFFECT_NONE, {}, {"continue escape"}},
        {"a link-only target", DROPEFFECT_LINK, false, &window, DRAGDROP_S_DROP, DROPEFFECT_NONE,
         {"enter 105,55", "over", "leave"},
         {"continue held", "feedback 0", "feedback 0", "continue released"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingTarget target(c.answer);
        ASSERT_EQ(RegisterDragDrop(window, &target), S_OK);
        EXPECT_EQ(RegisterDragDrop(window, &target), DRAGDROP_E_ALREADYREGISTERED);
        CidaObject data(NameSpaceIdList(kNameSpace), {KeyList("k")});
        driver.OnDrag([&](const vpr::user::DragStart& start) {
            EXPECT_EQ(start.allowedEffects, static_cast<DWORD>(DROPEFFECT_COPY));
            vpr::user::DropPlace place;
            place.escape = c.escape;
            place.window = *c.place;
            place.point = {5, 5};
            return place;
        });
        DWORD effect = 99;
        EXPECT_EQ(DoDragDrop(&data, &data, DROPEFFECT_COPY, &effect), c.result);
        EXPECT_EQ(effect, c.effect);
        EXPECT_EQ(target.calls, c.targetCalls);
        EXPECT_EQ(data.calls, c.sourceCalls);
        EXPECT_EQ(RevokeDragDrop(window), S_OK);
        EXPECT_EQ(target.References(), 1u);
        EXPECT_EQ(data.References(), 1u);
    }
    EXPECT_TRUE(driver.Failures().empty());
    // A drag nobody expects is a failure, and cancelled.
    CidaObject data(NameSpaceIdList(kNameSpace), {});
    DWORD effect = 0;
    EXPECT_EQ(DoDragDrop(&data, &data, DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
    EXPECT_EQ(driver.Failures().size(), 1u);
    EXPECT_EQ(RevokeDragDrop(window), DRAGDROP_E_NOTREGISTERED);
    DestroyWindow(window);
    DestroyWindow(elsewhere);
    OleUninitialize();
}

}  // namespace
