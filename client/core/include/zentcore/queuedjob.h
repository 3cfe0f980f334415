// One queued print job: what its description file says, plus the state the
// queue keeps while it moves the job on. The queue owns every record; the
// wizard and the timer only hold pointers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <zcodec/clientthread.h>
#include <zcodec/commheader.h>
#include <zcodec/pipeline.h>
#include <zcodec/printerdata.h>

namespace zentcore {

struct TQueuedJob {
    TQueuedJob() = default;
    // Stops the compression (terminate, wait) and waits for the transmission
    // (it is not interrupted); never touches the job's files.
    ~TQueuedJob();
    TQueuedJob(const TQueuedJob&) = delete;
    TQueuedJob& operator=(const TQueuedJob&) = delete;

    // From the description file.
    std::int32_t SessionId = 0;   // 0: the user has not decided yet
    std::string Printer;
    std::string Server;
    std::string BaseName;         // file base name, also the key in JobQueue
    std::string DocName;
    std::string Submited;         // as found in the file
    std::string OkDate;
    std::string UserName;
    std::string Orientation;
    std::int32_t Pages = 0;
    std::int32_t Copies = 1;
    std::int32_t Papersize = 0;
    std::int32_t Color = 0;
    std::int32_t Scale = 100;
    std::int32_t MediaType = 0;

    // In memory only.
    bool Busy = false;            // a request or transmission runs for it
    bool Finished = false;        // Result holds the last transmission's outcome
    std::int64_t NextAttempt = 0; // seconds since 1970 (UTC); 0: at once
    std::uint16_t ServerFlags = 0;
    bool Previewed = false;
    std::string WaitReason;       // why its last transmission did not deliver it
    encdec::TPageGeometry PageGeometry{};
    std::uint64_t DataSize = 0;   // size of the ".ztp" file
    std::uint64_t PackedSize = 0; // size of the ".gz" file
    std::unique_ptr<encdec::EncCmpThread> CompressThread;
    std::unique_ptr<encdec::TClientThread> SendThread;
    encdec::TCommResult Result;
};

}  // namespace zentcore
