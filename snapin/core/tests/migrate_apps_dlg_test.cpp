// The migration of old application objects as an administrator runs it:
// the objects selected in the host, the dialog's choices as a script, then
// what the directory holds.
#include <gtest/gtest.h>

#include "application_tree_fixture.h"

#include <sstream>
#include <string>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/migrate_apps_dlg.h"
#include "stored_values.h"
#include "vpr/adminhost/admin_host.h"
#include "vpr/directory/faults.h"
#include "vpr/directory/tree_admin.h"
#include "vpr/directory/value_codec.h"
#include "vpr/script/script_session.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

namespace faults = vpr::directory::faults;
using Texts = std::vector<std::string>;

namespace {

class MigrationTest : public ApplicationTreeTest {
protected:
    void SetUp() override {
        ApplicationTreeTest::SetUp();
        tree_.User("jdoe.sales.acme", "John Doe")
            .Object("Edit.sales.acme", "Application (Windows NT)",
                    {{"Description", {"Editor"}},
                     {"App Blurb", {"Edits texts"}},
                     {"App Path", {"SYS:\\APPS\\EDIT.EXE"}},
                     {"App Flags", {"5"}},
                     {"App Drive Mappings", {"ROOT:=SYS:\\APPS", "E:=SYS:\\EDIT"}},
                     {"App Contacts", {"admin.acme"}},
                     {"See Also", {"jdoe.sales.acme"}}})
            .Stream("Edit.sales.acme", "App Icon", "ICON BYTES")
            .Object("Calc.sales.acme", "Application (Windows 3.x)", {{"Description", {"Calculator"}}});
    }

    // The objects selected, then the script's blocks armed and the Tools
    // item's dialog run (the `migrate` line); the script's output.
    std::string Run(const std::vector<std::string>& selected, const std::string& script, int* exitCode = nullptr) {
        EXPECT_EQ(host_.Select(selected), 0);
        std::istringstream in(script + "migrate\n");
        std::ostringstream out;
        vpr::script::ScriptSession session(in, out);
        session.AddCommand("migrate", {[&](const vpr::script::Line&) {
                                           CMigrateAppsDlg dialog;
                                           INT_PTR result = dialog.DoModal();
                                           out << "migration dialog answered " << result << "\n";
                                       },
                                       false, false});
        int code = session.Run();
        if (exitCode) *exitCode = code;
        return out.str();
    }

