// Destroying a job record: its threads end before the record goes.
#include <zentcore/queuedjob.h>

namespace zentcore {

TQueuedJob::~TQueuedJob() {
    // The compression is only worth finishing for a record that stays; the
    // thread's destructor asks it to stop and waits for it.
    CompressThread.reset();
    // A transmission is never cut off half-way: the server might have the job
    // without the client knowing. Wait for it to end on its own.
    if (SendThread) {
        SendThread->waitFor();
        SendThread.reset();
    }
}

}  // namespace zentcore
