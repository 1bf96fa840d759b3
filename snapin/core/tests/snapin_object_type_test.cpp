#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "snapin/core/snapin_interface_base.h"
#include "snapin/core/snapin_menu.h"
#include "snapin/core/snapin_object_type.h"

namespace {

class TestInterface : public CSnapinInterfaceBase {
public:
    using CSnapinInterfaceBase::CSnapinInterfaceBase;
    LONG Init() override { return 0; }
    LONG Term() override { return 0; }
};

class TestClass;
TestClass* g_field = nullptr;  // where the "interface" keeps the object

class TestClass : public CSnapinObjectType {
public:
    TestClass() : CSnapinObjectType("DS", "User", static_cast<LPCSTR>(nullptr)) {}
    LONG CreatePages() override {
        ++created;
        m_pages.push_back(SnapinPageRecord{nullptr, nullptr, MAKEINTRESOURCEA(301), "First", 11});
        m_pages.push_back(SnapinPageRecord{nullptr, nullptr, MAKEINTRESOURCEA(302), "Second", 22});
        return 0;
    }
    LONG DeletePages() override { return 0; }
    SnapinCallBackFn GetCallBack() override { return CallBack; }
    static LONG CALLBACK CallBack(char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4) {
        return DispatchClassCallBack(g_field, data, code, p3, p4);
    }
    int created = 0;
};

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override { g_field = nullptr; }
    void TearDown() override {
        if (g_field) Send(0x111);  // no current name is left behind
        g_field = nullptr;
    }
    TestClass object_;
    static LONG Send(WORD code, const char* data = "", ULONG_PTR p3 = 0, ULONG_PTR p4 = 0) {
        std::string copy(data);
        return TestClass::CallBack(copy.data(), code, p3, p4);
    }
};

TEST_F(DispatchTest, AnUnboundClassAnswersZeroUntilCreatePagesBindsThePendingObject) {
    for (WORD code : {0x101, 0x103, 0x104, 0x105, 0x106, 0x110, 0x116}) EXPECT_EQ(Send(code), 0) << code;
    EXPECT_EQ(GetPendingObjectType(), nullptr);
    EXPECT_EQ(Send(0x100), 0);  // nothing pending: still unbound
    EXPECT_EQ(g_field, nullptr);
    object_.Register();  // no host runs: refused, but pending all the same
    EXPECT_EQ(GetPendingObjectType(), &object_);
    EXPECT_EQ(Send(0x100), 0);
    EXPECT_EQ(g_field, &object_);
    EXPECT_EQ(object_.created, 1);
    EXPECT_EQ(Send(0x110), 1);
}

TEST_F(DispatchTest, ABoundClassAnswersEveryCodeFromItsTable) {
    g_field = &object_;
    struct Case {
        WORD code;
        LONG answer;
    };
    const Case cases[] = {{0x100, 0}, {0x101, 0}, {0x102, 0}, {0x105, 1}, {0x106, 0}, {0x107, 0}, {0x108, 0},
                          {0x109, 0}, {0x10A, 0}, {0x10F, 0}, {0x110, 1}, {0x111, 0}, {0x112, 0}, {0x113, 0},
                          {0x114, 0}, {0x115, 0}, {0x116, 5}, {0x117, 0}, {0x118, 0}, {0x119, 0}, {0x11A, 0},
                          {0x0FF, 0}, {0x200, 0}};
    for (const Case& c : cases) EXPECT_EQ(Send(c.code), c.answer) << std::hex << c.code;
    EXPECT_EQ(object_.created, 1);
    EXPECT_EQ(Send(0x103, "jdoe.sales.acme"), 2);  // the page count
    SnapinPageRecord record{};
    EXPECT_EQ(Send(0x104, "", 1, reinterpret_cast<ULONG_PTR>(&record)), 0);
    EXPECT_STREQ(record.title, "Second");
    EXPECT_EQ(record.initParam, 22);
    record.initParam = 99;
    EXPECT_EQ(Send(0x104, "", 2, reinterpret_cast<ULONG_PTR>(&record)), -1);
    EXPECT_EQ(record.initParam, 99);  // untouched
}

