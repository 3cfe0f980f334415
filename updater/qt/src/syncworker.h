// The synchronisation on its own thread. Its observer hands every change to
// the progress window through synchronize(): the worker never touches a widget.
#pragma once

#include <zsync/sync.h>
#include <zplatform/thread.h>

#include <memory>

namespace zsyncqt {

class TProgressForm;

class SyncWorker : public platform::Thread {
public:
    SyncWorker(TProgressForm& form, zsync::FtpConfig config);
    ~SyncWorker() override;
    void requestStop();

protected:
    void execute() override;

private:
    std::unique_ptr<zsync::SyncObserver> observer_;
    zsync::Synchronizer sync_;
};

}  // namespace zsyncqt
