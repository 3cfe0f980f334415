// The client's side of the job hand-off: listens on the user's notification
// socket and hands every announced data file name ("ztp_N.ztp") to a
// callback. Only root, the print system's user ("lp") and the user itself
// may announce jobs; other peers are closed unread.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace zentcore {

class JobListener {
public:
    // Called on the listener's own thread, once per accepted name; it must not
    // throw (post the name on and return).
    using Callback = std::function<void(const std::string& dataFileName)>;

    // Binds the socket and starts accepting; see listening() and bindError().
    explicit JobListener(Callback onJob);
    // Stops accepting and waits for the listener's thread.
    ~JobListener();
    JobListener(const JobListener&) = delete;
    JobListener& operator=(const JobListener&) = delete;

    bool listening() const { return listenFd_ >= 0; }
    // errno of the failed bind; EADDRINUSE means another client listens.
    int bindError() const { return bindError_; }

    // Whether a name is one the hand-off sends: "ztp_N.ztp", N from 1 to 999
    // without leading zeros (so never empty, never a path, at most 63 bytes).
    static bool acceptableName(const std::string& name);

private:
    void run();
    bool mayNotify(int connection) const;

    Callback onJob_;
    int listenFd_ = -1;
    int bindError_ = 0;
    int wakeFd_ = -1;   // written by the destructor to end run()
    std::optional<uid_t> printSystemUser_;
    std::thread thread_;
};

// Whether a client listens for jobs (a connect succeeds).
bool clientIsRunning();

}  // namespace zentcore
