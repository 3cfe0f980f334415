// One rendering request: the processor runs on a worker thread, which posts
// the request's message to its window when the processor has ended. wParam
// is 1 when the processor was started (lParam: 0, or the errno why waiting
// failed) and 0 when it could not be (lParam: the errno why).
#pragma once

#include <zplatform/childprocess.h>
#include <zplatform/messaging.h>
#include <zplatform/thread.h>

#include <atomic>
#include <string>

namespace zentcore {

inline constexpr unsigned kPreviewReadyMessage = platform::WM_APP + 0;
inline constexpr unsigned kEmailReadyMessage = platform::WM_APP + 10;
inline constexpr unsigned kHtmlReadyMessage = platform::WM_APP + 11;

class RenderThread : public platform::Thread {
public:
    // Created suspended: resume() starts it. The owner keeps it until the
    // message has arrived (or destroys it, which ends the processor first).
    RenderThread(std::string commandLine, platform::WindowHandle window, unsigned message);
    ~RenderThread() override;

    // Ends the processor; the message still comes when it has gone.
    void cancel();
    bool cancelled() const { return cancelled_.load(); }

protected:
    void execute() override;

private:
    const std::string commandLine_;
    const platform::WindowHandle window_;
    const unsigned message_;
    platform::ChildProcess process_;
    std::atomic<bool> cancelled_{false};
};

enum class RenderCompletion { NotStarted, WaitFailed, Finished };
// The common part of every requester's handling of the message: a processor
// that could not be started is reported with the system's reason, a failed
// wait with kWaitFailedMessage.
RenderCompletion HandleRenderCompletion(const platform::Message& message);

}  // namespace zentcore
