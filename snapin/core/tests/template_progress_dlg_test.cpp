// Creation from a template and export to one, on a real tree through the
// bound KMAPP32.DLL: where each record of a template lands in an object, the
// defaults, a round trip, and the failures the administrator is told of.
#include <gtest/gtest.h>

#include "application_tree_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/export_app_object.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/core/template_progress_dlg.h"
#include "stored_values.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/directory/faults.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/file_fault.h"

namespace faults = vpr::directory::faults;
using vpr::user::ModalElement;
namespace ui = vpr::user::ui;
using Texts = std::vector<std::string>;

namespace {


// A record as a comparable text: kind/subtype and its file form in hex.
std::string RecordText(const TemplateEntry* entry) {
    SerializedEntry* serialized = nullptr;
    if (theAppLibrary.TemplateWriteEntry(entry, &serialized) != 0 || !serialized) return "?";
    std::string text = std::to_string(entry->kind) + "/" + std::to_string(entry->subtype) + " ";
    char hex[3];
    for (DWORD i = 0; i < serialized->size; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", serialized->data[i]);
        text += hex;
    }
    theAppLibrary.TemplateFreeWriteEntry(serialized);
    return text;
}

// The records after the signature of an open template file or stream.
Texts Records(HFILE file) {
    Texts records;
    if (theAppLibrary.TemplateVerifySignature(file) != 0) return {"no signature"};
    for (TemplateEntry* entry = nullptr; theAppLibrary.TemplateReadEntry(file, &entry) == 0 && entry; entry = nullptr) {
        records.push_back(RecordText(entry));
        theAppLibrary.TemplateFreeReadEntry(entry);
    }
    return records;
}

Texts FileRecords(const char* path) {
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR) return {"missing"};
    Texts records = Records(file);
    _lclose(file);
    return records;
}

