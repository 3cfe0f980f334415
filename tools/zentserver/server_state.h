// What the server remembers between requests: issued sessions and their
// users, failed authentication counts per user and printer, and the jobs it
// received. Shared by all connections; every member locks.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace zentserver {

struct ReceivedJob {
    std::int32_t id = 0;           // the session it was sent under
    std::string printer;
    std::string document;
    std::string path;
    std::string user;
    std::string peer;
    std::string spoolName;
    std::int64_t receivedAt = 0;
    std::int64_t bytes = 0;
    int pages = 0, copies = 0, paperSize = 0, color = 0, serverFlags = 0, paperWidth = 0, paperHeight = 0;
    bool confirmed = false;
};

class ServerState {
public:
    explicit ServerState(std::int32_t firstSession);

    // A new session number, never 0 or negative; numbers go up and wrap to 1.
    std::int32_t newSession(const std::string& user);
    // The user who opened the session; nullopt for a session never issued.
    std::optional<std::string> userOf(std::int32_t session) const;

    bool lockedOut(const std::string& printer, const std::string& who) const;
    // Records one authentication outcome; returns whether the user is now
    // locked out of the printer. A success clears the failures of a user who
    // is not locked out; limit 0 never locks out.
    bool recordAuthentication(const std::string& printer, const std::string& who, bool success, int limit);

    void addJob(const ReceivedJob& job);
    // Marks the most recent job of that session confirmed; false when none.
    bool confirm(std::int32_t session);
    std::optional<ReceivedJob> job(std::int32_t id) const;

private:
    mutable std::mutex mutex_;
    std::int32_t nextSession_;
    std::map<std::int32_t, std::string> sessions_;
    std::map<std::pair<std::string, std::string>, int> failures_;
    std::map<std::int32_t, ReceivedJob> jobs_;
};

}  // namespace zentserver
