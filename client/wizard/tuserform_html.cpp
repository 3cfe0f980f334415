// The HTML page: the target file, GO, and writing the pages once the images
// are there.
#include "wizard/tuserform.h"

#include "render/renderrequester.h"
#include "wizard/wizardservices.h"

#include <zentcore/application.h>
#include <zentcore/htmlexport.h>
#include <zentcore/render.h>
#include <zentcore/renderthread.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include <QCheckBox>
#include <QLineEdit>

namespace zentclient {

void TUserForm::proposeHtmlFile() {
    if (!htmlDialogFile_.empty()) return;
    const std::string documents = services_->documentsFolder();
    if (!documents.empty()) htmlDialogFile_ = documents + "/myfile.htm";
}

void TUserForm::ButtonOpnFileClick() {
    leaveTopmost();
    if (actionRuns()) return;
    const auto chosen = services_->chooseHtmlFile(this, htmlDialogFile_);
    if (!chosen) return;
    htmlDialogFile_ = *chosen;
    EditFname->setText(QString::fromStdString(*chosen));
}

void TUserForm::BitBtnGoHClick() {
    leaveTopmost();
    if (actionRuns() || !job_) return;
    saveDefaultPage(3);
    const std::string targetFile = EditFname->text().toStdString();
    if (targetFile.empty()) {
        platform::prompter().warn(zentcore::kApplicationTitle, zentcore::kNoHtmlFileMessage);
        return;
    }
    const zentcore::HtmlTarget target = zentcore::SplitHtmlTarget(targetFile);
    const auto processor = resolveProcessor();
    if (!processor) return;

    const zentcore::RenderRequest request =
        imageRequest(*processor, zentcore::ImageFormat::Png, zentcore::HtmlDpi(), target.pagePrefix());
    const zentcore::HtmlDisposition disposition = zentcore::StoredHtmlDisposition();
    const zentcore::TQueuedJob* job = job_;
    renderer().start(zentcore::BuildRenderCommandLine(request, context_.settings.IsAdmin), request, job_->Pages,
                     zentcore::kHtmlReadyMessage, [this, job, targetFile, disposition](RenderRequester::Outcome outcome) {
                         if (outcome == RenderRequester::Outcome::Finished) htmlImagesReady(job, targetFile, disposition);
                     });
}

void TUserForm::htmlImagesReady(const zentcore::TQueuedJob* job, const std::string& targetFile,
                                zentcore::HtmlDisposition disposition) {
    // The job the export was started for; the wizard cannot have changed
    // it meanwhile (it was disabled), but it may have left the queue.
    if (job != job_) return;
    // Pages that link to nothing are no export: say so, and the job stays.
    const zentcore::HtmlTarget target = zentcore::SplitHtmlTarget(targetFile);
    if (job_->Pages < 1 || !platform::fileExists(zentcore::PageFile(target.pagePrefix(), 1, ".png"))) {
        platform::prompter().warn(zentcore::kApplicationTitle, zentcore::kNoImagesToExportMessage);
        return;
    }
    const auto plan = zentcore::PlanHtmlExport(target, job_->Pages,
                                               disposition, job_->DocName);
    // A failed write has been reported; the job stays for another try.
    if (!zentcore::WriteHtmlExport(plan)) return;
    if (!plan.open.empty()) services_->openDocument(plan.open);
    if (!CheckBoxPrAfterH->isChecked()) BitBtnCancelClick();
}

}  // namespace zentclient
