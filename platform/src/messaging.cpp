#include <zplatform/messaging.h>

#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace platform {

namespace {

// One process-wide queue. Handlers, the waker and the pump are always called
// with the lock released, so they may post, register, unregister or pump.
struct Registry {
    std::mutex mutex;
    WindowHandle lastHandle = 0;
    // Shared, so a handler that unregisters its own window stays alive while it runs.
    std::unordered_map<WindowHandle, std::shared_ptr<const MessageHandler>> windows;
    std::deque<Message> queue;
    std::function<void()> waker;
    std::function<void()> uiPump;
};

Registry& registry() {
    static Registry* instance = new Registry;   // never destroyed: late posts at exit stay safe
    return *instance;
}

// Swaps in a new callback; the old one dies after the lock is released, since
// whatever it captured may call back into this file as it is destroyed.
void replace(std::function<void()> Registry::*slot, std::function<void()> callback) {
    Registry& r = registry();
    {
        std::lock_guard lock(r.mutex);
        std::swap(r.*slot, callback);
    }
}

}  // namespace

WindowHandle registerWindow(MessageHandler handler) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const WindowHandle handle = ++r.lastHandle;   // 64 bits: never wraps, never reused
    r.windows.emplace(handle, std::make_shared<const MessageHandler>(std::move(handler)));
    return handle;
}

void unregisterWindow(WindowHandle handle) {
    Registry& r = registry();
    std::shared_ptr<const MessageHandler> handler;   // released after the lock
    std::lock_guard lock(r.mutex);
    auto it = r.windows.find(handle);
    if (it == r.windows.end()) return;
    handler = std::move(it->second);
    r.windows.erase(it);
    std::erase_if(r.queue, [handle](const Message& m) { return m.window == handle; });
}

bool isWindow(WindowHandle handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.windows.count(handle) != 0;
}

bool postMessage(WindowHandle handle, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
    Registry& r = registry();
    std::function<void()> waker;
    {
        std::lock_guard lock(r.mutex);
        if (r.windows.count(handle) == 0) return false;
        r.queue.push_back(Message{handle, msg, wParam, lParam});
        waker = r.waker;
    }
    if (waker) waker();
    return true;
}

int pumpMessages() {
    Registry& r = registry();
    // Only what is queued now: a handler that posts again must not keep this
    // call from returning. Messages are taken one at a time from the front, so
    // a handler that pumps itself keeps the order of delivery.
    std::size_t budget;
    {
        std::lock_guard lock(r.mutex);
        budget = r.queue.size();
    }
    int delivered = 0;
    for (; budget > 0; --budget) {
        Message message;
        std::shared_ptr<const MessageHandler> handler;
        {
            std::lock_guard lock(r.mutex);
            if (r.queue.empty()) break;
            message = r.queue.front();
            r.queue.pop_front();
            auto it = r.windows.find(message.window);
            if (it == r.windows.end()) continue;
            handler = it->second;
        }
        if (*handler) (*handler)(message);
        ++delivered;
    }
    return delivered;
}

void setPostWaker(std::function<void()> waker) { replace(&Registry::waker, std::move(waker)); }

void setUiPump(std::function<void()> pump) { replace(&Registry::uiPump, std::move(pump)); }

void processPendingMessages() {
    Registry& r = registry();
    std::function<void()> pump;
    {
        std::lock_guard lock(r.mutex);
        pump = r.uiPump;
    }
    if (pump)
        pump();
    else
        pumpMessages();
}

}  // namespace platform