TEST_F(DispatchTest, TheCurrentObjectNameLivesFromOpenToClose) {
    g_field = &object_;
    EXPECT_EQ(Send(0x111), 0);
    EXPECT_EQ(GetCurrentObjectName(), nullptr);
    Send(0x103, "jdoe.sales.acme");
    ASSERT_NE(GetCurrentObjectName(), nullptr);
    EXPECT_STREQ(GetCurrentObjectName(), "jdoe.sales.acme");
    Send(0x103, "ann.sales.acme");  // the next one replaces it
    EXPECT_STREQ(GetCurrentObjectName(), "ann.sales.acme");
    EXPECT_EQ(Send(0x111), 0);
    EXPECT_EQ(GetCurrentObjectName(), nullptr);
}

TEST_F(DispatchTest, ANameLongerThanTheBufferIsRefused) {
    g_field = &object_;
    std::string longest(SNAPIN_NAME_SIZE - 1, 'a');
    EXPECT_EQ(Send(0x103, longest.c_str()), 0);  // no pages yet, but taken
    EXPECT_EQ(std::string(GetCurrentObjectName()), longest);
    std::string tooLong(SNAPIN_NAME_SIZE, 'a');
    EXPECT_EQ(Send(0x103, tooLong.c_str()), -1);
    EXPECT_EQ(GetCurrentObjectName(), nullptr);
}

TEST(SnapinInterfaceTest, TheFirstInterfaceIsTheSingletonUntilItGoes) {
    EXPECT_EQ(GetSnapinInterface(), nullptr);
    {
        TestInterface first("first");
        TestInterface second("second");
        EXPECT_EQ(GetSnapinInterface(), &first);
        first.SetResourceHandle(reinterpret_cast<HINSTANCE>(0x1234));
        TestClass object;
        EXPECT_EQ(object.GetDisplayText(), nullptr);
        EXPECT_EQ(object.RegisterBitmaps(nullptr, nullptr, nullptr), 0);  // handles missing: nothing registered
        EXPECT_STREQ(object.GetDisplayText(), "User");  // the class name stands in
    }
    EXPECT_EQ(GetSnapinInterface(), nullptr);
}

class TestMenu : public CSnapinMenu {
public:
    TestMenu() : CSnapinMenu("ListMenu", 0, 0) {}
    void BindExports() override {
        s_menu = this;
        SetMenuValid(Valid);
        SetMenuAction(Action);
    }
    unsigned QueryState() override { return state; }
    void Execute() override { ++executed; }
    static void CALLBACK Valid(unsigned* state) { DispatchMenuValid(s_menu, state); }
    static void CALLBACK Action() { DispatchMenuAction(s_menu); }
    static TestMenu* s_menu;
    unsigned state = SNAPIN_MENU_ENABLED;
    int executed = 0;
};
TestMenu* TestMenu::s_menu = nullptr;

TEST(SnapinMenuTest, ExportsAnswerForTheBoundObjectOrGrayTheItem) {
    unsigned state = 0;
    TestMenu::Valid(&state);
    EXPECT_EQ(state, static_cast<unsigned>(SNAPIN_MENU_GRAYED));  // no object yet
    TestMenu::Action();                                             // nothing to run
    TestMenu menu;
    menu.Register();  // binds, though no host takes it
    menu.state = SNAPIN_MENU_GRAYED;
    TestMenu::Valid(&state);
    EXPECT_EQ(state, static_cast<unsigned>(SNAPIN_MENU_GRAYED));
    menu.state = SNAPIN_MENU_ENABLED;
    TestMenu::Valid(&state);
    EXPECT_EQ(state, static_cast<unsigned>(SNAPIN_MENU_ENABLED));
    TestMenu::Action();
    EXPECT_EQ(menu.executed, 1);
    TestMenu::s_menu = nullptr;
}

}  // namespace
