// GO on the wizard's print page against the real reference server: the
// printer check with each of its messages, the session, the authentication,
// and a full delivery that the queue then completes.
#include "wizard_env.h"

#include "reference_server.h"

#include "auth/tselauth.h"
#include "htmlpage/thtmlpage.h"

#include <zentcore/jobfiles.h>
#include <zentcore/settings.h>

#include <QComboBox>
#include <QPushButton>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>

namespace {

using clienttest::ClientMachine;
using clienttest::JobDescription;
using clienttest::WizardClient;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

// The first session is 258: its answer's bytes are 00 00 01 02.
const char kConfig[] = R"({
  "server_info": ["Wizard server", "1.0", "127.0.0.1", "EUR"],
  "first_session": 258,
  "auth_methods": {"Voucher": {"stage": 1}},
  "printers": [
    {"name": "laser", "description": {"PRPAGE": 9, "MAXPAGES": 10, "MARGINS": [420, 420, 420, 420, 21000, 29700],
                                      "ATREQUEST": true, "ARCHIVEJOB": true}},
    {"name": "offline", "description": {"AVAILABLE": false, "PRPAGE": 9}},
    {"name": "letter", "description": {"PRPAGE": 1}},
    {"name": "mono", "description": {"PRPAGE": 9, "PRCOLOR": false}},
    {"name": "paid", "description": {"PRPAGE": 9, "AUTHNAME": ["Voucher"], "PAGEPRICE": ["0.10"],
                                     "MINCHARGE": ["0"], "TAX": ["0"]}},
    {"name": "unpriced", "description": {"PRPAGE": 9, "AUTHNAME": ["Voucher"]}}
  ]
})";

const std::string kData = "%!PS-Adobe-3.0\n(hello) show showpage\n";

class WizardSend : public ::testing::Test {
protected:
    // Queues one job and lets the queue hand it to the wizard.
    zentcore::TQueuedJob& start(const std::string& description) {
        machine.writeJob("ztp_1", description, kData);
        client = std::make_unique<WizardClient>(machine);
        zentcore::TQueuedJob* job = client->pass();
        EXPECT_NE(job, nullptr);
        return *job;
    }
    std::string at(const std::string& printer) const { return printer + "@" + server.address(); }
    void go(const std::string& address) {
        client->type(address);
        client->wizard().BitBtnNextClick();
    }
    std::string description() const { return testenv::readFile(machine.workDir + "/ztp_1.txt"); }

    ClientMachine machine;
    testenv::ReferenceServer server{kConfig};
    std::unique_ptr<WizardClient> client;
};

struct CheckCase {
    const char* printer;
    int pages, copies, color;
    bool answerYes;
    const char* message;   // the one message shown ("" none)
    bool sent;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.printer << " " << c.pages << "x" << c.copies; }

class PrinterCheck : public WizardSend, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(PrinterCheck, ShowsOneMessageAndKeepsTheJobIdleUnlessItPasses) {
    const CheckCase& c = GetParam();
    auto& job = start(JobDescription("Report", c.pages, c.copies, 9, c.color));
    const std::string before = description();
    client->prompter.answer(c.answerYes);
    go(at(c.printer));

    auto& wizard = client->wizard();
    if (std::string(c.message).empty()) {
        EXPECT_THAT(client->messages(), ElementsAre());
    } else {
        EXPECT_THAT(client->messages(), ElementsAre(c.message));
    }
    if (c.sent) {
        EXPECT_EQ(job.SessionId, 258) << "read from the answer's bytes 00 00 01 02";
        EXPECT_NE(job.SendThread, nullptr);
        EXPECT_FALSE(wizard.isVisible());
        EXPECT_EQ(wizard.currentJob(), nullptr);
        job.SendThread->waitFor();
    } else {
        EXPECT_EQ(job.SessionId, 0);
        EXPECT_FALSE(job.Busy);
        EXPECT_TRUE(wizard.isVisible());
        EXPECT_EQ(wizard.currentJob(), &job);
        EXPECT_EQ(description(), before) << "a failed check changes no file";
        for (QWidget* w : {static_cast<QWidget*>(wizard.ComboBox1), static_cast<QWidget*>(wizard.BitBtnNext),
                           static_cast<QWidget*>(wizard.BitBtnLater), static_cast<QWidget*>(wizard.BitBtnCancel),
                           static_cast<QWidget*>(wizard.BitBtnPrInfo), static_cast<QWidget*>(wizard.BitBtnTitle)})
            EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString() << " is given back, Later_En or not";
    }
}

const std::string kPaperMismatch = "W:Requested paper size (" + zentcore::PaperSizeName(9) +
                                   ") does not match printer's (" + zentcore::PaperSizeName(1) + ")!";

