// Pre&view: the chosen printer's page borders when there is one, then the
// preview window.
#include "wizard/tuserform.h"

#include "render/tzoomform.h"
#include "wizard/wizardservices.h"

#include <zcodec/utilities.h>
#include <zentcore/application.h>
#include <zentcore/printercheck.h>
#include <zplatform/prompter.h>

#include <QComboBox>

namespace zentclient {

TZoomForm& TUserForm::previewWindow() {
    if (!zoom_)
        zoom_ = std::make_unique<TZoomForm>(nullptr, context_.settings.AppDir,
                                            [this](QDialog& busy) { services_->showModeless(busy); });
    return *zoom_;
}

void TUserForm::BitBtnPreviewClick() {
    leaveTopmost();
    if (actionRuns() || !job_) return;
    zentcore::TQueuedJob& job = *job_;
    job.PageGeometry = {};
    bool passed = false;
    {
        // The printer check waits for the server with the loop running.
        const RunningAction running(*this);
        setEnabled(false);
        const std::string typed = encdec::Trim(
            (ComboBox1->isEditable() ? ComboBox1->currentText() : ComboBox1->itemText(ComboBox1->currentIndex()))
                .toStdString());
        if (!typed.empty() && typed != zentcore::kLocalExportEntry) {
            if (const auto address = zentcore::SplitPrinterAddress(typed, false)) {
                const auto check =
                    zentcore::CheckPrinter({job.Pages, job.Copies, job.Papersize, job.Color}, *address, handle_);
                if (check.passed) {
                    passed = true;
                    job.PageGeometry = check.printer.Margins;
                }
            }
        }
        setEnabled(true);
    }
    if (job_ != &job) return;
    if (!passed && !platform::prompter().ask(zentcore::kApplicationTitle, kNoBordersQuestion)) return;
    TZoomForm& preview = previewWindow();
    const bool prepared = preview.Prepare(
        job, context_.settings.FirstTempDir,
        [this] { return services_->locateProcessor(this, context_.settings.AppDir); }, context_.settings.IsAdmin);
    if (prepared) services_->showModal(preview);
}

}  // namespace zentclient
