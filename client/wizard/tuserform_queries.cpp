// The print page's questions to the server and about the document: printer
// information, the printer list with its details view, document information.
#include "wizard/tuserform.h"

#include "htmlpage/thtmlpage.h"
#include "wizard/wizardservices.h"

#include <zentcore/application.h>
#include <zentcore/htmlpage.h>
#include <zentcore/transmission.h>
#include <zentcore/serverrequest.h>
#include <zplatform/prompter.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <exception>

namespace zentclient {

namespace {

// The description a printer's ASKPRN answer gives, named as asked for;
// nullopt when the server did not answer, answered nothing or the answer does
// not parse.
std::optional<encdec::TPrinterData> askPrinter(const std::string& printer, const std::string& server,
                                               platform::WindowHandle owner) {
    const auto answer = zentcore::AskServer("ASKPRN", printer, server, owner, encdec::ttNone);
    if (!answer.answered()) return std::nullopt;
    encdec::TPrinterData data;
    encdec::StringList keyLines;
    try {
        if (encdec::ParsePrinterAnswer(answer.text(), data, true, keyLines) == 0) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    data.PrinterName = printer;
    return data;
}

}  // namespace

std::string TUserForm::templatePath(const char* name) const { return context_.settings.AppDir + "/data/" + name; }

void TUserForm::BitBtnPrInfoClick() {
    leaveTopmost();
    if (actionRuns()) return;
    const auto typed = selectedAddress();
    if (!typed) return;
    if (*typed == zentcore::kLocalExportEntry) {
        platform::prompter().info(zentcore::kApplicationTitle, "There is nothing to display about this.");
        return;
    }
    const auto address = zentcore::SplitPrinterAddressOrWarn(*typed, true);
    if (!address) return;
    GetPrInfo->setEnabled(!address->printer.empty());
    GetPrList->setEnabled(true);
    services_->popup(*PrInfoPopupMenu, BitBtnPrInfo->mapToGlobal(QPoint(0, BitBtnPrInfo->height())));
}

void TUserForm::GetPrInfoClick() {
    leaveTopmost();
    if (actionRuns()) return;
    const RunningAction running(*this);
    const auto typed = selectedAddress();
    if (!typed) return;
    const auto address = zentcore::SplitPrinterAddressOrWarn(*typed, false);
    if (!address) return;
    // An unanswered request was reported by the exchange; a description that
    // does not parse shows nothing.
    const auto printer = askPrinter(address->printer, address->server, handle_);
    if (!printer || ending()) return;
    THTMLPage page(this);
    page.setWindowTitle("Printer Information");
    page.Printer = &*printer;
    page.PageProducer1.HTMLFile = templatePath(zentcore::kPrinterInfoTemplate);
    services_->showModal(page);
}

void TUserForm::GetPrListClick() {
    leaveTopmost();
    if (actionRuns()) return;
    const RunningAction running(*this);
    const auto typed = selectedAddress();
    if (!typed) return;
    const auto address = zentcore::SplitPrinterAddressOrWarn(*typed, true);
    if (!address) return;
    const auto answer = zentcore::AskServer("GETPRNAMES", "1", address->server, handle_, encdec::ttNone);
    if (ending()) return;
    if (!answer.answered()) {
        platform::prompter().warn(zentcore::kApplicationTitle, "Could not communicate with server.");
        return;
    }
    const encdec::StringList names = answer.lines();
    if (names.empty()) {
        platform::prompter().warn(zentcore::kApplicationTitle, "No printers listed on server.");
        return;
    }

    std::vector<zentcore::PrinterListEntry> list;
    for (const auto& name : names) list.push_back({name, std::nullopt});
    int result = 0;
    std::string picked;
    {
        THTMLPage page(this);
        page.setWindowTitle(QString::fromStdString("Zentrope: Printers on " + address->server));
        page.PrinterList = &list;
        page.AddrReadOnly = context_.settings.AddrReadOnly;
        page.PageProducer1.HTMLFile = templatePath(zentcore::kPrinterListTemplate);
        result = services_->showModal(page);
        picked = page.PickedPrinter;
    }
    if (result == zentcore::kModalMoreData && !ending()) result = showPrinterDetails(names, address->server, picked);
    if (result == zentcore::kModalPrinterPicked && !ending()) pickIntoAddressBox(picked + "@" + address->server);
}

int TUserForm::showPrinterDetails(const encdec::StringList& names, const std::string& server, std::string& picked) {
    // A printer that does not answer is listed without details.
    std::vector<zentcore::PrinterListEntry> list;
    for (const auto& name : names) {
        if (ending()) return 0;
        list.push_back({name, askPrinter(name, server, handle_)});
    }
    THTMLPage page(this);
    page.setWindowTitle(QString::fromStdString("Zentrope: Printer details on " + server));
    page.PrinterList = &list;
    page.AddrReadOnly = context_.settings.AddrReadOnly;
    page.PageProducer1.HTMLFile = templatePath(zentcore::kPrinterDetailsTemplate);
    const int result = services_->showModal(page);
    picked = page.PickedPrinter;
    return result;
}

void TUserForm::BitBtnDocInfoClick() {
    leaveTopmost();
    if (actionRuns() || !job_) return;
    // The page shows the job: it must not go while the page is open.
    const RunningAction running(*this);
    zentcore::TakeFinishedCompression(*job_, context_.settings.FirstTempDir);
    THTMLPage page(this);
    page.setWindowTitle("Document Information");
    page.Job = job_;
    page.PageProducer1.HTMLFile = templatePath(zentcore::kDocInfoTemplate);
    services_->showModal(page);
}

}  // namespace zentclient
