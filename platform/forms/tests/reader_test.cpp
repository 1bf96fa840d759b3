// Forms read from their descriptions: components by class, properties and
// bindings by name, parent classes first, and every fault named.
#include "forms_fixture.h"

namespace vpr::forms::testing {
namespace {

namespace ui = vpr::user::ui;
using sample::TfrmSample;
using sample::TSampleForm;

class TfrmBase : public TSampleForm {
    VPR_FORM_CLASS(TfrmBase, TSampleForm)
public:
    using TSampleForm::TSampleForm;
    TButton* btnA = nullptr;
    std::vector<std::string> clicks;
    void btnAClick(TObject*) { clicks.push_back("A"); }
    static void DeclareMembers(FormMembers<TfrmBase>& m) {
        m.Field("btnA", &TfrmBase::btnA);
        m.Event("btnAClick", &TfrmBase::btnAClick);
    }
};

class TfrmDerived : public TfrmBase {
    VPR_FORM_CLASS(TfrmDerived, TfrmBase)
public:
    using TfrmBase::TfrmBase;
    TButton* btnB = nullptr;
    void btnBClick(TObject*) { clicks.push_back("B"); }
    static void DeclareMembers(FormMembers<TfrmDerived>& m) {
        m.Field("btnB", &TfrmDerived::btnB);
        m.Event("btnBClick", &TfrmDerived::btnBClick);
    }
};

// A form class of which the program has no description.
class TfrmBare : public TSampleForm {
    VPR_FORM_CLASS(TfrmBare, TSampleForm)
public:
    using TSampleForm::TSampleForm;
};

TEST_F(FormsTest, TheSampleFormIsBuiltFromItsDescription) {
    auto* form = NewForm<TfrmSample>(nullptr);
    ASSERT_TRUE(form->nbkMain && form->edtName && form->lstFruit && form->cbxDrive && form->lblInfo && form->tmrBlink);
    EXPECT_EQ(form->Caption(), "Form sample");
    EXPECT_EQ(form->HelpContext, 100);
    EXPECT_EQ(form->nbkMain->Pages(), (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(form->nbkMain->ActivePage(), "First");
    EXPECT_EQ(log, (std::vector<std::string>{"created on page First"}));
    // Controls have ids in the order the description makes them; a control
    // on a page is found by its id through the page.
    EXPECT_LT(Id(form->nbkMain), Id(form->edtName));
    EXPECT_LT(Id(form->edtName), Id(form->lstFruit));
    EXPECT_EQ(form->FindControlById(Id(form->lblInfo)), form->lblInfo);
    EXPECT_EQ(GetDlgCtrlID(form->lblInfo->Handle()), Id(form->lblInfo));
    // Sorted rows, and a multi-selection list.
    ASSERT_EQ(form->lstFruit->Items().Count(), 3);
    EXPECT_EQ(form->lstFruit->Items()[0], "apple");
    EXPECT_EQ(form->lstFruit->Items()[2], "pear");
    EXPECT_TRUE(GetWindowLongA(form->lstFruit->Handle(), GWL_STYLE) & LBS_EXTENDEDSEL);
    EXPECT_TRUE(SendMessageA(form->btnNext->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);
}

TEST_F(FormsTest, AnInheritedFormReadsItsParentsDescriptionFirst) {
    auto* form = NewForm<TfrmDerived>(nullptr);
    EXPECT_EQ(form->Caption(), "Derived");                // the child's, read last
    EXPECT_EQ(form->Tag, 1);                              // the parent's, kept
    ASSERT_TRUE(form->btnA && form->btnB);
    EXPECT_EQ(form->btnA->Caption(), "Derived A");        // one button, read twice
    EXPECT_EQ(form->Components().size(), 2u);
    form->Show();
    ui::Click(form->Handle(), Id(form->btnA));            // bound by the parent's description
    ui::Click(form->Handle(), Id(form->btnB));
    EXPECT_EQ(form->clicks, (std::vector<std::string>{"A", "B"}));
}

TEST_F(FormsTest, AClassWithoutADescriptionIsAnError) {
    try {
        NewForm<TfrmBare>(nullptr);
        FAIL() << "made a form without a description";
    } catch (const EResNotFound& error) {
        EXPECT_STREQ(error.what(), "Resource TfrmBare not found");
    }
    EXPECT_TRUE(Screen().empty());
}

TEST_F(FormsTest, EveryFaultOfADescriptionIsNamed) {
    struct Case {
        const char* source;
        const char* error;
    };
    const Case cases[] = {
        {"object f: TfrmBase\n object x: TNoSuch\n end\nend", "Error reading TfrmBase.x: Class TNoSuch not found"},
        {"object f: TfrmBase\n Colour = 1\nend", "Error reading TfrmBase.Colour: Property Colour does not exist in TfrmBase"},
        {"object f: TfrmBase\n object btnA: TButton\n  OnClick = Nope\n end\nend",
         "Error reading TfrmBase.btnA.OnClick: Invalid method Nope (not a method of TfrmBase)"},
        {"object f: TfrmBase\n Caption = 1\nend", "Error reading TfrmBase.Caption: a string expected"},
        {"object f: TfrmBase\n BorderStyle = bsFancy\nend", "Error reading TfrmBase.BorderStyle: invalid property value bsFancy"},
        {"object f: TfrmBase\n object btnA: TEdit\n end\nend",
         "Error reading TfrmBase.btnA: the field btnA of TfrmBase does not take a TEdit"},
        {"object f: TfrmBase\n object t: TTimer\n  object b: TButton\n  end\n end\nend",
         "Error reading TfrmBase.t: TTimer cannot hold components"},
        {"object f: TfrmOther\nend", "The description of class TfrmOther cannot be read into a form of class TfrmBase"},
    };
    for (const Case& c : cases) {
        FormObject description;
        std::string error;
        ASSERT_TRUE(ParseFormSource(c.source, &description, &error)) << error;
        std::vector<uint8_t> stream = EncodeFormStream(description);
        auto* form = new TfrmBase(nullptr);
        try {
            ReadFormStream(stream.data(), stream.size(), form, TfrmBase::StaticClass());
            ADD_FAILURE() << "read: " << c.source;
        } catch (const EReadError& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
        form->Free();
    }
    auto* form = new TfrmBase(nullptr);
    const uint8_t damaged[] = {'V', 'F', 'R', 'M', 1, 0, 200, 0, 0, 0};
    EXPECT_THROW(ReadFormStream(damaged, sizeof damaged, form, TfrmBase::StaticClass()), EReadError);
    form->Free();
}

}  // namespace
}  // namespace vpr::forms::testing
