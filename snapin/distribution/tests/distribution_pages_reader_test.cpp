// The reader of the INI Settings, Macros, Icons and Shortcuts and Text Files
// pages with the held launcher library: which reads and imports go to the
// worker behind the wait dialog, the sheet held open meanwhile, the rows
// built once the worker is released, and a page cancelled while it reads.
#include <thread>

#include "hold_library/hold_library.h"
#include "page_host_fixture.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/icons_page.h"
#include "snapin/distribution/ini_files_page.h"
#include "snapin/distribution/macros_page.h"
#include "snapin/distribution/text_files_page.h"

namespace {

namespace ui = vpr::user::ui;
using vpr::user::ModalElement;

CDistributionPage* g_page = nullptr;
template <class Page>
CDialog* Make() {
    auto* page = new Page;
    g_page = page;
    return page;
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

std::string WaitText() {
    char text[256] = {};
    if (HWND wait = WaitDialog()) GetDlgItemTextA(wait, IDC_READING_TEXT, text, sizeof text);
    return text;
}

// A template of exactly `size` bytes: the entries, then a directory entry
// (which none of these pages reads) filling it up.
std::string SizedTemplate(const std::function<void(HFILE)>& entries, size_t size) {
    size_t used = TemplateBytes(entries).size();
    return TemplateBytes([&](HFILE f) {
        entries(f);
        if (size > used) kmapptWriteDirEntry(f, 1, 0, std::string(size - used - 20, 'D').c_str());
    });
}

void IniEntry(HFILE f) { kmapptWriteIdentEntry(f, 1, 4, "WIN.INI", "windows", "load", "app.exe"); }

class PagesReaderTest : public PageHostFixture {
protected:
    template <class Fn>
    Fn Hold(const char* name) {
        auto fn = reinterpret_cast<Fn>(GetProcAddress(hold_, name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }
    void StartPage(const PageSlot& slot) {
        StartHeld({slot});
        arm_ = Hold<HoldArmFn>("HoldArm");
        release_ = Hold<HoldReleaseFn>("HoldRelease");
        waitHeld_ = Hold<HoldWaitUntilHeldFn>("HoldWaitUntilHeld");
        waitFreed_ = Hold<HoldWaitUntilFreedFn>("HoldWaitUntilFreed");
    }
    void TearDown() override {
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        PageHostFixture::TearDown();
    }
    HoldArmFn arm_ = nullptr;
    HoldReleaseFn release_ = nullptr;
    HoldWaitUntilHeldFn waitHeld_ = nullptr;
    HoldWaitUntilFreedFn waitFreed_ = nullptr;
};

TEST_F(PagesReaderTest, TheIniPageReads1024BytesAtOnceAnd1025BehindTheWaitDialog) {
    StartPage({57, 320, 1, Make<CIniFilesPage>});
    tree_.Stream(kObject, snapin::kAttrIniSettings, SizedTemplate(IniEntry, 1024));
    Details(0, [&](HWND, HWND page) {
        EXPECT_EQ(WaitDialog(), nullptr);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_INI_FILE_LIST, LB_GETCOUNT, 0, 0), 1);
    });
    tree_.Stream(kObject, snapin::kAttrIniSettings, SizedTemplate(IniEntry, 1025));
    arm_();
    Details(0, [&](HWND sheet, HWND page) {
        waitHeld_();
        EXPECT_EQ(WaitText(), "Loading INI Settings...");
        EXPECT_EQ(g_page->CanClose(), 0);
        ui::Click(sheet, IDOK);  // the sheet stays while the page reads
        EXPECT_TRUE(ui::IsOpen(sheet));
        release_();
        PumpUntil([] { return !g_page->IsReaderRunning(); });
        EXPECT_EQ(WaitDialog(), nullptr);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_INI_FILE_LIST, LB_GETCOUNT, 0, 0), 1);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_INI_NEW_FILE)));
    });
}

// One page's import of 1025 bytes: the wait text, CanClose, and the entry
// shown once the worker is released.
struct ImportCase {
    PageSlot slot;
    int importButton;
    const char* waitText;
    std::function<void(HFILE)> entry;
    std::function<int(HWND page)> rows;
};

int ListRows(HWND page, int id) { return static_cast<int>(SendDlgItemMessageA(page, id, LVM_GETITEMCOUNT, 0, 0)); }