// Kinds of a record text.
bool OfKinds(const std::string& record, std::initializer_list<int> kinds) {
    int kind = std::stoi(record.substr(0, record.find('/')));
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

Texts Only(const Texts& records, std::initializer_list<int> kinds) {
    Texts kept;
    for (const std::string& record : records)
        if (OfKinds(record, kinds)) kept.push_back(record);
    return kept;
}

class TemplateProgressTest : public ApplicationTreeTest {
protected:
    void TearDown() override {
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        ApplicationTreeTest::TearDown();
    }

    // A new object filled from the template, as the wizard does it.
    int Create(const char* object, const char* templatePath, const char* target = "", const char* source = "") {
        EXPECT_EQ(theAppLibrary.CreateObject(context_, object, "App:Application", templatePath, object, 0), 0);
        CTemplateProgressDlg dialog;
        dialog.SetParameters(object, templatePath, target, source, 0, context_);
        return dialog.CreateFromTemplate();
    }

    int Export(const char* object, const char* path) {
        CTemplateProgressDlg dialog;
        dialog.SetParameters(object, path, "", "", 0, context_);
        dialog.SetExportMode();
        return dialog.ExportObject();
    }

    std::string Stream(const char* object, const char* attribute) {
        HFILE file = HFILE_ERROR;
        if (DirOpenStreamAttribute(context_, object, attribute, DIR_STREAM_READ, &file) != 0) return "(none)";
        std::string bytes;
        char chunk[512];
        for (UINT n; (n = _lread(file, chunk, sizeof chunk)) > 0 && n != static_cast<UINT>(HFILE_ERROR);)
            bytes.append(chunk, n);
        _lclose(file);
        return bytes;
    }

    Texts StreamRecords(const char* object, const char* attribute) {
        HFILE file = HFILE_ERROR;
        if (DirOpenStreamAttribute(context_, object, attribute, DIR_STREAM_READ, &file) != 0) return {"(none)"};
        Texts records = Records(file);
        _lclose(file);
        return records;
    }

    vpr::user::UiDriver driver_;
};

// Every kind of record the object carries, some twice, and some it does not.
void WriteFullTemplate(const char* path, const std::string& name, bool carriedOnly) {
    HFILE h = HFILE_ERROR;
    ASSERT_EQ(theAppLibrary.TemplateCreate(path, &h), 0);
    std::string schedule(1444, '\0');
    for (size_t i = 0; i < schedule.size(); ++i) schedule[i] = static_cast<char>(i * 7);
    const BYTE icon[] = {0, 0, 1, 0, 1, 0, 16, 16, 'I', 'C', 'O'};
    const BYTE data[] = {1, 2, 3, 4};
    auto& lib = theAppLibrary;
    lib.TemplateWriteBaseString(h, 1, name.c_str());
    lib.TemplateWriteFileEntry(h, 1, 0x1, "SYS:\\W\\WORD.EXE", "%TARGET_PATH%\\WORD.EXE");
    lib.TemplateWriteBaseString(h, 2, "Word 7");
    lib.TemplateWriteMacroEntry(h, 1, "TARGET_PATH", "C:\\WORD");
    lib.TemplateWriteIdentEntry(h, 1, 0x2, "WIN.INI", "Word", "Path", "%TARGET_PATH%");
    lib.TemplateWriteBaseString(h, 3, "%TARGET_PATH%\\WORD.EXE");
    lib.TemplateWriteValueEntry(h, 1, 0, "HKEY_CURRENT_USER\\Software\\Word", "Dir", 2, 7, reinterpret_cast<const BYTE*>("C:\\WORD"));
    lib.TemplateWriteBaseString(h, 4, "A word processor");
    lib.TemplateWriteDirEntry(h, 1, 0, "%TARGET_PATH%\\DOCS");
    lib.TemplateWriteBaseString(h, 5, "ROOT:=SYS:\\APPS");
    lib.TemplateWriteSectionEntry(h, 2, "WIN.INI", "Old");
    lib.TemplateWriteBaseString(h, 5, "W:=SYS:\\WORD");
    lib.TemplateWriteKeyEntry(h, 1, 0, "HKEY_CURRENT_USER\\Software\\Word\\Options");
    lib.TemplateWriteBaseString(h, 7, "/n");
    lib.TemplateWriteMacroEntry(h, 1, "SOURCE_PATH", "SYS:\\WORD");
    lib.TemplateWriteBaseString(h, 8, "LPT1:=.Q1.acme");
    lib.TemplateWriteTextAddEntry(h, 1, "C:\\AUTOEXEC.BAT", "SET WORD=1");
    lib.TemplateWriteBaseString(h, 9, "echo bye");
    lib.TemplateWriteTextFindEntry(h, 1, 0, "C:\\CONFIG.SYS", "FILES=20", "FILES=40");
    lib.TemplateWriteBaseString(h, 10, "echo hello");
    lib.TemplateWriteInvRAMEntry(h, 1, 8);
    lib.TemplateWriteBaseString(h, 11, "C:\\WORK");
    lib.TemplateWriteInvDiskEntry(h, 1, 20, "C:");
    lib.TemplateWriteBaseString(h, 12, "C:\\WORD.LOG");
    lib.TemplateWriteInvProcessorEntry(h, 1, 486);
    lib.TemplateWriteBaseString(h, 13, "7.0");
    lib.TemplateWriteInvOSVersionEntry(h, 1, 4, 0);
    lib.TemplateWriteBaseString(h, 14, "WORD.EXE");
    lib.TemplateWriteMacroEntry(h, 1, "source_path", "kept");
    lib.TemplateWriteBaseValue(h, 3, 0x1040);
    lib.TemplateWriteBaseValue(h, 4, 0x6);
    lib.TemplateWriteBaseData(h, 1, icon, sizeof icon);
    lib.TemplateWriteBaseData(h, 2, reinterpret_cast<const BYTE*>(schedule.data()), 1444);
    lib.TemplateWritePMGroupEntry(h, 1, "Office");
    lib.TemplateWriteUserIconEntry(h, 1, "Word", "C:\\WORD\\WORD.EXE", "", "C:\\WORD", "", "", 0, 0, 1, 0);
    if (!carriedOnly) {
        lib.TemplateWriteBaseString(h, 15, "admin notes are not carried");
        lib.TemplateWriteBaseValue(h, 1, 99);
        lib.TemplateWriteBaseValueString(h, 1, 5, "not carried");
        lib.TemplateWriteBaseData(h, 2, data, sizeof data);  // too short for a schedule
    }
    lib.TemplateClose(h);
}

TEST_F(TemplateProgressTest, EveryRecordReachesItsAttributeOrStreamInFileOrder) {
    WriteFullTemplate("C:\\word.qmt", "Word", false);
    const char* object = "Word.sales.acme";
    ASSERT_EQ(Create(object, "C:\\word.qmt", "D:\\APPS\\WORD", "SYS:\\NEW"), 0);

    Texts records = FileRecords("C:\\word.qmt");
    struct StreamKinds {
        const char* attribute;
        std::initializer_list<int> kinds;
    };
    for (const StreamKinds& s : {StreamKinds{"App:Copy Files", {1, 2}}, StreamKinds{"App:INI Settings", {3, 4}},
                                 StreamKinds{"App:Registry Settings", {5, 6}}, StreamKinds{"App:Text Files", {11, 12}},
                                 StreamKinds{"App:Inventory", {13, 14, 15, 16}},
                                 StreamKinds{"App:Program Groups", {18, 19}}}) {
        SCOPED_TRACE(s.attribute);
        Texts expected = Only(records, s.kinds);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(StreamRecords(object, s.attribute), expected);
    }
    // The path macros take the values given; "source_path" is another macro.
    HFILE h = HFILE_ERROR;
    ASSERT_EQ(theAppLibrary.TemplateCreate("C:\\macros.qmt", &h), 0);
    theAppLibrary.TemplateWriteMacroEntry(h, 1, "TARGET_PATH", "D:\\APPS\\WORD");
    theAppLibrary.TemplateWriteMacroEntry(h, 1, "SOURCE_PATH", "SYS:\\NEW");
    theAppLibrary.TemplateWriteMacroEntry(h, 1, "source_path", "kept");
    theAppLibrary.TemplateClose(h);
    EXPECT_EQ(StreamRecords(object, "App:Macros"), FileRecords("C:\\macros.qmt"));

    EXPECT_EQ(Values(object, "App:Caption"), Texts{"Word 7"});
    EXPECT_EQ(Values(object, "App:Path"), Texts{"%TARGET_PATH%\\WORD.EXE"});
    EXPECT_EQ(Values(object, "App:Description"), Texts{"A word processor"});
    EXPECT_EQ(Values(object, "App:Drive Mappings"), (Texts{"ROOT:=SYS:\\APPS", "W:=SYS:\\WORD"}));
    EXPECT_EQ(Values(object, "App:Parameters"), Texts{"/n"});
    EXPECT_EQ(Values(object, "App:Printer Ports"), Texts{"LPT1:=.Q1.acme"});
    EXPECT_EQ(Values(object, "App:Working Directory"), Texts{"C:\\WORK"});
    EXPECT_EQ(Values(object, "App:Error Log Path"), Texts{"C:\\WORD.LOG"});
    EXPECT_EQ(Values(object, "App:Version String"), Texts{"7.0"});
    EXPECT_EQ(Values(object, "App:Monitor Module"), Texts{"WORD.EXE"});
    EXPECT_EQ(Values(object, "App:Flags"), Texts{std::to_string(0x1040)});
    EXPECT_EQ(Values(object, "App:Platform"), Texts{"6"});
    EXPECT_EQ(Stream(object, "App:Shutdown Script"), "echo bye");
    EXPECT_EQ(Stream(object, "App:Startup Script"), "echo hello");
    EXPECT_EQ(Stream(object, "App:Icon"), std::string("\0\0\1\0\1\0\x10\x10ICO", 11));
    // The whole schedule; the record too short for one is left out.
    std::string schedule = Stream(object, "App:Schedule");
    ASSERT_EQ(schedule.size(), 1444u);
    EXPECT_EQ(static_cast<unsigned char>(schedule[3]), 21u);
    EXPECT_EQ(Stream(object, "App:Administrator Notes"),
              "This application object was created from the following Application Object Template (qmt) file:\r\n"
              "C:\\word.qmt");
}

// What an object gets where its template says nothing, and the result.
TEST_F(TemplateProgressTest, DefaultsOfATemplateThatSaysLittle) {
    struct Case {
        const char* what;
        std::function<void(HFILE)> records;  // null: no file at all
        int result;
        Texts path, flags;
        size_t copyFilesBytes;
    };
    const Case cases[] = {
        {"the signature alone", [](HFILE) {}, 0, {" 47 NULL "}, {"128"}, 8},
        {"flags of 0", [](HFILE h) { theAppLibrary.TemplateWriteBaseValue(h, 3, 0); }, 0, {" 47 NULL "}, {"0"}, 8},
        {"a path, no flags", [](HFILE h) { theAppLibrary.TemplateWriteBaseString(h, 3, "X.EXE"); }, 0, {"X.EXE"}, {},
         8},
        {"no file", nullptr, ERROR_FILE_NOT_FOUND, {"C:\\none.qmt"}, {}, std::string("(none)").size()},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string object = "A" + std::to_string(++n) + ".sales.acme";
        std::string path = c.records ? "C:\\t" + std::to_string(n) + ".qmt" : "C:\\none.qmt";
        if (c.records) {
            HFILE h = HFILE_ERROR;
            ASSERT_EQ(theAppLibrary.TemplateCreate(path.c_str(), &h), 0);
            c.records(h);
            theAppLibrary.TemplateClose(h);
        }
        EXPECT_EQ(Create(object.c_str(), path.c_str()), c.result);
        EXPECT_EQ(Values(object.c_str(), "App:Path"), c.path);
        EXPECT_EQ(Values(object.c_str(), "App:Flags"), c.flags);
        EXPECT_EQ(Stream(object.c_str(), "App:Copy Files").size(), c.copyFilesBytes);
        if (c.records) {
            EXPECT_EQ(Stream(object.c_str(), "App:Schedule"), "");
        }
        EXPECT_NE(Stream(object.c_str(), "App:Administrator Notes").find(path), std::string::npos);
    }
}

// An object made from a template, written out again, gives the template's
// records back: the name first, then caption and macros, then the rest.
TEST_F(TemplateProgressTest, ExportGivesBackTheTemplateTheObjectWasMadeFrom) {
    WriteFullTemplate("C:\\word.qmt", "Word", true);
    ASSERT_EQ(Create("Word.sales.acme", "C:\\word.qmt", "C:\\WORD", "SYS:\\WORD"), 0);
    ASSERT_EQ(Export("Word.sales.acme", "C:\\OUT.QMT"), 0);
    Texts original = FileRecords("C:\\word.qmt");
    Texts exported = FileRecords("C:\\OUT.QMT");
    ASSERT_EQ(exported.size(), original.size());
    EXPECT_EQ(exported[0], original[0]);  // the name
    EXPECT_EQ(exported[1].substr(0, 4), "7/2 ");
    Texts macros = Only(original, {10});
    EXPECT_EQ(Texts(exported.begin() + 2, exported.begin() + 2 + macros.size()), macros);
    std::sort(original.begin(), original.end());
    std::sort(exported.begin(), exported.end());
    EXPECT_EQ(exported, original);
}

// A stream whose signature is wrong is left out and reported; the other
// records still go, and an empty stream is simply empty.
TEST_F(TemplateProgressTest, ExportSkipsAStreamWithAWrongSignatureAndSaysSo) {
    const char* object = "Calc.sales.acme";
    ASSERT_EQ(theAppLibrary.CreateObject(context_, object, "App:Application", "CALC.EXE", "Calculator", 0), 0);
    HFILE file = HFILE_ERROR;
    ASSERT_EQ(theDirectoryHelper.OpenStreamAttribute(context_, object, "App:Copy Files", DIR_STREAM_WRITE, &file), 0);
    _lwrite(file, "NOT A TEMPLATE STREAM", 21);
    _lclose(file);
    ASSERT_EQ(theDirectoryHelper.OpenStreamAttribute(context_, object, "App:Icon", DIR_STREAM_WRITE, &file), 0);
    _lclose(file);  // an empty icon
    EXPECT_EQ(Export(object, "C:\\CALC.QMT"), TEMPLATE_ERR_WRITE);
    Texts records = FileRecords("C:\\CALC.QMT");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].substr(0, 4), "7/1 ");
    EXPECT_EQ(records[1].substr(0, 4), "7/2 ");
    EXPECT_EQ(records[2].substr(0, 4), "7/3 ");

    // The Tools item tells the administrator.
    ASSERT_EQ(host_.Select({object}), 0);
    driver_.OnFileDialog([](const ModalElement& e) {
        ui::ReplaceText(e.window, edt1, "C:\\CALC2.QMT");
        ui::Click(e.window, IDOK);
    });
    driver_.OnDialog(IDD_TEMPLATE_PROGRESS, [](const ModalElement& e) {
        ui::PressKey(e.window, VK_ESCAPE);  // ignored while the worker runs
        EXPECT_TRUE(ui::WaitForClose(e.window, 60000));
    });
    std::string message;
    driver_.OnMessageBox("", [&](const ModalElement& box) {
        message = box.caption + ": " + box.text;
        ui::Click(box.window, IDOK);
    });
    CExportAppObject item;
    item.Execute();
    EXPECT_EQ(message, "Dravik Error: The application object could not be written completely to the template file "
                       "\"C:\\CALC2.QMT\".  Error code: -2");
    EXPECT_EQ(FileRecords("C:\\CALC2.QMT").size(), 3u);
}