INSTANTIATE_TEST_SUITE_P(
    Wizard, PrinterCheck,
    ::testing::Values(CheckCase{"laser", 5, 2, 0, false, "", true},
                      CheckCase{"laser", 11, 1, 0, false, "W:Requested job pages exceed printer's maximum.", false},
                      CheckCase{"nosuch", 1, 1, 0, false, "W:Printer does not exist or does not respond!", false},
                      CheckCase{"offline", 1, 1, 0, false, "W:Printer is not available!", false},
                      CheckCase{"letter", 1, 1, 0, false, kPaperMismatch.c_str(), false},
                      CheckCase{"mono", 1, 1, 2, false, "Q:Printer does not support colour! Continue?", false},
                      CheckCase{"mono", 1, 1, 2, true, "Q:Printer does not support colour! Continue?", true}),
    [](const ::testing::TestParamInfo<CheckCase>& info) {
        const CheckCase& c = info.param;
        return std::string(c.printer) + "_" + std::to_string(c.pages) + "x" + std::to_string(c.copies) +
               (c.color ? (c.answerYes ? "_colourYes" : "_colourNo") : "");
    });

TEST_F(WizardSend, AnOldClientHearsOnlyTheVersionMessage) {
    testenv::ReferenceServer strict(R"({"min_client_version": 9999, "printers": [{"name": "laser"}]})");
    start(JobDescription("Report", 1, 1));
    go("laser@" + strict.address());
    EXPECT_THAT(client->messages(),
                ElementsAre("W:Server - Client version number mismatch!\r\nPlease get newer version."));
}

TEST_F(WizardSend, AnUnreachableServerIsAPrinterThatDoesNotRespond) {
    start(JobDescription("Report", 1, 1));
    go("laser@127.0.0.1:" + std::to_string(testenv::freeLocalPort()));
    EXPECT_THAT(client->messages(), ElementsAre("W:Printer does not exist or does not respond!"));
    EXPECT_TRUE(client->wizard().isVisible());
}

TEST_F(WizardSend, AGoDeliversTheJobWhichTheQueueCompletesAndArchives) {
    machine.setMachineDword("ArchiveDocs", 1);
    machine.setMachineDword("WantsReceipt", 1);
    auto& job = start(JobDescription("Report", 2, 1));
    client->services.inputs.push_back("  Final report ");
    client->wizard().BitBtnTitleClick();
    // The packing is over before GO: the receipt shows its size.
    ASSERT_TRUE(clienttest::waitUntil([&] { return job.CompressThread && job.CompressThread->IsFinished(); }));
    std::int64_t receiptPackedSize = -1;
    client->services.onModeless = [&](QDialog& dialog) {
        receiptPackedSize = dynamic_cast<zentclient::THTMLPage&>(dialog).Job->PackedSize;
    };
    go(at("laser"));

    EXPECT_THAT(client->messages(), ElementsAre());
    EXPECT_TRUE(client->services.modalTitles.empty()) << "a printer without methods needs no authentication";
    EXPECT_THAT(client->services.modelessTitles, ElementsAre("Job Information"));
    EXPECT_EQ(job.SessionId, 258);
    EXPECT_EQ(job.ServerFlags, 3) << "ATREQUEST + 2 x ARCHIVEJOB";
    const std::string txt = description();
    for (const std::string line : {"SessionId=258\r\n", "Printer=laser\r\n", "DocName=Final report\r\n"})
        EXPECT_THAT(txt, HasSubstr(line));
    EXPECT_THAT(txt, HasSubstr("Server=" + server.address() + "\r\n"));
    EXPECT_TRUE(job.Busy);
    const std::string packed = testenv::readFile(machine.workDir + "/ztp_1.gz");
    EXPECT_EQ(receiptPackedSize, std::int64_t(packed.size()));
    ASSERT_NE(job.SendThread, nullptr);
    EXPECT_EQ(job.SendThread->Data.substr(job.SendThread->Data.size() - 12), "\x04" "21000\x04" "29700")
        << "the wizard's transmission carries the paper size";
    ASSERT_TRUE(clienttest::waitUntil([&] { return job.SendThread->Finished.load(); }, 20000));

    client->form().Timer1Timer();
    EXPECT_TRUE(client->form().JobQueue.empty());
    EXPECT_THAT(machine.workFiles(), ElementsAre());
    EXPECT_EQ(testenv::readFile(machine.userSaveDir() + "/ztp_1.ztp"), kData);

    std::vector<fs::path> spooled;
    for (const auto& entry : fs::directory_iterator(server.spoolDir())) spooled.push_back(entry.path());
    ASSERT_EQ(spooled.size(), 1u);
    EXPECT_EQ(testenv::readFile((spooled[0] / "job.bin").string()), packed) << "the packed job, byte for byte";
    const std::string meta = testenv::readFile((spooled[0] / "meta.json").string());
    for (const char* field : {"\"document\": \"Final report\"", "\"paper_width\": 21000", "\"paper_height\": 29700",
                              "\"server_flags\": 3", "\"pages\": 2", "\"session\": 258"})
        EXPECT_THAT(meta, HasSubstr(field));
    EXPECT_TRUE(server.logShows("CONFIRM"));
}

