// One rendering on behalf of a window: the busy window, the window disabled,
// the render thread, pages-ready progress, cancelling, and the completion
// brought back onto the user-interface thread through the window messages.
#pragma once

#include <zentcore/render.h>
#include <zentcore/renderthread.h>
#include <zplatform/messaging.h>

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QDialog;
class QTimer;
class QWidget;

namespace zentclient {

class TPreviewAvi;

class RenderRequester : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Finished,    // the processor ran: look at the page files
        Failed,      // not started, or the wait failed (already reported)
        Cancelled,   // the user cancelled; the page files are gone
    };
    using Done = std::function<void(Outcome)>;
    using ShowWindow = std::function<void(QDialog&)>;

    // owner: the window disabled while the processor runs. showBusy shows the
    // busy window without waiting (a seam for tests).
    RenderRequester(QWidget* owner, const std::string& appDir, ShowWindow showBusy);
    ~RenderRequester() override;

    // Starts the command line; done runs on the UI thread once it has
    // ended. pages: the job's page count, for the progress. False when one
    // is already running.
    bool start(const std::string& commandLine, const zentcore::RenderRequest& request, int pages, unsigned message,
               Done done);
    bool running() const { return thread_ != nullptr; }
    void cancel();

    TPreviewAvi& busyWindow();

private:
    void completed(const platform::Message& message);
    void showProgress();

    QWidget* owner_;
    std::string appDir_;
    ShowWindow showBusy_;
    platform::WindowHandle handle_ = 0;
    std::unique_ptr<TPreviewAvi> busy_;
    QTimer* progress_ = nullptr;
    std::unique_ptr<zentcore::RenderThread> thread_;
    std::string prefix_, extension_;
    int pages_ = 0;
    Done done_;
};

}  // namespace zentclient
