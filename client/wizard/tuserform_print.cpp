// GO on the print page: the printer check, the session, the authentication,
// the rewritten description and the start of the transmission; or, for
// "[Local Export]", the export into a file.
#include "wizard/tuserform.h"

#include "auth/tselauth.h"
#include "wizard/localexport.h"
#include "wizard/receiptpage.h"
#include "wizard/sessionid.h"
#include "wizard/wizardservices.h"

#include <zentcore/application.h>
#include <zentcore/authdialogue.h>
#include <zentcore/htmlpage.h>
#include <zentcore/jobfiles.h>
#include <zentcore/printercheck.h>
#include <zentcore/serverrequest.h>
#include <zentcore/transmission.h>
#include <zplatform/prompter.h>

#include <QComboBox>
#include <QPushButton>

#include <ctime>
#include <exception>

namespace zentclient {

namespace {

void warn(std::string_view text) { platform::prompter().warn(zentcore::kApplicationTitle, text); }

}  // namespace

void TUserForm::BitBtnNextClick() {
    leaveTopmost();
    if (actionRuns()) return;
    // The job stays the wizard's until GO is done with it: the user's other
    // actions are refused meanwhile, and the queue and the main window leave
    // the wizard's job alone.
    const RunningAction running(*this);
    saveDefaultPage(1);
    if (!job_) return;
    const auto typed = selectedAddress();
    if (!typed) return;
    if (*typed == zentcore::kLocalExportEntry) {
        // Typed into an editable box it is refused all the same.
        if (!context_.settings.LocalExport) {
            warn("Local Export is not allowed!");
            return;
        }
        localExport();
        return;
    }
    const auto address = zentcore::SplitPrinterAddressOrWarn(*typed, false);
    if (!address) return;
    sendJob(*address, *typed);
}

void TUserForm::setGoControlsEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(BitBtnPrInfo),
                       static_cast<QWidget*>(BitBtnTitle), static_cast<QWidget*>(BitBtnNext),
                       static_cast<QWidget*>(BitBtnLater), static_cast<QWidget*>(BitBtnCancel)})
        w->setEnabled(enabled);
}

void TUserForm::sendJob(const zentcore::PrinterAddress& address, const std::string& typed) {
    zentcore::TQueuedJob& job = *job_;
    const auto& settings = context_.settings;
    auto& queue = context_.queue;
    // Every way out that leaves the wizard open gives the controls back.
    const auto stayOpen = [this] { setGoControlsEnabled(true); };

    setGoControlsEnabled(false);
    job.Busy = true;
    queue.ListChanged = true;
    const auto check = zentcore::CheckPrinter({job.Pages, job.Copies, job.Papersize, job.Color}, address, handle_);
    // After Exit nothing more is asked or sent: the job is asked for again
    // at the next start.
    if (!check.passed || ending()) {
        job.Busy = false;
        queue.ListChanged = true;
        return stayOpen();
    }

    const auto answer = zentcore::AskServer("NEWSESSION", "", address.server, handle_, encdec::ttEncrypt);
    job.Busy = false;
    queue.ListChanged = true;
    std::int32_t session = 0;
    if (answer.answered() && answer.thread->GetAnswerLength() > 0) {
        session = SessionIdOf(answer);
        zentcore::RememberRequestAddress(typed, settings.SaveRqAddr);
    }
    if (ending()) return stayOpen();
    if (session == 0) {
        warn("Could not get Session Id!");
        return stayOpen();
    }

    if (!authenticate(address, check.answerLines, session)) return stayOpen();

    job.SessionId = session;
    job.Printer = address.printer;
    job.Server = address.server;
    job.ServerFlags = std::uint16_t((check.printer.AtRequest ? 1 : 0) + (check.printer.ArchiveJob ? 2 : 0));
    zentcore::WriteJobDescription(job, settings.FirstTempDir);

    if (settings.WantsReceipt) showReceipt();

    zentcore::FinishCompression(job, settings.FirstTempDir);
    const std::string text = zentcore::TransmissionText(job, settings.FirstTempDir, &check.printer.Margins);
    if (!zentcore::StartTransmission(job, text, std::uint32_t(settings.ClientDelay), handle_))
        job.NextAttempt = std::int64_t(std::time(nullptr)) + 600;   // the queue tries again
    queue.ListChanged = true;
    stayOpen();
    closeWizard();
}

bool TUserForm::authenticate(const zentcore::PrinterAddress& address, const encdec::StringList& printerLines,
                             std::int32_t session) {
    // A printer that names no method takes jobs without authentication; the
    // dialog would only be cancelled for want of a method. One that names
    // methods without their charges gets the dialog, which then offers none.
    if (!zentcore::NamesAuthMethods(printerLines)) return true;
    try {
        TSelAuth dialog(this, printerLines, job_->Copies, job_->Pages, address.printer, address.server, session);
        // Exit while the dialog asked for the currency: it is not shown.
        if (ending()) return false;
        return services_->showModal(dialog) == zentcore::AuthDialogue::kAuthenticated && !ending();
    } catch (const std::exception&) {
        warn("Could not initiate Authentication!");
        return false;
    }
}

void TUserForm::showReceipt() {
    zentcore::TakeFinishedCompression(*job_, context_.settings.FirstTempDir);
    // Owned by the main window: it outlives the wizard's closing, and several
    // receipts may be open at once.
    auto* page = new ReceiptPage(context_.mainWindow, *job_,
                                 context_.settings.AppDir + "/data/" + zentcore::kReceiptTemplate);
    services_->showModeless(*page);
}

void TUserForm::localExport() {
    const auto target = services_->chooseExportFile(this);
    if (!target || ending()) return;
    const std::string& workDir = context_.settings.FirstTempDir;
    zentcore::FinishCompression(*job_, workDir);
    const ExportResult exported = WriteLocalExport(*job_, workDir, *target);
    if (!exported.ok()) {
        warn(exported.warning);
        return;
    }
    MarkExported(*job_);
    context_.queue.ListChanged = true;
    closeWizard();
}

}  // namespace zentclient
