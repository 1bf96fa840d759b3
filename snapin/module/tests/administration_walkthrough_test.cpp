// The administrator's round, as the README walks through it, from a kmadmin
// script on a machine with the module installed: an application object made
// from a template, written out again, two old objects migrated and a user's
// inherited applications viewed; then vprdir and qmtdump show what the
// object's streams hold.
#include <string>

#include "module_fixture.h"
#include "template/template_library.h"
#include "vpr/directory/client.h"

namespace {

class AdministrationWalkThroughTest : public ModuleFixture {
protected:
    void SetUp() override {
        ModuleFixture::SetUp();
        PutLauncherLibrary(2, 1);
        PutLanguageLibrary("english", "NLS/ENGLISH");
        tree_.Unit("sales.acme")
            .User("jdoe.sales.acme")
            .Grant("[Root]", "admin.acme", "ACL", DIR_ATTR_WRITE)
            .Grant("sales.acme", "admin.acme", "[Entry Rights]", DIR_ENTRY_ADD | DIR_ENTRY_DELETE)
            .Grant("sales.acme", "admin.acme", "[All Attributes Rights]", DIR_ATTR_READ | DIR_ATTR_WRITE)
            .Object("Edit.sales.acme", "Application (Windows NT)",
                    {{"Description", {"Editor"}}, {"See Also", {"jdoe.sales.acme"}}})
            .Object("Calc.sales.acme", "Application (DOS)", {{"Description", {"Calculator"}}});
        std::filesystem::create_directories(machine_.root() + "/c/PUBLIC/VPRLIB/QMTFILES");
        std::filesystem::create_directories(machine_.root() + "/c/OUT");
        HFILE h = HFILE_ERROR;
        ASSERT_EQ(kmapptCreate("C:\\PUBLIC\\VPRLIB\\QMTFILES\\WORD.QMT", &h), 0);
        kmapptWriteBaseString(h, 1, "Word Processor");
        kmapptWriteBaseString(h, 2, "Word Processor 7");
        kmapptWriteMacroEntry(h, 1, "TARGET_PATH", "C:\\WORD");
        kmapptWriteFileEntry(h, 1, 0x1, "SYS:\\APPS\\WORD\\WORD.EXE", "%TARGET_PATH%\\WORD.EXE");
        kmapptWriteIdentEntry(h, 1, 0, "WIN.INI", "Word", "Dir", "%TARGET_PATH%");
        kmapptWriteDirEntry(h, 1, 0, "%TARGET_PATH%\\DOCS");
        kmapptWriteBaseString(h, 3, "%TARGET_PATH%\\WORD.EXE");
        kmapptWriteFileEntry(h, 2, 0, "%TARGET_PATH%\\OLD.DLL", "");
        kmapptClose(h);
        // The same kind-1 and kind-2 records alone, to compare the stream with.
        ASSERT_EQ(kmapptCreate((machine_.root() + "/copy-files.qmt").c_str(), &h), 0);
        kmapptWriteFileEntry(h, 1, 0x1, "SYS:\\APPS\\WORD\\WORD.EXE", "%TARGET_PATH%\\WORD.EXE");
        kmapptWriteDirEntry(h, 1, 0, "%TARGET_PATH%\\DOCS");
        kmapptWriteFileEntry(h, 2, 0, "%TARGET_PATH%\\OLD.DLL", "");
        kmapptClose(h);
    }

    // A program of the build run in the machine's folder; its output.
    std::string Program(const std::string& commandLine) {
        std::string command = "cd " + machine_.root() + " && ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " +
                              "LD_LIBRARY_PATH=" + Bin() + " " + Bin() + "/" + commandLine + " 2>&1";
        std::string out;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return "cannot run";
        char chunk[512];
        while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) out.append(chunk, n);
        pclose(pipe);
        return out;
    }
    std::string ReadText(const std::string& name) {
        std::ifstream in(machine_.root() + "/" + name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
};

TEST_F(AdministrationWalkThroughTest, TemplateToDirectoryAndBack) {
    EXPECT_EQ(Run("answer ok The schema has been updated\n"
                  "dialog 330\n"
                  "  choose 1500 TEST_TREE\n"
                  "  ok\n"
                  "end\n"
                  "context sales.acme\n"
                  "dialog 336\n"
                  "  check 5032 on\n"
                  "  press 5033\n"
                  "end\n"
                  "dialog 337\n"
                  "  choose 5038 Word Processor\n"
                  "  set 5044 WORD\n"
                  "  press 5042\n"
                  "end\n"
                  "dialog 338\n"
                  "  set 5045 C:\\APPS\\WORD\n"
                  "  press 5049\n"
                  "end\n"
                  "dialog 339\n"
                  "  press 5026\n"
                  "end\n"
                  "dialog 361\n"
                  "  wait\n"
                  "end\n"
                  "create App:Application\n"
                  "select WORD.sales.acme\n"
                  "file C:\\OUT\\WORD.QMT\n"
                  "dialog 361\n"
                  "  wait\n"
                  "end\n"
                  "run &Export Application Object\n"
                  "select Edit.sales.acme Calc.sales.acme\n"
                  "dialog 393\n"
                  "  dialog 394\n"
                  "    wait\n"
                  "  end\n"
                  "  answer ok You will need to manually refresh\n"
                  "  press 1\n"
                  "end\n"
                  "run &Migrate Application Objects\n"
                  "select jdoe.sales.acme\n"
                  "dialog 358\n"
                  "  show 5189\n"
                  "  ok\n"
                  "end\n"
                  "run Show Inherited &Applications\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("created WORD.sales.acme\ncreate answered 0\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("ran &Migrate Application Objects\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("5189:\n  jdoe.sales.acme\n"), std::string::npos) << output_;

    // The object's copy-files stream holds the template's kind-1 and kind-2
    // records after the signature, in file order.
    EXPECT_EQ(Program("vprdir read-stream " + tree_.path() + " WORD.sales.acme 'App:Copy Files' copy.qmt"), "");
    std::string dump = Program("qmtdump copy.qmt");
    Program("qmtdump copy-files.qmt");
    EXPECT_NE(dump.find("3 entries processed"), std::string::npos) << dump;
    EXPECT_EQ(ReadText("copy.QXT"), ReadText("copy-files.QXT"));
    EXPECT_NE(ReadText("copy.QXT").find("OLD.DLL"), std::string::npos) << ReadText("copy.QXT");
    // The exported template names the object and carries the rewritten macro.
    Program("qmtdump C:\\\\OUT\\\\WORD.QMT");
    std::string exported = ReadText("c/OUT/WORD.QXT");
    EXPECT_NE(exported.find("WORD"), std::string::npos) << exported;
    EXPECT_NE(exported.find("C:\\APPS\\WORD"), std::string::npos) << exported;
}

}  // namespace
