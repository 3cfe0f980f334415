// Sending a queued job: its PRFILE data text and the start of its send
// thread, shared by the queue's retries, the wizard and the command line.
#pragma once

#include <cstdint>
#include <string>

#include <zcodec/printerdata.h>
#include <zentcore/queuedjob.h>
#include <zplatform/messaging.h>

namespace zentcore {

// The fields joined by 0x04: printer, the ".gz" path, pages, copies, paper
// size, colour, server flags (as a signed 16-bit number), document name; with
// paper also the printer's paper width and height (hundredths of a mm).
std::string TransmissionText(const TQueuedJob& job, const std::string& workDir,
                             const encdec::TPageGeometry* paper = nullptr);

// Waits for the job's compression, if it still has one, and reads the size
// of the packed file.
void FinishCompression(TQueuedJob& job, const std::string& workDir);
// The same for a compression that has already ended; one that still runs is
// left running. Pages that show the packed size call it first.
void TakeFinishedCompression(TQueuedJob& job, const std::string& workDir);

// Marks the job busy and starts its PRFILE send thread (transport type 5,
// the job's session and server). False when the thread could not be made;
// the job is then not busy.
bool StartTransmission(TQueuedJob& job, const std::string& text, std::uint32_t delayMs, platform::WindowHandle owner);

// Moves the outcome of the job's finished send thread into its Result and
// deletes the thread.
void CollectTransmission(TQueuedJob& job);

// Whether the job's Result says it was delivered: the server answered with
// the job's session and reported no error (a refused or failed CONFIRM
// leaves return value 0 and its error code).
bool Delivered(const TQueuedJob& job);

}  // namespace zentcore
