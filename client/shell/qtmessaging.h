// Ties the platform's window messages to the Qt event loop: a post from any
// thread wakes the loop, which delivers the message on the user-interface
// thread; a caller that waits for an exchange keeps the windows running.
#pragma once

namespace zentclient {

class QtMessagePump {
public:
    // Needs the application object; installs the waker and the UI pump.
    QtMessagePump();
    // Removes both; messages still queued are delivered by the next pump.
    ~QtMessagePump();
    QtMessagePump(const QtMessagePump&) = delete;
    QtMessagePump& operator=(const QtMessagePump&) = delete;
};

}  // namespace zentclient
