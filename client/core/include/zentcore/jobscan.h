// How jobs enter the queue: a scan of the working directory, or the hand-off's
// notification naming one data file.
#pragma once

#include <string>

#include <zentcore/jobqueue.h>

namespace zentcore {

// Queues every job of workDir ("ztp_*.txt", in the order of their numbers)
// that is neither queued nor the wizard's job (wizardJob may be null); sets
// ListChanged. Description files that cannot be opened or read are skipped
// without a message. startCompression false only reads (no threads start):
// for looking at the queue from outside the client.
void RescanWorkDir(JobQueue& queue, const std::string& workDir, const TQueuedJob* wizardJob,
                   bool startCompression = true);

// Queues the job whose data file name ("ztp_N.ztp") the hand-off announced.
// A name the hand-off cannot have sent is refused: reported through the error
// report "GlobalGetAtomName FAILED", false. Sets ListChanged otherwise.
bool AcceptNotifiedJob(JobQueue& queue, const std::string& workDir, const std::string& dataFileName,
                       const TQueuedJob* wizardJob);

}  // namespace zentcore
