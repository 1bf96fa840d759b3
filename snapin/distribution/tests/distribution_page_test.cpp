// What every distribution page does alike with its stream, on the
// Application Files page: the size that moves reading to the worker, the
// sheet held open while it reads, a page whose window goes while its worker
// is held, saves that fail, and imports.
#include <thread>

#include "hold_library/hold_library.h"
#include "page_host_fixture.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/app_files_page.h"
#include "snapin/distribution/distribution_resource.h"

namespace {

namespace ui = vpr::user::ui;
namespace faults = vpr::directory::faults;
using vpr::user::ModalElement;

// The page, with what CanClose answered at the end of each initialisation.
class CProbedAppFilesPage : public CAppFilesPage {
public:
    BOOL OnInitDialog() override {
        BOOL result = CAppFilesPage::OnInitDialog();
        answers.push_back(CanClose());
        return result;
    }
    std::vector<BOOL> answers;
};

CProbedAppFilesPage* g_page = nullptr;
CDialog* MakePage() { return g_page = new CProbedAppFilesPage; }
const std::vector<PageSlot> kSlots = {{58, 321, 1, MakePage}};

// A template of exactly `size` bytes: one directory entry after the signature.
void SizedTemplate(HFILE file, size_t size) {
    size_t path = size - 8 - 20;
    kmapptWriteDirEntry(file, 1, 0, ("C:\\" + std::string(path - 3, 'D')).c_str());
}

// The wait dialog over the page, when there is one.
HWND WaitDialog() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM out) -> BOOL {
            if (vpr::user::DialogTemplateId(window) != IDD_READING_REGISTRY || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(out) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string Text(HWND window, int id) {
    char text[256] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

class HeldReaderTest : public PageHostFixture {
protected:
    void SetUp() override {
        StartHeld(kSlots);
        arm_ = Hold<HoldArmFn>("HoldArm");
        release_ = Hold<HoldReleaseFn>("HoldRelease");
        waitHeld_ = Hold<HoldWaitUntilHeldFn>("HoldWaitUntilHeld");
        waitFreed_ = Hold<HoldWaitUntilFreedFn>("HoldWaitUntilFreed");
        lastCaller_ = Hold<HoldLastCallerFn>("HoldLastCaller");
    }
    template <class Fn>
    Fn Hold(const char* name) {
        auto fn = reinterpret_cast<Fn>(GetProcAddress(hold_, name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }
    HoldArmFn arm_ = nullptr;
    HoldReleaseFn release_ = nullptr;
    HoldWaitUntilHeldFn waitHeld_ = nullptr;
    HoldWaitUntilFreedFn waitFreed_ = nullptr;
    HoldLastCallerFn lastCaller_ = nullptr;
};

TEST_F(HeldReaderTest, UpTo1024BytesAreReadAtOnceAndMoreOnTheWorkerBehindTheWaitDialog) {
    Stream(snapin::kAttrCopyFiles, [](HFILE f) { SizedTemplate(f, 1024); });
    Details(0, [&](HWND, HWND page) {
        EXPECT_EQ(lastCaller_(), GetCurrentThreadId());
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_APP_FILES_LIST, LVM_GETITEMCOUNT, 0, 0), 1);
        EXPECT_EQ(WaitDialog(), nullptr);
    });

    Stream(snapin::kAttrCopyFiles, [](HFILE f) { SizedTemplate(f, 1025); });
    arm_();
    Details(0, [&](HWND sheet, HWND page) {
        waitHeld_();
        EXPECT_NE(lastCaller_(), GetCurrentThreadId());
        HWND wait = WaitDialog();
        EXPECT_NE(wait, nullptr);
        if (wait) {
            EXPECT_EQ(Text(wait, IDC_READING_TEXT), "Loading Application Files...");
        }
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_APP_FILES_LIST)));
        // OK does not close the sheet while the page reads.
        ui::Click(sheet, IDOK);
        EXPECT_TRUE(ui::IsOpen(sheet));
        release_();
        PumpUntil([] { return !g_page->IsReaderRunning(); });
        EXPECT_EQ(WaitDialog(), nullptr);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_APP_FILES_LIST, LVM_GETITEMCOUNT, 0, 0), 1);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_APP_FILES_ADD)));
    });
    EXPECT_TRUE(driver_.Failures().empty());
}

TEST_F(HeldReaderTest, TheSheetCannotCloseFromTheFirstMomentOfALargeRead) {
    Stream(snapin::kAttrCopyFiles, [](HFILE f) { SizedTemplate(f, 4000); });
    for (int round = 0; round < 20; ++round) {
        Details(0, [&](HWND, HWND) { PumpUntil([] { return !g_page->IsReaderRunning(); }); });
    }
    ASSERT_EQ(g_page->answers.size(), 20u);
    for (BOOL answer : g_page->answers) EXPECT_EQ(answer, 0);
}

