#include "server_state.h"

#include <limits>

namespace zentserver {

namespace {
// Sessions, jobs and failure counts remembered at most, so that no client
// can make the server grow without bound.
constexpr std::size_t kSessionMemory = 100000;
}

ServerState::ServerState(std::int32_t firstSession) : nextSession_(firstSession > 0 ? firstSession : 1) {}

std::int32_t ServerState::newSession(const std::string& user) {
    std::lock_guard lock(mutex_);
    const std::int32_t session = nextSession_;
    nextSession_ = session == std::numeric_limits<std::int32_t>::max() ? 1 : session + 1;
    if (sessions_.size() >= kSessionMemory) sessions_.erase(sessions_.begin());
    sessions_[session] = user;
    return session;
}

std::optional<std::string> ServerState::userOf(std::int32_t session) const {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(session);
    if (it == sessions_.end()) return std::nullopt;
    return it->second;
}

bool ServerState::lockedOut(const std::string& printer, const std::string& who) const {
    std::lock_guard lock(mutex_);
    auto it = failures_.find({printer, who});
    return it != failures_.end() && it->second < 0;
}

bool ServerState::recordAuthentication(const std::string& printer, const std::string& who, bool success,
                                       int limit) {
    std::lock_guard lock(mutex_);
    if (failures_.size() >= kSessionMemory && !failures_.count({printer, who})) failures_.erase(failures_.begin());
    int& failures = failures_[{printer, who}];   // -1 marks a lock-out
    if (failures < 0) return true;
    if (success) {
        failures_.erase({printer, who});
        return false;
    }
    ++failures;
    if (limit > 0 && failures >= limit) failures = -1;
    return failures < 0;
}

void ServerState::addJob(const ReceivedJob& job) {
    std::lock_guard lock(mutex_);
    if (jobs_.size() >= kSessionMemory && !jobs_.count(job.id)) jobs_.erase(jobs_.begin());
    jobs_[job.id] = job;
}

bool ServerState::confirm(std::int32_t session) {
    std::lock_guard lock(mutex_);
    auto it = jobs_.find(session);
    if (it == jobs_.end()) return false;
    it->second.confirmed = true;
    return true;
}

std::optional<ReceivedJob> ServerState::job(std::int32_t id) const {
    std::lock_guard lock(mutex_);
    auto it = jobs_.find(id);
    if (it == jobs_.end()) return std::nullopt;
    return it->second;
}

}  // namespace zentserver
