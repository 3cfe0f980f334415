// What the main window tells the user on its own: balloons for delivered,
// failed and waiting jobs, the progress of an upload in the status bar and
// the tray's tooltip, and why the selected job waits.
#include "shell/tform1.h"

#include <zentcore/joblist.h>

#include <QLabel>
#include <QTableWidget>

#include <chrono>

namespace zentclient {

namespace {

std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void TForm1::notify(const zentcore::JobNews& news) {
    if (!NotificationsOn) return;
    TrayIcon1->SetBalloonTitle(zentcore::NewsTitle(news));
    TrayIcon1->SetBalloonText(zentcore::NewsText(news, zentcore::LocalStandardOffset()));
    TrayIcon1->SetBalloonIcon(news.kind == zentcore::JobNews::Kind::Rescheduled ? orloqt::biWarning : orloqt::biInfo);
    TrayIcon1->ShowBalloon();
}

void TForm1::showUploadProgress() {
    std::string progress;
    for (std::size_t i = 0; i < JobQueue.size(); ++i) {
        const zentcore::TQueuedJob& job = JobQueue.at(i);
        if (!job.Busy || !job.SendThread) continue;
        const std::int64_t total = job.SendThread->RequestBytes.load();
        if (total <= 0) continue;
        const std::int64_t sent = job.SendThread->RequestBytesSent.load();
        uploadMeter_.sample(job.BaseName, sent, steadyMs());
        progress = zentcore::UploadProgressText(job.DocName, sent, total, uploadMeter_.bytesPerSecond());
        break;
    }
    if (progress == progress_) return;
    progress_ = progress;
    TrayIcon1->setToolTip(progress_.empty() ? QString(kTrayToolTip) : QString::fromStdString(progress_));
    updateStatusText();
}

void TForm1::updateStatusText() {
    std::string text = listStatus_;
    if (!progress_.empty()) {
        text = progress_;
    } else if (const zentcore::TQueuedJob* job = selectedJob(); job && !job->WaitReason.empty()) {
        text = "\"" + job->DocName + "\" waits: " + job->WaitReason;
    }
    StatusText->setText(QString::fromStdString(text));
}

}  // namespace zentclient
