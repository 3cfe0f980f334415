// The reference server's configuration: its printers, authentication
// methods, canned answers, error codes and limits, read from one JSON file
// (format in README.md). Everything a request may need (pages, icons) is
// loaded here, so a bad configuration fails at start and never mid-request.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <zcodec/commheader.h>

namespace zentserver {

using Bytes = std::vector<std::uint8_t>;

class ConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ErrorReply {
    std::int32_t code = 0;
    std::string text;
};

// The server's own error answers; every code and text can be changed.
struct ErrorReplies {
    ErrorReply badRequest{900, "Bad request"};
    ErrorReply unknownCommand{901, "Unknown command"};
    ErrorReply unknownPrinter{902, "Printer does not exist"};
    ErrorReply printerUnavailable{903, "Printer is not available"};
    ErrorReply pageLimit{904, "Job exceeds the printer's page limit"};
    ErrorReply badSession{905, "Unknown or missing session"};
    ErrorReply lockedOut{906, "Too many failed attempts"};
    ErrorReply badJobPackage{907, "Malformed job package"};
    ErrorReply storageFailed{908, "The job could not be stored"};
    ErrorReply tooLarge{909, "Request too large"};
    ErrorReply clientTooOld{923, "Client version too old. Please get a newer version."};
};

// Per-command adjustments, mostly for tests: how the answer is packed, a
// delay before it, no answer at all, a fixed error, a fixed answer instead of
// the command's own, or an error code on the command's own answer.
struct CommandOptions {
    std::optional<encdec::TransportType> transport;
    int delayMs = 0;
    bool silent = false;
    std::optional<ErrorReply> error;
    std::optional<Bytes> answer;             // answered without running the command
    std::optional<ErrorReply> answerError;   // the command runs; its answer carries this
};

// One step of an authentication dialogue (PLGFUNC step number = index + 1).
struct AuthStep {
    int result = 2;                               // the number the answer starts with
    std::string page;                             // HTML sent with the number
    std::map<std::string, std::string> require;   // form fields that must match
    int failResult = 0;                           // answered when they do not
};

struct AuthMethod {
    std::string name;
    Bytes icon;                 // PLGICON bytes; empty: no icon
    int stage = -1;             // PLGSTG answer; -1: 2 with steps, 1 without
    std::vector<AuthStep> steps;
};

struct PrinterConfig {
    std::string name;
    // The 31 description keys in wire order with their values as text.
    std::vector<std::pair<std::string, std::string>> description;
    bool available = true;       // AVAILABLE
    std::int32_t maxPages = 0;   // MAXPAGES; 0 means no limit
    std::vector<std::string> authMethods;   // AUTHNAME entries
    bool listed = true;          // appears in GETPRNAMES
    int lockoutAfter = -1;       // -1: the server-wide value
    std::map<std::string, int> stages;      // per-method PLGSTG override
};

// A job the server pretends to know, for status queries of jobs never sent.
struct PresetJob {
    std::int32_t id = 0;
    std::string printer;
    int status = 0;
    std::string document;
    std::string user;
};

struct ServerConfig {
    std::vector<PrinterConfig> printers;
    std::vector<std::string> serverInfo{"Zentrope reference server", "1.0", "", ""};
    std::map<std::string, AuthMethod> authMethods;
    std::map<std::string, CommandOptions> commands;
    std::map<std::int32_t, PresetJob> jobs;
    ErrorReplies errors;

    std::int16_t minClientVersion = encdec::kProtocolVersion;
    std::int32_t firstSession = 1;
    int lockoutAfter = 3;                  // failed CHKINTR before lock-out; 0 never
    std::int32_t refusedValue = 0;         // PRFILE answer for a refused job
    std::int64_t maxRequestBytes = 64ll << 20;
    std::int64_t maxUnpackedBytes = 128ll << 20;
    int ioTimeoutMs = 30000;               // longest silence while reading a request or writing its answer
    int headerDeadlineMs = 10000;          // the whole header must arrive within this time of connecting
    int payloadDeadlineMs = 30000;         // the payload (and the answer) may take this long,
    std::int64_t minBytesPerSecond = 32768;   // plus one second per this many bytes of it
    int maxConnections = 32;               // requests handled at once; more wait their turn
    int maxOpenConnections = 256;          // connections open at once, however far they are
    std::string spool;                     // empty: not set in the file

    const PrinterConfig* findPrinter(const std::string& name) const;
    const AuthMethod* findMethod(const std::string& name) const;
    // The options for a command (defaults when none are configured).
    const CommandOptions& optionsFor(const std::string& command) const;
    // How long a payload or an answer of that many bytes may take to pass:
    // a slow link still carries a large job, a peer slower than the minimum
    // rate cannot hold its connection for ever.
    std::int64_t transferDeadlineMs(std::int64_t bytes) const;
};

// Parses the JSON text; relative file names are taken from baseDir. Raises
// ConfigError with a message that names the offending entry.
ServerConfig parseConfig(const std::string& jsonText, const std::string& baseDir);
ServerConfig loadConfig(const std::string& path);

}  // namespace zentserver
