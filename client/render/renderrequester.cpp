#include "render/renderrequester.h"

#include "render/tpreviewavi.h"

#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace zentclient {

RenderRequester::RenderRequester(QWidget* owner, const std::string& appDir, ShowWindow showBusy)
    : owner_(owner), appDir_(appDir), showBusy_(std::move(showBusy)) {
    handle_ = platform::registerWindow([this](const platform::Message& m) { completed(m); });
    progress_ = new QTimer(this);
    progress_->setInterval(200);
    connect(progress_, &QTimer::timeout, this, [this] { showProgress(); });
}

RenderRequester::~RenderRequester() {
    platform::unregisterWindow(handle_);
    // Ends the processor and waits for the thread; nothing is left running.
    thread_.reset();
}

TPreviewAvi& RenderRequester::busyWindow() {
    if (!busy_) {
        // A window of its own: a child of the owner would be disabled with
        // it, Cancel included.
        busy_ = std::make_unique<TPreviewAvi>(nullptr, appDir_);
        busy_->setOnCancel([this] { cancel(); });
    }
    return *busy_;
}

bool RenderRequester::start(const std::string& commandLine, const zentcore::RenderRequest& request, int pages,
                            unsigned message, Done done) {
    if (thread_) return false;
    prefix_ = request.pagePrefix;
    extension_ = std::string(zentcore::PageExtension(request));
    pages_ = pages;
    done_ = std::move(done);
    TPreviewAvi& busy = busyWindow();
    busy.setProgress(pages_ > 0 ? zentcore::PagesReadyText(0, pages_) : std::string());
    busy.ButtonCancel->setEnabled(true);
    if (showBusy_) showBusy_(busy);
    else busy.show();
    if (owner_) owner_->setEnabled(false);
    thread_ = std::make_unique<zentcore::RenderThread>(commandLine, handle_, message);
    thread_->resume();
    progress_->start();
    return true;
}

void RenderRequester::cancel() {
    if (!thread_) return;
    busyWindow().ButtonCancel->setEnabled(false);
    thread_->cancel();
}

void RenderRequester::showProgress() {
    if (thread_ && pages_ > 0)
        busyWindow().setProgress(zentcore::PagesReadyText(zentcore::PagesReady(prefix_, extension_, pages_, false), pages_));
}

void RenderRequester::completed(const platform::Message& message) {
    if (!thread_) return;
    progress_->stop();
    const bool cancelled = thread_->cancelled();
    thread_.reset();   // the thread has posted its last word; this joins it
    busyWindow().hide();
    if (owner_) owner_->setEnabled(true);
    Outcome outcome;
    if (cancelled) {
        zentcore::DeletePageFiles(prefix_, extension_);
        outcome = Outcome::Cancelled;
    } else {
        outcome = zentcore::HandleRenderCompletion(message) == zentcore::RenderCompletion::Finished ? Outcome::Finished
                                                                                                    : Outcome::Failed;
    }
    if (auto done = std::move(done_)) done(outcome);
}

}  // namespace zentclient
