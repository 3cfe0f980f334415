// The files of one job in the working directory: base name + ".txt"
// (description), ".ztp" (PostScript data) and ".gz" (the packed data the
// transmission sends).
#pragma once

#include <cstdint>
#include <string>

#include <zcodec/jobfiles.h>
#include <zentcore/queuedjob.h>

namespace zentcore {

// The files of the job in workDir.
inline encdec::JobFiles FilesOf(const TQueuedJob& job, const std::string& workDir) {
    return encdec::JobFiles(workDir, job.BaseName);
}

// Fills the record from its description file. openFd is an already opened
// description file (closed by this call) or -1 to open workDir/BaseName.txt.
// Afterwards DataSize is the data file's size; with startCompression the
// packing into ".gz" is started unless that file exists and is not older
// than the data (then PackedSize is read instead); at most a few jobs pack at
// the same time, the others' threads wait their turn. False when the file
// could not be opened or read (the record may then be partly filled).
bool ReadJobDescription(TQueuedJob& job, const std::string& workDir, int openFd, bool startCompression);

// Rewrites workDir/BaseName.txt from the record (fourteen CR LF lines),
// atomically: a failed write leaves the old file. Errors are not reported.
void WriteJobDescription(const TQueuedJob& job, const std::string& workDir);

// PackedSize := size of the ".gz" file; unchanged when it cannot be read.
void UpdatePackedSize(TQueuedJob& job, const std::string& workDir);

// Copies the ".ztp" and ".txt" files into saveDir, under a base name not yet
// used there, so that an earlier archived job is never overwritten.
void ArchiveJobFiles(const TQueuedJob& job, const std::string& workDir, const std::string& saveDir);

// Deletes the job's ".txt", ".ztp" and ".gz" files; missing ones are fine.
void DeleteJobFiles(const TQueuedJob& job, const std::string& workDir);

// Paper size code to its display text ("#N" for unknown codes).
std::string PaperSizeName(std::int32_t code);
// Byte count to display text: "1000", "1 K", "1 M".
std::string FormatByteSize(std::uint64_t bytes);

}  // namespace zentcore
