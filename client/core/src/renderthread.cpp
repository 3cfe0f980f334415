// Running the processor in the background and reporting its end.
#include <zentcore/renderthread.h>

#include <zcodec/utilities.h>
#include <zentcore/application.h>
#include <zentcore/render.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include <cerrno>

namespace zentcore {

RenderThread::RenderThread(std::string commandLine, platform::WindowHandle window, unsigned message)
    : platform::Thread(true), commandLine_(std::move(commandLine)), window_(window), message_(message) {
    afterConstruction();
}

RenderThread::~RenderThread() {
    cancel();
    terminate();
    waitFor();
}

void RenderThread::cancel() {
    cancelled_.store(true);
    process_.terminate();
}

void RenderThread::execute() {
    if (cancelled()) {
        platform::postMessage(window_, message_, 1, 0);
        return;
    }
    const int startError = process_.start(platform::splitCommandLine(commandLine_));
    if (startError != 0) {
        platform::postMessage(window_, message_, 0, startError);
        return;
    }
    // A cancel between the check above and the start must still end it.
    if (cancelled()) process_.terminate();
    const int waitError = process_.wait();
    platform::postMessage(window_, message_, 1, waitError);
}

RenderCompletion HandleRenderCompletion(const platform::Message& message) {
    if (message.wParam == 0) {
        errno = int(message.lParam);
        encdec::GetErrorMessage(0, "posix_spawn", -1);
        return RenderCompletion::NotStarted;
    }
    if (message.lParam != 0) {
        platform::prompter().warn(kApplicationTitle, kWaitFailedMessage);
        return RenderCompletion::WaitFailed;
    }
    return RenderCompletion::Finished;
}

}  // namespace zentcore
