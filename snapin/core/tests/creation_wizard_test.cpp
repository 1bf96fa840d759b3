// The creation wizard as an administrator meets it: each case a script of
// the pages' dialogs (the vocabulary of every scripted program), run against
// CNewObjectName on a real tree through the bound KMAPP32.DLL; then what the
// wizard answered, the name the host would get, and what the directory holds.
#include <gtest/gtest.h>

#include "application_tree_fixture.h"

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/new_object_name.h"
#include "snapin/core/snapin_utilities.h"
#include "stored_values.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/directory/faults.h"
#include "vpr/script/script_session.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"
#include "vpr/user/ui_driver.h"

namespace faults = vpr::directory::faults;
using Texts = std::vector<std::string>;

namespace {

struct WizardRun {
    int result = -1;
    std::string fullName;
    bool another = false, more = false;
    int exitCode = -1;
    std::string output;
};

class CreationWizardTest : public ApplicationTreeTest {
protected:

    // The script's answers and dialog blocks are armed, then the wizard runs
    // in the container sales.acme (the `wizard` line).
    WizardRun Run(const std::string& script) {
        std::istringstream in(script + "wizard\n");
        std::ostringstream out;
        WizardRun run;
        vpr::script::ScriptSession session(in, out);
        session.AddCommand("wizard", {[&](const vpr::script::Line&) {
                                          CNewObjectName wizard;
                                          wizard.SetContextName("sales.acme");
                                          run.result = wizard.RunWizard();
                                          char name[514] = {};
                                          if (run.result == 1) wizard.GetFullName(name, sizeof name);
                                          run.fullName = name;
                                          run.another = wizard.WantsAnotherObject();
                                          run.more = wizard.WantsMoreProperties();
                                      },
                                      false, false});
        run.exitCode = session.Run();
        run.output = out.str();
        return run;
    }