    // The typed names of "App:Associations" as name;level;interval.
    Texts Associations(const std::string& object) {
        vpr::directory::NameParts name;
        std::vector<vpr::directory::AttributeValues> values;
        EXPECT_EQ(vpr::directory::ParseFullName(object, &name), 0);
        EXPECT_EQ(tree_.store().ReadValues(name, {"App:Associations"}, &values), 0);
        Texts texts;
        for (const auto& attribute : values)
            for (const auto& value : attribute.values) texts.push_back(vpr::directory::ValueToText(value));
        return texts;
    }
    std::string Stream(const char* object, const char* attribute) {
        HFILE file = HFILE_ERROR;
        if (DirOpenStreamAttribute(context_, object, attribute, DIR_STREAM_READ, &file) != 0) return "(none)";
        char bytes[256] = {};
        UINT n = _lread(file, bytes, sizeof bytes);
        _lclose(file);
        return std::string(bytes, n == static_cast<UINT>(HFILE_ERROR) ? 0 : n);
    }

};

const char kMigrate[] =
    "  dialog 394\n"
    "    wait\n"
    "  end\n"
    "  answer ok You will need to manually refresh\n"
    "  press 1\n"
    "end\n";

TEST_F(MigrationTest, AnNtObjectBecomesAnApplicationWithItsAssociations) {
    int exitCode = -1;
    std::string out = Run({"Edit.sales.acme", "Calc.sales.acme"},
                          "dialog 393\n  show 5223\n  show 5224\n" + std::string(kMigrate), &exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    EXPECT_EQ(out,
              "dialog 393 \"Migrate Application Objects\"\n"
              "5223:\n  Edit.sales.acme\n  Calc.sales.acme\n"
              "5224:\n  Edit-20.sales.acme\n  Calc-20.sales.acme\n"
              "dialog 394 \"Migrating Application Objects\"\n"
              "message Dravik: You will need to manually refresh the view in KMAdmin in order to view the migration "
              "changes.\n"
              "answered ok\n"
              "pressed 1\n"
              "migration dialog answered 1\n");
    const char* edit = "Edit-20.sales.acme";
    EXPECT_EQ(Values(edit, "App:Platform"), Texts{"4"});
    EXPECT_EQ(Values(edit, "App:Caption"), Texts{"Editor"});
    EXPECT_EQ(Values(edit, "App:Description"), Texts{"Edits texts"});
    EXPECT_EQ(Values(edit, "App:Path"), Texts{"SYS:\\APPS\\EDIT.EXE"});
    EXPECT_EQ(Values(edit, "App:Flags"), Texts{"5"});
    EXPECT_EQ(Values(edit, "App:Drive Mappings"), (Texts{"ROOT:=SYS:\\APPS", "E:=SYS:\\EDIT"}));
    EXPECT_EQ(Values(edit, "App:Contacts"), Texts{"admin.acme"});
    EXPECT_EQ(Stream(edit, "App:Icon"), "ICON BYTES");
    EXPECT_EQ(Values(edit, "App:Back Link"), Texts{"jdoe.sales.acme"});
    EXPECT_EQ(Associations("jdoe.sales.acme"), Texts{"Edit-20.sales.acme;1;0"});
    EXPECT_EQ(Values("Calc-20.sales.acme", "App:Platform"), Texts{"7"});
    EXPECT_EQ(Values("Calc-20.sales.acme", "App:Caption"), Texts{"Calculator"});
    EXPECT_FALSE(Exists("Edit.sales.acme"));  // "Delete old" was on
    EXPECT_FALSE(Exists("Calc.sales.acme"));
}

TEST_F(MigrationTest, WithTheBoxesClearedTheOldObjectsAndTheirUsersStayAsTheyWere) {
    int exitCode = -1;
    std::string out = Run({"Edit.sales.acme"},
                          "dialog 393\n  check 5225 off\n  check 5226 off\n" + std::string(kMigrate), &exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    EXPECT_TRUE(Exists("Edit.sales.acme"));
    EXPECT_EQ(Values("Edit-20.sales.acme", "App:Caption"), Texts{"Editor"});
    EXPECT_EQ(Values("Edit-20.sales.acme", "App:Back Link"), Texts{});
    EXPECT_EQ(Associations("jdoe.sales.acme"), Texts{});
}

TEST_F(MigrationTest, TheModifierNamesTheNewObjectsAndMayHoldNoInvalidCharacter) {
    int exitCode = -1;
    // Typing "-v+" over the modifier: the names follow "-v", then the "+" is
    // refused and they stay.
    std::string out = Run({"Edit.sales.acme"},
                          "dialog 393\n"
                          "  check 5227 on\n"
                          "  set 5228 -v2\n"
                          "  show 5224\n"
                          "  answer ok\n"
                          "  set 5228 -v+\n"
                          "  show 5224\n"
                          "  check 5227 off\n"
                          "  show 5228\n"
                          "  show 5224\n"
                          "  choose 5224 #1\n"
                          "  press 5230\n"
                          "  show 5223\n"
                          "  press 1\n"  // nothing left to migrate: disabled
                          "  cancel\n"
                          "end\n",
                          &exitCode);
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(out,
              "dialog 393 \"Migrate Application Objects\"\n"
              "checked 5227 on\n"
              "set 5228\n"
              "5224:\n  Edit-v2.sales.acme\n"
              "message Dravik Error: The modifier text contains the invalid character '+'.  Remove the invalid "
              "character before migrating.\n"
              "answered ok\n"
              "set 5228\n"
              "5224:\n  Edit-v.sales.acme\n"
              "checked 5227 off\n"
              "5228: -20\n"
              "5224:\n  Edit-20.sales.acme\n"
              "chose 5224 #1\n"
              "pressed 5230\n"
              "5223:\n"
              "error: cannot click control 1 of dialog 393: it is hidden or disabled\n"
              "migration dialog answered 2\n");
    EXPECT_TRUE(Exists("Edit.sales.acme"));
    EXPECT_FALSE(Exists("Edit-20.sales.acme"));
}

// Clearing the modifier leaves nothing to name the new objects with.
TEST_F(MigrationTest, AnEmptyModifierCannotMigrate) {
    int exitCode = -1;
    std::string out = Run({"Edit.sales.acme"}, "dialog 393\n  check 5227 on\n  set 5228\n  press 1\n  cancel\nend\n",
                          &exitCode);
    EXPECT_NE(out.find("error: cannot click control 1 of dialog 393: it is hidden or disabled\n"), std::string::npos)
        << out;
}

// An old object that cannot be read, or whose associations cannot be carried
// over, is kept and reported; the others are migrated.
TEST_F(MigrationTest, AFailedConversionKeepsTheOldObjectAndSaysWhy) {
    ASSERT_EQ(host_.Select({"Edit.sales.acme", "Calc.sales.acme"}), 0);
    // The add of the new object succeeds, its icon stream's value, then the
    // association request on the user fails.
    faults::FailModify(DIR_ERR_NOT_ALLOWED, 2);
    int exitCode = -1;
    std::string out = Run({"Edit.sales.acme", "Calc.sales.acme"},
                          "dialog 393\n"
                          "  dialog 394\n"
                          "    answer ok There was a problem\n"
                          "    wait\n"
                          "  end\n"
                          "  answer ok You will need to manually refresh\n"
                          "  press 1\n"
                          "end\n",
                          &exitCode);
    EXPECT_EQ(exitCode, 0) << out;
    EXPECT_NE(out.find("message Dravik Error: There was a problem creating the new application object: "
                       "Edit-20.sales.acme.  The previous application object Edit.sales.acme will not be removed.  "
                       "Error code: " + std::to_string(DIR_ERR_NOT_ALLOWED) + ".\n"),
              std::string::npos)
        << out;
    EXPECT_TRUE(Exists("Edit.sales.acme"));
    EXPECT_FALSE(Exists("Calc.sales.acme"));
    EXPECT_EQ(Associations("jdoe.sales.acme"), Texts{});
}

}  // namespace
