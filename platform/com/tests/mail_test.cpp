#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "mapi.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/ui_driver.h"

namespace {

class Mail : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA("MAPI32.DLL");
        ASSERT_NE(module_, nullptr);
        send_ = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(module_, "MAPISendMail"));
        force_ = reinterpret_cast<void (*)(BOOL)>(GetProcAddress(module_, "MAPITestForceLogonFailure"));
        ASSERT_TRUE(send_ && force_);
    }
    void TearDown() override {
        force_(FALSE);
        FreeLibrary(module_);
    }
    ULONG SendTo(const char* name, FLAGS flags) {
        MapiRecipDesc to{0, MAPI_TO, const_cast<char*>(name), nullptr, 0, nullptr};
        MapiMessage message{};
        message.lpszSubject = const_cast<char*>("Application: CN=Edit");
        message.lpszNoteText = const_cast<char*>("");
        message.nRecipCount = 1;
        message.lpRecips = &to;
        return send_(0, 0, &message, flags, 0);
    }
    std::string Outbox(const char* name) {
        std::ifstream in(machine_.HostPath(std::string("C:\\WINDOWS\\OUTBOX\\") + name));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    vpr::testing::TempMachine machine_;
    HMODULE module_ = nullptr;
    LPMAPISENDMAIL send_ = nullptr;
    void (*force_)(BOOL) = nullptr;
};

TEST_F(Mail, SendWritesTheOutboxAndTheJournal) {
    EXPECT_EQ(SendTo("jdoe@acme.com", 0), static_cast<ULONG>(SUCCESS_SUCCESS));
    EXPECT_EQ(Outbox("MSG0001.TXT"), "To: jdoe@acme.com\r\nSubject: Application: CN=Edit\r\n\r\n\r\n");
    auto journal = machine_.machine()->ReadJournal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back().kind, "mail");
    EXPECT_EQ(SendTo("jdoe", 0), static_cast<ULONG>(MAPI_E_UNKNOWN_RECIPIENT));
    force_(TRUE);
    EXPECT_EQ(SendTo("jdoe@acme.com", 0), static_cast<ULONG>(MAPI_E_LOGON_FAILURE));
}

TEST_F(Mail, TheSendNoteDialogSendsCancelsAndChecksRecipientsAsSent) {
    vpr::user::UiDriver driver;
    // Cancel.
    driver.OnDialog(IDD_MAPI_SENDNOTE, [](const vpr::user::ModalElement& e) { vpr::user::ui::Click(e.window, IDCANCEL); });
    EXPECT_EQ(SendTo("jdoe", MAPI_DIALOG | MAPI_LOGON_UI), static_cast<ULONG>(MAPI_USER_ABORT));
    // A recipient without "@" as it stands when Send is pressed.
    driver.OnDialog(IDD_MAPI_SENDNOTE, [](const vpr::user::ModalElement& e) { vpr::user::ui::Click(e.window, IDOK); });
    EXPECT_EQ(SendTo("jdoe", MAPI_DIALOG), static_cast<ULONG>(MAPI_E_UNKNOWN_RECIPIENT));
    // The person mends it first.
    driver.OnDialog(IDD_MAPI_SENDNOTE, [](const vpr::user::ModalElement& e) {
        vpr::user::ui::ReplaceText(e.window, IDC_MAPI_TO, "jdoe@acme.com");
        vpr::user::ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(SendTo("jdoe", MAPI_DIALOG), static_cast<ULONG>(SUCCESS_SUCCESS));
    EXPECT_EQ(Outbox("MSG0001.TXT").substr(0, 19), "To: jdoe@acme.com\r\n");
    EXPECT_TRUE(driver.Failures().empty());
}

TEST_F(Mail, AnUnwritableOutboxFails) {
    { std::ofstream(machine_.HostPath("C:\\WINDOWS\\OUTBOX")) << "in the way"; }
    EXPECT_EQ(SendTo("jdoe@acme.com", 0), static_cast<ULONG>(MAPI_E_FAILURE));
}

}  // namespace