    // The macros of the object's "App:Macros" stream as NAME=VALUE.
    Texts MacroLines(const char* object) {
        Texts lines;
        HFILE stream = HFILE_ERROR;
        if (DirOpenStreamAttribute(context_, object, "App:Macros", DIR_STREAM_READ, &stream) != 0) return lines;
        if (theAppLibrary.TemplateVerifySignature(stream) == 0)
            for (TemplateEntry* entry = nullptr; theAppLibrary.TemplateReadEntry(stream, &entry) == 0 && entry;
                 entry = nullptr) {
                lines.push_back(FieldText(entry->fields[0]) + "=" + FieldText(entry->fields[1]));
                theAppLibrary.TemplateFreeReadEntry(entry);
            }
        _lclose(stream);
        return lines;
    }

};

const char kNameDialog[] = "dialog 336 \"Application Creation Wizard\"\n";

// The name page's ways to an object, each with what the host learns.
TEST_F(CreationWizardTest, TheNamePageCreatesWhatWasTypedAndSaysWhatComesNext) {
    struct Case {
        const char* what;
        std::string lines;  // inside the name page's block
        const char* fullName;
        bool more, another;
        Texts path, caption, flags;
    };
    const Case cases[] = {
        {"a name and a path", "set 5028 Editor\nset 5029 C:\\APPS\\EDIT.EXE\npress 5033\n", "Editor.sales.acme",
         false, false, {"C:\\APPS\\EDIT.EXE"}, {"Editor"}, {}},
        {"named from the path", "set 5029 C:\\APPS\\WORD.EXE\ncheck 5030 on\npress 5033\n", "WORD.sales.acme", true,
         false, {"C:\\APPS\\WORD.EXE"}, {"WORD"}, {}},
        {"named up to the first invalid character", "set 5029 F:\\A=B.C\ncheck 5031 on\npress 5033\n",
         "A.sales.acme", false, true, {"F:\\A=B.C"}, {"A"}, {}},
        {"a typed name is kept", "set 5028 Mine\nset 5029 C:\\APPS\\CALC.EXE\npress 5033\n", "Mine.sales.acme",
         false, false, {"C:\\APPS\\CALC.EXE"}, {"Mine"}, {}},
        {"a name alone installs only", "set 5028 Setup\npress 5033\n", "Setup.sales.acme", false, false,
         {" 47 NULL "}, {"Setup"}, {"128"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WizardRun run = Run("dialog 336\n" + c.lines + "end\n");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.fullName, c.fullName);
        EXPECT_EQ(run.more, c.more);
        EXPECT_EQ(run.another, c.another);
        EXPECT_EQ(Values(c.fullName, "App:Path"), c.path);
        EXPECT_EQ(Values(c.fullName, "App:Caption"), c.caption);
        EXPECT_EQ(Values(c.fullName, "App:Flags"), c.flags);
    }
}

TEST_F(CreationWizardTest, TheTwoWhatNextBoxesExcludeEachOther) {
    WizardRun run = Run(
        "dialog 336\n"
        "  check 5030 on\n"
        "  check 5031 on\n"  // disabled while the other is ticked
        "  check 5030 off\n"
        "  check 5031 on\n"
        "  check 5030 on\n"
        "  set 5029 C:\\APPS\\WORD.EXE\n"
        "  press 5033\n"
        "end\n");
    EXPECT_EQ(run.exitCode, 1);  // the two refused ticks
    EXPECT_NE(run.output.find("error: "), std::string::npos) << run.output;
    EXPECT_TRUE(run.another);
    EXPECT_FALSE(run.more);
    EXPECT_EQ(run.fullName, "WORD.sales.acme");
}

TEST_F(CreationWizardTest, InvalidNamesAndAClashKeepTheNamePage) {
    ASSERT_EQ(theAppLibrary.CreateObject(context_, "Taken.sales.acme", "App:Application", "OLD.EXE", "Old", 0), 0);
    WizardRun run = Run(
        "dialog 336\n"
        "  set 5028 a+b\n"
        "  set 5029 X.EXE\n"
        "  answer ok\n"
        "  press 5033\n"
        "  set 5028 a.b+c\n"
        "  answer ok\n"
        "  press 5033\n"
        "  set 5028 Taken\n"
        "  press 5033\n"
        "end\n"
        "answer ok\n"
        "dialog 336\n"
        "  show 5028\n"
        "  cancel\n"
        "end\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.output,
              std::string(kNameDialog) +
                  "set 5028\nset 5029\n"
                  "message Dravik Error: The application object name contains the invalid character '+'\n"
                  "answered ok\npressed 5033\nset 5028\n"
                  "message Dravik Error: The application object name contains the invalid character '.'\n"
                  "answered ok\npressed 5033\nset 5028\npressed 5033\n"
                  "message Dravik Error: An application object with the name \"Taken.sales.acme\" already exists\n"
                  "answered ok\n" +
                  kNameDialog + "5028: Taken\n");
    EXPECT_EQ(Values("Taken.sales.acme", "App:Path"), Texts{"OLD.EXE"});
}

// The install-only object is made, its flags write fails: message 114, the
// name page again, and Cancel there leaves the object as it is.
TEST_F(CreationWizardTest, AFailedFlagsWriteShowsTheCodeAndCancelKeepsTheObject) {
    faults::FailModify(DIR_ERR_NOT_ALLOWED, 1);
    WizardRun run = Run(
        "dialog 336\n"
        "  set 5028 Setup\n"
        "  press 5033\n"
        "end\n"
        "answer ok Application object creation failed with error code " +
        std::to_string(DIR_ERR_NOT_ALLOWED) +
        "\n"
        "dialog 336\n"
        "  cancel\n"
        "end\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.fullName, "");
    EXPECT_EQ(Values("Setup.sales.acme", "App:Path"), Texts{" 47 NULL "});
    EXPECT_EQ(Values("Setup.sales.acme", "App:Flags"), Texts{});
}

// A template file of the test machine: its name and caption, and the
// macros given (name, value).
std::string WriteTemplate(const std::string& path, const char* name, const char* caption,
                          const std::vector<std::pair<const char*, const char*>>& macros, bool cut = false) {
    HFILE file = HFILE_ERROR;
    EXPECT_EQ(theAppLibrary.TemplateCreate(path.c_str(), &file), 0);
    if (name) theAppLibrary.TemplateWriteBaseString(file, 1, name);
    if (caption) theAppLibrary.TemplateWriteBaseString(file, 2, caption);
    for (const auto& [macro, value] : macros) theAppLibrary.TemplateWriteMacroEntry(file, 1, macro, value);
    theAppLibrary.TemplateWriteFileEntry(file, 1, 0, "SYS:\\APPS\\WORD\\WORD.EXE", "%TARGET_PATH%\\WORD.EXE");
    if (cut) _lwrite(file, "\x01\x00\x00\x00\x01\x00\x00\x00\x40\x00\x00\x00", 12);  // a record cut short
    theAppLibrary.TemplateClose(file);
    return path;
}

// The template page and what follows: the template chosen through Browse.
std::string ChooseTemplate(const std::string& path) {
    return "dialog 336\n  check 5032 on\n  press 5033\nend\n"
           "dialog 337\n  file " + path + "\n  press 5039\n  press 5042\nend\n";
}

TEST_F(CreationWizardTest, FromATemplateTheTypedPathsReachTheMacros) {
    std::string path = WriteTemplate("C:\\word.qmt", "Word Processor", "Word 7",
                                     {{"TARGET_PATH", "C:\\WORD"}, {"SOURCE_PATH", "SYS:\\WORD"}, {"source_path", "x"}});
    WizardRun run = Run(ChooseTemplate(path) +
                        "dialog 338\n  show 5045\n  show 5047\n  set 5045 C:\\APPS\\WORD\n  press 5049\nend\n"
                        "dialog 339\n  show 5052\n  press 5026\nend\n"
                        "dialog 361\n  wait\nend\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.fullName, "Word Processor.sales.acme");
    EXPECT_NE(run.output.find("5045: C:\\WORD\n5047: SYS:\\WORD\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("5052: Application Object Name:\r\nWord Processor\r\n\r\nDescription:\r\nWord 7\r\n\r\n"
                              "Template File:\r\n" + path + "\r\n\r\nInstallation Directory (on client workstations):\r\n"
                              "C:\\APPS\\WORD\r\n\r\nSource Directory:\r\nSYS:\\WORD\r\n\r\n\n"),
              std::string::npos)
        << run.output;
    const char* object = "Word Processor.sales.acme";
    EXPECT_EQ(Values(object, "App:Caption"), Texts{"Word 7"});
    EXPECT_EQ(Values(object, "App:Path"), Texts{" 47 NULL "});
    EXPECT_EQ(Values(object, "App:Flags"), Texts{"128"});
    EXPECT_EQ(MacroLines(object), (Texts{"TARGET_PATH=C:\\APPS\\WORD", "SOURCE_PATH=SYS:\\WORD", "source_path=x"}));
}

// A template without path macros shows both fields unused; one whose
// TARGET_PATH is empty keeps it empty in the object.
TEST_F(CreationWizardTest, AValueTheTemplateDoesNotUseIsShownAsSuchAndNotWritten) {
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, const char*>> macros;
        Texts stored;
    };
    const Case cases[] = {
        {"no path macros", {{"APPDIR", "C:\\X"}}, {"APPDIR=C:\\X"}},
        {"an empty target", {{"TARGET_PATH", ""}, {"SOURCE_PATH", "SYS:\\S"}}, {"TARGET_PATH=", "SOURCE_PATH=SYS:\\S"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = "T" + std::to_string(++n);
        std::string path = WriteTemplate("C:\\" + name + ".qmt", name.c_str(), nullptr, c.macros);
        WizardRun run = Run(ChooseTemplate(path) + "dialog 338\n  show 5045\n  press 5049\nend\n"
                            "dialog 339\n  show 5052\n  press 5026\nend\n"
                            "dialog 361\n  wait\nend\n");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("5045: Value not used for current template\n"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("(on client workstations):\r\nValue not used for current template\r\n"),
                  std::string::npos);
        std::string object = name + ".sales.acme";
        EXPECT_EQ(MacroLines(object.c_str()), c.stored);
        EXPECT_EQ(Values(object.c_str(), "App:Caption"), Texts{name});  // no caption: the name
    }
}

// Cancel on every page: 0, and nothing is written.
TEST_F(CreationWizardTest, CancelOnAnyPageWritesNothing) {
    std::string path = WriteTemplate("C:\\word.qmt", "Word", nullptr, {{"TARGET_PATH", "C:\\W"}});
    const std::vector<std::string> scripts = {
        "dialog 336\n  set 5028 Word\n  set 5029 W.EXE\n  cancel\nend\n",
        "dialog 336\n  check 5032 on\n  press 5033\nend\ndialog 337\n  cancel\nend\n",
        ChooseTemplate(path) + "dialog 338\n  cancel\nend\n",
        ChooseTemplate(path) + "dialog 338\n  press 5049\nend\ndialog 339\n  cancel\nend\n",
    };
    for (const std::string& script : scripts) {
        WizardRun run = Run(script);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.result, 0);
        EXPECT_EQ(run.fullName, "");
    }
    EXPECT_EQ(Values("Word.sales.acme", "App:Path"), Texts{});
}

// Back goes to the page before with what was entered; the target page reads
// the template's values anew.
TEST_F(CreationWizardTest, BackReturnsToThePageBefore) {
    std::string path = WriteTemplate("C:\\word.qmt", "Word", nullptr, {{"TARGET_PATH", "C:\\W"}});
    WizardRun run = Run(ChooseTemplate(path) +
                        "dialog 338\n  set 5045 D:\\TYPED\n  press 5050\nend\n"
                        "dialog 337\n  show 5044\n  show 5045\n  press 5043\nend\n"
                        "dialog 336\n  show 5033\n  cancel\nend\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("5044: Word\n5045: word.qmt\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("5033: &Next >\n"), std::string::npos) << run.output;
    EXPECT_EQ(run.result, 0);
}

// When filling the new object from its template fails, the error dialog
// names the object and the first failing status; the object stays and the
// host still gets its name.
TEST_F(CreationWizardTest, AFailedTemplateApplicationIsReportedWithItsCode) {
    struct Case {
        const char* what;
        bool cut;
        std::function<void()> fault;
        int code;
    };
    const Case cases[] = {
        {"a template cut short", true, [] {}, -3},
        {"a stream write fails", false, [] { faults::FailStreamWritesAfter(0); }, TEMPLATE_ERR_WRITE},
        // The add of the object and the stream values of the eight record
        // streams come first; the attributes' modify request is the tenth.
        {"the attributes cannot be written", false, [] { faults::FailModify(DIR_ERR_NOT_ALLOWED, 9); },
         DIR_ERR_NOT_ALLOWED},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = "F" + std::to_string(++n);
        std::string path = WriteTemplate("C:\\" + name + ".qmt", name.c_str(), nullptr, {}, c.cut);
        c.fault();
        WizardRun run = Run(ChooseTemplate(path) + "dialog 338\n  press 5049\nend\n"
                            "dialog 339\n  press 5026\nend\n"
                            "dialog 361\n  wait\nend\n"
                            "dialog 359\n  show 5054\n  cancel\nend\n");
        faults::Reset();
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.fullName, name + ".sales.acme");
        EXPECT_NE(run.output.find("5054: Application Object: " + name + ".sales.acme\r\n\r\nCreation Return Code : " +
                                  std::to_string(c.code) + "\r\n"),
                  std::string::npos)
            << run.output;
        EXPECT_TRUE(Exists((name + ".sales.acme").c_str()));
    }
}

}  // namespace
