// The raw wire exchange a client makes with the reference server.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <zcodec/commheader.h>

#include "reference_server.h"

namespace servertest {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(const std::string& text);
std::string text(const Bytes& data);

using testenv::ConfigFile;

struct Request {
    std::string command;
    Bytes payload;                  // before packing
    encdec::TransportType transport = encdec::ttNone;
    std::int32_t session = 0;
    std::int16_t version = encdec::kProtocolVersion;
};

struct WireAnswer {
    bool received = false;          // a whole header (and its payload) arrived
    encdec::TCommHeader header;
    Bytes payload;                  // unpacked with the client's pipeline
    bool unpacked = false;
};

// Packs with the client's own pipeline (EncCmpThread).
Bytes pack(encdec::TransportType transport, const Bytes& plain);
Bytes unpack(encdec::TransportType transport, const Bytes& packed, bool& ok);

// A connection to 127.0.0.1:port; -1 when it cannot be made.
int connectLocal(int port);
void sendAll(int fd, const Bytes& data);
// Reads the answer (header, then its payload) with a time-out per read.
WireAnswer readAnswer(int fd, int timeoutMs = 10000);
// Whether the server closed the connection (EOF) within the time.
bool closedByPeer(int fd, int timeoutMs);

// One request on a fresh connection, as the client sends it.
WireAnswer exchange(int port, const Request& request);
// The wire image of a request header.
Bytes requestHeader(const Request& request, std::int32_t packedSize);

// The job package as the client builds it for PRFILE.
Bytes jobPackage(const std::string& printer, const std::string& path, const std::string& document,
                 const Bytes& job, std::int32_t flags, std::int32_t width, std::int32_t height, std::int16_t pages,
                 std::int16_t copies, std::int16_t paper, std::int16_t color);
Bytes randomBytes(std::size_t n, unsigned seed);
// The job directories ("job-N-sSESSION") in the spool.
std::vector<std::filesystem::path> spooledJobs(const std::string& spool);

std::int32_t be32(const Bytes& data, std::size_t at = 0);
std::vector<std::string> fields(const std::string& text, char separator);

}  // namespace servertest
