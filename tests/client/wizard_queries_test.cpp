// The print page's questions to the real reference server: the printer
// list, its details view, picking a printer into the address box, printer
// and document information.
#include "wizard_env.h"

#include "reference_server.h"

#include "htmlpage/thtmlpage.h"

#include <zentcore/htmlpage.h>

#include <QAction>
#include <QComboBox>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using clienttest::ClientMachine;
using clienttest::JobDescription;
using clienttest::WizardClient;
using ::testing::ElementsAre;
using zentclient::THTMLPage;

const char kConfig[] = R"({
  "printers": [{"name": "laser", "description": {"PRPAGE": 9, "PRMODEL": "Mono laser"}},
               {"name": "inkjet", "description": {"PRPAGE": 9, "PRCOLOR": true}},
               {"name": "hidden", "listed": false}]
})";

std::vector<std::string> names(const std::vector<zentcore::PrinterListEntry>& list) {
    std::vector<std::string> texts;
    for (const auto& e : list) texts.push_back(e.Name);
    return texts;
}

std::vector<std::string> boxEntries(const QComboBox& box) {
    std::vector<std::string> texts;
    for (int i = 0; i < box.count(); ++i) texts.push_back(box.itemText(i).toStdString());
    return texts;
}

class WizardQueries : public ::testing::Test {
protected:
    void start() {
        machine.writeJob("ztp_1", JobDescription("Report", 4, 1));
        client = std::make_unique<WizardClient>(machine);
        job = client->pass();
        ASSERT_NE(job, nullptr);
    }
    // The list page picks printer.
    void pickFromList(const std::string& printer) {
        client->services.onModal = [&, printer](QDialog& dialog) {
            auto& page = dynamic_cast<THTMLPage&>(dialog);
            EXPECT_THAT(names(*page.PrinterList), ElementsAre("laser", "inkjet"));
            page.PickedPrinter = printer;
            return zentcore::kModalPrinterPicked;
        };
        client->wizard().GetPrListClick();
    }

    ClientMachine machine;
    testenv::ReferenceServer server{kConfig};
    std::unique_ptr<WizardClient> client;
    zentcore::TQueuedJob* job = nullptr;
};

TEST_F(WizardQueries, PickingAListedPrinterPutsItsAddressIntoTheBoxOnce) {
    ASSERT_NO_FATAL_FAILURE(start());
    auto& wizard = client->wizard();
    client->type(server.address());   // a bare server lists its printers
    const int before = wizard.ComboBox1->count();
    pickFromList("inkjet");
    const std::string picked = "inkjet@" + server.address();
    EXPECT_THAT(client->services.modalTitles, ElementsAre(QString::fromStdString("Zentrope: Printers on " + server.address())));
    ASSERT_EQ(wizard.ComboBox1->count(), before + 1);
    EXPECT_EQ(wizard.ComboBox1->currentText().toStdString(), picked);
    EXPECT_EQ(wizard.addressImage(wizard.ComboBox1->currentIndex()), zentclient::TUserForm::kImageAddress);

    client->type("laser@" + server.address());
    pickFromList("inkjet");
    EXPECT_EQ(wizard.ComboBox1->count(), before + 1) << "the existing entry is selected again";
    EXPECT_EQ(wizard.ComboBox1->currentText().toStdString(), picked);
    EXPECT_TRUE(client->prompter.calls.empty());
    EXPECT_TRUE(zentcore::LoadRequestAddresses().empty()) << "picking remembers nothing";
}

TEST_F(WizardQueries, APickOnlyBoxRefusesANewAddressWithABeep) {
    machine.setMachineDword("AddrReadOnly", 1);
    ASSERT_TRUE(zentcore::SaveRequestAddresses({"laser@" + server.address()}));
    ASSERT_NO_FATAL_FAILURE(start());
    auto& wizard = client->wizard();
    pickFromList("inkjet");
    EXPECT_EQ(client->services.beeps, 1);
    EXPECT_THAT(boxEntries(*wizard.ComboBox1), ElementsAre("laser@" + server.address()));
    EXPECT_EQ(wizard.ComboBox1->currentIndex(), 0);
    pickFromList("laser");
    EXPECT_EQ(client->services.beeps, 1) << "a listed entry is simply selected";
}