const ImportCase kImports[] = {
    {{57, 320, 1, Make<CIniFilesPage>}, IDC_INI_IMPORT, "Importing INI Settings...", IniEntry,
     [](HWND page) { return static_cast<int>(SendDlgItemMessageA(page, IDC_INI_FILE_LIST, LB_GETCOUNT, 0, 0)); }},
    {{65, 322, 1, Make<CMacrosPage>}, IDC_MACRO_IMPORT, "Importing Macro Settings...",
     [](HFILE f) { kmapptWriteMacroEntry(f, 1, "HOME", "H:\\"); }, [](HWND page) { return ListRows(page, IDC_MACRO_LIST); }},
    {{183, 373, 1, Make<CIconsPage>}, IDC_ICON_IMPORT, "Importing Application Icon Links...",
     [](HFILE f) { kmapptWritePMGroupEntry(f, 1, "Games"); }, [](HWND page) { return ListRows(page, IDC_ICON_LIST); }},
    {{69, 324, 1, Make<CTextFilesPage>}, IDC_TEXT_IMPORT, "Importing Text Files...",
     [](HFILE f) { kmapptWriteTextAddEntry(f, 2, "C:\\AUTOEXEC.BAT", "SET A=1"); },
     [](HWND page) { return ListRows(page, IDC_TEXT_LIST); }},
};

class PageImportTest : public PagesReaderTest, public ::testing::WithParamInterface<int> {};

TEST_P(PageImportTest, AnImportOf1025BytesRunsOnTheWorkerAndTheSheetWaitsForIt) {
    const ImportCase& c = kImports[GetParam()];
    StartPage(c.slot);
    std::string bytes = SizedTemplate(c.entry, 1025);
    ASSERT_EQ(bytes.size(), 1025u);
    FILE* out = std::fopen((machine_.root() + "/c/BIG.QMT").c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    arm_();
    // The held library writes no templates: the sheet is cancelled.
    Details(
        0,
        [&](HWND, HWND page) {
            auto importBig = [&] {
                driver_.OnFileDialog([](const ModalElement& dialog) {
                    ui::ReplaceText(dialog.window, 1152, "C:\\BIG.QMT");
                    ui::Click(dialog.window, IDOK);
                });
                ui::Click(page, c.importButton);
                waitHeld_();
            };
            importBig();
            EXPECT_EQ(WaitText(), c.waitText);
            EXPECT_EQ(g_page->CanClose(), 0);
            EXPECT_EQ(c.rows(page), 0);
            release_();
            PumpUntil([] { return !g_page->IsReaderRunning(); });
            EXPECT_EQ(g_page->CanClose(), 1);
            EXPECT_EQ(WaitDialog(), nullptr);
            EXPECT_EQ(c.rows(page), 1);
            // Again, while the first worker may still free its list: the
            // second waits for it, and the same entry adds no row.
            arm_();
            importBig();
            release_();
            PumpUntil([] { return !g_page->IsReaderRunning(); });
            EXPECT_EQ(c.rows(page), 1);
        },
        false);
}

std::string PageName(const ::testing::TestParamInfo<int>& info) {
    static const char* const kNames[] = {"IniSettings", "Macros", "IconsAndShortcuts", "TextFiles"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Pages, PageImportTest, ::testing::Range(0, 4), PageName);

TEST_F(PagesReaderTest, TheIniPageCancelledWhileItReadsGoesAndItsWorkerTouchesNothingOnceReleased) {
    auto clock = std::make_shared<vpr::win::ManualClock>();
    vpr::win::SetClock(clock);
    StartPage({57, 320, 1, Make<CIniFilesPage>});
    tree_.Stream(kObject, snapin::kAttrIniSettings, SizedTemplate(IniEntry, 5000));
    arm_();
    std::thread advance;
    auto outcome = Details(
        0,
        [&](HWND sheet, HWND) {
            waitHeld_();
            advance = std::thread([&] {
                clock->WaitForTimedWaiters(1);
                clock->Advance(30000);
            });
            ui::Click(sheet, IDCANCEL);
        },
        false);
    advance.join();
    EXPECT_FALSE(outcome.confirmed);
    host_.Stop();  // the page and its model are deleted
    release_();
    waitFreed_();  // the worker freed its list and touched nothing else
}

}  // namespace
