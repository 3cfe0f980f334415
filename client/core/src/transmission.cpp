#include <zentcore/transmission.h>

#include <zentcore/jobfiles.h>

#include <exception>

namespace zentcore {

std::string TransmissionText(const TQueuedJob& job, const std::string& workDir, const encdec::TPageGeometry* paper) {
    const char eot = '\x04';
    std::string text = job.Printer + eot + FilesOf(job, workDir).gz() + eot + std::to_string(job.Pages) +
                       eot + std::to_string(job.Copies) + eot + std::to_string(job.Papersize) + eot +
                       std::to_string(job.Color) + eot + std::to_string(std::int16_t(job.ServerFlags)) + eot +
                       job.DocName;
    if (paper) text += eot + std::to_string(paper->PaperWidth) + eot + std::to_string(paper->PaperHeight);
    return text;
}

void FinishCompression(TQueuedJob& job, const std::string& workDir) {
    if (!job.CompressThread) return;
    job.CompressThread->WaitFor();
    job.CompressThread.reset();
    UpdatePackedSize(job, workDir);
}

void TakeFinishedCompression(TQueuedJob& job, const std::string& workDir) {
    if (job.CompressThread && job.CompressThread->IsFinished()) FinishCompression(job, workDir);
}

bool StartTransmission(TQueuedJob& job, const std::string& text, std::uint32_t delayMs, platform::WindowHandle owner) {
    job.Busy = true;
    job.Finished = false;
    try {
        job.SendThread = std::make_unique<encdec::TClientThread>(false, "PRFILE", text, job.Server, owner,
                                                                 encdec::ttEncryptDecompress, job.SessionId, delayMs,
                                                                 "");
        // A thread the system could not start is recorded, not thrown: such
        // a send would never finish and the job would wait for it for ever.
        if (!job.SendThread->fatalException()) return true;
    } catch (const std::exception&) {
    }
    job.SendThread.reset();
    job.Busy = false;
    return false;
}

void CollectTransmission(TQueuedJob& job) {
    job.Result.ReturnValue = job.SendThread->ReturnValue;
    job.Result.ErrorCode = job.SendThread->ErrorCode;
    job.Result.ErrorMsg = job.SendThread->GetErrorMsg();
    job.SendThread.reset();
}

bool Delivered(const TQueuedJob& job) { return job.Result.ReturnValue == job.SessionId && job.Result.ErrorCode == 0; }

}  // namespace zentcore
