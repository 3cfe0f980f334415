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
#include <zplatform/registry.h>

#include <QCheckBox>
#include <QLineEdit>

namespace zentclient {

namespace {

// A machine dword, or the default when it or the key is missing.
long machineNumber(std::string_view name, long fallback) {
    if (const auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, zentcore::kClientKey))
        if (const auto n = key->readDword(name)) return long(*n);
    return fallback;
}

}  // namespace

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

    zentcore::RenderRequest request;
    request.processor = *processor;
    request.colour = job_->Color != 0;
    request.use = zentcore::RenderUse::Image;
    request.format = zentcore::ImageFormat::Png;
    request.dpi = int(machineNumber("PSHtmlDpi", 72));
    request.pagePrefix = target.pagePrefix();
    request.input = context_.settings.FirstTempDir + "/" + job_->BaseName + ".ztp";
    const int disposition = int(machineNumber("HtmlDisposition", 0));
    const zentcore::TQueuedJob* job = job_;
    renderer().start(zentcore::BuildRenderCommandLine(request, context_.settings.IsAdmin), request, job_->Pages,
                     zentcore::kHtmlReadyMessage, [this, job, targetFile, disposition](RenderRequester::Outcome outcome) {
                         if (outcome == RenderRequester::Outcome::Finished) htmlImagesReady(job, targetFile, disposition);
                     });
}

void TUserForm::htmlImagesReady(const zentcore::TQueuedJob* job, const std::string& targetFile, int disposition) {
    // The job the export was started for; the wizard cannot have changed
    // it meanwhile (it was disabled), but it may have left the queue.
    if (job != job_) return;
    const auto plan = zentcore::PlanHtmlExport(zentcore::SplitHtmlTarget(targetFile), job_->Pages,
                                               zentcore::HtmlDispositionFromSetting(disposition), job_->DocName);
    // A failed write has been reported; the job stays for another try.
    if (!zentcore::WriteHtmlExport(plan)) return;
    if (!plan.open.empty()) services_->openDocument(plan.open);
    if (!CheckBoxPrAfterH->isChecked()) BitBtnCancelClick();
}

}  // namespace zentclient