// A template that cannot be written whole (a full disk) leaves the old file
// of that name as it was, and the failure is the result.
TEST_F(TemplateProgressTest, AnExportThatCannotBeWrittenLeavesTheOldFile) {
    const char* object = "Calc.sales.acme";
    ASSERT_EQ(theAppLibrary.CreateObject(context_, object, "App:Application", "CALC.EXE", "Calculator", 0), 0);
    HFILE h = HFILE_ERROR;
    ASSERT_TRUE(CreateDirectoryA("C:\\OUT", nullptr));
    ASSERT_EQ(theAppLibrary.TemplateCreate("C:\\OUT\\OLD.QMT", &h), 0);
    theAppLibrary.TemplateWriteBaseString(h, 1, "Old");
    theAppLibrary.TemplateClose(h);
    Texts before = FileRecords("C:\\OUT\\OLD.QMT");
    ASSERT_EQ(before.size(), 1u);
    ASSERT_TRUE(vpr::win::InjectFileFault("C:\\OUT", vpr::win::FileFault::DiskFull, 30));
    EXPECT_EQ(Export(object, "C:\\OUT\\OLD.QMT"), TEMPLATE_ERR_WRITE);
    vpr::win::ClearFileFaults();
    EXPECT_EQ(FileRecords("C:\\OUT\\OLD.QMT"), before);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\OUT\\*", &found);
    std::vector<std::string> names;
    if (search != INVALID_HANDLE_VALUE) {
        do names.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return n == "." || n == ".."; }),
                names.end());
    EXPECT_EQ(names, std::vector<std::string>{"OLD.QMT"});  // no file left behind
    EXPECT_NE(Export(object, "C:\\NO\\SUCH\\FOLDER\\X.QMT"), 0);
}

}  // namespace
