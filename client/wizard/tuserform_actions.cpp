// The wizard's smaller actions: Later, Cancel, Title, Help and More.
#include "wizard/tuserform.h"

#include "wizard/wizardservices.h"

#include <zcodec/utilities.h>
#include <zentcore/application.h>
#include <zentcore/jobfiles.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include <ctime>

namespace zentclient {

void TUserForm::BitBtnLaterClick() {
    leaveTopmost();
    if (actionRuns()) return;
    // Below the button, where its parent shows it.
    const QPoint below(BitBtnLater->x(), BitBtnLater->y() + BitBtnLater->height());
    services_->popup(*LaterPopupMenu, BitBtnLater->parentWidget()->mapToGlobal(below));
}

void TUserForm::LaterItemClick(QAction* item) {
    leaveTopmost();
    if (actionRuns()) return;
    if (job_) {
        job_->NextAttempt = std::int64_t(std::time(nullptr)) + std::int64_t(item->data().toInt()) * 60;
    }
    closeWizard();
}

void TUserForm::BitBtnCancelClick() {
    leaveTopmost();
    // The other pages' Cancel stays usable while GO waits for the server;
    // the job must not vanish under GO.
    if (actionRuns()) return;
    if (zentcore::TQueuedJob* job = job_) {
        if (job->CompressThread) {
            job->CompressThread->terminate();
            job->CompressThread->WaitFor();
            job->CompressThread.reset();
        }
        zentcore::DeleteJobFiles(*job, context_.settings.FirstTempDir);
        job_ = nullptr;
        context_.queue.remove(job);
        context_.queue.ListChanged = true;
    }
    closeWizard();
}

void TUserForm::BitBtnTitleClick() {
    leaveTopmost();
    if (actionRuns() || !job_) return;
    const auto title = services_->inputBox(this, "Set document Title", "English char. only:", job_->DocName);
    if (!title) return;
    job_->DocName = encdec::Trim(*title);
    setWindowTitle(QString::fromStdString("Zentrope: " + job_->DocName));
    context_.queue.ListChanged = true;
}

void TUserForm::BitBtnHelpClick() {
    leaveTopmost();
    services_->openDocument(context_.settings.AppDir + "/data/help.htm");
}

void TUserForm::BitBtnMoreClick() {
    leaveTopmost();
    services_->openDocument(context_.settings.AppDir + "/data/more.htm");
}


}  // namespace zentclient
