// The job hand-off: the one door through which a captured print job enters
// the system. The port side calls SubmitFileToNetClient once per job; it
// copies the job's data into the client's working directory as ztp_N.ztp,
// writes the description ztp_N.txt beside it and tells the running client.
//
// Each user's client listens on an abstract-namespace Unix socket named
// "zentroclient_ipc", the user id and $ZENTROPE_IPC; the hand-off connects to
// the socket of the job's owner and writes the data file's name and a line
// feed.
#pragma once

#include <zplatform/system.h>

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace encdec {

// A signed 32-bit number that starts as 0.
struct ZINT {
    ZINT();
    ZINT(std::int32_t v) : Value(v) {}
    operator std::int32_t() const { return Value; }
    std::int32_t Value;
};

// A moment in UTC, field by field.
struct ZSystemTime {
    std::uint16_t Year = 0;
    std::uint16_t Month = 0;
    std::uint16_t DayOfWeek = 0;   // 0 is Sunday
    std::uint16_t Day = 0;
    std::uint16_t Hour = 0;
    std::uint16_t Minute = 0;
    std::uint16_t Second = 0;
    std::uint16_t Milliseconds = 0;
};
ZSystemTime CurrentSystemTime();   // now, in UTC

// The description of one job; every field is written under its own name.
struct ZTP_JOBDATA {
    ZTP_JOBDATA();   // strings empty, numbers 0, Submited now (UTC)
    std::string DocName;
    std::string UserName;
    std::string Orientation;
    ZINT Papersize;
    ZINT Pages;
    ZINT Copies;   // 0 means 1
    ZINT PaperWidth;
    ZINT PaperLength;
    ZINT PrintQuality;
    ZINT Color;
    ZINT Scale;
    ZINT MediaType;
    ZSystemTime Submited;
};

// Hands one job off. True when both job files were written, whether or not a
// client could be told; then errorText holds a note when it could not. False
// when nothing was handed off; errorText says why (it is left as it was when
// all numbers from 1 to 999 are taken). The source file is never deleted, and
// a failed hand-off leaves no job files behind.
bool SubmitFileToNetClient(const std::string& source, const ZTP_JOBDATA* job, std::string& errorText);
// The same; on success baseName receives the job's base name ("ztp_3").
bool SubmitFileToNetClient(const std::string& source, const ZTP_JOBDATA* job, std::string& errorText,
                           std::string& baseName);
// The user a job belongs to: its files are theirs and their client is told.
using JobOwner = platform::FileOwner;
// The same, for a job printed by owner, a user of this machine. Handing a
// job to another user than the caller needs root's right to give files away
// (the print system's backend has it).
bool SubmitFileToNetClient(const std::string& source, const ZTP_JOBDATA* job, JobOwner owner,
                           std::string& errorText, std::string& baseName);
// Writes the job file pair into dir, exactly as the hand-off does, and tells
// nobody: for tools that run a job through a working directory of their own.
bool SubmitFileToDirectory(const std::string& source, const ZTP_JOBDATA& job, const std::string& dir,
                           std::string& errorText, std::string& baseName);

// Every hand-off refuses a working directory that other users may write to,
// unless it is sticky (as /tmp is): there anyone could replace a job's files.

// The client's notification socket of a user (by default the caller): its
// abstract name (without the leading NUL byte), a connected socket (-1 with
// errno when no client listens), and a listening one for the caller (-1
// with errno; EADDRINUSE: a client already listens). Both descriptors are
// close-on-exec and belong to the caller.
std::string ClientIpcName();
std::string ClientIpcName(uid_t user);
int ConnectClientIpc();
int ConnectClientIpc(uid_t user);
int ListenClientIpc();
// Tells the user's running client of a new job ("ztp_N.ztp"); false, with
// errno, when no client took the line (ECONNREFUSED: none runs).
bool NotifyClient(uid_t user, const std::string& dataFileName);

// Initialisation and finalisation of this unit, counted: only the first
// Initialize and the matching last Finalize act; each returns whether it did.
namespace Kevsupport {
bool Initialize();
bool Finalize();
}  // namespace Kevsupport

}  // namespace encdec
