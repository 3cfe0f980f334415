// The e-mail page: GO renders the pages, which then go to the mail program,
// or into a folder of the user's documents when no mail program takes them.
#include "wizard/tuserform.h"

#include "render/renderrequester.h"
#include "wizard/wizardservices.h"

#include <zentcore/application.h>
#include <zentcore/emailexport.h>
#include <zentcore/render.h>
#include <zentcore/renderthread.h>
#include <zplatform/prompter.h>

#include <QCheckBox>
#include <QComboBox>

namespace zentclient {

void TUserForm::BitBtnGoEClick() {
    leaveTopmost();
    if (actionRuns() || !job_) return;
    saveDefaultPage(2);
    const auto prefix = zentcore::PreparePagePrefix(job_->BaseName);
    if (!prefix) return;
    const auto processor = resolveProcessor();
    if (!processor) return;

    const zentcore::RenderRequest request = imageRequest(
        *processor, ComboBoxEx1->currentIndex() <= 0 ? zentcore::ImageFormat::Png : zentcore::ImageFormat::Jpeg,
        zentcore::EmailDpi(), *prefix);
    const zentcore::TQueuedJob* job = job_;
    const std::string extension(zentcore::PageExtension(request));
    renderer().start(zentcore::BuildRenderCommandLine(request, context_.settings.IsAdmin), request, job_->Pages,
                     zentcore::kEmailReadyMessage, [this, job, prefix = *prefix, extension](RenderRequester::Outcome o) {
                         if (o == RenderRequester::Outcome::Finished) emailImagesReady(job, prefix, extension);
                     });
}

void TUserForm::emailImagesReady(const zentcore::TQueuedJob* job, const std::string& prefix,
                                 const std::string& extension) {
    auto& p = platform::prompter();
    if (job != job_) {
        zentcore::DeletePageFiles(prefix, extension);
        return;
    }
    // Only pages that exist go out; with none there is nothing to mail, and
    // the job stays for another try.
    const auto files = zentcore::ExistingPageFiles(prefix, extension, job_->Pages);
    if (files.empty()) {
        p.warn(zentcore::kApplicationTitle, zentcore::kNoImagesToMailMessage);
        return;
    }
    const auto mail = zentcore::SendMail(job_->DocName, zentcore::EmailNoteText(), files);
    // The mail program may read the attachments after xdg-email has
    // returned: after a hand-over they stay in the user's private directory,
    // where the next rendering of this job replaces them.
    bool handedOver = mail.started && mail.exitCode == 0;
    if (!handedOver) {
        if (mail.started) p.warn(zentcore::kApplicationTitle, zentcore::MailErrorText(mail.exitCode));
        if (const auto folder = zentcore::SavePagesToFolder(services_->documentsFolder(), job_->DocName, files)) {
            handedOver = true;
            services_->openDocument(*folder);
            p.info(zentcore::kApplicationTitle, zentcore::SavedPagesText(*folder));
        } else {
            p.warn(zentcore::kApplicationTitle, zentcore::kPagesNotSavedMessage);
        }
        zentcore::DeletePageFiles(prefix, extension);
    }
    // The job goes only once its pages went somewhere.
    if (handedOver && !CheckBoxPrAfter->isChecked()) BitBtnCancelClick();
}

}  // namespace zentclient