TEST_F(WizardQueries, TheDetailsViewDescribesEachPrinterAndPicksToo) {
    ASSERT_NO_FATAL_FAILURE(start());
    auto& wizard = client->wizard();
    client->type("laser@" + server.address());
    int shown = 0;
    client->services.onModal = [&](QDialog& dialog) {
        auto& page = dynamic_cast<THTMLPage&>(dialog);
        if (++shown == 1) return zentcore::kModalMoreData;
        const auto& list = *page.PrinterList;
        EXPECT_THAT(names(list), ElementsAre("laser", "inkjet"));
        EXPECT_TRUE(list[0].Data && list[0].Data->PrinterName == "laser" && list[0].Data->PrModel == "Mono laser");
        EXPECT_TRUE(list[1].Data && list[1].Data->Color);
        EXPECT_THAT(page.PageProducer1.HTMLFile, ::testing::EndsWith("/prlist2.htm"));
        page.PickedPrinter = "inkjet";
        return zentcore::kModalPrinterPicked;
    };
    wizard.GetPrListClick();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(client->services.modalTitles.back().toStdString(), "Zentrope: Printer details on " + server.address());
    EXPECT_EQ(wizard.ComboBox1->currentText().toStdString(), "inkjet@" + server.address());
}

TEST_F(WizardQueries, PrinterAndDocumentInformationShowTheirPages) {
    ASSERT_NO_FATAL_FAILURE(start());
    auto& wizard = client->wizard();
    client->type("laser@" + server.address());
    client->services.onModal = [&](QDialog& dialog) {
        auto& page = dynamic_cast<THTMLPage&>(dialog);
        if (page.Printer) {
            EXPECT_EQ(page.Printer->PrinterName, "laser");
            EXPECT_EQ(page.Printer->PrModel, "Mono laser");
            EXPECT_THAT(page.PageProducer1.HTMLFile, ::testing::EndsWith("/prinfo.htm"));
        } else {
            EXPECT_EQ(page.Job, job);
            EXPECT_THAT(page.PageProducer1.HTMLFile, ::testing::EndsWith("/docinfo.htm"));
        }
        return 1;
    };
    wizard.GetPrInfoClick();
    wizard.BitBtnDocInfoClick();
    EXPECT_THAT(client->services.modalTitles, ElementsAre("Printer Information", "Document Information"));
    EXPECT_TRUE(client->prompter.calls.empty());
}

TEST_F(WizardQueries, ListFailuresAreReported) {
    ASSERT_NO_FATAL_FAILURE(start());
    client->type("x@127.0.0.1:" + std::to_string(testenv::freeLocalPort()));
    client->wizard().GetPrListClick();
    testenv::ReferenceServer empty(R"({"printers": [{"name": "hidden", "listed": false}]})");
    client->type(empty.address());
    client->wizard().GetPrListClick();
    client->type("[Local Export]");
    client->wizard().BitBtnPrInfoClick();
    EXPECT_THAT(client->messages(), ElementsAre("W:Could not communicate with server.",
                                                "W:No printers listed on server.",
                                                "I:There is nothing to display about this."));
    EXPECT_TRUE(client->services.modalTitles.empty());
}

TEST(WizardQueriesDetails, APrinterThatDoesNotAnswerIsListedWithoutDetails) {
    testenv::ReferenceServer server(R"({"commands": {"ASKPRN": {"error": {"code": 902, "text": "gone"}}},
                                        "printers": [{"name": "laser"}, {"name": "inkjet"}]})");
    ClientMachine machine;
    machine.writeJob("ztp_1", JobDescription("Report", 1, 1));
    WizardClient client(machine);
    ASSERT_NE(client.pass(), nullptr);
    client.type(server.address());
    int shown = 0;
    client.services.onModal = [&](QDialog& dialog) {
        auto& page = dynamic_cast<THTMLPage&>(dialog);
        if (++shown == 1) return zentcore::kModalMoreData;
        EXPECT_THAT(names(*page.PrinterList), ElementsAre("laser", "inkjet"));
        for (const auto& entry : *page.PrinterList) EXPECT_FALSE(entry.Data) << entry.Name;
        return 1;
    };
    client.wizard().GetPrListClick();
    EXPECT_EQ(shown, 2);
}

}  // namespace
