// The reference server as the tests run it: the real zentserver binary on an
// ephemeral port of 127.0.0.1, with its own configuration, spool and log in a
// temporary directory; and the raw wire exchange a client makes with it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <zcodec/commheader.h>

#include "test_env.h"

namespace servertest {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(const std::string& text);
std::string text(const Bytes& data);

// An existing configuration file, used where it is (its relative names too).
struct ConfigFile {
    std::string path;
};

class ServerProcess {
public:
    // Writes the configuration and the files it names (name -> content)
    // into the server's directory, starts the server and waits for its
    // "listening on" line; fails the test (and throws) when it does not come.
    explicit ServerProcess(const std::string& configJson, const std::map<std::string, std::string>& files = {});
    explicit ServerProcess(const ConfigFile& config);
    ~ServerProcess();   // SIGTERM, then waits
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int port() const { return port_; }
    bool alive();
    std::string spoolDir() const { return dir_.file("spool"); }
    std::string log() const { return testenv::readFile(dir_.file("server.log")); }
    // The server logs a request after answering it: waits (up to 5 s) until
    // the log holds the text.
    bool logShows(const std::string& text) const;
    const testenv::TempDir& dir() const { return dir_; }

private:
    void start(const std::string& configPath);

    testenv::TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};

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

std::int32_t be32(const Bytes& data, std::size_t at = 0);
std::vector<std::string> fields(const std::string& text, char separator);

}  // namespace servertest