TEST_F(HeldReaderTest, ACancelledPageGoesAfter30SecondsAndItsWorkerTouchesNothingOnceReleased) {
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    Stream(snapin::kAttrCopyFiles, [](HFILE f) { SizedTemplate(f, 5000); });
    arm_();
    std::thread advance;
    auto outcome = Details(
        0,
        [&](HWND sheet, HWND) {
            waitHeld_();
            // The page waits for its worker on the clock when its window goes.
            advance = std::thread([&] {
                clock->WaitForTimedWaiters(1);
                clock->Advance(30000);
            });
            ui::Click(sheet, IDCANCEL);
        },
        false);
    advance.join();
    EXPECT_FALSE(outcome.confirmed);
    host_.Stop();  // the pages are deleted
    release_();
    waitFreed_();  // the worker freed its list and touched nothing else
}

class SaveFailureTest : public PageHostFixture {
protected:
    // Three directory entries, a fault, OK: the page's code, the page still
    // modified, and the host's message shown once.
    void ExpectSaveFails(const std::function<void()>& fault, LONG code) {
        int messages = 0;
        driver_.OnMessageBox("The \"Application Files\" page failed to save data to KDS.  Error code: " +
                                 std::to_string(code),
                             [&](const ModalElement& box) {
                                 ++messages;
                                 ui::Click(box.window, IDOK);
                             });
        auto outcome = Details(0, [&](HWND, HWND) {
            for (const char* path : {"C:\\A3", "C:\\A1", "C:\\A2"}) g_page->AddFileRow("<directory>", path, 2, 1, 0);
            g_page->SetModified();
            fault();
        });
        faults::Reset();
        EXPECT_EQ(outcome.saveResult, -1);
        EXPECT_EQ(messages, 1);
        EXPECT_TRUE(g_page->IsModified());
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
    }
};

TEST_F(SaveFailureTest, AFailedStepOfTheSaveReturnsItsCode) {
    Start(kSlots);
    {
        SCOPED_TRACE("the stream value cannot be made");
        ExpectSaveFails([] { faults::FailModify(-650); }, -650);
    }
    tree_.Stream(kObject, snapin::kAttrCopyFiles, TemplateBytes(nullptr));
    {
        SCOPED_TRACE("the signature cannot be written");
        ExpectSaveFails([] { faults::FailStreamWritesAfter(0); }, -2);
    }
    {
        SCOPED_TRACE("the third record cannot be written");
        ExpectSaveFails([] { faults::FailStreamWritesAfter(8 + 2 * 25); }, -2);
    }
}

TEST_F(SaveFailureTest, AnObjectWithoutTheAttributeFailsWithItsCode) {
    Start(kSlots, false);
    ExpectSaveFails([] {}, -603);
}

class ImportTest : public PageHostFixture {
protected:
    void SetUp() override { Start(kSlots); }
    void Import(HWND page, const std::string& path) {
        driver_.OnFileDialog([path](const ModalElement& dialog) {
            ui::ReplaceText(dialog.window, 1152, path);  // the file name edit
            ui::Click(dialog.window, IDOK);
        });
        ui::Click(page, IDC_APP_FILES_IMPORT);
    }
};

TEST_F(ImportTest, AFileWithoutTheSignatureChangesNothingAndTheSameTemplateTwiceAddsOnce) {
    std::string folder = machine_.root() + "/c";
    std::string bytes = TemplateBytes([](HFILE f) {
        kmapptWriteFileEntry(f, 1, 0x8, "\\\\SRV\\SYS\\A.EXE", "C:\\APP\\A.EXE");
        kmapptWriteDirEntry(f, 1, 0, "C:\\APP\\DATA");
    });
    {
        FILE* out = std::fopen((folder + "/APP.QMT").c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        out = std::fopen((folder + "/BAD.QMT").c_str(), "wb");
        std::fwrite("NOT A TEMPLATE", 1, 14, out);
        std::fclose(out);
    }
    auto outcome = Details(0, [&](HWND, HWND page) {
        Import(page, "C:\\BAD.QMT");
        EXPECT_FALSE(g_page->IsModified());
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_APP_FILES_LIST, LVM_GETITEMCOUNT, 0, 0), 0);
        Import(page, "C:\\APP.QMT");
        Import(page, "C:\\APP.QMT");
        EXPECT_TRUE(g_page->IsModified());
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_APP_FILES_LIST, LVM_GETITEMCOUNT, 0, 0), 2);
    });
    EXPECT_EQ(outcome.saveResult, 0);
    EXPECT_EQ(Saved(snapin::kAttrCopyFiles), (Records{"[File Copy]\nFlag=Update Create\nSource=\\\\SRV\\SYS\\A.EXE\nTarget=C:\\APP\\A.EXE",
                                              "[Directory Create]\nDirectory=C:\\APP\\DATA"}));
    EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
}

}  // namespace