TEST_F(WizardSend, RefusedAuthenticationLeavesTheJobIdleWithTheWizardOpen) {
    auto& job = start(JobDescription("Report", 1, 1));
    const std::string before = description();
    bool sawDialog = false;
    client->services.onModal = [&](QDialog& dialog) {
        auto* auth = qobject_cast<zentclient::TSelAuth*>(&dialog);
        sawDialog = auth != nullptr;
        return sawDialog ? int(zentcore::AuthDialogue::kCancelled) : 0;
    };
    go(at("paid"));
    EXPECT_TRUE(sawDialog) << "a printer naming methods opens the authentication";
    EXPECT_THAT(client->messages(), ElementsAre());
    EXPECT_EQ(job.SessionId, 0);
    EXPECT_FALSE(job.Busy);
    EXPECT_EQ(job.SendThread, nullptr);
    EXPECT_TRUE(client->wizard().isVisible());
    EXPECT_EQ(client->wizard().currentJob(), &job);
    EXPECT_EQ(description(), before);
    EXPECT_TRUE(client->wizard().BitBtnNext->isEnabled());

    // Passed this time: the job goes.
    client->services.onModal = [](QDialog&) { return int(zentcore::AuthDialogue::kAuthenticated); };
    go(at("paid"));
    EXPECT_EQ(job.SessionId, 259);
    ASSERT_NE(job.SendThread, nullptr);
    job.SendThread->waitFor();
    EXPECT_EQ(job.SendThread->ReturnValue, 259);
}

TEST_F(WizardSend, APrinterNamingMethodsWithoutChargesGetsTheDialogNotTheJob) {
    auto& job = start(JobDescription("Report", 1, 1));
    std::optional<std::size_t> offered;
    client->services.onModal = [&](QDialog& dialog) {
        if (auto* auth = qobject_cast<zentclient::TSelAuth*>(&dialog)) offered = auth->Dialogue().methods().size();
        return int(zentcore::AuthDialogue::kCancelled);   // its only button, "OK"
    };
    go(at("unpriced"));
    EXPECT_EQ(offered, std::optional<std::size_t>(0));
    EXPECT_EQ(job.SendThread, nullptr);
    EXPECT_EQ(job.SessionId, 0);
    EXPECT_TRUE(client->wizard().isVisible());
}

// The address is remembered once the server opened a session, whatever
// follows; here the authentication is refused so the job stays.
struct RememberCase {
    std::vector<std::string> saved;
    int position;   // where the used address is in saved; -1: new
    std::vector<std::string> expected;   // "@" stands for the used address
    bool saves;
};

TEST_F(WizardSend, RemembersTheUsedAddressAtTheFront) {
    const std::vector<RememberCase> cases = {
        {{"a@x", "@"}, 1, {"@", "a@x"}, true},
        {{"@", "a@x"}, 0, {"@", "a@x"}, false},
        {{"1@x", "2@x", "3@x", "4@x", "5@x", "6@x", "7@x", "8@x", "9@x", "10@x"},
         -1,
         {"@", "1@x", "2@x", "3@x", "4@x", "5@x", "6@x", "7@x", "8@x", "9@x"},
         true},
    };
    machine.setMachineDword("SaveRqAddr", 1);
    start(JobDescription("Report", 1, 1));
    client->services.onModal = [](QDialog&) { return int(zentcore::AuthDialogue::kCancelled); };
    const std::string used = at("paid");
    const auto resolve = [&](std::vector<std::string> list) {
        for (auto& entry : list)
            if (entry == "@") entry = used;
        return list;
    };
    const std::string userHive = std::getenv("ZENTROPE_USER_REGISTRY");
    for (const auto& c : cases) {
        ASSERT_TRUE(zentcore::SaveRequestAddresses(resolve(c.saved)));
        const auto before = fs::last_write_time(userHive);
        clienttest::spin(20);   // a later write gets a later time
        go(used);
        EXPECT_EQ(zentcore::LoadRequestAddresses(), resolve(c.expected)) << c.position;
        EXPECT_EQ(fs::last_write_time(userHive) != before, c.saves) << c.position;
    }
}

}  // namespace
